// A recorded six-channel log for the curve view's page printing: its files
// (one, or a chain) written by hand, a replay engine over them, the curve
// view's document over the engine and a curve view with three curves. Used
// by the tests, the look program and the benchmark.
#pragma once

#include <QApplication>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "curveview/curveview.h"
#include "header/header.h"
#include "logdoc/document/print_log.h"
#include "print/page/page_model.h"

namespace qvtest {

// One file of a recorded six-channel log: records from startDepth on, channel
// 1 a saw-tooth of 0..99, every 100th record the first of a new minute.
struct FileSpec {
  int records = 0;
  int startDepth = 0;
};

inline bool WriteLogFile(const std::string& path, const FileSpec& f, int logMode, int step,
                         const std::string& chainTo) {
  std::vector<std::uint8_t> bytes;
  for (int i = 0; i < f.records; ++i) {
    qv::SixChannelFileRecord r;
    r.rate = 50;
    r.counts[0] = static_cast<std::uint16_t>(i % 100);
    r.counts[1] = 50;
    r.counts[2] = static_cast<std::uint16_t>(10 + i % 7);
    if (i % 100 == 0) r.flags |= qv::SixChannelFileRecord::kMinuteMark;
    const auto at = bytes.size();
    bytes.resize(at + qv::SixChannelFileRecord::kSize);
    r.Encode(
        std::span<std::uint8_t, qv::SixChannelFileRecord::kSize>(bytes.data() + at, qv::SixChannelFileRecord::kSize));
  }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  // A header of this program (its ident), then the log's fields.
  std::ofstream(path.substr(0, path.size() - 3) + "hed") << "[General]\r\nIdent=QUORVANTA\r\n";
  HeaderInfo h;
  h.Company = "Tremarin";
  h.LogMode = logMode;
  h.Step = step;
  h.Startdepth = f.startDepth;
  h.EndDepth = f.startDepth + (logMode == 11 ? -1 : 1) * f.records * step;
  // A stopped log: the stop writes the end time beside the end depth (a log
  // logged up to the surface ends at depth 0 all the same).
  h.EndTime = f.records * 100;
  if (!WriteHeaderInfo(path, &h, nullptr)) return false;
  // A one-metre sonde: the channels come out of the depth alignment 36
  // records after they were read.
  const int sondeCm = 100;
  if (!WriteSondeLength(path, &sondeCm)) return false;
  TrailerText t;
  t.Text1 = "END OF LOG";
  if (!WriteTrailerText(path, &t)) return false;
  return chainTo.empty() || WriteChainTo(path, chainTo);
}

// The curve view's document over a replayed engine.
class EngineDoc : public curveview::CurveDocument {
 public:
  EngineDoc(qv::SixChannelEngine& e, bool chain) : e_(e), print_(e, [chain] { return chain; }) {}
  int LogMode() const override { return e_.Setup().logMode; }
  bool Imperial() const override { return e_.Setup().imperial; }
  int DepthStep() const override { return e_.Setup().depthStep; }
  int DepthScale() const override { return e_.Setup().depthScale; }
  int ToolKind() const override { return e_.ToolKind(); }
  bool Live() const override { return false; }
  int DisplayDepthOffset() const override { return e_.DisplayDepthOffset(); }
  int ReplayStartDepth() const override { return e_.Setup().replayStartDepth; }
  bool TakeMinuteMark() override { return e_.TakeMinuteMark(); }
  ChannelFilter* RawFilterTable() override { return e_.Setup().channelFilters.data(); }
  curveview::PrintableLog* Printable() override { return &print_; }

 private:
  qv::SixChannelEngine& e_;
  qv::EnginePrintLog print_;
};

// A recorded log (one file, or a chain), replayed, and its curve view.
struct RecordedLog {
  // The files go into DIR (an existing folder).
  RecordedLog(const std::string& dir, std::vector<FileSpec> files, int logMode = 12, int step = 100) {
    for (size_t i = 0; i < files.size(); ++i) {
      const std::string name = i == 0 ? "WELL" : "WELL" + std::to_string(i);
      const std::string next = i + 1 < files.size() ? "WELL" + std::to_string(i + 1) : "";
      written = WriteLogFile(dir + "/" + name + ".LOG", files[i], logMode, step, next) && written;
    }
    qv::LogSetup& s = engine.Setup();
    s.pathStem = dir + "/WELL.";
    s.logMode = logMode;
    s.depthStep = step;
    s.depthScale = 200;
    s.replayStartDepth = files[0].startDepth;
    s.replayEndDepth = files[0].startDepth + (logMode == 11 ? -1 : 1) * files[0].records * step;
    ::HeaderInfo h;
    written = written && ReadHeaderInfo(s.pathStem + "LOG", &h);
    engine.Header() = h;
    opened = written && engine.InitialiseLog(0, 10);
    doc = std::make_unique<EngineDoc>(engine, files.size() > 1);
    std::vector<std::unique_ptr<TrackRecord>> tracks;
    for (int i = 0; i < 4; ++i) {
      auto t = std::make_unique<TrackRecord>();
      t->order = i;
      t->gridFlag = 1;
      t->type = i == 1 ? 1 : 0;
      tracks.push_back(std::move(t));
    }
    std::vector<std::unique_ptr<CurveRecord>> curves;
    const char* titles[3] = {"GR", "RES", "TEMP"};
    const int track[3] = {0, 2, 3};
    for (int c = 0; c < 3; ++c) {
      auto curve = std::make_unique<CurveRecord>();
      curve->physicalChannel = c + 1;
      curve->firstTrack = curve->lastTrack = track[c];
      curve->headerFlag = curve->scaleFlag = 1;
      curve->scaleMaximum = 100;
      curve->description = curve->shortTitle = titles[c];
      curve->unit = "CPS";
      curves.push_back(std::move(curve));
    }
    view.resize(600, 400);
    view.SetLayout(std::move(tracks), std::move(curves));
    view.InitialiseFromDocument(doc.get());
    view.PagePrinter()->SetLogoFolder([] { return std::string("/nonexistent"); });
  }
  bool app = QApplication::instance() != nullptr;  // the caller made one before the view
  qv::SixChannelEngine engine;
  std::unique_ptr<EngineDoc> doc;
  CCurveView view;
  bool written = true;
  bool opened = false;  // the files were written and the replay opened
};

}  // namespace qvtest
