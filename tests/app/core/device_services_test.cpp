#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "app/core/device_services.h"
#include "app/core/globals.h"
#include "platform/text/msgbox.h"

namespace {

// Records boxes; answers after an optional hold so that races can overlap.
struct FakeBoxes {
  std::mutex m;
  std::vector<qv::MessageBoxRequest> shown;
  std::chrono::milliseconds hold{0};
  qv::MessageBoxHandler prev;
  FakeBoxes() {
    prev = qv::SetMessageBoxHandler([this](const qv::MessageBoxRequest& r) {
      {
        std::lock_guard lk(m);
        shown.push_back(r);
      }
      std::this_thread::sleep_for(hold);
      return qv::IDOK;
    });
  }
  ~FakeBoxes() { qv::SetMessageBoxHandler(prev); }
  size_t Count() {
    std::lock_guard lk(m);
    return shown.size();
  }
};

TEST(FormatDeviceError, TextsOfTheStatusCodes) {
  struct Case {
    int kind;
    int code;
    const char* text;
  };
  const Case cases[] = {
      {1, 0, "No error."},
      {2, 6, "No error."},
      {1, 1, "Bad Checksum."},
      {2, 132, "Bad Checksum."},
      {2, 4, "Bad command message."},
      {2, 8, "Error in depth subsystem!"},
      {2, 9, "Error in tension control system!"},
      {2, 10, "Error in winch control system!"},
      {2, 11, "Lumbracoder is not initialised."},
      {2, 131, "Lumbracoder is not initialised."},
      {2, 12, "Buffer memory overflow."},
      {2, 13, "Lumbracoder power supply did not work. Sonde power could not be set."},
      {2, 14, "Lumbracoder could not be identified!"},
      {2, 15, "Sytem halted. Lumbracoder electronics overheated."},
      {2, 16, "Could not load <LBAPP.DLL> or <SIGWORK.DLL>. File(s) inaccessable or not found in Quorvanta subdirectory."},
      {2, 129, "Link has timed out."},
      {2, 130, "Could not connect to the Logger. Link could not be established. Check power supply and cable connections."},
      {2, 134, "Lumbracoder did not answer a request. Check the USB cable."},
      {1, 135, "A value does not fit the Lumbracoder command and was not sent."},
      {2, 133, "No Logger connected/found. Check cable and connections."},
      {2, 255, "Logger Hardware removed."},
      {2, 5, "Unknown error."},
      {2, 0x80, "Unknown error."},
      {2, 0x81, "Link has timed out."},
      {3, 0, "No error."},
      {3, 1, "Sonde command failed!"},
      {3, 2, "Fatal: Sonde type unrecognised. The system will not be able to communicate correctly with this tool."},
      {3, 3, "Could not set transmission baud rate(s)."},
      {3, 4, "Fatal: Could not start logging."},
      {3, 5, "Fatal: Could not stop logging."},
      {3, 6, "Could not set cable parameters."},
      {3, 7, "Receiving bad data."},
      {3, 8, "DSP setup failed."},
      {3, 255, "Logger Hardware removed."},
      {3, 9, "Unknown error."},
      {4, 100, "Not enough memory available."},
      {4, 101, "Can not open destination file."},
      {4, 102, "Can not write to destination file."},
      {4, 103, "Could not close the log file savely. File may be damaged."},
      {4, 104, "Internal operating system error."},
      {4, 99, "Unknown error."},
      {4, 105, "Unknown error."},
      {5, 105, "Unknown sonde."},
      {0, 106, "Unknown sonde command."},
      {-1, 107, "This winch type is not supported."},
      {5, 100, "Unknown error."},
  };
  for (const Case& c : cases) {
    std::string text = "previous";
    FormatDeviceError(c.kind, c.code, &text);
    EXPECT_EQ(text, c.text) << "kind " << c.kind << " code " << c.code;
  }
  FormatDeviceError(2, 1, nullptr);  // no text to fill: nothing happens
}

TEST(ReportMessage, KindsGoToTheBarsOrOneBox) {
  FakeBoxes boxes;
  std::vector<std::pair<int, std::string>> lines;
  SetMessageLineSink(kSondeMessageLine, [&](const std::string& t) { lines.emplace_back(1, t); });
  SetMessageLineSink(kWinchMessageLine, [&](const std::string& t) { lines.emplace_back(2, t); });
  EXPECT_EQ(ReportMessage("sonde text", 1), 0);
  EXPECT_EQ(ReportMessage("winch text", 2), 0);
  EXPECT_EQ(ReportMessage("nowhere", 7), -1);
  EXPECT_EQ(ReportMessage("nowhere", 0), -1);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], std::make_pair(1, std::string("sonde text")));
  EXPECT_EQ(lines[1], std::make_pair(2, std::string("winch text")));
  SetMessageLineSink(kSondeMessageLine, nullptr);
  SetMessageLineSink(kWinchMessageLine, nullptr);
  EXPECT_EQ(ReportMessage("no bar", 1), 0) << "without the bar nothing happens";
  EXPECT_EQ(lines.size(), 2u);
  EXPECT_EQ(boxes.Count(), 0u);

  EXPECT_EQ(ReportMessage("Depth Error", 3, qv::MB_OKCANCEL), qv::IDOK);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Depth Error");
  EXPECT_EQ(boxes.shown[0].caption, "Quorvanta Error Message");
  EXPECT_EQ(boxes.shown[0].flags, qv::MB_OKCANCEL | qv::MB_TOPMOST | qv::MB_TASKMODAL | qv::MB_ICONSTOP);
  EXPECT_FALSE(g_bMessageBoxOpen);
}

TEST(ReportMessage, RacingThreadsShowOneBox) {
  FakeBoxes boxes;
  boxes.hold = std::chrono::milliseconds(300);
  std::atomic<bool> go{false};
  std::atomic<int> dropped{0}, answered{0};
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([&] {
      while (!go) std::this_thread::yield();
      const int r = ReportMessage("Bad Winch Direction", 3);
      (r == -1 ? dropped : answered)++;
    });
  go = true;
  for (auto& t : threads) t.join();
  EXPECT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(answered, 1);
  EXPECT_EQ(dropped, 7);
  // Once the box is answered the next one shows again.
  boxes.hold = std::chrono::milliseconds(0);
  EXPECT_EQ(ReportMessage("again", 3), qv::IDOK);
  EXPECT_EQ(boxes.Count(), 2u);
}

TEST(DiagnosticsMessage, ShownOnItsOwnThreadWithoutKeepingTheCaller) {
  FakeBoxes boxes;
  boxes.hold = std::chrono::milliseconds(200);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ShowDiagnosticsMessage("Receiving bad data."), -1);
  EXPECT_EQ(ShowDiagnosticsMessage("Receiving bad data."), -1);  // same fault again while its box is open
  EXPECT_EQ(ShowDiagnosticsMessage("Bad Checksum."), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200)) << "the caller does not wait";
  ASSERT_TRUE(WaitForDiagnosticsMessages(30000));
  ASSERT_EQ(boxes.Count(), 2u);
  for (const auto& r : boxes.shown) {
    EXPECT_EQ(r.caption, "Diagnostics");
    EXPECT_EQ(r.flags, qv::MB_OK | qv::MB_TOPMOST | qv::MB_TASKMODAL);
  }
}

TEST(ErrorBoxes, SystemAndDatabaseErrors) {
  FakeBoxes boxes;
  ShowLastError(ENOENT);
  const std::runtime_error dbError("no such table: SONDE");
  ShowDatabaseError(&dbError);
  ShowDatabaseError(static_cast<const std::exception*>(nullptr));
  ASSERT_EQ(boxes.Count(), 3u);
  EXPECT_EQ(boxes.shown[0].caption, "Common Error");
  EXPECT_EQ(boxes.shown[0].text, "No such file or directory");
  EXPECT_EQ(boxes.shown[0].flags, qv::MB_OK | qv::MB_ICONSTOP);
  EXPECT_EQ(boxes.shown[1].caption, "Database Error");
  EXPECT_EQ(boxes.shown[1].text, "no such table: SONDE");
  EXPECT_EQ(boxes.shown[2].text, "Database Error !");
}

}  // namespace
