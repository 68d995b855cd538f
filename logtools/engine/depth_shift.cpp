#include "logtools/engine/depth_shift.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "header/header.h"
#include "header/section_access.h"
#include "logtools/engine/channel_reader.h"
#include "logtools/engine/log_records.h"
#include "logtools/engine/staged_output.h"
#include "logtools/engine/tool_type.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/files/regular_file.h"
#include "platform/text/cnum.h"
#include "platform/trace/trace.h"

namespace qv {

namespace {

bool FitsInt(long long v) {
  return v >= INT_MIN && v <= INT_MAX;
}

// Copies the records of IN to OUT with DELTA added to the signed 32-bit depth
// at the start of each record, a buffer of records at a time. A trailing
// partial record is not copied.
bool ShiftRecordDepths(const std::string& in, const std::string& out, std::size_t recordSize, long long delta) {
  const int fd = OpenRegularFile(in);
  if (fd < 0) return false;
  OutputFile sink;
  bool good = sink.Open(out);
  std::vector<std::uint8_t> buffer(std::max<std::size_t>(1, (256 * 1024) / recordSize) * recordSize);
  std::size_t held = 0;  // bytes in the buffer, less than one record after each pass
  while (good) {
    const ssize_t got = read(fd, buffer.data() + held, buffer.size() - held);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) good = false;
    if (got <= 0) break;
    held += static_cast<std::size_t>(got);
    const std::size_t whole = held / recordSize * recordSize;
    for (std::size_t at = 0; at < whole && good; at += recordSize) {
      const std::int32_t depth = le::GetI32(&buffer[at]);
      const long long moved = depth + delta;
      if (!FitsInt(moved)) {
        Trace("depth shift: record depth %d moved by %lld leaves the depth range", depth, delta);
        good = false;
      }
      le::PutI32(&buffer[at], static_cast<std::int32_t>(moved));
    }
    good = good && sink.Write(buffer.data(), whole);
    held -= whole;
    std::memmove(buffer.data(), buffer.data() + whole, held);
  }
  close(fd);
  return good && sink.Close();
}

// The files one shift works on: the input's, and the staged outputs that
// replace the output's.
struct ShiftFiles {
  std::string inHeader;
  std::string stagedData;
  std::string stagedHeader;
};

// Names the staged outputs (data first, then each companion, header last)
// and stages a copy of every companion. False when a name clashes with an
// input file or a copy fails.
bool StageOutputs(const DepthShiftRequest& r, bool inPlace, bool withCompanions, StagedOutput& stage,
                  ShiftFiles& files) {
  files.inHeader = HeaderPathOf(r.inputPath);
  const std::string outData = inPlace ? r.inputPath : FindFileNoCase(r.outputPath);
  const std::string outHeader = inPlace ? files.inHeader : HeaderPathOf(r.outputPath);
  if (!inPlace) {
    // An output that is one of the input's own files would be destroyed by
    // the shift; the in-place shift is the only way to replace them.
    if (SameFile(outData, r.inputPath) || SameFile(outHeader, files.inHeader)) return false;
  }
  files.stagedData = stage.Stage(outData, FileNamePart(outData));
  if (files.stagedData.empty()) return false;
  struct Companion {
    std::string from, stagedTo;
  };
  std::vector<Companion> companions;
  if (withCompanions && !inPlace) {
    const std::string inExt = FileNamePart(r.inputPath).substr(FileNamePart(r.inputPath).rfind('.') + 1);
    for (const char* ext : {"LOG", "CBL", "VDL"}) {
      if (EqualNoCase(ext, inExt)) continue;
      std::string from = FindFileNoCase(SiblingPath(r.inputPath, ext));
      if (!FileExists(from)) continue;
      std::string foundExt = from.substr(from.rfind('.') + 1);
      std::string to = FindFileNoCase(SiblingPath(r.outputPath, foundExt));
      if (SameFile(to, from) || SameFile(to, r.inputPath)) return false;
      std::string staged = stage.Stage(to, FileNamePart(SiblingPath(files.stagedData, foundExt)));
      if (staged.empty()) return false;
      companions.push_back({from, staged});
    }
  }
  files.stagedHeader = stage.Stage(outHeader, FileNamePart(SiblingPath(files.stagedData, "hed")));
  if (files.stagedHeader.empty()) return false;
  for (const auto& c : companions)
    if (!CopyWholeFile(c.from, c.stagedTo)) return false;
  return CopyWholeFile(files.inHeader, files.stagedHeader);
}

int ShiftCompleteLog(const DepthShiftRequest& r, bool inPlace, HeaderInfo& info) {
  static const int kAccepted[] = {1, 2, 4, 5, 7, 8, 9, 10};
  if (std::find(std::begin(kAccepted), std::end(kAccepted), r.toolType) == std::end(kAccepted)) return 0;
  const long long shift = r.shifts[1];
  const long long start = info.Startdepth + shift, end = info.EndDepth + shift;
  if (!FitsInt(start) || !FitsInt(end)) return 0;
  info.Startdepth = static_cast<int>(start);
  info.EndDepth = static_cast<int>(end);

  // Records that carry their own depth move with the header; the others
  // take their depth from the header alone.
  std::size_t recordSize = 0;
  long long recordShift = shift;
  if (r.toolType == kToolTwelveChannel) {
    recordSize = TwelveChannelFileRecord::kSize;
  } else if (r.toolType == kToolSonic) {
    int bytes = 0, waves = 0;
    recordSize = static_cast<std::size_t>(GetSonicGeometry(info.ComStd, &bytes, &waves));
    if (recordSize == 0) return 0;
    // Sonic records hold the unit's depth counts: 10 per millimetre step of
    // a metric log, 50 per thousandth-foot step of a log in feet.
    const double factor = info.DepthUnit == 0 ? 10.0 : 50.0;
    recordShift = std::llround(static_cast<double>(shift) / factor);
  }

  StagedOutput stage;
  ShiftFiles files;
  if (!StageOutputs(r, inPlace, true, stage, files)) return 0;
  if (!WriteHeaderInfo(files.stagedData, &info, nullptr)) return 0;
  if (recordSize == 0) {
    if (!CopyWholeFile(r.inputPath, files.stagedData)) return 0;
  } else {
    WriteDataFileDirectory(files.stagedData, &info);
    if (!ShiftRecordDepths(r.inputPath, files.stagedData, recordSize, recordShift)) return 0;
  }
  return stage.Commit() ? 1 : 0;
}

int ShiftChannels(const DepthShiftRequest& r, bool inPlace, HeaderInfo& info) {
  if (r.toolType != kToolSixChannel && r.toolType != kToolTwelveChannel) return 0;
  const bool twelve = r.toolType == kToolTwelveChannel;
  const int n = twelve ? 12 : 6;
  // The depth walk needs a direction and a step that moves.
  if (info.Step <= 0 || (info.LogMode != 11 && info.LogMode != 12)) return 0;

  int maximum = INT_MIN, minimum = INT_MAX;
  for (int k = 1; k <= n; ++k) {
    maximum = std::max(maximum, r.shifts[k]);
    minimum = std::min(minimum, r.shifts[k]);
  }
  const int inStart = info.Startdepth, inEnd = info.EndDepth, step = info.Step, logMode = info.LogMode;
  if (maximum == 0 && minimum == 0) {
    if (inPlace) return 1;  // nothing moves
    StagedOutput stage;
    ShiftFiles files;
    if (!StageOutputs(r, false, false, stage, files) || !CopyWholeFile(r.inputPath, files.stagedData)) return 0;
    return stage.Commit() ? 1 : 0;
  }
  long long start = inStart, end = inEnd;
  if (logMode == 11) {
    start += maximum;
    end += minimum;
  } else {
    end += maximum;
    start += minimum;
  }
  if (!FitsInt(start) || !FitsInt(end)) return 0;
  info.Startdepth = static_cast<int>(start);
  info.EndDepth = static_cast<int>(end);

  StagedOutput stage;
  ShiftFiles files;
  if (!StageOutputs(r, inPlace, false, stage, files)) return 0;
  if (!WriteHeaderInfo(files.stagedData, &info, nullptr)) return 0;
  if (twelve) WriteDataFileDirectory(files.stagedData, &info);

  // The walk in record order and the channel readers share one file, so
  // each input record is read and decoded once.
  LogFile readerFile;
  const std::size_t recordSize = twelve ? TwelveChannelFileRecord::kSize : SixChannelFileRecord::kSize;
  OutputFile sink;
  if (!readerFile.Open(r.inputPath) || !sink.Open(files.stagedData)) return 0;
  ChannelReader readers[13];
  for (int k = 1; k <= n; ++k) readers[k].Init(&readerFile, inStart, inEnd, step, k, logMode, twelve ? 1 : 0);

  // The input record in order lends each output record what is not a channel
  // value (flags, time, mask); past the input's end the last whole one serves
  // again. Records are made a batch at a time: the walk copies a run of input
  // records, each channel reader fills its column of the batch, and the batch
  // goes out in one write.
  const long long depthStep = logMode == 11 ? -step : step;
  // The first record is always written; the one at which the walk reaches
  // the new end is not.
  const long long span = logMode == 11 ? start - end : end - start;
  const std::uint64_t total = span > 0 ? static_cast<std::uint64_t>((span + step - 1) / step) : 1;
  constexpr std::size_t kBatch = 1024;
  std::vector<std::uint8_t> batch(kBatch * recordSize);
  const std::uint8_t none[TwelveChannelFileRecord::kSize] = {};
  std::uint64_t lastWhole = UINT64_MAX;
  for (std::uint64_t walk = 0; walk < total;) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kBatch, total - walk));
    const long long first = start + static_cast<long long>(walk) * depthStep;
    std::uint8_t* const out = batch.data();
    for (std::size_t j = 0; j < count;) {
      std::size_t run = 0;
      const std::uint8_t* in = readerFile.RecordRun(walk + j, recordSize, true, &run);
      if (in != nullptr) {
        run = std::min(run, count - j);
        lastWhole = walk + j + run - 1;
      } else {
        run = 1;
        if (readerFile.IsOpen() && lastWhole != UINT64_MAX) in = readerFile.Record(lastWhole, recordSize);
      }
      if (!readerFile.IsOpen()) return 0;  // a read error
      if (in == nullptr) in = none;
      for (std::size_t e = j + run; j < e; ++j, in += recordSize) {
        std::uint8_t* o = out + j * recordSize;
        if (twelve) {
          std::memcpy(o + 4, in + 4, 12);  // time, mask and the further word
          le::PutI32(o, static_cast<std::int32_t>(first + static_cast<long long>(j) * depthStep));
        } else {
          o[0] = in[0];  // flags
          o[1] = 50;     // the rate the counts are now scaled to
        }
      }
    }
    for (int k = 1; k <= n; ++k) {
      if (twelve) {
        std::uint8_t* column = out + TwelveChannelFileRecord::ChannelOffset(k);
        readers[k].ForEachValue(first - r.shifts[k], depthStep, count, [column](std::size_t j, double v) {
          le::PutF32(column + j * TwelveChannelFileRecord::kSize, static_cast<float>(v));
        });
      } else {
        std::uint8_t* column = out + 2 * k;
        readers[k].ForEachValue(first - r.shifts[k], depthStep, count, [column](std::size_t j, double v) {
          // A value beyond the 16-bit count range is kept at the range's end.
          le::PutU16(column + j * SixChannelFileRecord::kSize,
                     static_cast<std::uint16_t>(std::clamp(std::trunc(v), 0.0, 65535.0)));
        });
      }
    }
    if (!readerFile.IsOpen() || !sink.Write(out, count * recordSize)) return 0;
    walk += count;
  }
  if (!sink.Close()) return 0;
  return stage.Commit() ? 1 : 0;
}

}  // namespace

int DoDepthShift(const DepthShiftRequest& r) {
  if (r.inputPath.empty() || r.outputPath.empty()) return 0;
  // Header and companions are named from the extension.
  if (!HasExtension(r.inputPath) || !HasExtension(r.outputPath)) return 0;
  HeaderInfo info;
  if (!ReadLogHeader(r.inputPath, nullptr, &info, nullptr, nullptr, nullptr, nullptr)) return 0;
  const bool inPlace =
      r.outputPath == r.inputPath ||
      (EqualNoCase(r.outputPath, r.inputPath) && (!FileExists(r.outputPath) || SameFile(r.outputPath, r.inputPath)));
  if (!inPlace && EqualNoCase(r.outputPath, r.inputPath)) return 0;
  return r.wholeLog ? ShiftCompleteLog(r, inPlace, info) : ShiftChannels(r, inPlace, info);
}

}  // namespace qv
