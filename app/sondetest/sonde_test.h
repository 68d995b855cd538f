// The sonde test without its window: which panels a tool family gets, the
// family's logging mode, the worker that polls the family's data read, the
// assembly of waveform segments into traces, and the values the dialog shows.
// The worker writes only into the shared traces and the published copy of
// the last record; the dialog reads both under their locks.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/sondetest/monitor_trace.h"
#include "devices/tbdevice/tbdevice.h"
#include "platform/sync/sync.h"

class LogDocumentShell;

namespace qv {

enum class TestFamily { None, Channels, Televiewer, FullWave, CementBond, Sonic };

struct TestPanelSpec {
  std::string title;
  bool imageMode = false;
};

// The panels and controls a sonde of a tool type and communication standard
// gets. family None: the test cannot run for it.
struct SondeTestLayout {
  TestFamily family = TestFamily::None;
  int samples = 0;  // per trace or image line
  int gap = 0;      // pixels between stacked panels
  std::vector<TestPanelSpec> panels;
  bool zoomControls = false;
  bool valueFields = false;
  int enabledFields = 0;  // value fields 1..n enabled
};
SondeTestLayout LayoutForTool(int toolType, int comStd);

struct PanelRect {
  int x = 0, y = 0, width = 0, height = 0;
};
// n panels stacked in an area, gap pixels apart.
std::vector<PanelRect> StackPanels(const PanelRect& area, int n, int gap);

// What the engine hands to its window and to the control bars; called on the
// worker thread (and on the caller's thread for start and stop errors).
class SondeTestHost {
 public:
  virtual ~SondeTestHost() = default;
  // The text of the error static.
  virtual void ShowErrorText(const std::string& text) = 0;
  // The sonde bar's status and the winch bar's readings after a delivered read.
  virtual void UpdateBars(int timeMs, uint8_t status1, uint8_t status2, int sondeValue, int tension, int depth,
                          int speed) = 0;
};

// The pauses of stopping and of returning to monitoring (tests shorten them).
struct SondeTestPauses {
  uint32_t stopMs = 100;
  uint32_t restoreMs = 1000;
  uint32_t joinMs = 30000;  // longer than a device call can hold DeviceMutex
};
SondeTestPauses& TestPauses();

class SondeTestEngine {
 public:
  // traces: one per panel of the layout, in order.
  SondeTestEngine(int toolType, int comStd, LogDocumentShell* doc, SondeTestHost* host,
                  std::vector<std::shared_ptr<SharedTrace>> traces);
  ~SondeTestEngine();
  SondeTestEngine(const SondeTestEngine&) = delete;
  SondeTestEngine& operator=(const SondeTestEngine&) = delete;

  const SondeTestLayout& Layout() const { return layout_; }
  int ToolType() const { return toolType_; }
  int ComStd() const { return comStd_; }
  bool Running() const { return run_; }
  int PollInterval() const { return pollMs_; }

  // Start (stop = false) or stop the test; true when it runs afterwards.
  bool StartStopTest(bool stop);
  bool StartChannelTest();
  bool StartTeleviewerTest();
  bool StartFwsTest();
  bool StartCblTest();
  bool StartSonicTest();
  // Ends the worker and switches logging off; 1 when the unit took it.
  int StopWorker();
  // Back to the document's monitor mode; 0 without a document.
  int RestoreMonitorMode();
  // One poll of the family's read; the status word.
  uint32_t PollDevice();
  // "MCS: ...\nDSP: ..." of a status word into the error static.
  void ShowDeviceError(uint32_t status);

  // The twelve value fields: counts per second of a channel packet, the
  // floats of a twelve-channel record, "n/a" where there is no value.
  std::array<std::string, 12> ValueTexts() const;
  SixChannelPacket LastPacket() const;
  TwelveChannelRecord LastRecord() const;

  // Every panel's zoom.
  void SetZoom(int horizontal, int vertical);

 private:
  int SondeTestThread(Event& stop);
  bool StartFamily(uint8_t comStd, uint8_t tool, int16_t value, uint8_t mode);
  bool EnsureWorker();
  void ShowTrace(size_t panel, const void* data, int type, int marker = MonitorTrace::kNoMarker, int threshold = 0);
  void ResetSegmentOrder();
  bool TakeSegment(const CblWaveformSegment& segment);
  void TrackSegmentOrder(int receiver, int n, int last, bool inOrder);
  void TakeSonicPacket(const SonicPacket& packet, const std::vector<int16_t>& samples);
  void Delivered(int timeMs, int depth);

  int toolType_;
  int comStd_;
  SondeTestLayout layout_;
  LogDocumentShell* doc_;
  SondeTestHost* host_;
  std::vector<std::shared_ptr<SharedTrace>> traces_;

  std::unique_ptr<Thread> worker_;
  std::vector<std::unique_ptr<Thread>> stale_;  // stopped but still in a device call
  std::atomic<bool> run_{false};
  std::atomic<int> pollMs_{1000};

  // Worker-side buffers (only the worker touches them while it runs).
  AnalogStatusBlock status_{};
  TeleviewerSweep sweep_{};
  CblWaveformSegment segment_{};
  SixChannelPacket companion_{};
  std::array<uint8_t, 960> display_{};
  std::array<uint8_t, 960> collect_{};
  int lastSegment_[2] = {0, 0};  // near, far
  bool seenSegment_[2] = {false, false};
  // After a bad order the message stays in the error static until both
  // receivers have again sent a whole turn (segment 0 to the last) in order.
  bool sequenceHeld_ = false;
  bool runFromZero_[2] = {false, false};  // the receiver's in-order run began at segment 0
  bool turnDone_[2] = {false, false};

  // Published for the window.
  mutable std::mutex published_;
  SixChannelPacket packet_{};
  TwelveChannelRecord record_{};
};

}  // namespace qv
