#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>

#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

TEST(StringTable, IdsAreUnique) {
  std::ifstream f(QV_TEST_SOURCE_DIR "/../../../platform/text/string_table.inc");
  ASSERT_TRUE(f.good());
  std::set<unsigned> seen;
  std::regex line(R"(^\s*QV_STRING\((\d+),)");
  std::string l;
  while (std::getline(f, l)) {
    std::smatch m;
    if (std::regex_search(l, m, line)) {
      const unsigned id = std::stoul(m[1]);
      EXPECT_TRUE(seen.insert(id).second) << "duplicate string id " << id;
      EXPECT_TRUE(qv::HasString(id));
    }
  }
  EXPECT_EQ(qv::LoadString(0xFFFFFFFF), "");
}

TEST(MessageBox, DefaultAnswersAndFakeHandler) {
  EXPECT_EQ(qv::DefaultAnswer(qv::MB_OK), qv::IDOK);
  EXPECT_EQ(qv::DefaultAnswer(qv::MB_ABORTRETRYIGNORE | qv::MB_DEFBUTTON2), qv::IDRETRY);
  EXPECT_EQ(qv::DefaultAnswer(qv::MB_YESNO | qv::MB_DEFBUTTON2), qv::IDNO);
  std::vector<qv::MessageBoxRequest> shown;
  auto prev = qv::SetMessageBoxHandler([&](const qv::MessageBoxRequest& r) {
    shown.push_back(r);
    return qv::IDIGNORE;
  });
  EXPECT_EQ(qv::ShowMessageBox("text", "caption", qv::MB_ABORTRETRYIGNORE), qv::IDIGNORE);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].caption, "caption");
  qv::SetMessageBoxHandler(prev);
}
