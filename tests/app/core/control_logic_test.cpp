#include <gtest/gtest.h>

#include "app/core/control_logic.h"

namespace {

TEST(ControlTexts, ValueDisplays) {
  struct Case {
    int ms;
    const char* text;
  };
  for (const Case c : {Case{0, "00:00:00"}, Case{3661499, "01:01:01"}, Case{3661500, "01:01:02"},
                       Case{86399500, "00:00:00"}, Case{90000000, "01:00:00"}, Case{-1, "00:00:00"}})
    EXPECT_EQ(FormatLogTime(c.ms), c.text) << c.ms;

  struct Speed {
    int speed;
    const char* text;
  };
  for (const Speed c : {Speed{600000, "  0.0"}, Speed{-3000, " -3.0"}, Speed{500000, "500.0"}, Speed{-500001, "  0.0"},
                        Speed{15250, " 15.2"}})
    EXPECT_EQ(FormatWinchSpeed(c.speed), c.text) << c.speed;
  EXPECT_EQ(FormatWinchDepth(12345), "12.35");
  EXPECT_EQ(FormatWinchDepth(-500), "-0.50");
  EXPECT_EQ(FormatWinchTension(0x1FFFE), "-2");
  EXPECT_EQ(FormatWinchTension(1200), "1200");
  EXPECT_EQ(FormatSupplyCurrent(57), "57");
  EXPECT_EQ(FormatSupplyVoltage(30), "120.0");
}

TEST(ControlTexts, WinchSpeedByte) {
  EXPECT_DOUBLE_EQ(WinchDacFactor(200, 20000), 0.01);
  EXPECT_DOUBLE_EQ(WinchDacFactor(200, 0), 0.01);
  EXPECT_DOUBLE_EQ(WinchDacFactor(255, 5000), 0.051);
  struct Case {
    int speed;
    double factor;
    int dac;
  };
  for (const Case c : {Case{15000, 0.01, 150}, Case{30000, 0.01, 255}, Case{25500, 0.01, 255}, Case{0, 0.01, 0},
                       Case{-5000, 0.01, 0}, Case{199, 0.01, 1}})
    EXPECT_EQ(WinchDacValue(c.speed, c.factor), c.dac) << c.speed << " does not wrap";
}

TEST(ControlTexts, SondeCommandValues) {
  struct Status {
    const char* status;
    bool takesValue;
    int maximum;
  };
  for (const Status c : {Status{"255", true, 255}, Status{" 1000 V", true, 1000}, Status{"", true, kCommandValueLimit},
                         Status{"  ", true, kCommandValueLimit}, Status{"On", false, 0}, Status{"-", false, 0}}) {
    int maximum = 0;
    EXPECT_EQ(CommandTakesValue(c.status, &maximum), c.takesValue) << '"' << c.status << '"';
    if (c.takesValue) {
      EXPECT_EQ(maximum, c.maximum) << '"' << c.status << '"';
    }
  }
  struct Value {
    const char* text;
    int maximum;
    bool ok;
  };
  for (const Value c : {Value{"255", 255, true}, Value{"256", 255, false}, Value{"-1", 255, false},
                        Value{"0", 255, true}, Value{"abc", 255, false}, Value{"", 255, false}, Value{"12x", 255, true}})
    EXPECT_EQ(AcceptCommandValue(c.text, c.maximum, nullptr), c.ok) << c.text;

  struct Reply {
    int code;
    int32_t value;
    const char* text;  // null: the field is left alone
  };
  const Reply replies[] = {
      {6, 0x0001FFFF, "1"},      {5, 0x0001FFFF, nullptr},  {5, 0x00010022, "34"},   {68, 0x0000FFFE, "65534"},
      {96, int32_t(0xFFFE0000), "-2"}, {96, int32_t(0xFFFF0000), nullptr}, {7, 5, nullptr}, {136, 0, "0"},
  };
  for (const Reply& r : replies) {
    std::string text = "kept";
    EXPECT_EQ(SondeReplyText(r.code, r.value, &text), r.text != nullptr) << r.code;
    EXPECT_EQ(text, r.text ? r.text : "kept");
  }
}

TEST(ControlTexts, SondeListItems) {
  struct Case {
    const char* item;
    const char* sonde;
    const char* serial;
  };
  for (const Case c : {Case{"KSTQ [123] - Natural Gamma", "KSTQ", "123"}, Case{"GAMMA2 [7] - Gamma", "GAMMA2", "7"},
                       Case{"NOSERIAL - x", "NOSERIAL", ""}, Case{"ABC [open", "ABC", "open"}, Case{"", "", ""}}) {
    std::string sonde = "x", serial = "y";
    SplitSondeItem(c.item, &sonde, &serial);
    EXPECT_EQ(sonde, c.sonde) << c.item;
    EXPECT_EQ(serial, c.serial) << c.item;
  }
  EXPECT_EQ(SondeKey("KSTQ", ""), "KSTQ");
  EXPECT_EQ(SondeKey("KSTQ", "77"), "KSTQ [77]");

  // The current sonde is found by its whole abbreviation (and serial number
  // when it has one), never by the beginning of another sonde's.
  const std::vector<std::string> items{"ABCD [1] - Caliper", "KSTQ [77] - Natural Gamma", "KSTQ [80] - Gamma",
                                       "KST [5] - Short"};
  struct Find {
    const char* sonde;
    const char* serial;
    int index;
  };
  for (const Find f :
       {Find{"KSTQ", "", 1}, Find{"KSTQ", "80", 2}, Find{"kstq", "80", 2}, Find{"KST", "", 3}, Find{"KST", "5", 3},
        Find{"KS", "", -1}, Find{"KSTQ", "8", -1}, Find{"KSTQ", "7", -1}, Find{"ABC", "1", -1}, Find{"", "", -1}})
    EXPECT_EQ(FindSondeItem(items, f.sonde, f.serial), f.index) << f.sonde << " [" << f.serial << "]";
  EXPECT_EQ(FindSondeItem({"KSTQ [77] - Natural Gamma"}, "KST", ""), -1);
  EXPECT_EQ(DepthToThousandths(12.3456), 12345);
  EXPECT_EQ(DepthToThousandths(-0.0019), -1);
  std::tm tm{};
  tm.tm_year = 126;
  tm.tm_mon = 11;
  tm.tm_mday = 3;
  tm.tm_hour = 12;
  tm.tm_isdst = -1;
  EXPECT_EQ(FormatDatePane(std::mktime(&tm)), "Thursday, December 03, 2026 ");
}

}  // namespace
