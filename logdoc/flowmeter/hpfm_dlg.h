// The modeless dialog "Heat Pulse Flowmeter": equalise, fire the heaters,
// pick the interpretation time on the recorded differential and store the
// fluid speed at the current depth; the stored results go to a text file on
// exit. Its measurement runs in HeatPulseEngine; the dialog owns every
// widget and is the only one to touch them.
#pragma once

#include <QDialog>
#include <QTimer>
#include <limits>
#include <mutex>
#include <string>
#include <vector>

#include "logdoc/flowmeter/data_display.h"
#include "logdoc/flowmeter/heat_pulse_engine.h"
#include "logdoc/monitor/monitor_thread.h"
#include "userfunc/user_function_library.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace qv {
// Pauses of the dialog; tests shorten them.
struct HeatPulseTiming {
  int equaliseWaitMs = 500;    // after the equalise command, before the recording
  int modeSwitchWaitMs = 500;  // between logging off and monitor mode, and before a stop at close
};
HeatPulseTiming& HeatPulseTimingTable();
}  // namespace qv

class CHPFMDlg : public QDialog, private qv::HeatPulseEvents {
  Q_OBJECT
 public:
  static constexpr int kTemplateId = 321;

  explicit CHPFMDlg(QWidget* parent = nullptr);
  ~CHPFMDlg() override;

  // What the log document sets before each showing.
  void SetCurrentDepth(int depth) { m_nDepth = depth; }
  void SetCpsRange(int range) { m_nCpsRange = range; }
  void SetTimeStep(int ms) { m_nTimeStep = ms; }
  // Sets the dialog up and shows it; false (nothing shown) for a time step
  // below 1 ms, which is reported.
  bool Create();
  // The window exists (from Create to Exit).
  bool HasWindow() const { return m_bWindow; }

  // The unit the measurement reads (the device library's by default).
  void SetUnit(qv::HeatPulseUnit* unit) { unit_ = unit; }
  // Where the log thread's readings go while the monitor is held (the sonde
  // and winch bars by default). Called on the log thread.
  void SetBars(qv::MonitorSink* bars) { bars_ = bars; }

  // Commands.
  void OnEqualise();
  void OnFireHeaters();
  void OnAccept();
  void OnDiscard();
  void OnPrint();
  void OnOK();
  void OnHScroll();
  void OnSelChangeTimescale();
  void OnSelChangeCpsScale();
  void OnSelChangeSpeedFunction();

  int StartMeasurement(bool equalise);
  int StopMeasurement(bool keep);
  void ComputeFluidSpeed();
  bool LoadUserProcess(const std::string& path);
  void SetDepth(int depth);
  // Asks for the file and writes the stored results; false when nothing was written.
  bool SaveResults();

  // What the chart recorder's print reads.
  int TimeSpan() const { return m_nTimeSpan; }
  int CpsRange() const { return m_nCpsRange; }
  int TimeStep() const { return m_nTimeStep; }
  const qv::HeatPulseResult& Result() const { return m_Result; }
  qv::HeatPulseEngine& Engine() { return engine_; }
  CDataDisplay& Display() { return *display_; }
  QSlider& Slider() { return *slider_; }
  QComboBox& SpeedFunctionCombo() { return *speedCombo_; }
  QComboBox& CpsCombo() { return *cpsCombo_; }
  QComboBox& TimescaleCombo() { return *timeCombo_; }
  QPushButton& Button(int id);
  QString InterpretationText() const;
  QString DepthText() const;

 protected:
  void reject() override { OnOK(); }
  void closeEvent(QCloseEvent* e) override;

 private:
  // qv::HeatPulseEvents (the log thread): each is handed to the GUI thread.
  void SampleAdded(int run, int index) override;
  void Reading(int run, int depth, int logSpeed, int timeMs, const AnalogStatusBlock& status) override;
  void StopRequested(int run, bool keep) override;
  void ReadError(int run, int code) override;

  // Takes the log thread's reports over (the pump's timer, GUI thread).
  void PumpReports();
  void OnDestroy();
  void SetButtons(bool equalise, bool fire, bool accept, bool discard, bool print, bool exit);
  void WriteLabels();
  int SelectedNumber(QComboBox* combo) const;
  qv::HeatPulseUserFunction UserFunction();

  int m_nDepth = 0;
  int m_nTimeSpan = 100000;
  int m_nCpsRange = 10000;
  int m_nTimeStep = 100;
  int m_nPollPeriod = 100;
  int m_nSavedCpsSel = 0;
  // The CPS combo shows the equalisation's scale, which an equalisation set
  // and the user has not changed since: m_nSavedCpsSel holds the user's.
  bool equaliseScale_ = false;
  // Back to the user's scale once an equalisation no longer needs its own.
  void RestoreCpsScale();
  bool m_bWindow = false;
  qv::HeatPulseResult m_Result;
  qv::HeatPulseEngine engine_;
  qv::HeatPulseUnit* unit_;
  qv::MonitorSink* bars_;
  UserFunctionLibrary library_;
  std::vector<std::string> m_LibraryPaths;

  // What the log thread reported since the last pump, for its run.
  struct Pending {
    std::mutex m;
    int run = 0;
    int firstNew = std::numeric_limits<int>::max();
    bool depthSet = false;
    int depth = 0;
    bool stop = false, keep = false;
    int error = 0;
    void Begin(int r);
    Pending() = default;
    Pending& operator=(const Pending& o) {
      run = o.run, firstNew = o.firstNew, depthSet = o.depthSet, depth = o.depth, stop = o.stop, keep = o.keep,
      error = o.error;
      return *this;
    }
  };
  Pending pending_;
  QTimer pump_;

  CDataDisplay* display_;
  QLabel *upperCps_, *lowerCps_, *endTime_, *depth_, *unit_label_, *interpretation_;
  QSlider* slider_;
  QComboBox *timeCombo_, *cpsCombo_, *speedCombo_;
  QPushButton *exit_, *print_, *fire_, *equalise_, *discard_, *accept_;
};
