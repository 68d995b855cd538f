#include <chrono>
#include <thread>

#include "fixture.h"
#include "platform/text/msgbox.h"

using Bytes = std::vector<uint8_t>;

// What each export puts on the wire: its request code and data bytes.
TEST_F(TbdeviceTest, WirePayloadOfEveryCommand) {
  BringUp();
  struct Case {
    const char* name;
    std::function<uint32_t()> call;
    uint8_t code;
    Bytes data;
  } cases[] = {
      {"SetCableIface rate code",
       [] {
         CableInterfaceBlock b{7, 64, 3, 25, 64, 70};
         return SetCableIface(&b);
       },
       0x44,
       {64, 3, 64, 70, 25, 0xC6, 0x5C, 0x01}},
      {"SetCableIface rate in bit/s",
       [] {
         CableInterfaceBlock b{100000, 1, 2, 5, 0x80, 127};
         return SetCableIface(&b);
       },
       0x44,
       {1, 2, 0x80, 127, 5, 0xA0, 0x86, 0x01}},
      {"SetLoggingMode on",
       [] {
         LoggingModeBlock b{2, 1, 1000, 14, 0};
         return SetLoggingMode(&b);
       },
       0x40,
       {2, 1, 0xE8, 0x03, 63, 0, 14}},
      {"SetLoggingMode off",
       [] {
         LoggingModeBlock b{2, 0, 1000, 0, 0};
         return SetLoggingMode(&b);
       },
       0x40,
       {0, 0, 0xE8, 0x03, 63, 0, 0}},
      {"SetSampleInterval", [] { return SetSampleInterval(32000); }, 0x41, {0x00, 0x7D}},
      {"SetSampleInterval over 32767", [] { return SetSampleInterval(65535); }, 0x41, {0xFF, 0xFF}},
      {"SetSondePower",
       [] {
         SondePowerBlock b{120, 300, 165};
         return SetSondePower(&b);
       },
       0x43,
       {120, 0, 0x2C, 0x01, 165, 0}},
      {"SendSondeCommand",
       [] {
         SondeCommandBlock b{105, -2, 7};
         return SendSondeCommand(&b);
       },
       0x47,
       {105, 0, 0xFE, 0xFF, 7, 0}},
      {"SetWinch",
       [] {
         WinchControlBlock b{3, 9};
         return SetWinch(&b);
       },
       0x48,
       {3, 9}},
      {"Send_Winch", [] { return Send_Winch(48); }, 0x4E, {48}},
      {"Set_Depth", [] { return Set_Depth(-1500); }, 0x4B, {0x24, 0xFA, 0xFF, 0xFF}},
      {"SendConfig",
       [] {
         SonicConfigBlock b{16, {1, 2, 3}, {-1, 0, 5}};
         return SendConfig(&b);
       },
       0x53,
       {16, 1, 2, 3, 0xFF, 0, 5}},
      {"Status_watchdog", [] { return Status_watchdog(); }, 0x4D, {}},
      {"InitialiseLumbracoder",
       [] {
         UnitConfigBlock b{1, 1, 10, 2};
         return InitialiseLumbracoder(&b);
       },
       0x42,
       {1, 1, 16, 2, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    unit->ClearJournal();
    EXPECT_EQ(c.call(), 0u);
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].code, c.code);
    EXPECT_FALSE(sent[0].in);
    EXPECT_EQ(sent[0].data, c.data);
  }
  EXPECT_TRUE(unit->ProtocolErrors().empty());
}

TEST_F(TbdeviceTest, ReadBacksFillTheCallersBlocks) {
  BringUp();
  CableInterfaceBlock cable{5, 64, 3, 25, 0xF0, 70};
  ASSERT_EQ(SetCableIface(&cable), 0u);
  CableInterfaceBlock back{};
  ASSERT_EQ(GetCableIface(&back), 0u);
  EXPECT_EQ(back.bitRate, 69444) << "the rate comes back in bit/s, not as its code";
  EXPECT_EQ(back.threshold, 64);
  EXPECT_EQ(back.cableType, 3);
  EXPECT_EQ(back.pulseWidth, 25);
  EXPECT_EQ(back.drive, 0xF0);
  EXPECT_EQ(back.gain, 70);

  qv::sim::UnitState st = unit->State();
  st.identity = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08};
  st.absDepth = -123456;
  unit->SetState(st);
  UnitIdentityBlock id{9, 9, 9, 9, 9};
  ASSERT_EQ(IdentifyLumbracoder(&id), 0u);
  EXPECT_EQ(id.zero, 0);
  EXPECT_EQ(id.word1, 0x0605);
  EXPECT_EQ(id.word2, 0x0201);
  EXPECT_EQ(id.word3, 0x0807);
  EXPECT_EQ(id.word4, 0x0403);
  int abs = 0;
  ASSERT_EQ(GetAbsDepth(&abs), 0u);
  EXPECT_EQ(abs, -123456);
}

// Values that do not fit their field on the wire are refused, not wrapped,
// and nothing reaches the unit.
TEST_F(TbdeviceTest, ValuesThatDoNotFitAreRefused) {
  BringUp();
  struct Case {
    const char* name;
    std::function<uint32_t()> call;
  } cases[] = {
      {"interval over 65535", [] { return SetSampleInterval(65536); }},
      {"negative interval", [] { return SetSampleInterval(-1); }},
      {"threshold over 255",
       [] {
         CableInterfaceBlock b{0, 256, 1, 25, 0, 0};
         return SetCableIface(&b);
       }},
      {"cable type over 255",
       [] {
         CableInterfaceBlock b{0, 64, 300, 25, 0, 0};
         return SetCableIface(&b);
       }},
      {"pulse width over 255",
       [] {
         CableInterfaceBlock b{0, 64, 1, 500, 0, 0};
         return SetCableIface(&b);
       }},
      {"bit rate over 24 bits",
       [] {
         CableInterfaceBlock b{0x1000000, 64, 1, 25, 0, 0};
         return SetCableIface(&b);
       }},
      {"negative bit rate",
       [] {
         CableInterfaceBlock b{-5, 64, 1, 25, 0, 0};
         return SetCableIface(&b);
       }},
      {"winch value over 255", [] { return Send_Winch(256); }},
      {"depth unit code scaling past a byte",
       [] {
         UnitConfigBlock b{1, 0, 200, 1};
         return InitialiseLumbracoder(&b);
       }},
      {"communication standard outside the table",
       [] {
         LoggingModeBlock b{30, 1, 1000, 14, 0};
         return SetLoggingMode(&b);
       }},
      {"null block", [] { return SetWinch(nullptr); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    unit->ClearJournal();
    EXPECT_EQ(c.call(), static_cast<uint32_t>(TB_STATUS_BAD_PARAMETER));
    EXPECT_TRUE(Sent().empty());
  }
}

TEST_F(TbdeviceTest, LoggingModeSwitching) {
  BringUp();
  LoggingModeBlock six{2, 1, 1000, 14, 0};
  ASSERT_EQ(SetLoggingMode(&six), 0u);
  unit->ClearJournal();
  LoggingModeBlock other{10, 8, 150, 10, 0};
  EXPECT_EQ(SetLoggingMode(&other), 0u);
  EXPECT_TRUE(Sent().empty()) << "on while on sends nothing";
  EXPECT_EQ(tbdev::State().modeWord, 0x102) << "and keeps the old mode";

  LoggingModeBlock off{};
  ASSERT_EQ(SetLoggingMode(&off), 0u);
  ASSERT_EQ(Sent().size(), 1u);
  EXPECT_EQ(SetLoggingMode(&off), 0u);
  EXPECT_EQ(Sent().size(), 1u) << "off while off sends nothing";

  // The speed mode of the twelve-channel tool is announced to the unit as
  // standard 1, tool 9; the caller's block and the library keep 0x81A, so the
  // same block switches the same mode on every time.
  LoggingModeBlock speed{26, 8, 150, 10, 0};
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    unit->ClearJournal();
    ASSERT_EQ(SetLoggingMode(&speed), 0u);
    EXPECT_EQ(speed.comStd, 26);
    EXPECT_EQ(speed.toolType, 8);
    EXPECT_EQ(tbdev::State().modeWord, 0x81A);
    EXPECT_EQ(Sent().at(0).data, (Bytes{1, 9, 150, 0, 15, 0, 10}));
    SetLoggingMode(&off);
  }

  // A switch the unit did not take is reported, and a repeat sends it again.
  Faults([](qv::sim::Faults& f) { f.failControl = 3; });
  EXPECT_EQ(SetLoggingMode(&six), static_cast<uint32_t>(TB_STATUS_REQUEST_FAILED));
  AnalogStatusBlock a{};
  EXPECT_EQ(GetAnalogStatus(&a), static_cast<uint32_t>(TB_STATUS_REQUEST_FAILED));
  unit->ClearJournal();
  EXPECT_EQ(SetLoggingMode(&six), 0u);
  EXPECT_EQ(Sent().size(), 1u);
}

TEST_F(TbdeviceTest, ToolStartUpAndAdapterCommands) {
  BringUp();
  // Full-wave start-up: three start commands after the mode.
  LoggingModeBlock fws{3, 4, 1000, 11, 0};
  ASSERT_EQ(SetLoggingMode(&fws), 0u);
  auto sent = Sent();
  ASSERT_EQ(sent.size(), 4u);
  for (int i = 1; i < 4; ++i) EXPECT_EQ(sent[i].data, (Bytes{105, 0, 255, 0, 255, 0}));
  LoggingModeBlock off{};
  SetLoggingMode(&off);

  // An adapter mode without ADAPTER.TXT creates it and sends nothing more.
  unit->ClearJournal();
  LoggingModeBlock adapter{20, 4, 1000, 11, 0};
  ASSERT_EQ(SetLoggingMode(&adapter), 0u);
  EXPECT_EQ(Sent().size(), 1u);
  EXPECT_EQ(ReadText("ADAPTER.TXT"), "64 64 64 64 0 0");
  SetLoggingMode(&off);

  // With the file, its six values go out as sonde commands.
  fs::remove(folder / "ADAPTER.TXT");
  WriteText("adapter.txt", "1 2 3 4 5 300");
  unit->ClearJournal();
  ASSERT_EQ(SetLoggingMode(&adapter), 0u);
  sent = Sent();
  ASSERT_EQ(sent.size(), 6u) << "the value that does not fit a byte is not sent";
  for (int i = 1; i <= 5; ++i) EXPECT_EQ(sent[i].data, (Bytes{uint8_t(i), 0, uint8_t(i), 0, 0, 0}));

  // A sonde command in an adapter mode is kept in the file.
  SondeCommandBlock cmd{3, 77, 0};
  ASSERT_EQ(SendSondeCommand(&cmd), 0u);
  EXPECT_EQ(ReadText("adapter.txt"), "1 2 77 4 5 300");
}

TEST_F(TbdeviceTest, SondeCommandsInCountedModesAndTheWaveProgram) {
  BringUp();
  LoggingModeBlock twelve{10, 8, 150, 10, 0};
  ASSERT_EQ(SetLoggingMode(&twelve), 0u);
  unit->ClearJournal();
  SondeCommandBlock cmd{33, 1, 0};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(SendSondeCommand(&cmd), 0u);
  EXPECT_EQ(Sent().size(), 1u) << "only every third call reaches the unit";
  LoggingModeBlock off{};
  SetLoggingMode(&off);

  // Command 106 in the full-wave mode starts the waveform program once.
  const fs::path marker = folder / "started.txt";
  WriteText("WAVPR001.EXE", "#!/bin/sh\necho \"$@\" >> started.txt\n");
  fs::permissions(folder / "WAVPR001.EXE", fs::perms::owner_all);
  LoggingModeBlock fws{2, 4, 1000, 11, 0};
  ASSERT_EQ(SetLoggingMode(&fws), 0u);
  unit->ClearJournal();
  SondeCommandBlock start{106, 0, 0};
  for (int i = 0; i < 3; ++i) EXPECT_EQ(SendSondeCommand(&start), 0u);
  EXPECT_TRUE(Sent().empty()) << "command 106 does not go to the unit";
  EXPECT_EQ(tbdev::SharedBlock()->spawned, 1);
  for (int i = 0; i < 200 && !fs::exists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(ReadText("started.txt"), "two\n");
  for (int i = 0; i < 3; ++i) SendSondeCommand(&start);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(ReadText("started.txt"), "two\n") << "a running program is not started twice";
  EXPECT_TRUE(Sent().empty());
}

// A waveform program that does not start is reported and stays unstarted, so
// the next command 106 starts it once it can.
TEST_F(TbdeviceTest, FailedStartOfTheWaveProgramIsReportedAndRetried) {
  BringUp();
  WriteText("WAVPR001.EXE", "not a program");  // present but not executable
  LoggingModeBlock fws{2, 4, 1000, 11, 0};
  ASSERT_EQ(SetLoggingMode(&fws), 0u);
  SondeCommandBlock start{106, 0, 0};
  EXPECT_EQ(SendSondeCommand(&start), 0u);
  EXPECT_EQ(SendSondeCommand(&start), 0u);
  EXPECT_EQ(SendSondeCommand(&start), static_cast<uint32_t>(TB_STATUS_REQUEST_FAILED))
      << "the failed start is reported";
  EXPECT_EQ(tbdev::SharedBlock()->spawned, 0);

  WriteText("WAVPR001.EXE", "#!/bin/sh\necho \"$@\" >> started.txt\n");
  fs::permissions(folder / "WAVPR001.EXE", fs::perms::owner_all);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(SendSondeCommand(&start), 0u);
  EXPECT_EQ(tbdev::SharedBlock()->spawned, 1) << "started on the next try";
  const fs::path marker = folder / "started.txt";
  for (int i = 0; i < 200 && !fs::exists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(ReadText("started.txt"), "two\n");
}

TEST_F(TbdeviceTest, CallerBlocksRewrittenInPlace) {
  BringUp();
  UnitConfigBlock cfg{1, 0, 50, 2};
  ASSERT_EQ(InitialiseLumbracoder(&cfg), 0u);
  EXPECT_EQ(cfg.depthUnitCode, 80);
  ASSERT_EQ(InitialiseLumbracoder(&cfg), 0u);
  EXPECT_EQ(Sent().back().data[2], 128) << "a block not refilled is scaled again";

  WinchControlBlock w{3, 0};
  ASSERT_EQ(SetWinch(&w), 0u);
  EXPECT_EQ(w.speed, 1);
  EXPECT_EQ(Sent().back().data, (Bytes{3, 1}));

  LoggingModeBlock sonic{27, 10, 20, 10, 0};
  ASSERT_EQ(SetLoggingMode(&sonic), 0u);
  unit->ClearJournal();
  SonicConfigBlock cfgSonic{16, {1, 2, 3}, {4, 5, 6}};
  ASSERT_EQ(SendConfig(&cfgSonic), 0u);
  EXPECT_EQ(Sent().at(0).data.at(0), 0x13);
}

TEST_F(TbdeviceTest, FirstConfigurationReadsTheProgramFolder) {
  WriteText("TENSION.TXT", "100 0.5");
  WriteText("debug_lumbracoder", "");
  WriteText("WAVPR001.EXE", "");
  WriteText("NEVA_THRM", "");
  std::vector<std::string> calls;
  auto t = std::make_shared<tbdev::ThermoLogger>();
  t->open = [&](int16_t port) {
    calls.push_back("open " + std::to_string(port));
    return port == 1 ? 1 : 0;
  };
  t->close = [&](int16_t port) { calls.push_back("close " + std::to_string(port)); };
  t->setResolution = [&](int16_t port, int16_t bits) {
    calls.push_back("resolution " + std::to_string(port) + " " + std::to_string(bits));
    return 1;
  };
  t->setChannel = [&](int16_t port, int16_t ch, char type, int16_t factor, int16_t offset, int16_t gain) {
    calls.push_back("channel " + std::to_string(port) + " " + std::to_string(ch) + " " + type + " " +
                    std::to_string(factor) + " " + std::to_string(offset) + " " + std::to_string(gain));
    return 1;
  };
  t->getTemp = [](long*, int16_t, int16_t, int16_t) { return 0; };
  tbdev::SetThermoLogger(t);
  std::vector<std::string> boxes;
  auto old = qv::SetMessageBoxHandler([&](const qv::MessageBoxRequest& r) {
    boxes.push_back(r.text + "|" + r.caption);
    return qv::IDOK;
  });

  BringUp();
  qv::SetMessageBoxHandler(old);
  EXPECT_EQ(boxes, std::vector<std::string>{"ENTERING DEBUG MODE|"});
  EXPECT_EQ(unit->State().sendWinch, (Bytes{255, 48}));
  std::vector<std::string> expected = {"open 2", "open 1", "resolution 1 13"};
  for (int ch = 1; ch <= 8; ++ch) expected.push_back("channel 1 " + std::to_string(ch) + " K 10 0 0");
  expected.push_back("close 2");
  EXPECT_EQ(calls, expected);
  EXPECT_TRUE(tbdev::State().thermoPresent);

  const SharedSonicBlock* b = tbdev::SharedBlock();
  EXPECT_EQ(b->nearLongWindow, 200);
  EXPECT_EQ(b->nearShortWindow, 25);
  EXPECT_FLOAT_EQ(b->nearThreshold, 2.0f);
  EXPECT_EQ(b->farLongWindow, 400);
  EXPECT_EQ(b->farShortWindow, 10);
  EXPECT_FLOAT_EQ(b->farThreshold, 2.5f);
  EXPECT_FLOAT_EQ(b->spacingFactor, 1.0f);

  // Tension is reported as (raw - offset) x scale, truncated toward zero.
  qv::sim::UnitState st = unit->State();
  st.rawTension = 333;
  unit->SetState(st);
  ASSERT_EQ(tbdev::ReadStatusAndData(nullptr, nullptr, 0), static_cast<uint32_t>(TB_STATUS_NO_DATA));
  AnalogStatusBlock a{};
  GetAnalogStatus(&a);
  EXPECT_EQ(a.tension, 116);

  // The winch start and the one-time work happen once.
  UnitConfigBlock cfg{1, 0, 50, 2};
  ASSERT_EQ(InitialiseLumbracoder(&cfg), 0u);
  EXPECT_EQ(unit->State().sendWinch.size(), 2u);
  EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(TbdeviceTest, SondePowerWaitsForTheConfiguredUnit) {
  ASSERT_EQ(InitialisePCMLink(), TB_STATUS_LINK_OPEN);
  unit->ClearJournal();
  SondePowerBlock zero{};
  EXPECT_EQ(SetSondePower(&zero), 0u);
  EXPECT_TRUE(Sent().empty());
}
