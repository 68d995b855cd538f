#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <set>
#include <thread>

#include "fixture.h"
#include "platform/process/process.h"

using qv::sim::Request;

TEST_F(TbdeviceTest, LinkOpensOnAPresentUnitAndNotOnAnAbsentOne) {
  ASSERT_EQ(InitialisePCMLink(), TB_STATUS_LINK_OPEN);
  const qv::sim::UnitState st = unit->State();
  EXPECT_TRUE(st.interfaceSet);
  EXPECT_EQ(st.pipeResets, 2);
  EXPECT_EQ(st.deviceResets, 1);
  EXPECT_EQ(st.linkStarts, 1);
  EXPECT_TRUE(unit->ProtocolErrors().empty());

  unit = std::make_shared<qv::sim::Lumbracoder>(clock);
  Faults([](qv::sim::Faults& f) { f.absentAtOpen = true; });
  EXPECT_EQ(InitialisePCMLink(), TB_STATUS_LINK_NOT_OPEN);
  EXPECT_EQ(unit->State().linkStarts, 0);
  // A later call may open it once the unit is there.
  Faults([](qv::sim::Faults& f) { f.absentAtOpen = false; });
  EXPECT_EQ(InitialisePCMLink(), TB_STATUS_LINK_OPEN);
}

// The status word of a request under each fault of the unit or the bus.
TEST_F(TbdeviceTest, RequestStatusUnderFaults) {
  struct Case {
    const char* name;
    std::function<void(TbdeviceTest&)> fault;
    uint32_t out;      // SetSampleInterval
    uint32_t in;       // GetCableIface
    int outTransfers;  // requests the unit took for the OUT case
  } cases[] = {
      {"healthy", [](TbdeviceTest&) {}, 0, 0, 1},
      {"detached while idle", [](TbdeviceTest& t) { t.unit->Detach(); }, TB_STATUS_NOT_ATTACHED, TB_STATUS_NOT_ATTACHED,
       0},
      {"stalled OUT transfer", [](TbdeviceTest& t) { t.Faults([](qv::sim::Faults& f) { f.stallOut = 1; }); }, 0, 0, 1},
      {"one failed transfer", [](TbdeviceTest& t) { t.Faults([](qv::sim::Faults& f) { f.failControl = 1; }); }, 0, 0,
       1},
      {"two failed transfers", [](TbdeviceTest& t) { t.Faults([](qv::sim::Faults& f) { f.failControl = 2; }); }, 0, 0,
       1},
      {"three failed transfers", [](TbdeviceTest& t) { t.Faults([](qv::sim::Faults& f) { f.failControl = 3; }); },
       TB_STATUS_REQUEST_FAILED, TB_STATUS_REQUEST_FAILED, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    BringUp();
    const int resetsBefore = unit->State().deviceResets;
    c.fault(*this);
    EXPECT_EQ(SetSampleInterval(1000), c.out);
    EXPECT_EQ(static_cast<int>(Sent().size()), c.outTransfers);
    c.fault(*this);
    CableInterfaceBlock cable{-7, 9, 9, 9, 9, 9};
    const CableInterfaceBlock before = cable;
    EXPECT_EQ(GetCableIface(&cable), c.in);
    if (c.in) {
      EXPECT_EQ(0, std::memcmp(&cable, &before, sizeof cable)) << "a failed IN request filled the block";
    }
    if (std::string(c.name) == "two failed transfers") {
      EXPECT_EQ(unit->State().deviceResets - resetsBefore, 2) << "the OUT loop resets the unit after each failure";
    }
  }
}

TEST_F(TbdeviceTest, ARequestWaitsForTheUnitToComeBack) {
  BringUp();
  tbdev::TimingTable().requestAttachWaitMs = 5000;
  unit->Detach();
  std::thread plug([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    unit->Attach();
  });
  EXPECT_EQ(Set_Depth(1234), 0u);
  plug.join();
  ASSERT_EQ(Sent().size(), 1u);
  EXPECT_EQ(unit->State().depth, 1234);
}

TEST_F(TbdeviceTest, WatchdogOnlyWhileIdleAndAttached) {
  BringUp();
  EXPECT_EQ(Status_watchdog(), 0u);
  ASSERT_EQ(Sent().size(), 1u);
  EXPECT_EQ(Sent()[0].code, qv::sim::kCmdWatchdog);
  EXPECT_TRUE(Sent()[0].data.empty());

  LoggingModeBlock on{2, 1, 1000, 14, 0};
  ASSERT_EQ(SetLoggingMode(&on), 0u);
  unit->ClearJournal();
  EXPECT_EQ(Status_watchdog(), 0u);
  EXPECT_TRUE(Sent().empty()) << "no watchdog while logging";

  LoggingModeBlock off{};
  SetLoggingMode(&off);
  unit->Detach();
  unit->ClearJournal();
  EXPECT_EQ(Status_watchdog(), 0u);
  EXPECT_TRUE(Sent().empty()) << "no watchdog for a detached unit";
}

// The status request and the bulk read behind every data read.
TEST_F(TbdeviceTest, StatusRequestAndBulkRead) {
  BringUp();
  LoggingModeBlock on{2, 1, 1000, 14, 0};
  ASSERT_EQ(SetLoggingMode(&on), 0u);
  qv::sim::UnitState st = unit->State();
  st.rawTension = 300;
  st.analog = {11, 22, 33};
  unit->SetState(st);
  const std::vector<uint8_t> record = {1, 2, 3, 4, 5, 6, 7, 8};

  struct Case {
    const char* name;
    std::function<void(TbdeviceTest&)> setup;
    uint32_t status;
    bool filled;
  } cases[] = {
      {"record ready", [&](TbdeviceTest& t) { t.unit->QueueRecord(record); }, TB_STATUS_DATA, true},
      {"second status byte passed on",
       [&](TbdeviceTest& t) {
         t.unit->QueueRecord(record);
         t.Faults([](qv::sim::Faults& f) { f.secondStatus = 3; });
       },
       0x0306, true},
      {"no record", [](TbdeviceTest&) {}, TB_STATUS_NO_DATA, false},
      {"unit's own status", [](TbdeviceTest& t) { t.Faults([](qv::sim::Faults& f) { f.firstStatus = 0x12; }); }, 0x12,
       false},
      {"failed status request",
       [&](TbdeviceTest& t) {
         t.unit->QueueRecord(record);
         t.Faults([](qv::sim::Faults& f) { f.failStatusRequest = 1; });
       },
       TB_STATUS_NO_DATA, false},
      {"failed bulk read",
       [&](TbdeviceTest& t) {
         t.unit->QueueRecord(record);
         t.Faults([](qv::sim::Faults& f) { f.failBulkRead = 1; });
       },
       TB_STATUS_NO_DATA, false},
      {"short bulk read",
       [&](TbdeviceTest& t) {
         t.unit->QueueRecord(record);
         t.Faults([](qv::sim::Faults& f) { f.shortBulkRead = 1; });
       },
       TB_STATUS_NO_DATA, false},
      {"unit gone", [](TbdeviceTest& t) { t.unit->Detach(); }, TB_STATUS_NOT_ATTACHED, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    unit->SetFaults({});
    unit->Attach();
    c.setup(*this);
    uint8_t buf[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    AnalogStatusBlock a{};
    EXPECT_EQ(tbdev::ReadStatusAndData(buf, &a, 8), c.status);
    if (c.filled) {
      EXPECT_EQ(0, std::memcmp(buf, record.data(), 8));
      EXPECT_EQ(a.status1, 11);
      EXPECT_EQ(a.status3, 33);
      EXPECT_EQ(a.tension, 300);
    } else if (c.status != TB_STATUS_NO_DATA || std::string(c.name) == "no record") {
      EXPECT_EQ(buf[0], 0xEE) << "the buffer was touched";
    }
    while (unit->QueuedRecords()) {  // drain what a fault left behind
      uint8_t sink[8];
      unit->SetFaults({});
      tbdev::ReadStatusAndData(sink, nullptr, 8);
    }
  }
}

TEST_F(TbdeviceTest, ExportsAreExactlyTheUnitsOperations) {
  const std::string so = std::string(QV_PROGRAM_DIR) + "/libtbdevice.so";
  std::FILE* p = ::popen(("nm -D --defined-only " + so).c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::set<std::string> names;
  char line[512];
  while (std::fgets(line, sizeof line, p)) {
    std::string l(line);
    EXPECT_EQ(l.find('@'), std::string::npos) << l;
    const auto sp = l.find_last_of(' ');
    names.insert(l.substr(sp + 1, l.size() - sp - 2));
  }
  ASSERT_EQ(::pclose(p), 0);
  const std::set<std::string> expected = {"Diagnostic_off",
                                          "Diagnostic_on",
                                          "GetAbsDepth",
                                          "GetAnalogStatus",
                                          "GetBHTVTBSweep",
                                          "GetCBLArrival",
                                          "GetCableIface",
                                          "GetDepthReport",
                                          "GetScopeShot",
                                          "GetSonde6ChannelPacket",
                                          "GetSonicArrival",
                                          "GetSonicPacket",
                                          "GetTwelve",
                                          "IdentifyLumbracoder",
                                          "InitialiseLumbracoder",
                                          "InitialisePCMLink",
                                          "SendConfig",
                                          "SendSondeCommand",
                                          "Send_Winch",
                                          "SetCableIface",
                                          "SetLoggingMode",
                                          "SetSampleInterval",
                                          "SetSondePower",
                                          "SetWinch",
                                          "Set_Depth",
                                          "Status_watchdog",
                                          "check_terminate_spawn",
                                          "clear_spawn_status",
                                          "get_far_wave_data",
                                          "get_near_wave_data",
                                          "set_sonic_param",
                                          "spawn_complete"};
  EXPECT_EQ(names, expected);
}

// A second process that loads the library maps the block this one made
// without zeroing it, and its unload asks the waveform program to end even
// though it never opened a link.
TEST_F(TbdeviceTest, SharedBlockAcrossTwoProcesses) {
  SharedSonicBlock* b = tbdev::SharedBlock();
  ASSERT_NE(b, nullptr);
  b->dataReady = 1;
  b->nearGain = 17;
  b->nearPick = 96;
  b->readOffset = 1024;
  b->waves[1024] = 42;  // near waveform of the buffer at 1024
  b->terminate = 0;

  qv::ChildProcess child;
  const fs::path out = folder / "child.txt";
  ASSERT_TRUE(child.Start(TBDEVICE_CHILD, {std::string(QV_PROGRAM_DIR) + "/libtbdevice.so", "near"}, {}, out.string()));
  ASSERT_EQ(child.Wait(20000), 0) << ReadText("child.txt");
  EXPECT_EQ(ReadText("child.txt"), "ready 1 gain 17 pick 96 first 42\n");
  EXPECT_EQ(b->terminate, 1);
  EXPECT_EQ(b->nearGain, 17) << "the second process zeroed the block";
}

// Which unit InitialisePCMLink talks to without a test's own toolkit.
TEST_F(TbdeviceTest, UnitSelectionByEnvironment) {
  WriteText("absent.txt", "[Lumbracoder]\nAbsent = 1\n");
  WriteText("broken.txt", "[Lumbracoder]\nAbsent = what\n");
  struct Case {
    const char* simulator;  // null: unset
    uint32_t status;
  } cases[] = {
      {nullptr, TB_STATUS_LINK_NOT_OPEN},  // libusb on a machine without the unit
      {"1", TB_STATUS_LINK_OPEN},
      {"absent", TB_STATUS_LINK_NOT_OPEN},
      {"broken", TB_STATUS_LINK_NOT_OPEN},
  };
  tbdev::SetToolkitFactory(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.simulator ? c.simulator : "(unset)");
    if (!c.simulator)
      ::unsetenv("QUORVANTA_SIMULATOR");
    else if (std::string(c.simulator) == "1")
      ::setenv("QUORVANTA_SIMULATOR", "1", 1);
    else
      ::setenv("QUORVANTA_SIMULATOR", (folder / (std::string(c.simulator) + ".txt")).c_str(), 1);
    EXPECT_EQ(InitialisePCMLink(), c.status);
  }
  ::unsetenv("QUORVANTA_SIMULATOR");
}
