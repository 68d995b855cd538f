#include "logview/model/channel_header.h"

#include "header/header.h"
#include "header/user_function_ini.h"
#include "platform/files/paths.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "sondedb/records/sonde_length.h"

namespace curveview {
namespace {

std::unique_ptr<CurveRecord> Placeholder(const char* title, const char* unit, int offset) {
  auto r = std::make_unique<CurveRecord>();
  r->description = title;
  r->shortTitle = std::string(title) == "DEPTH" ? "DPTH" : title;
  r->unit = unit;
  r->physicalChannel = -1;
  r->file = 1;
  r->dataOffset = offset;
  r->sampleCount = 1;
  r->sampleType = 4;
  return r;
}

constexpr int kFirstWaveformChannel = 13;
constexpr int kLastWaveformChannel = 16;
constexpr int kRecordHead = 64;

// Depth and time placeholders, then the twelve-channel curves with their
// data locations (a sonic log's waveforms after the record's head).
void AppendTwelveChannelList(CurveArray& list, std::vector<CurveRecord>& curves, bool imperial, int samples) {
  list.push_back(Placeholder("DEPTH", imperial ? "MFT" : "MM", 0));
  list.push_back(Placeholder("TIME", "MS", 4));
  for (auto& c : curves) {
    c.file = 1;
    if (samples > 0 && c.physicalChannel >= kFirstWaveformChannel && c.physicalChannel <= kLastWaveformChannel) {
      c.dataOffset = kRecordHead + 2 * (c.physicalChannel - kFirstWaveformChannel) * samples;
      c.sampleCount = samples;
      c.sampleType = 2;
      continue;
    }
    c.dataOffset = 4 * c.physicalChannel + 12;
    c.sampleCount = 1;
    c.sampleType = 8;
  }
}

}  // namespace

CurveArray HeaderCurveList(std::vector<CurveRecord>& curves, bool twelveChannel, bool imperial, int waveformSamples) {
  CurveArray list;
  if (twelveChannel || waveformSamples > 0) AppendTwelveChannelList(list, curves, imperial, waveformSamples);
  for (const auto& c : curves) list.push_back(std::make_unique<CurveRecord>(c));
  return list;
}

int HeaderSondeLength(int sondeLength, bool imperial) {
  return qv::ThousandthsToCentimetres(sondeLength, imperial);
}

int WriteChannelHeader(std::vector<CurveRecord>& curves, const std::vector<TrackRecord>& tracks, CurveDocument* doc) {
  if (!doc) return 0;
  const std::string path = doc->PathStem();
  const bool twelve = doc->TwelveChannel() || doc->WaveformSamples() > 0;
  const CurveArray list = HeaderCurveList(curves, twelve, doc->Imperial(), doc->WaveformSamples());
  int ok = 1;
  if (doc->UserFunction()) {
    const std::string library = doc->UserLibrary();
    ok = SaveUserFunctionIni(library, &list, nullptr);
    if (ok) ok = WriteUserFunctionInfo(path, &library);
    if (UserFunctionFilter* filters = doc->UserFunctionFilterTable()) WriteUserFunctionFilters(library, filters);
    if (doc->Live()) ReadChannelMapping(*doc);
  } else {
    if (twelve) WriteChannelDataLocation(path, &list, 1);
    ok = WriteCurveRecords(path, &list);
    doc->ClearUserLibrary();
    const std::string none;
    if (ok) ok = WriteUserFunctionInfo(path, &none);
    if (!tracks.empty() && ok) {
      TrackArray trackList;
      for (const auto& t : tracks) trackList.push_back(std::make_unique<TrackRecord>(t));
      ok = WriteTrackRecords(path, &trackList);
    }
  }
  if (ok && doc->RawFilterTable())
    ok = WriteChannelFilters(path, doc->RawFilterTable(), doc->LogMode() == kLogModeTime);
  const int length = HeaderSondeLength(doc->SondeLength(), doc->Imperial());
  if (ok) ok = WriteSondeLength(path, &length);
  return ok;
}

void ReadChannelMapping(CurveDocument& doc) {
  if (!doc.UserFunction()) return;
  const std::string path = doc.PathStem();
  // Read from the header file itself, so that a header already carrying the
  // sonde's channels is left as it is.
  const std::string first = qv::GetProfileText(qv::SiblingPath(path, ".hed"), "Channel0", "PhysicalCh", "0");
  const int channel = qv::AtoiC(first.c_str());
  if (channel >= 1 && channel <= 12) return;
  TrackArray tracks;
  CurveArray sonde;
  if (!doc.LoadSondeLayout(&tracks, &sonde)) return;
  std::vector<CurveRecord> curves;
  for (const auto& c : sonde)
    if (c) curves.push_back(*c);
  const bool located = doc.TwelveChannel() || doc.WaveformSamples() > 0;
  const CurveArray list = HeaderCurveList(curves, located, doc.Imperial(), doc.WaveformSamples());
  if (located) WriteChannelDataLocation(path, &list, 1);
  WriteCurveRecords(path, &list);
  WriteTrackRecords(path, &tracks);
}

}  // namespace curveview
