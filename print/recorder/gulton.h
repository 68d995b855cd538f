// The thermal chart recorder on a parallel port, for the length of one chart:
// the command bytes of the three recorder models, raster lines of 1728 dots,
// the test page, and the chart's vertical bookkeeping (grid templates, paper
// position, depth and margin numbers) that the chart renderers draw with.
//
// Every public operation holds the recorder's lock for its whole run, so two
// threads feeding one recorder (rows from the display thread, start, stop and
// legend changes from the GUI thread) never interleave their commands; a
// raster command goes out with its 216 bytes in one write. A lock not had in
// time, a port that did not open and a write that fails or times out all end
// the operation with CUserException; the port is then closed for good.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/core/styled_line.h"
#include "platform/parallel/parallel.h"
#include "platform/sync/sync.h"
#include "print/recorder/heat_pulse.h"
#include "print/recorder/mono_raster.h"
#include "print/recorder/raster_line_device.h"
#include "print/recorder/televiewer_row.h"

struct HeaderInfo;
struct TrailerText;

// What a failed recorder write raises; the creator catches it, deletes the
// recorder and reports the printer error.
struct CUserException : std::exception {
  const char* what() const noexcept override { return "chart recorder write failed"; }
};

// The legend entry of one curve on a plot or cement-bond chart.
struct Inscription {
  std::string caption;     // short title, two blanks, unit
  std::string leftScale;   // "%.2f" of the maximum (of the minimum when reversed)
  std::string rightScale;  // the other end
  int16_t track = 0;       // 1, 2, 3; 4 for tracks 2 and 3 together
  int16_t printStyle = 0;  // 1 to 8
  int wrapBand = 1;        // band of the last value drawn when curves wrap
  bool broken = false;     // the last row held no reading
  int channel = 0;
  int reversed = 0;
  int doubleWidth = 0;
};

// One entry of a view's track scale table: the first digit (1 to 9) and the
// decades (0 linear; negative: logarithmic running the other way).
using TrackScale = std::pair<int, int>;

// A legend list handed to a track header: its entries move into the
// recorder's own list and the handed list is left empty.
using InscriptionList = std::vector<std::unique_ptr<Inscription>>;

// Recorder models (the RealTimePrinter setting).
enum RecorderModel : uint8_t { kGulton = 0, kPrintrex820 = 1, kPrintrex840 = 2 };
// Print types and vertical kinds of a chart.
enum RecorderPrintType { kPrintPlot = 0, kPrintTeleviewer = 1, kPrintCementBond = 2, kPrintTest = 9 };
enum RecorderVertical { kVerticalImperial = 1, kVerticalTime = 2 };  // any other: metric

constexpr int kRasterBytes = 216;
constexpr int kRasterDots = 1728;
// Lines the plot band holds; a plot sends when more than kBandSendAbove are
// pending and keeps kBandKeep lines for the curves to continue from.
constexpr int kBandLines = 300;
constexpr int kBandSendAbove = 10;
constexpr int kBandKeep = 3;
// Curves a plot draws (legend entries beyond are left out).
constexpr int kPlotDrawers = 12;
// A curve value of a plot row that holds no reading: the curve breaks there.
constexpr int kNoCurveValue = -0x7FFFFFFF;
// A cement-bond print row: 1024 density samples and the mark byte (0x01 tick,
// 0x10 bytes 0 to 127 are a prepared bit image); its density line.
constexpr int kCblRowBytes = 1025;
constexpr int kCblDensityBytes = 140;

// How a print style (1 to 8) draws a curve on the recorder: dash style and pen
// width; any other value draws as print style 1.
PrintLineStyle RecorderLineStyle(int printStyle);

// Recorder objects alive in the process; the printer set-up does not print
// its test page and locks port and model while there is one.
int RecordersInUse();

// How long an operation waits for the recorder's lock; tests shorten it
// (0 restores the default of 3000 ms).
void SetRecorderLockTimeoutMs(uint32_t ms);

class CGulton {
 public:
  // MODEL 0, 1 or 2 (any other value is driven as model 0); TRACKSCALES: the
  // view's table of at least four entries (track 1, depth track, track 2,
  // track 3) for plot and cement-bond charts, else null; SCALE 1:n, -1 for
  // time charts and the test page; DIRECTION 1 turns the chart by 180 degrees.
  CGulton(uint8_t model, int printType, int verticalKind, const TrackScale* trackScales, int scale, int firstMarkValue,
          int direction);
  ~CGulton();
  CGulton(const CGulton&) = delete;
  CGulton& operator=(const CGulton&) = delete;

  // Port commands.
  void Write(const uint8_t* bytes, size_t length);
  int LineFeed(int count);
  void SendPrintrexStart();
  void SelectMedium(int medium);
  void EjectToFormMark();
  void EndRaster();
  // The model's raster command and the 216 bytes of LINE, in one write.
  void SendRasterLine(const uint8_t* line);
  void PrintTestPage();
  // Closes the port and lets go of the chart's buffers and legend; the
  // recorder no longer counts as in use.
  void CleanUp();

  // Depth and margin numbers.
  void SetStartDepth(int depth);
  void AdvanceToDepth();
  void ComposeMarkNumber(int value);
  void BuildDigitGlyphs();
  static int CenterGlyphs(int left, int right, int count);
  // Puts in the ten upright digit glyphs (16 x 32 dots, 2 bytes a row) as the
  // margin numbers' digits, turned by 180 degrees on a turned chart.
  void SetDigitGlyphs(const std::array<std::array<uint8_t, 64>, 10>& upright);

  // Grid and chart lines.
  void BuildGridTemplate();
  // Sends one line (template 1) and advances the bookkeeping by COUNT lines.
  void FeedLines(int count);
  // Composes the next chart line into LINE (216 bytes): its grid template
  // and the margin number row it carries; advances the bookkeeping.
  void ComposeChartLine(uint8_t* line);
  static uint8_t MirrorBits(uint8_t byte);
  // The x origin of a track code's curves (negative on a turned chart: the x
  // drawn is the absolute value of origin plus offset).
  int TrackOrigin(int trackCode) const;

  // Curve plot. VALUES: rows of one value per curve in legend order, each
  // the curve's dots from its scale's minimum; TICKROW > 0 marks that row
  // (1-based) with a tick; FINAL sends every line of the band. VALUES null
  // adds rows of grid and numbers only.
  void PlotCurveRow(const int* values, int valueCount, int tickRow, bool final);
  // Ends the chart: the band's lines, one fed line and the rest of a margin
  // number half laid go out; the grid stops.
  void FinishPlot();
  int BandLineCount() const { return bandLineCount_; }

  // Cement-bond chart. ROWS: COUNT print rows of kCblRowBytes (the two
  // waveforms' density samples and a mark byte), null for empty rows;
  // VALUES: one value per curve (no waveform strip) and row, or null.
  void PrintCblRow(const uint8_t* rows, const double* values, int count, bool final);
  // One chart line: grid, numbers, TICK, the waveform strips out of LINE
  // (kCblDensityBytes) and the curves through VALUES (one per legend entry).
  void PlotCblCurves(const uint8_t* line, const double* values, bool tick, bool final);
  void PrintCblTrackHeader(InscriptionList* list);

  // Text blocks (gulton_heading.cpp, library qv_recorder_heading): the log
  // heading form turned on the paper (1213 lines), the remarks block (400
  // lines) and the non-empty trailer lines (nothing at all without one). The
  // heading prints the log name in capitals without changing HEADER; a null
  // HEADER prints the form without its texts. FILENAME is the log's data
  // file, named in the remarks title as its ".hed" sibling.
  void PrintLogHeading(const HeaderInfo* header);
  void PrintRemarks(const HeaderInfo* header, const std::string& fileName);
  void PrintTrailerText(const TrailerText* text);
  // Sends a heading form (1213 x 1693 dots) framed for the model, one form
  // column a raster line: form row r on dot 1696 - r, columns left to right;
  // turned, row r on dot r and columns right to left.
  void SendHeadingForm(const qv::MonoRaster& form);
  // Sends an upright block (1696 dots wide) framed for the model, one form
  // row a raster line, top first; turned, mirrored and bottom first.
  void SendTextBlock(const qv::MonoRaster& form);

  // The heat-pulse result sheet, dated NOW.
  void PrintHeatPulseResult(const HeatPulseResult& result, std::time_t now);

  // Televiewer chart. FLAGS bit 0 error diffusion, bit 1 adaptive grey levels.
  void PrintTeleviewerRows(const TeleviewerImageRow* rows, int count, int flags);
  void SetRasterTick(int column);
  void PrintTeleviewerHeader();
  void PrintTeleviewerFooter();
  // The transit-time levels of a row from its most frequent values.
  static std::vector<int> AdaptiveTransitLevels(const uint8_t* transit, int levels);
  void RepeatCblTrackHeader();
  const qv::MonoRaster& Band() const { return band_; }

  // Legend. A null LIST prints the recorder's own list again.
  void PrintPlotTrackHeader(InscriptionList* list, bool print);
  void RepeatPlotTrackHeader();
  // The legend line of curve N (1-based).
  void PrintInscription(int n);
  // Legend changes by curve number (1-based), reprinted between two line
  // terminators. KIND 1 the left end, 3 the right end.
  void SetScaleEnd(int n, int kind, const std::string& text);
  void SetScaleRange(int n, const std::string& left, const std::string& right);
  void SetCurveStyle(int n, int style);
  // One legend entry into a header raster: the sample line from (x1, y) to
  // (x2, y), the scale texts above its ends and the caption above them.
  static void DrawInscriptionSample(const Inscription& ins, int x1, int x2, int y, int printStyle,
                                    qv::MonoRaster& header);
  std::vector<std::unique_ptr<Inscription>>& Inscriptions() { return inscriptions_; }
  Inscription* GetInscription(int index);
  int GetCurveStyle(int curve) const;
  int CurveCount() const { return curveCount_; }

  // State, for the renderers and for checks.
  bool PortOpen() const { return port_ != nullptr; }
  uint8_t Model() const { return model_; }
  int PrintKind() const { return printKind_; }
  int Direction() const { return direction_; }
  int Scale() const { return scale_; }
  int CurrentNumber() const { return currentNumber_; }
  int CurrentDepth() const { return currentDepth_; }
  int NumberInterval() const { return numberInterval_; }
  double NumberSpacing() const { return numberSpacing_; }
  double NextNumberPosition() const { return nextNumber_; }
  bool CarriesNumbers() const { return carriesNumbers_; }
  double PaperPosition() const { return paperPosition_; }
  int ChartLineCount() const { return chartLineCount_; }
  int GridStyle() const { return gridStyle_; }
  int NumberInProgress() const { return numberInProgress_; }
  int NumberRow() const { return numberRow_; }
  const uint8_t* MarkBuffer() const { return markBuffer_.data(); }
  const uint8_t* GridTemplate(int which) const { return templates_[which - 1].data(); }
  const uint8_t* DigitGlyph(int digit) const { return digitGlyphs_[digit].data(); }
  const std::vector<uint8_t>& RasterCommand() const { return rasterCommand_; }
  uint8_t LineTerminator() const { return terminator_; }

 private:
  class Hold;
  // Counts the recorder as in use from the start of its construction to its
  // clean-up (also when construction fails half way).
  class InUse {
   public:
    InUse();
    ~InUse() { Release(); }
    InUse(const InUse&) = delete;
    InUse& operator=(const InUse&) = delete;
    void Release();

   private:
    bool held_ = true;
  };

  void SetVerticalTables(int printType, int scale);
  // One line of grid and number bookkeeping; LINE null skips composing.
  void StepLine(uint8_t* line);
  void CheckPort(bool ok);
  // The Gulton's start sequence (nothing for a Printrex).
  void SendStartSequence();
  // Sends the first COUNT band lines and moves the rest to the top.
  void SendBand(int count);
  // Adds ROWS rows (no more than the band's free lines less one) and draws
  // the curves through them.
  void PlotRows(const int* values, int rows, int tickRow, bool final);
  // The legend entry's x range and row counter by track code.
  struct LegendPlace {
    int x1, x2, counter;
  };
  static LegendPlace LegendPlaceOf(int trackCode);
  void RestyleDrawer(int drawer, int printStyle);
  static int CurveWidth(const Inscription& ins) { return ins.doubleWidth ? 1016 : 508; }
  // The dot of value V of a curve from ORIGIN: high values to the left
  // unless the minimum is at the left.
  static int CurveX(const Inscription& ins, int origin, int v);
  // Draws the curve to value V on line Y, wrapped into its track or limited
  // to it by the WrapCurves setting.
  static void CurveTo(CStyledLine& pen, Inscription& ins, int origin, int v, int y);
  // Sends header rows [FIRST, LAST) of a 1680-dot-wide picture, top first;
  // on a turned chart mirrored and bottom first.
  void SendHeaderRows(const qv::MonoRaster& header, int first, int last);
  void PrintTrackHeader(InscriptionList* list, bool print);
  void SetRasterDot(int dot, int line);
  // A text block of COUNT raster lines, each composed by COMPOSE(i, line)
  // into a cleared line, between the model's start and end; a heading ends
  // with two more terminators on the Gulton.
  void SendTextBlockLines(int count, bool heading, const std::function<void(int, uint8_t*)>& compose);
  void PrintTeleviewerHeading(bool footer);
  // A cement-bond legend entry that shows a waveform strip, not a curve.
  static bool IsStrip(const Inscription& ins) { return ins.channel >= 7; }

  InUse inUse_;
  // The chart's band (plot and cement-bond charts) and its curve drawers.
  qv::MonoRaster band_;
  qv::RasterLineDevice bandDevice_{&band_};
  int bandLineCount_ = 0;
  // The band line of the last row drawn (not of a repeated line after it):
  // the curves go on from there.
  int lastRowLine_ = 0;
  CStyledLine drawers_[kPlotDrawers];

  qv::RecursiveTimedMutex mutex_;
  int gridStyle_ = 2;
  std::unique_ptr<qv::ParallelPort> port_;
  int direction_ = 0;
  int curveCount_ = 0;
  const TrackScale* trackScales_ = nullptr;
  std::vector<std::unique_ptr<Inscription>> inscriptions_;
  int numberInProgress_ = 0;
  int verticalKind_ = 0;
  std::array<uint8_t, 256> markBuffer_{};
  std::array<std::array<uint8_t, kRasterBytes>, 3> templates_{};
  std::vector<uint8_t> startSequence_;
  std::vector<uint8_t> endGraphics_;
  uint8_t terminator_ = 0x0A;
  std::vector<uint8_t> rasterCommand_;
  std::vector<uint8_t> lineBuffer_;  // the command and the line being sent
  uint8_t curveTrack_[20] = {};
  int numberRow_ = 0;
  uint8_t model_ = 0;
  int printKind_ = 0;
  int curveStyle_[20] = {};
  int chartLineCount_ = 0;
  int currentDepth_ = 0;
  int scale_ = 0;
  int currentNumber_ = 0;
  int numberInterval_ = 0;
  double paperPosition_ = 0;
  double nextMajor_ = 0;
  double nextIntermediate_ = 0;
  double nextMinor_ = 0;
  double nextNumber_ = 0;
  double numberSpacing_ = 0;
  bool carriesNumbers_ = false;
  std::array<std::array<uint8_t, 64>, 10> digitGlyphs_{};
  // Diffused error by cell column: carried into this row, collected for the next.
  std::vector<float> televiewerBuffers_[2];
  std::array<uint8_t, 864> rasterBuffer_{};
  std::vector<int> televiewerTicks_;
  bool cleanedUp_ = false;
  uint8_t cblRowCounter_ = 0;
};
