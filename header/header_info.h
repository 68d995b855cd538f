// The general header record of a log (HeaderInfo) and its four trailer lines
// (TrailerText). Both are plain values that own their strings; the header
// store reads and writes them as the WellInfo and TrailerText sections of a
// log's header file.
#pragma once

#include <array>
#include <string>

struct HeaderInfo {
  // What the system needs to interpret the log's data file. Depths and the
  // step are thousandths of the depth unit (metres when DepthUnit is 0, else
  // feet).
  int SondeLength = 0;  // centimetres
  int ComStd = 0;       // communication standard; 26..29 mark a sonic data file
  int RecLineSize = 0;  // bytes of one data record
  int DepthUnit = 0;
  int LogMode = 0;  // 10 time, 11 logged up, 12 logged down
  int Startdepth = 0;
  int EndDepth = 0;
  int Step = 0;
  int StartTime = 0;
  int EndTime = 0;
  float Zero = 0.0f;

  // Well and run information: free text or plain numbers to the system.
  std::string Company;
  std::string Wellname;
  std::string Fieldname;
  std::string Location;
  std::string Country;
  std::string Stat;
  std::string Cnty;
  std::string ServiceCompany;
  std::string Date;
  std::string UWI;
  std::array<std::string, 10> Comment;  // remark lines 1..10
  std::string SondeAbbreviation;
  std::string Project;
  std::string LogName;
  std::string Latitude;
  std::string Longitude;
  std::string OtherServices1, OtherServices2, OtherServices3, OtherServices4, OtherServices5;
  std::string PermanentDatum;
  std::string Elevation;
  std::string LogDatum;
  std::string DrillDatum;
  float KellyBushing = 0.0f;
  float DrillFloor = 0.0f;
  float GroundLevel = 0.0f;
  std::string DateRun1, DateRun2, DateRun3;
  int RunNo1 = 0, RunNo2 = 0, RunNo3 = 0;
  std::string Engineer1, Engineer2, Engineer3;
  std::string Witness1, Witness2, Witness3;
  float DepthDriller1 = 0.0f, DepthDriller2 = 0.0f, DepthDriller3 = 0.0f;
  float DepthLogger1 = 0.0f, DepthLogger2 = 0.0f, DepthLogger3 = 0.0f;
  float Deepest1 = 0.0f, Deepest2 = 0.0f, Deepest3 = 0.0f;
  float Shallow1 = 0.0f, Shallow2 = 0.0f, Shallow3 = 0.0f;
  std::string LogType1, LogType2, LogType3;
  std::string Fluid1, Fluid2, Fluid3;
  std::string Salinity1, Salinity2, Salinity3;
  std::string FluidDensity1, FluidDensity2, FluidDensity3;
  std::string FluidLevel1, FluidLevel2, FluidLevel3;
  float MaxTemperature1 = 0.0f, MaxTemperature2 = 0.0f, MaxTemperature3 = 0.0f;  // degrees Celsius
  std::string RigTime1, RigTime2, RigTime3;
  float BitRec1 = 0.0f, BitRec2 = 0.0f, BitRec3 = 0.0f;  // inch (feet logs) or mm (metre logs)
  float BitRecFrom1 = 0.0f, BitRecFrom2 = 0.0f, BitRecFrom3 = 0.0f;
  float BitRecTo1 = 0.0f, BitRecTo2 = 0.0f, BitRecTo3 = 0.0f;
  float CasRecSize1 = 0.0f, CasRecSize2 = 0.0f, CasRecSize3 = 0.0f;
  float CasRecWeight1 = 0.0f, CasRecWeight2 = 0.0f, CasRecWeight3 = 0.0f;  // lbs or kg
  float CasRecFrom1 = 0.0f, CasRecFrom2 = 0.0f, CasRecFrom3 = 0.0f;
  float CasRecTo1 = 0.0f, CasRecTo2 = 0.0f, CasRecTo3 = 0.0f;

  bool operator==(const HeaderInfo&) const = default;
};

struct TrailerText {
  std::string Text1;
  std::string Text2;
  std::string Text3;
  std::string Text4;

  bool operator==(const TrailerText&) const = default;
};

// Converts between the four trailer lines and one text with CR LF line breaks.
// split != 0: the lines are taken from text (at most four; trailing white
// space of each line removed). split == 0: text becomes the non-empty lines
// joined by CR LF.
void SplitTrailerText(TrailerText& trailer, std::string& text, int split);
