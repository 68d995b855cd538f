#include "app/core/globals.h"
#include "sondedb/lookups.h"
#include "tests/sondedb/fixture.h"

namespace {

class Lookups : public sdbtest::SondeDbTest {
 protected:
  void SetUp() override {
    SondeDbTest::SetUp();
    Sql("INSERT INTO SONDE (Sonde, Name, Abbreviation, SerialNumber, Type, ComStd, Length) VALUES"
        " (1, 'Natural Gamma', 'KSTQ', '77', 1, 2, 120), (2, 'Nameless', '', '5', 1, 3, 0),"
        " (3, 'Neutron', 'NEU', 'A', 8, 3, 200), (4, 'Neutron', 'NEU', 'B', 8, 3, 210)");
  }
};

TEST_F(Lookups, SondeListForSelectors) {
  struct Case {
    int types[6];
    std::vector<std::string> texts;
  } cases[] = {
      {{-1, 0, 0, 0, 0, 0}, {"KSTQ [77] - Natural Gamma", "NEU [A] - Neutron", "NEU [B] - Neutron"}},
      {{1, 1, 1, 1, 1, 1}, {"KSTQ [77] - Natural Gamma"}},
      {{4, 4, 4, 4, 4, 4}, {}},
  };
  for (const auto& c : cases) {
    std::vector<qv::ComboItem> items;
    qv::ReadSondeList(c.types, items);
    std::vector<std::string> texts;
    for (const auto& i : items) texts.push_back(i.text);
    EXPECT_EQ(texts, c.texts) << c.types[0];
    if (!items.empty()) {
      EXPECT_EQ(items[0].data, c.types[0] == 8 ? 3 : 1);
    }
  }
}

TEST_F(Lookups, LengthTypeAndCommunicationStandard) {
  auto db = qv::OpenSondeDatabase();
  EXPECT_EQ(qv::GetSondeLength(db.get(), "KSTQ", ""), 120);
  EXPECT_EQ(qv::GetSondeLength(db.get(), "NEU", "B"), 210);
  EXPECT_EQ(qv::GetSondeLength(db.get(), "NEU", ""), -1);
  EXPECT_EQ(qv::GetSondeLength(db.get(), "", ""), 0);
  EXPECT_EQ(qv::GetSondeLength(nullptr, "KSTQ", ""), 0);
  EXPECT_EQ(qv::IsSondeComStd3("NEU", "A"), 1);
  EXPECT_EQ(qv::IsSondeComStd3("KSTQ", "77"), 0);
  EXPECT_EQ(qv::IsSondeComStd3("NONE", ""), -1);
  auto rs = qv::OpenSondeRecordset("NEU", "");
  ASSERT_TRUE(rs);
  int type = 0;
  EXPECT_EQ(qv::GetSondeType(rs.get(), &type), 1);
  EXPECT_EQ(type, 8);
  qv::CloseSondeRecordset(rs);
  EXPECT_FALSE(rs);
  rs = qv::OpenSondeRecordset("NONE", "");
  EXPECT_EQ(qv::GetSondeType(rs.get(), &type), 0);
  EXPECT_TRUE(boxes_.empty());
}

TEST_F(Lookups, ChannelFilterTable) {
  Sql("INSERT INTO CHANNEL (SONDE, CHANNELPHYSIC, Offset, FilterType, FilterParameter) VALUES"
      " (1, 3, 30, 1, 4), (1, 1, 10, 2, 5), (1, 20, 99, 9, 9), (1, 0, 98, 9, 9), (1, -1, 97, 9, 9),"
      " (1, 2, 20, 258, 6), (1, 16, 160, 4, 7), (1, 3, 33, 3, 8)");
  ChannelFilter table[kFilterTableSize];
  table[10].Present = 1;  // cleared first
  auto db = qv::OpenSondeDatabase();
  ASSERT_EQ(qv::LoadChannelFilterSettings(db.get(), "KSTQ", "77", table), 1);
  struct Expect {
    int index, present, offset, type, width;
  } expect[] = {
      {0, 1, 10, 2, 5}, {1, 1, 20, 2, 6}, {2, 1, 33, 3, 8}, {3, 0, 0, 0, 0}, {10, 0, 0, 0, 0}, {15, 1, 160, 4, 7},
  };
  for (const auto& e : expect) {
    const ChannelFilter& f = table[e.index];
    EXPECT_EQ(std::vector<int>({f.Present, f.Offset, f.OffsetCopy, f.FilterType, f.FilterWidth}),
              std::vector<int>({e.present, e.offset, e.offset, e.type, e.width}))
        << "entry " << e.index;
  }
  EXPECT_EQ(qv::LoadChannelFilterSettings(db.get(), "", "", table), 0);
  EXPECT_TRUE(boxes_.empty());
  // A sonde without a row has no key to read.
  EXPECT_EQ(qv::LoadChannelFilterSettings(db.get(), "NONE", "", table), 0);
  EXPECT_EQ(boxes_.size(), 1u);
}

TEST_F(Lookups, SonicParametersRoundTrip) {
  uint8_t block[qv::kSonicConfigSize] = {};
  qv::LoadSonicParams(block, "KSTQ", "77");
  EXPECT_EQ(std::vector<uint8_t>(block, block + 7), std::vector<uint8_t>({4, 1, 1, 1, 1, 1, 1}));
  const uint8_t saved[qv::kSonicConfigSize] = {8, 31, 0, 12, static_cast<uint8_t>(-20), 127,
                                               static_cast<uint8_t>(-128)};
  qv::SaveSonicParams(saved, "KSTQ", "77");
  EXPECT_EQ(Value("SELECT * FROM SonicParams", "SONDE"), "1");
  EXPECT_EQ(Value("SELECT * FROM SonicParams", "ThresholdRx1"), "-20");
  qv::LoadSonicParams(block, "KSTQ", "no such serial");  // falls back to the abbreviation
  EXPECT_EQ(std::vector<uint8_t>(block, block + 7), std::vector<uint8_t>(saved, saved + 7));
  EXPECT_EQ(static_cast<int8_t>(block[4]), -20);
  const uint8_t again[qv::kSonicConfigSize] = {16, 1, 2, 3, 4, 5, 6};
  qv::SaveSonicParams(again, "KSTQ", "");
  EXPECT_EQ(Value("SELECT count(*) AS n FROM SonicParams", "n"), "1");
  qv::LoadSonicParams(block, "KSTQ", "77");
  EXPECT_EQ(std::vector<uint8_t>(block, block + 7), std::vector<uint8_t>(again, again + 7));
  qv::SaveSonicParams(again, "NONE", "");
  EXPECT_EQ(Value("SELECT count(*) AS n FROM SonicParams", "n"), "1");
  // The current sonde's configuration.
  g_strCurrentSonde = "KSTQ", g_strSondeSerialNo = "77";
  uint8_t current[qv::kSonicConfigSize] = {};
  qv::LoadSonicParams(current);
  EXPECT_EQ(std::vector<uint8_t>(current, current + 7), std::vector<uint8_t>(again, again + 7));
  EXPECT_TRUE(boxes_.empty());
}

}  // namespace
