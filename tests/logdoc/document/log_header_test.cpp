// The header, well information and calibration of a log.
#include "tests/logdoc/document/engine_test.h"

namespace {

using LogHeaderTest = EngineTest;

TEST_F(LogHeaderTest, TrailerLineTemplateAndTheChainOfHeaders) {
  ASSERT_EQ(Set_Depth(12335), 0u);
  qv::SixChannelEngine engine;
  Prepare(engine);
  std::vector<std::string> dialogFiles;
  engine.SetCallbacks({nullptr, nullptr, nullptr, [&](TrailerText& lines, const std::string& first) {
                         dialogFiles.push_back(first);
                         lines.Text2 = "checked by the engineer";
                         return true;
                       }});
  ASSERT_TRUE(engine.InitialiseLog(1, 10));
  Lower();
  ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
  Records(1);  // depth count 12345
  ASSERT_EQ(engine.StopLogging(qv::kStatePaused), 1);
  // The depth where the log stopped, as the winch bar shows it.
  EXPECT_EQ(engine.Trailer().Text1.rfind("Depth: 123.45 m   Date: 14 Nov 2023   Time: 22:13:20   File: \"", 0), 0u)
      << engine.Trailer().Text1;
  EXPECT_EQ(HeaderText(folder / "WELL.hed", "TrailerText", "Text2"), "checked by the engineer");
  EXPECT_EQ(dialogFiles, std::vector<std::string>{(folder / "WELL.hed").string()});
  // The well information of the last live log is the next log's template.
  EXPECT_EQ(HeaderText(folder / "Header" / "STANDARD.hed", "WellInfo", "Wellname"), "Test Well");

  ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
  Records(2);
  ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);

  // Moving along the chain by its headers.
  EXPECT_EQ(engine.SaveWellInfo(1), 0);  // the last file names no next file
  EXPECT_EQ(engine.Title(), (folder / "WELL1").string());
  EXPECT_EQ(engine.SaveWellInfo(2), 1);
  EXPECT_EQ(engine.Title(), (folder / "WELL").string());
  EXPECT_EQ(engine.Header().Startdepth, 123450);
  EXPECT_EQ(engine.SaveWellInfo(1), 1);
  EXPECT_EQ(engine.Title(), (folder / "WELL1").string());
  EXPECT_EQ(engine.Setup().replayStartDepth, engine.Header().Startdepth);
  EXPECT_TRUE(boxes.Shown().empty());
}

// A live log's chart ends after the trailer dialog, so that its trailer
// block carries the lines as the dialog left them; the texts it prints are
// the header and trailer as they stand in memory.
TEST_F(LogHeaderTest, ALiveChartEndsAfterTheTrailerDialogWithItsLines) {
  qv::SixChannelEngine engine;
  Prepare(engine);
  engine.Setup().realtimePrint = true;
  std::vector<std::string> order;
  engine.SetCallbacks({nullptr, nullptr, nullptr, [&](TrailerText& lines, const std::string&) {
                         order.push_back("trailer dialog");
                         lines.Text2 = "checked by the engineer";
                         return true;
                       }});
  HeaderInfo header;
  TrailerText trailer;
  sink.stopPrint = [&](int mode) {
    order.push_back("chart end " + std::to_string(mode));
    engine.CopyHeaderTexts(&header, &trailer);
  };
  ASSERT_TRUE(engine.InitialiseLog(1, 10));
  Lower();
  ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
  Records(1);
  ASSERT_EQ(engine.StopLogging(qv::kStatePaused), 1);
  sink.stopPrint = nullptr;
  EXPECT_EQ(order, (std::vector<std::string>{"trailer dialog", "chart end -1"}));
  EXPECT_EQ(trailer.Text1.rfind("Depth: ", 0), 0u) << trailer.Text1;
  EXPECT_EQ(trailer.Text2, "checked by the engineer");
  EXPECT_EQ(header.Wellname, "Test Well");
}

// A calibration file as the calibration wizard writes it.
void WriteFileText(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

TEST_F(LogHeaderTest, CalibrationFromTheSondesFile) {
  struct Case {
    const char* name;
    const char* file;
    int result;
    std::size_t records;
    Coefficients first;
    std::vector<std::string> points;
  } cases[] = {
      {"no method: the identity whatever the coefficients",
       "[Channel1]\r\nCoefficient0=5\r\nCoefficient1=6\r\n",
       1,
       12,
       {0, 1, 0, 0},
       {}},
      {"a method with every coefficient",
       "[Channel1]\r\nCalibrationMethod=Polynom\r\nTitleShort=GR\r\n"
       "Coefficient0=1.5\r\nCoefficient1=2\r\nCoefficient2=-0.25\r\nCoefficient3=1e-3\r\nJigCount=3\r\n"
       "ReferencePoint0=100 CPS at 10 API\r\nReferencePoint1=\r\nReferencePoint2=200 CPS at 20 API\r\n",
       1,
       12,
       {1.5, 2, -0.25, 1e-3},
       {"100 CPS at 10 API", "200 CPS at 20 API"}},
      {"a missing coefficient reads 0",
       "[Channel1]\r\nCalibrationMethod=Polynom\r\nCoefficient1=3\r\nJigCount=-2\r\n",
       1,
       12,
       {0, 3, 0, 0},
       {}},
      {"an empty coefficient ends the load",
       "[Channel1]\r\nCalibrationMethod=Polynom\r\nCoefficient0=1\r\n"
       "[Channel2]\r\nCalibrationMethod=Polynom\r\nCoefficient0=\r\n",
       0,
       1,
       {1, 0, 0, 0},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path cal = folder / "SONDE.cal";
    WriteFileText(cal, c.file);
    qv::SixChannelEngine engine;
    engine.Setup().calibrationFile = cal.string();
    CalibrationSet set;
    EXPECT_EQ(engine.LoadCalibrationFile(&set), c.result);
    ASSERT_EQ(set.channels.size(), c.records);
    const ChannelCalibration& first = *set.channels[0];
    EXPECT_EQ(first.physicalChannel, 1);
    EXPECT_EQ(first.method, 1);
    EXPECT_EQ(first.coefficientCount, 4);
    EXPECT_EQ(*first.coefficients, c.first);
    EXPECT_EQ(first.referencePoints, c.points);
    if (c.records == 12) {
      EXPECT_EQ(*set.channels[11]->coefficients, (Coefficients{0, 1, 0, 0}));
    }
  }
  qv::SixChannelEngine engine;
  EXPECT_EQ(engine.LoadCalibrationFile(nullptr), 0);
}

TEST_F(LogHeaderTest, ALiveLogWritesItsCalibrationIntoItsHeader) {
  const fs::path cal = folder / "SONDE.cal";
  WriteFileText(cal,
                "[Channel2]\r\nCalibrationMethod=Polynom\r\nTitleShort=RES\r\nCoefficient0=0.5\r\nCoefficient1=2\r\n"
                "Coefficient2=0\r\nCoefficient3=0\r\n");
  qv::SixChannelEngine engine;
  Prepare(engine, 10);
  engine.Setup().calibration = true;
  engine.Setup().calibrationFile = cal.string();
  // The view writes a channel section per curve; the calibration goes into them.
  sink.channelHeader = [&engine] {
    CurveArray curves;
    for (int p = 1; p <= 6; ++p) {
      curves.push_back(std::make_unique<CurveRecord>());
      curves.back()->description = "Channel " + std::to_string(p);
      curves.back()->physicalChannel = p;
    }
    return WriteCurveRecords(engine.DataFilePath(), &curves);
  };
  ASSERT_TRUE(engine.InitialiseLog(1, 10));
  ASSERT_EQ(Start(engine, qv::kStartRecord), 1);
  ASSERT_TRUE(pace->RunUntil(pace->Now() + 1000));
  ASSERT_EQ(engine.StopLogging(qv::kStateStoppedForGood), 1);
  // The header keeps the coefficients; a log that reads them back gets them.
  CalibrationArray stored;
  ASSERT_EQ(ReadCalibration((folder / "WELL.LOG").string(), &stored), 1);
  ASSERT_GE(stored.size(), 2u);
  ASSERT_TRUE(stored[1] && stored[1]->coefficients);
  EXPECT_EQ(*stored[1]->coefficients, (Coefficients{0.5, 2, 0, 0}));
  CalibrationSet fromHeader;
  EXPECT_EQ(engine.LoadHeaderCalibration(&fromHeader), 1);
  EXPECT_EQ(fromHeader.channels.size(), stored.size());
  // The processed values are calibrated: channel 2 of the pattern's first
  // record is 2 counts at rate 50.
  EXPECT_DOUBLE_EQ(engine.Processor()->CalibratedValues()[1], 0.5 + 2 * engine.Processor()->RawValues()[1]);
  EXPECT_TRUE(boxes.Shown().empty());

  // A calibration file that cannot be read switches calibration off with a box.
  qv::SixChannelEngine broken;
  Prepare(broken, 10);
  broken.Setup().calibration = true;
  broken.Setup().calibrationFile = cal.string();
  WriteFileText(cal, "[Channel1]\r\nCalibrationMethod=Polynom\r\nCoefficient0=\r\n");
  ASSERT_TRUE(broken.InitialiseLog(1, 10));
  EXPECT_FALSE(broken.Setup().calibration);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text,
            "Couldn't load specified calibration file or no calibration coefficients found in Log Header file!");
}

// A user-function library the log refuses (no UserFunction) is let go
// whole: its Init never runs and no filters are read for it.
TEST_F(LogHeaderTest, ARefusedUserFunctionLibraryRunsNothingAndGivesNoFilters) {
  const fs::path marker = folder / "INIT.RAN";
  const fs::path source = folder / "REFUSED.c";
  const fs::path library = folder / "REFUSED.so";
  WriteFileText(source, "#include <stdio.h>\nvoid Init(void) { FILE* f = fopen(\"" + marker.string() +
                            "\", \"w\"); if (f) fclose(f); }\n");
  const std::string cmd = "cc -shared -fPIC -o '" + library.string() + "' '" + source.string() + "' 2>&1";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  WriteFileText(folder / "REFUSED.ini", "[Channel0]\r\nTitle=SUM\r\nPhysicalCh=1\r\nFilterType=2\r\nFilterWidth=5\r\n");
  for (int pass = 0; pass < 2; ++pass) {  // a second log after the first refusal
    qv::SixChannelEngine engine;
    Prepare(engine);
    engine.Setup().userFunction = true;
    engine.Setup().userLibrary = library.string();
    boxes.Clear();
    EXPECT_TRUE(engine.InitialiseLog(1, 10));
    EXPECT_FALSE(fs::exists(marker)) << "Init of the refused library ran";
    EXPECT_FALSE(engine.Setup().userFunction);
    EXPECT_FALSE(engine.UserFunctionOn());
    for (const UserFunctionFilter& f : engine.Setup().userFunctionFilters) {
      EXPECT_EQ(f.FilterType, 0);
      EXPECT_EQ(f.FilterWidth, 0);
    }
    const auto shown = boxes.Shown();
    ASSERT_EQ(shown.size(), 1u) << shown.back().text;
    EXPECT_EQ(shown[0].text,
              "Could not load user process file!\nThe library does not export the function UserFunction.");
  }
}

// A step that places no record is refused with a message: a live depth log
// whose step the unit cannot take, a replay whose header gives no step, and
// a chain that leads to such a header.
TEST_F(LogHeaderTest, AStepThatPlacesNoRecordIsRefusedWithAMessage) {
  struct Live {
    int logMode, depthStep;
    bool refused;
  } live[] = {{12, 0, true}, {11, -100, true}, {12, 5, true}, {12, 15, true}, {12, 100, false}, {10, 0, false}};
  for (const Live& c : live) {
    SCOPED_TRACE(testing::Message() << "mode " << c.logMode << " step " << c.depthStep);
    qv::SixChannelEngine engine;
    Prepare(engine, c.logMode);
    engine.Setup().depthStep = c.depthStep;
    boxes.Clear();
    EXPECT_EQ(engine.InitialiseLog(1, 10), !c.refused);
    const auto shown = boxes.Shown();
    if (c.refused) {
      ASSERT_EQ(shown.size(), 1u);
      EXPECT_EQ(shown[0].text, "Depth step can not be smaller then 10 and must be a multiple of 10! ");
    } else {
      EXPECT_TRUE(shown.empty()) << shown[0].text;
    }
  }

  // A recorded chain of two files, then the second header loses its step.
  qv::SixChannelEngine recorder;
  ASSERT_TRUE(RecordThenPause(recorder, 3));
  ASSERT_EQ(Start(recorder, qv::kStartRecord), 1);
  Records(2);
  ASSERT_EQ(recorder.StopLogging(qv::kStateStoppedForGood), 1);
  HeaderInfo second;
  ASSERT_TRUE(ReadHeaderInfo((folder / "WELL1.LOG").string(), &second));
  for (int step : {0, -100}) {
    SCOPED_TRACE(step);
    second.Step = step;
    ASSERT_TRUE(WriteHeaderInfo((folder / "WELL1.LOG").string(), &second, nullptr));
    boxes.Clear();
    qv::SixChannelEngine chain;
    Prepare(chain);
    ASSERT_TRUE(chain.InitialiseLog(0, 10));
    EXPECT_EQ(chain.SaveWellInfo(1), 0) << "the chain does not move to a file without a step";
    EXPECT_EQ(chain.Title(), (folder / "WELL").string());
    qv::SixChannelEngine replay;
    Prepare(replay);
    replay.Setup().pathStem = (folder / "WELL1.").string();
    EXPECT_FALSE(replay.InitialiseLog(0, 10));
    const auto shown = boxes.Shown();
    ASSERT_EQ(shown.size(), 2u);
    const std::string text =
        "The header of this log gives a step of " + std::to_string(step) + ": the log can not be replayed!";
    EXPECT_EQ(shown[0].text, text);
    EXPECT_EQ(shown[1].text, text);
  }
}

}  // namespace
