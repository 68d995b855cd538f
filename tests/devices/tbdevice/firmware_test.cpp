#include "fixture.h"

TEST_F(TbdeviceTest, KeystreamRestartsForEveryImage) {
  tbdev::Descrambler a, b;
  const uint8_t first[] = {0x45, 0x8A, 0x14, 0x28};
  for (uint8_t x : first) EXPECT_EQ(a.Next(), x);
  for (uint8_t x : first) EXPECT_EQ(b.Next(), x);
}

// The unit checks every packet (code, order, remaining count, checksum) and
// keeps what it received.
TEST_F(TbdeviceTest, FullDownloadAcceptedByTheUnit) {
  WriteFile("MDATA.ENC", Scramble(PlainImage(59, 118, 1)));
  WriteFile("mprog.enc", Scramble(PlainImage(0, 0, 0)));
  WriteFile("SLAVE.ENC", Scramble(PlainImage(130, 40, 7)));  // shorter than its packets
  ASSERT_EQ(InitialisePCMLink(), TB_STATUS_LINK_OPEN);
  UnitConfigBlock cfg{1, 0, 50, 2};
  ASSERT_EQ(InitialiseLumbracoder(&cfg), 0u);
  EXPECT_TRUE(unit->ProtocolErrors().empty()) << unit->ProtocolErrors().front();
  ASSERT_TRUE(unit->FirmwareLoaded());
  const auto fw = unit->Firmware();
  ASSERT_EQ(fw.size(), 3u);
  struct Expect {
    uint8_t code;
    uint16_t words;
    unsigned packets;
    std::vector<uint8_t> plain;
  } expect[] = {
      {0xAC, 59, 2, PlainImage(59, 118, 1)},
      {0xAA, 0, 1, PlainImage(0, 0, 0)},
      {0xAB, 130, 3, PlainImage(130, 40, 7)},
  };
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(fw[i].code, expect[i].code);
    EXPECT_EQ(fw[i].words, expect[i].words);
    EXPECT_EQ(fw[i].packets, expect[i].packets);
    std::vector<uint8_t> body(expect[i].plain.begin() + 2, expect[i].plain.end());
    body.resize(fw[i].data.size(), 0);  // zeros after the end of the image
    EXPECT_EQ(fw[i].data, body);
  }
  // After the download the configuration request follows.
  EXPECT_EQ(unit->State().config, (std::array<uint8_t, 5>{1, 0, 80, 2, 4}));
}

// A first configuration that failed is tried again by the next call, so a
// unit without firmware is never reported as configured.
TEST_F(TbdeviceTest, FailedFirstConfigurationIsRetried) {
  struct Case {
    const char* name;
    std::function<void(TbdeviceTest&)> spoil;
    std::function<void(TbdeviceTest&)> mend;
    uint32_t first;
  } cases[] = {
      {"image missing", [](TbdeviceTest& t) { fs::remove(t.folder / "SLAVE.ENC"); },
       [](TbdeviceTest& t) { t.WriteFirmware(); }, TB_STATUS_FIRMWARE_MISSING},
      {"transfer failed", [](TbdeviceTest& t) { t.Faults([](qv::sim::Faults& f) { f.failBulkWrite = 1; }); },
       [](TbdeviceTest&) {}, TB_STATUS_REQUEST_FAILED},
      {"unit absent", [](TbdeviceTest& t) { t.unit->Detach(); }, [](TbdeviceTest& t) { t.unit->Attach(); },
       TB_STATUS_NOT_ATTACHED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    WriteFirmware();
    ASSERT_EQ(InitialisePCMLink(), TB_STATUS_LINK_OPEN);
    c.spoil(*this);
    UnitConfigBlock cfg{1, 0, 50, 2};
    EXPECT_EQ(InitialiseLumbracoder(&cfg), c.first);
    EXPECT_FALSE(unit->State().configured);
    SondePowerBlock power{100, 200, 90};
    unit->ClearJournal();
    EXPECT_EQ(SetSondePower(&power), 0u);
    EXPECT_TRUE(Sent().empty()) << "no sonde power for a unit without firmware";
    c.mend(*this);
    cfg.depthUnitCode = 50;
    EXPECT_EQ(InitialiseLumbracoder(&cfg), 0u);
    EXPECT_TRUE(unit->FirmwareLoaded());
    EXPECT_TRUE(unit->State().configured);
  }
}

TEST_F(TbdeviceTest, BuiltInImagesServeWhenNoFileIsThere) {
  const auto mdata = Scramble(PlainImage(10, 20, 3));
  const auto mprog = Scramble(PlainImage(5, 15, 4));
  const auto slave = Scramble(PlainImage(1, 1, 5));
  tbdev::SetEmbeddedImages(
      {{107, mdata.data(), mdata.size()}, {106, mprog.data(), mprog.size()}, {108, slave.data(), slave.size()}});
  WriteFile("MPROG.ENC", Scramble(PlainImage(0, 0, 0)));  // a file wins over the built-in image
  ASSERT_EQ(InitialisePCMLink(), TB_STATUS_LINK_OPEN);
  UnitConfigBlock cfg{1, 0, 10, 2};
  ASSERT_EQ(InitialiseLumbracoder(&cfg), 0u);
  ASSERT_TRUE(unit->FirmwareLoaded());
  const auto fw = unit->Firmware();
  EXPECT_EQ(fw[0].words, 10);
  EXPECT_EQ(fw[1].words, 0);
  EXPECT_EQ(fw[2].words, 1);
}
