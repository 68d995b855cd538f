// Throw-away stand-in for the header store and its records until they land
// in main (same names and signatures).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct HeaderInfo {
  int SondeLength = 0, ComStd = 0, RecLineSize = 0, DepthUnit = 0, LogMode = 0, Startdepth = 0, EndDepth = 0,
      Step = 0, StartTime = 0, EndTime = 0;
  std::string SondeAbbreviation;
};
struct CurveRecord {
  std::string description, shortTitle, unit;
  int physicalChannel = 0;
  std::uint8_t file = 0;
  int dataOffset = 0, sampleCount = 0, sampleType = 0;
};
using CurveArray = std::vector<std::unique_ptr<CurveRecord>>;
struct TrackRecord;
using TrackArray = std::vector<std::unique_ptr<TrackRecord>>;
struct TrailerText;
using Coefficients = std::array<double, 4>;
struct ChannelCalibration {
  int calFlag = 0;
  std::optional<Coefficients> coefficients;
};
struct ChannelFilter {
  std::uint8_t FilterType = 0;
  int Present = 0, FilterWidth = 0, Offset = 0, OffsetCopy = 0;
};
int ReadLogHeader(const std::string& path, std::string* chainTo, HeaderInfo* info, CurveArray* curves,
                  TrackArray* tracks, int* scale, TrailerText* trailer);
int WriteHeaderInfo(const std::string& path, const HeaderInfo* info, const int* depthScale);
int WriteCurveRecords(const std::string& path, const CurveArray* curves);
void WriteDataFileDirectory(const std::string& path, const HeaderInfo* info);
void WriteChannelDataLocation(const std::string& path, const CurveArray* curves, int deleteFirst);
int ReadCurveRecordByChannel(const std::string& headerPath, CurveRecord* curve, int physicalChannel);
int ReadChannelFilter(const std::string& headerPath, ChannelFilter* filter, int physicalChannel);
int WriteChannelFilter(const std::string& headerPath, const ChannelFilter* filter, int sectionIndex);
int WriteChannelCalibration(const std::string& headerPath, const ChannelCalibration* calibration, int sectionIndex);
int ReadChannelCalibration(const std::string& headerPath, ChannelCalibration* calibration, int physicalChannel);
int WriteDefaultTrackSections(const std::string& headerPath);
int ReadCurveRecords(const std::string& path, CurveArray* curves);
