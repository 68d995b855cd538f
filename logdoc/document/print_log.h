// The six- and twelve-channel engines as the curve view's page printing sees
// them: the printout replays the log's files through the engine's own reader
// and processing.
#pragma once

#include <functional>

#include "logview/model/print_log.h"
#include "logdoc/document/channel_logs.h"

namespace qv {

class EnginePrintLog : public curveview::PrintableLog {
 public:
  // followChain: whether the log goes on into the next file of its chain.
  EnginePrintLog(ChannelLogEngine& engine, std::function<bool()> followChain)
      : engine_(engine), followChain_(std::move(followChain)) {}

  int LogState() const override { return engine_.State(); }
  bool IsLive() const override { return engine_.IsLive(); }
  bool FollowChain() const override { return followChain_ && followChain_(); }
  int ReplayEndDepth() const override { return engine_.Setup().replayEndDepth; }
  const HeaderInfo* PrintHeader() const override { return &engine_.Header(); }
  const TrailerText* PrintTrailer() const override { return &engine_.Trailer(); }
  std::string DataPath() const override { return engine_.DataFilePath(); }
  const CalibrationArray* Calibrations() const override { return engine_.GetCalibrationArray(); }
  bool SaveWellInfo(int mode) override { return engine_.SaveWellInfo(mode) != 0; }
  bool ReopenReplay() override { return engine_.OpenReplayReader(); }
  bool StartPrintReplay(curveview::PrintReplayWindow* window) override;
  void SetPrintDepthWindow(int depthOffset) override;
  bool ReadReplayRecord() override { return engine_.ReadReplayRecord(); }
  bool SeekReplay(int depth) override { return engine_.SeekReplay(depth); }
  std::span<const double> ProcessPrintRecord(std::span<const int> givenOffsets) override {
    return engine_.ProcessPrintRecord(givenOffsets);
  }
  void EndPrintReplay() override;

 private:
  ChannelLogEngine& engine_;
  std::function<bool()> followChain_;
};

}  // namespace qv
