// What a log document asks of the program's frame around it: the readings
// and the replay buttons of the control bars, the sonde test window and the
// calibration wizard, and the idle document once a log has gone. The program's frame installs itself
// here (as a view's chart recorder comes through its slot); with nothing
// installed every call does nothing, as with no bars to show.
#pragma once

#include <atomic>
#include <cstdint>

class QWidget;
class LogDocumentShell;

class LogFrame {
 public:
  virtual ~LogFrame() = default;
  // From any thread: the bars queue them to the GUI thread.
  virtual void UpdateSondeStatus(int elapsedMs, uint8_t current, uint8_t voltageCode, int sondeValue) = 0;
  virtual void UpdateWinchReadings(int tension, int depth, int speed) = 0;
  // The replay control bar, from the replay's callbacks.
  virtual void ShowReplayPaused() = 0;
  virtual void DisableReplayButtons() = 0;
  virtual void UncheckPrintDirect() = 0;
  // Tools/Test Sonde over PARENT; and closing the test that runs beside a
  // document that goes.
  virtual void TestSonde(QWidget* parent) = 0;
  virtual void CloseSondeTestFor(const LogDocumentShell* doc) = 0;
  // Tools/Calibration: the calibration wizard the program supplies.
  virtual void RunCalibration() = 0;
  // Opens the idle document once the event loop comes back to it.
  virtual void ReopenIdleDocument() = 0;
};

inline std::atomic<LogFrame*> g_logFrame{nullptr};

// Installs FRAME (null: none) and gives back the previous one.
inline LogFrame* SetLogFrame(LogFrame* frame) {
  return g_logFrame.exchange(frame);
}
