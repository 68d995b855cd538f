// Temporary stand-in for the display records until the shared record library
// is in the tree; it mirrors that library's names so the switch is one include.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct RecordRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool operator==(const RecordRect&) const = default;
};

using ColourRef = std::uint32_t;

struct CurveRecord {
  int headerLine = 0;
  int firstTrack = 0;
  int lastTrack = 0;
  int headerFlag = 0;
  int scaleFlag = 0;
  std::string description;
  std::string shortTitle;
  std::string unit;
  int physicalChannel = 0;
  int logicalChannel = 0;
  int window = 0;
  int adjustment = 0;
  int mode = 0;
  ColourRef fillColour = 0;
  ColourRef lineColour = 0;
  int printLineStyle = 0;
  int historyCount = 0;
  double* history = nullptr;
  float scaleMinimum = 0.0f;
  float scaleMaximum = 0.0f;
  RecordRect screenRect;
  std::array<int, 5> drawState{};
  int wrapBand = 0;
  std::uint8_t file = 0;
  int dataOffset = 0;
  int sampleCount = 0;
  int sampleType = 0;
};

struct TrackRecord {
  int minimalWidth = 0;
  int idealWidth = 0;
  int width = 0;
  int order = 0;
  RecordRect screenRect;
  int style = 0;
  int widthWeight = 0;
  int type = 0;
  int gridFlag = 0;
  int gridStyle = 0;
  ColourRef gridColour = 0;
  bool operator==(const TrackRecord&) const = default;
};

inline constexpr int kGridLogarithmic = 0x1000000;
inline constexpr int kGridLinear = 0x10000000;
