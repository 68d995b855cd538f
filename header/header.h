// The header store: the only path by which the program reads and writes a
// log's header file (<data file without extension>.hed), one record kind per
// entry point.
//
// Every entry point takes the data file's path (or the header's own path: the
// last extension is replaced by ".hed" either way) and returns 1 or 0. Null
// record pointers leave their sections out. Reading a record array deletes the
// array's records and fills it with new ones the caller then owns; arrays may
// hold null slots, which every operation skips.
#pragma once

#include <cstddef>
#include <string>

#include "header/header_info.h"
#include "sondedb/records/records.h"

class HedFile;
class OldHeaderImage;
struct UserFunctionRecord;

// The stateless header service; built on the caller's stack for one call.
class CHeader {
 public:
  // Writes the given records (chain target, HeaderInfo, curves, tracks,
  // calibration, depth scale, user-function library, sonde length, trailer).
  // The file is replaced whole: 1 when everything was written, else 0 and the
  // previous file is untouched.
  int WriteHeader(const std::string& path, const std::string* chainTo = nullptr, const HeaderInfo* info = nullptr,
                  const CurveArray* curves = nullptr, const TrackArray* tracks = nullptr,
                  const CalibrationArray* calibration = nullptr, const int* depthScale = nullptr,
                  const std::string* userLibrary = nullptr, const int* sondeLength = nullptr,
                  const TrailerText* trailer = nullptr);

  // Reads the log's header into the given records. A log without a header of
  // this system gets one converted from its old binary header first.
  int OpenHeader(const std::string& path, std::string* chainTo = nullptr, HeaderInfo* info = nullptr,
                 CurveArray* curves = nullptr, TrackArray* tracks = nullptr, CalibrationArray* calibration = nullptr,
                 int* depthScale = nullptr, int* userProcessFlag = nullptr, std::string* userLibrary = nullptr,
                 int* sondeLength = nullptr, TrailerText* trailer = nullptr);

  // Reads a header file (given by its own path) of this system; 0 and no
  // record touched when its ident is foreign.
  int ReadHeader(const std::string& headerPath, std::string* chainTo = nullptr, HeaderInfo* info = nullptr,
                 CurveArray* curves = nullptr, TrackArray* tracks = nullptr, CalibrationArray* calibration = nullptr,
                 int* depthScale = nullptr, int* userProcessFlag = nullptr, std::string* userLibrary = nullptr,
                 int* sondeLength = nullptr, TrailerText* trailer = nullptr);

  // Converts the old binary header (.hdr) beside the data file into the
  // log's header file, which is replaced only when the conversion succeeds.
  int ImportOldHeader(const std::string& path);

  // Fills header, a fresh empty header file, from the old binary header
  // beside the data file; 1 on success. The caller saves it.
  int ConvertOldHeader(const std::string& dataPath, HedFile& header);

  // Writes the log's header file out as an old binary header (<stem>.hdr),
  // replacing it whole; 1 on success. A header file that is missing, foreign
  // or holds a number the old layout cannot carry gives 0 and leaves an
  // existing old header untouched.
  int ExportOldHeader(const std::string& dataPath);

  // The fields of an old binary header as text: an unsigned byte or word
  // ("%d"), a signed long ("%ld"), a single or double ("%.15G"; a value that
  // is not finite reads as "0") and a text of at most width characters.
  static std::string ReadOldHeaderByte(const OldHeaderImage& file, std::size_t offset);
  static std::string ReadOldHeaderWord(const OldHeaderImage& file, std::size_t offset);
  static std::string ReadOldHeaderLong(const OldHeaderImage& file, std::size_t offset);
  static std::string ReadOldHeaderFloat(const OldHeaderImage& file, std::size_t offset);
  static std::string ReadOldHeaderDouble(const OldHeaderImage& file, std::size_t offset);
  static std::string ReadOldHeaderString(const OldHeaderImage& file, std::size_t offset, std::size_t width);

  // The user-function INI beside path (see header/user_function_ini.h).
  int WriteUserFunctionIni(const std::string& path, const CurveArray* curves, const UserFunctionRecord* record);
  int ReadUserFunctionIni(const std::string& path, CurveArray* curves, UserFunctionRecord* record);

  // Put a record into its defined empty state before a reader fills it.
  static void ClearHeaderInfo(HeaderInfo& info);
  static void ClearCurveRecord(CurveRecord* curve);
  static void ClearTrackRecord(TrackRecord* track);
  static void ClearChannelCalibration(ChannelCalibration* calibration);
};

// Replaces the conversion of old binary headers (tests, other formats);
// returns the previous one. Null restores the built-in conversion.
using OldHeaderConverter = int (*)(const std::string& dataPath, HedFile& header);
OldHeaderConverter SetOldHeaderConverter(OldHeaderConverter converter);
// The box "... is not a valid .hdr file or is not in V106 format !".
void ShowNotV106(const std::string& hdrPath);

// When all four coefficients are 0 the channel reads as the identity (c1 = 1).
void DefaultCalibrationCoefficients(Coefficients& coefficients);

// Entry points, one per record kind.
int ReadLogHeader(const std::string& path, std::string* chainTo, HeaderInfo* info, CurveArray* curves,
                  TrackArray* tracks, int* depthScale, TrailerText* trailer);
// Keeps only the file name of the chain target (the part after the last
// backslash); the caller's text is unchanged when the read fails.
int ReadChainTo(const std::string& path, std::string* chainTo);
int ReadHeaderInfo(const std::string& path, HeaderInfo* info);
int ReadCurveRecords(const std::string& path, CurveArray* curves);
int ReadTrackRecords(const std::string& path, TrackArray* tracks);
// The array gets twelve slots, one per physical channel 1..12.
int ReadCalibration(const std::string& path, CalibrationArray* calibration);
int ReadUserFunctionInfo(const std::string& path, int* userProcessFlag, std::string* userLibrary);
int ReadSondeLength(const std::string& path, int* sondeLength);
int ReadTrailerText(const std::string& path, TrailerText* trailer);

int WriteChainTo(const std::string& path, const std::string& chainTo);
int WriteHeaderInfo(const std::string& path, const HeaderInfo* info, const int* depthScale);
int WriteCurveRecords(const std::string& path, const CurveArray* curves);
int WriteTrackRecords(const std::string& path, const TrackArray* tracks);
int WriteCalibration(const std::string& path, const CalibrationArray* calibration);
// Writes the library and the user-process flag "1".
int WriteUserFunctionInfo(const std::string& path, const std::string* userLibrary);
int WriteSondeLength(const std::string& path, const int* sondeLength);
int WriteTrailerText(const std::string& path, const TrailerText* trailer);

// The records WriteHeader writes, set in a header already loaded (for a
// caller that makes many changes and saves once); false when a record could
// not be written. Nothing is saved.
bool WriteHeaderRecords(HedFile& file, const std::string* chainTo, const HeaderInfo* info,
                        const CurveArray* curves = nullptr, const TrackArray* tracks = nullptr,
                        const CalibrationArray* calibration = nullptr, const int* depthScale = nullptr,
                        const std::string* userLibrary = nullptr, const int* sondeLength = nullptr,
                        const TrailerText* trailer = nullptr);
bool WriteHeaderInfo(HedFile& file, const HeaderInfo& info, const int* depthScale);
bool WriteCurveRecords(HedFile& file, const CurveArray& curves);

void ClearHeaderInfo(HeaderInfo* info);

// Marks a header file as one of this system: General Ident and Revision, as
// the log documents, the merge and the old-header conversion write them.
int WriteHeaderIdent(const std::string& path);
void WriteHeaderIdent(HedFile& header);
