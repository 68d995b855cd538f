// Throw-away stand-in for the header store until it lands in main.
#pragma once

#include <string>
#include <vector>

namespace qv {
struct HeaderInfo {
  int SondeLength = 0, ComStd = 0, RecLineSize = 0, DepthUnit = 0, LogMode = 0, Startdepth = 0, EndDepth = 0,
      Step = 0, StartTime = 0, EndTime = 0;
  std::string SondeAbbreviation;
};
struct CurveRecord;
struct TrackRecord;
struct TrailerText;
int ReadLogHeader(const std::string& path, std::string* chainTo, HeaderInfo* info, std::vector<CurveRecord*>* curves,
                  std::vector<TrackRecord*>* tracks, int* scale, TrailerText* trailer);
int WriteHeaderInfo(const std::string& path, HeaderInfo* info, int* scale);
void WriteDataFileDirectory(const std::string& path, HeaderInfo* info);
}  // namespace qv
