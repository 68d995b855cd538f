// The reader of a recorded log's data files, record by record, so that a
// replayed log runs through the same storing, processing and display path as
// a live one: every file record is spread into the device record a live read
// fills. One reader per replayed log, used by one thread at a time.
//
// Depths are header depth units (thousandths of the log's depth unit). The
// reader delivers the records of the chosen depth range and 51 more (they
// carry the last values through the documents' delay windows); reads past the
// end of the data deliver zero records up to that limit (televiewer reads stop
// at the end of the data instead).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "header/header_info.h"
#include "logdoc/records/device_records.h"
#include "logdoc/replay/data_file.h"
#include "logtools/engine/tool_type.h"

namespace qv {

// The tool kinds a log can be replayed as are the tool types of
// logtools/engine/tool_type.h.
inline constexpr int kToolFullWave = kToolFullWaveSonic;

// What the reader takes of the log's header record.
struct ReplayHeader {
  int startDepth = 0;  // S
  int endDepth = 0;    // E
  int step = 0;        // T
  int comStd = 0;      // sizes the records of a sonic log
  int logMode = 0;     // 10 time, 11 up, 12 down
};

// The data file a recording chain continues in: chainTo (the header's
// ChainTo, a stem without its dot; only its last path component counts) in the
// folder of the current data file, with the current file's extension.
std::string ChainedDataPath(const std::string& currentDataFile, const std::string& chainTo);

// The part of a log's header record the reader works with.
ReplayHeader ReplayHeaderOf(const HeaderInfo& header);

// A depth log cut off while recording (a crash, a power cut, a program that
// never reached its stop) keeps the header written as its recording started,
// without end depth or end time, while its data file holds every record up to
// the cut. This puts the end depth its data reaches into header->EndDepth when
// the header's end is missing (end depth and end time 0) or leaves records
// out: for a log whose records lie one step apart, when the data reach a step
// or more beyond it; for a televiewer log, whose depth is rebuilt from its
// sweeps' steps, when it lies on the other side of the start (or on it) from
// where the sweeps went. true when it changed the header. Time logs, empty or
// unreadable files and a step of 0 change nothing. dataFile is the file a
// reader is given (the .VDL or .CBL of a paired log).
bool TakeEndDepthFromData(const std::string& dataFile, int toolKind, HeaderInfo* header);

class ReplayReader {
 public:
  // Opens the log's files (for full-wave sonic and cement-bond logs the .LOG
  // of the same name beside the given .VDL or .CBL), computes the replay
  // window over fromDepth .. toDepth and positions the files at its start. A
  // reader whose files did not open says so and refuses every read.
  ReplayReader(std::string fileName, int toolKind, int fromDepth, int toDepth, int logMode, const ReplayHeader& header);
  ReplayReader(std::string fileName, int toolKind, int fromDepth, int toDepth, int logMode, const HeaderInfo& header)
      : ReplayReader(std::move(fileName), toolKind, fromDepth, toDepth, logMode, ReplayHeaderOf(header)) {}
  ~ReplayReader();
  ReplayReader(const ReplayReader&) = delete;
  ReplayReader& operator=(const ReplayReader&) = delete;

  // Next record (pair) of the window: 1 delivered, 0 refused (closed, wrong
  // tool kind, end of the window, televiewer end of data, read error).
  int ReadSixChannel(SixChannelPacket* packet);
  int ReadTwelveChannel(TwelveChannelRecord* record);
  // Whether the last six- or twelve-channel record read came from the file
  // (false for a zero record past the end of the data, or a seek to a depth
  // outside the file).
  bool LastReadHeldData() const { return lastHeldData_; }
  // The samples go into the reader's own buffer, which packet->samples then
  // points at until the next sonic read.
  int ReadSonic(SonicPacket* packet);
  int ReadTeleviewer(TeleviewerSweep* sweep);
  int ReadFullWave(CblWaveformSegment* segment, SixChannelPacket* packet);
  int ReadCementBond(CblWaveformSegment* segment, SixChannelPacket* packet);

  // Position at the record of a depth and read it. The record is cleared
  // first; a time log or a closed file answers 1 with the cleared record; a
  // depth outside the file answers 0.
  int SeekSixChannel(SixChannelPacket* packet, int depth);
  int SeekTwelveChannel(TwelveChannelRecord* record, int depth);
  int SeekSonic(SonicPacket* packet, int depth);
  int SeekFullWave(CblWaveformSegment* segment, SixChannelPacket* packet, int depth);
  int SeekCementBond(CblWaveformSegment* segment, SixChannelPacket* packet, int depth);

  // Back to the start of the window; records read back to 0.
  int Rewind();
  // The next read delivers the record before the one last read; 0 at the
  // first record.
  int StepBack();
  // Just after the last record of the window.
  void SeekToWindowEnd();
  // The signed sum of a televiewer log's depth steps: counts when stepMode is
  // 1, else one per moved sweep.
  int SumTeleviewerSteps(int stepMode);
  // Narrows the to depth to the file, sets the depth window and the depth
  // offset that seeks subtract (page printing).
  void SetDepthWindow(int depthOffset, int stepMode);

  std::uint32_t GetRecordCount() const;
  std::uint32_t GetWindowRecordCount() const { return static_cast<std::uint32_t>(recordLimit_); }
  std::uint32_t GetRecordIndex() const { return GetWindowRecordCount(); }
  // The file index of the window's first record.
  std::uint64_t GetWindowSkip() const { return windowSkip_; }
  bool IsUpward() const { return header_.endDepth < header_.startDepth; }
  int GetMinDepth() const { return fromDepth_ < toDepth_ ? fromDepth_ : toDepth_; }
  int GetMaxDepth() const { return fromDepth_ < toDepth_ ? toDepth_ : fromDepth_; }
  int StartTimer() const { return open_ ? 1 : 0; }
  int CloseFiles();
  void SetPrinting(bool printing) { printing_ = printing; }
  bool IsOpen() const { return open_; }
  // A data file of the log ends in a partial record, which is not read.
  bool HasPartialRecord() const;

 private:
  std::size_t MainRecordSize() const;
  void ComputeWindow();
  void LocateTeleviewerWindow(int from, int to);
  void PositionAtWindowStart();
  bool IsPaired() const { return toolKind_ == kToolFullWave || toolKind_ == kToolCementBond; }
  // Counts the read and applies the end rule; true when the read may go on.
  bool CountAndCheckLimit(bool honourPrinting);
  // A read of the six- or twelve-channel file: refused, counted, then one
  // record (a zero record past the end of the data).
  template <class Record, class Device>
  int ReadSingle(int kind, Device* device);
  void ClosePair();
  int ReadPair(CblWaveformSegment* segment, SixChannelPacket* packet, int kind);
  // Positions a file at the record of depth d; -1 beyond the file.
  int PositionAt(ReplayDataFile& file, std::size_t recordSize, int d);
  int SeekPaired(CblWaveformSegment* segment, SixChannelPacket* packet, int depth, int kind);
  void NoteTail(const ReplayDataFile& file);

  int depthOffset_ = 0;
  std::string fileName_;
  std::uint64_t recordLimit_ = 0;
  std::uint64_t recordsRead_ = 0;
  std::uint64_t windowSkip_ = 0;
  std::size_t sonicRecordSize_ = 0;
  std::size_t waveformBytes_ = 0;
  int logMode_;
  int toolKind_;
  int fromDepth_;
  int windowLow_ = 0;
  int windowHigh_ = 0;
  int toDepth_;
  ReplayHeader header_;
  std::vector<std::uint8_t> waveforms_;
  bool open_ = false;
  ReplayDataFile main_;
  ReplayDataFile vdl_;
  ReplayDataFile cbl_;
  bool printing_ = false;
  bool tailNoted_ = false;
  bool lastHeldData_ = true;
};

}  // namespace qv
