#include "logtools/engine/merge.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <memory>

#include "header/header.h"
#include "header/hed_file.h"
#include "header/hed_sections.h"
#include "header/section_access.h"
#include "logtools/engine/channel_reader.h"
#include "logtools/engine/log_records.h"
#include "logtools/engine/staged_output.h"
#include "logtools/engine/tool_type.h"
#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/text/cnum.h"

namespace qv {

namespace {

constexpr int kSlots = 4;
constexpr int kChannels = 12;

// A depth offset in centimetres in thousandths of the log's depth unit.
long long CentimetresToDepthUnits(int centimetres, int depthUnit) {
  if (depthUnit == 0) return centimetres * 10LL;
  return static_cast<long long>(std::trunc(centimetres * 3.280839895 * 10.0));
}

std::unique_ptr<CurveRecord> DataCurve(const char* title, const char* shortTitle, const char* unit, int offset) {
  auto c = std::make_unique<CurveRecord>();
  c->description = title;
  c->shortTitle = shortTitle;
  c->unit = unit;
  c->physicalChannel = -1;
  c->file = 1;
  c->dataOffset = offset;
  c->sampleCount = 1;
  c->sampleType = 4;
  return c;
}

struct Source {
  ChannelReader reader;
  int outChannel = 0;
};

}  // namespace

int MergeLogFiles(const MergeParameters* p) {
  if (p == nullptr || p->outputPath.empty() || !HasExtension(p->outputPath)) return 0;
  if (p->channelCount < 1 || p->channelCount > kChannels ||
      p->channels.size() < static_cast<std::size_t>(p->channelCount))
    return 0;
  const std::string outData = FindFileNoCase(p->outputPath);
  const std::string outHeader = HeaderPathOf(p->outputPath);
  // The merged log must not overwrite any of its inputs.
  std::vector<std::string> inputs{p->headerSource};
  for (int i = 0; i < p->channelCount; ++i) inputs.push_back(p->channels[i].inputPath);
  for (const auto& in : inputs)
    if (SameFile(outData, in) || SameFile(outHeader, HeaderPathOf(in))) return 0;

  StagedOutput stage;
  const std::string stagedData = stage.Stage(outData, FileNamePart(outData));
  if (stagedData.empty()) return 0;
  const std::string stagedHeader = stage.Stage(outHeader, FileNamePart(SiblingPath(stagedData, "hed")));
  if (stagedHeader.empty()) return 0;

  // The staged header is built in memory and saved once, after everything
  // in it is known: every save is a synced whole-file replacement.
  HedFile header;
  header.Reset(stagedHeader);

  HeaderInfo merged;
  if (!ReadLogHeader(p->headerSource, nullptr, &merged, nullptr, nullptr, nullptr, nullptr)) return 0;
  const bool up = merged.LogMode == 11;
  long long first = up ? LLONG_MIN : LLONG_MAX;
  long long last = up ? LLONG_MAX : LLONG_MIN;
  long long step = LLONG_MAX;

  CurveArray curves;
  curves.push_back(DataCurve("DEPTH", "DPTH", merged.DepthUnit == 0 ? "MM" : "MFT", 0));
  curves.push_back(DataCurve("TIME", "TIME", "MS", 4));

  std::array<LogFile, kSlots> files;
  std::array<bool, kSlots> opened{};
  std::vector<std::unique_ptr<Source>> sources;
  std::array<bool, kChannels + 1> taken{};
  int section = 2;
  for (int i = 0; i < p->channelCount; ++i) {
    const MergeChannel& e = p->channels[i];
    if (e.inFile < 0 || e.inFile >= kSlots || e.inChannel < 1 || e.inChannel > kChannels || e.outChannel < 1 ||
        e.outChannel > kChannels || taken[e.outChannel])
      continue;
    // Sonic records are longer than the twelve-channel records the readers know.
    if (GetFileToolType(e.inputPath) == kToolSonic) return 0;
    const std::string inHeader = HeaderPathOf(e.inputPath);
    auto curve = std::make_unique<CurveRecord>();
    if (!ReadCurveRecordByChannel(inHeader, curve.get(), e.inChannel)) return 0;
    curve->shortTitle = e.shortTitle;
    curve->description = e.title;
    HeaderInfo in;
    if (!ReadLogHeader(e.inputPath, nullptr, &in, nullptr, nullptr, nullptr, nullptr)) return 0;
    if (in.Step <= 0 || (in.LogMode != 11 && in.LogMode != 12)) return 0;
    if (!files[e.inFile].IsOpen() && !files[e.inFile].Open(e.inputPath)) return 0;
    opened[e.inFile] = true;
    ChannelFilter filter;
    if (!ReadChannelFilter(inHeader, &filter, e.inChannel)) return 0;

    // A channel's values lie deeper than the recorded depth by its sensor's
    // place on the sonde: measured from the sonde's top when logging up, from
    // its bottom otherwise.
    const long long shiftCm = in.LogMode == 11 ? -static_cast<long long>(filter.Offset)
                                               : static_cast<long long>(in.SondeLength) - filter.Offset;
    if (shiftCm < INT_MIN || shiftCm > INT_MAX) return 0;
    const long long shift = CentimetresToDepthUnits(static_cast<int>(shiftCm), in.DepthUnit);
    const long long a = in.Startdepth + shift, b = in.EndDepth + shift;
    if (a < INT_MIN || a > INT_MAX || b < INT_MIN || b > INT_MAX) return 0;
    auto source = std::make_unique<Source>();
    source->reader.Init(&files[e.inFile], static_cast<int>(a), static_cast<int>(b), in.Step, e.inChannel, in.LogMode,
                        e.recordKind);
    source->outChannel = e.outChannel;
    if (up) {
      first = std::max({first, a, b});
      last = std::min({last, a, b});
    } else {
      first = std::min({first, a, b});
      last = std::max({last, a, b});
    }
    step = std::min<long long>(step, in.Step);
    curve->physicalChannel = e.outChannel;

    filter.Offset = filter.OffsetCopy = 0;  // the reader's window holds the offset now
    if (!WriteChannelFilter(header, filter, section)) return 0;
    ChannelCalibration calibration;
    if (!ReadChannelCalibration(inHeader, &calibration, e.inChannel) ||
        !WriteChannelCalibration(header, calibration, section))
      return 0;
    curve->file = 1;
    curve->dataOffset = 12 + 4 * e.outChannel;
    curve->sampleCount = 1;
    curve->sampleType = 8;
    curves.push_back(std::move(curve));
    sources.push_back(std::move(source));
    taken[e.outChannel] = true;
    ++section;
  }
  if (sources.empty()) return 0;

  merged.SondeAbbreviation = "MRGE";
  merged.SondeLength = 0;
  merged.Startdepth = static_cast<int>(first);
  merged.EndDepth = static_cast<int>(last);
  merged.Step = static_cast<int>(step);

  const std::string general[][2] = {{"Ident", "QUORVANTA"},
                                    {"Revision", "V1.5, Build: 406"},
                                    {"Version", "101"},
                                    {"LogType", "2"},
                                    {"UserProcessFlag", std::to_string(p->userFlag)},
                                    {"UserDLL", p->userLibrary},
                                    {"SondeLength", "0"}};
  for (const auto& kv : general)
    if (!header.Set(kGeneral, kv[0], kv[1])) return 0;
  merged.RecLineSize = static_cast<int>(TwelveChannelFileRecord::kSize);
  WriteDataFileDirectory(header, stagedData, merged);
  if (!WriteHeaderInfo(header, merged, nullptr)) return 0;
  WriteChannelDataLocation(header, curves, 0);
  if (!WriteCurveRecords(header, curves)) return 0;
  if (!WriteDefaultTrackSections(header) || !header.Save()) return 0;

  OutputFile sink;
  if (!sink.Open(stagedData)) return 0;
  // Records are made a batch at a time: depth and mask first, then each
  // channel's column from its reader, and the batch goes out in one write.
  // The first record is written in every case; the walk stops past the last
  // depth.
  const long long depthStep = up ? -step : step;
  const long long span = up ? first - last : last - first;
  const std::uint64_t total = span > 0 ? static_cast<std::uint64_t>(span / step) + 1 : 1;
  constexpr std::size_t kBatch = 1024;
  constexpr std::size_t kSize = TwelveChannelFileRecord::kSize;
  std::vector<std::uint8_t> batch(kBatch * kSize);
  for (std::uint64_t done = 0; done < total;) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kBatch, total - done));
    const long long d = first + static_cast<long long>(done) * depthStep;
    std::fill(batch.begin(), batch.end(), 0);  // time, the further word and the channels not in use
    for (std::size_t j = 0; j < count; ++j) {
      // The depth in header units, as every reader of twelve-channel records
      // takes it.
      le::PutI32(&batch[j * kSize], static_cast<std::int32_t>(d + static_cast<long long>(j) * depthStep));
      le::PutU32(&batch[j * kSize + 8], TwelveChannelFileRecord::kChannelBits);
    }
    for (const auto& s : sources) {
      std::uint8_t* column = batch.data() + TwelveChannelFileRecord::ChannelOffset(s->outChannel);
      s->reader.ForEachValue(d, depthStep, count, [column](std::size_t j, double v) {
        le::PutF32(column + j * kSize, static_cast<float>(v));
      });
    }
    if (!sink.Write(batch.data(), count * kSize)) return 0;
    done += count;
  }
  // A read error shows as a file the reader closed; the values after it
  // would be zeros that the input does not hold.
  for (int i = 0; i < kSlots; ++i)
    if (opened[i] && !files[i].IsOpen()) return 0;
  if (!sink.Close()) return 0;
  return stage.Commit() ? 1 : 0;
}

}  // namespace qv
