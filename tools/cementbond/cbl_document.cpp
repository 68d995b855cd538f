#include "tools/cementbond/cbl_document.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/core/globals.h"
#include "header/header.h"
#include "platform/files/paths.h"
#include "sondedb/lookups.h"

namespace qv {
namespace {

constexpr std::uint8_t kFarReceiver = 0x80;
constexpr int kSegmentSpan = 192;  // µs of one segment
constexpr int kSampleStep = 4;     // µs between samples
constexpr int kSamples = 48;

const WaveformLogKind kCementBond{kToolCementBond, "CBL", GetCBLArrival, 151, "cement bond"};

}  // namespace

CCBLDocument::CCBLDocument() : WaveformLogDocument(kCementBond) {}

CCBLDocument::~CCBLDocument() {
  Shutdown();
}

std::string CCBLDocument::TemplatePath() {
  const std::string folder = g_strProgramFolder.empty() ? ProgramFolder() : g_strProgramFolder;
  return JoinPath(JoinPath(folder, "Header"), "STANDARD.HED");
}

// ---------------------------------------------------------------------------
// Gates

FreePipeGate CCBLDocument::NearGate() const {
  std::lock_guard<std::mutex> lock(gateMutex_);
  return nearGate_;
}

FreePipeGate CCBLDocument::FarGate() const {
  std::lock_guard<std::mutex> lock(gateMutex_);
  return farGate_;
}

void CCBLDocument::SetGates(const FreePipeGate& nearGate, const FreePipeGate& farGate) {
  std::lock_guard<std::mutex> lock(gateMutex_);
  nearGate_ = nearGate;
  farGate_ = farGate;
}

void CCBLDocument::PickGatePeak(SixChannelPacket* packet, const CblWaveformSegment* segment) {
  if (!packet || !segment) return;
  const bool far = (segment->flags & kFarReceiver) != 0;
  int start, end;
  {
    std::lock_guard<std::mutex> lock(gateMutex_);
    const FreePipeGate& g = far ? farGate_ : nearGate_;
    start = g.GateStart;
    end = g.GateEnd;
  }
  GateSearch& s = far ? far_ : near_;
  const int a = (segment->flags & 15) * kSegmentSpan;
  const int b = a + kSegmentSpan;
  if (!(a > end || b < start)) {
    const int from = (std::max(start, a) - a) / kSampleStep;
    const int to = (std::min(end, b) - a) / kSampleStep;
    for (int i = std::max(from, 0); i <= to && i < kSamples; ++i) {
      if (segment->sample[i] > s.runningMaximum) {
        s.runningMaximum = segment->sample[i];
        s.runningTime = static_cast<std::int16_t>(a + kSampleStep * i);
      }
    }
    if (b >= end) {
      s.peakAmplitude = s.runningMaximum < 0 ? 0 : s.runningMaximum;
      s.peakTime = s.runningTime;
      s.runningMaximum = -128;
      s.runningTime = 0;
    }
  }
  // Channels 3 to 6 of every record are the gates' last completed results,
  // both receivers': a near packet arrives fresh from the unit, and leaving
  // its far channels alone stored the unit's own words there, so the far
  // curves jumped between the far peak and an unrelated count at every step.
  packet->channel[2] = static_cast<std::uint16_t>(near_.peakTime);
  packet->channel[3] = static_cast<std::uint16_t>(near_.peakAmplitude);
  packet->channel[4] = static_cast<std::uint16_t>(far_.peakTime);
  packet->channel[5] = static_cast<std::uint16_t>(far_.peakAmplitude);
}

void CCBLDocument::ComputeFreePipeGates() {
  const double theta = 0.3001605136436597;
  pipeValues_.pipeDiameter = 80;
  pipeValues_.sondeDiameter = 60;
  FreePipeGate nearGate{80, 60, 0, 0, 0}, farGate{80, 60, 0, 0, 0};
  const std::string& abbreviation = Setup().sondeAbbreviation;
  const bool dulm = abbreviation.size() == 4 && ::strncasecmp(abbreviation.c_str(), "DULM", 4) == 0;
  nearGate.ReceiverSpacing = dulm ? 710 : 915;
  farGate.ReceiverSpacing = dulm ? 1110 : 1525;
  pipeValues_.shortSpacing = nearGate.ReceiverSpacing;
  pipeValues_.longSpacing = farGate.ReceiverSpacing;
  if (pipeSize_) pipeSize_->Ask(pipeValues_);  // ends only with OK
  nearGate.PipeSize = farGate.PipeSize = pipeValues_.pipeDiameter;
  nearGate.SondeDiameter = farGate.SondeDiameter = pipeValues_.sondeDiameter;
  nearGate.ReceiverSpacing = pipeValues_.shortSpacing;
  farGate.ReceiverSpacing = pipeValues_.longSpacing;
  for (FreePipeGate* g : {&farGate, &nearGate}) {
    const double d = g->PipeSize - pipeValues_.sondeDiameter;
    const int first = static_cast<int>((g->ReceiverSpacing - d / std::tan(theta)) * 187 / 1000);
    const int second = static_cast<int>(d * 623 / (std::sin(theta) * 1000));
    g->GateStart = first + second;
    g->GateEnd = g->GateStart + 32;
  }
  SetGates(nearGate, farGate);
}

// The search starts afresh with every log; the gates come from the header
// template (live) or the log's own header (replay), else from the pipe sizes.
void CCBLDocument::InitialiseWaveformTool(int mode) {
  near_ = {};
  far_ = {};
  FreePipeGate nearGate, farGate;
  if (ReadFreePipeGates(mode == 1 ? TemplatePath() : DataFilePath(), &nearGate, &farGate))
    SetGates(nearGate, farGate);
  else
    ComputeFreePipeGates();
}

// ---------------------------------------------------------------------------
// Header

int CCBLDocument::WriteGateHeader() {
  const FreePipeGate nearGate = NearGate(), farGate = FarGate();
  WriteFreePipeGates(TemplatePath(), &nearGate, &farGate);
  WriteFreePipeGates(DataFilePath(), &nearGate, &farGate);
  return View() ? View()->SaveLayoutToHeader() : 0;
}

}  // namespace qv
