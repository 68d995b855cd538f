// One QApplication for the whole test program, on the offscreen platform
// (shared by the log-file tool and LAS dialog tests).
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

namespace {

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // The test's environment may lose the platform setting on its way
    // through CTest; never try to reach a display.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static int argc = 1;
    static char name[] = "test_logtools_ui";
    static char* argv[] = {name, nullptr};
    app_ = new QApplication(argc, argv);
  }
  void TearDown() override { delete app_; }

 private:
  QApplication* app_ = nullptr;
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace
