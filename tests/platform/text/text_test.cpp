#include <gtest/gtest.h>

#include <fstream>
#include <cstdio>
#include <set>

#include "platform/text/msgbox.h"
#include "platform/text/strings.h"

TEST(StringTable, IdsAreUnique) {
  std::ifstream f(QV_TEST_SOURCE_DIR "/../../../platform/text/string_table.inc");
  ASSERT_TRUE(f.good());
  std::set<unsigned> seen;
  std::string l;
  while (std::getline(f, l)) {
    unsigned id = 0;
    if (std::sscanf(l.c_str(), " QV_STRING(%u,", &id) == 1) {
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

TEST(MessageBox, SinkKeyedByIdAndRecorder) {
  qv::MessageRecorder rec({qv::IDRETRY});
  EXPECT_EQ(qv::ShowMessageId(32361, qv::MB_ABORTRETRYIGNORE, "Quorvanta Init"), qv::IDRETRY);
  EXPECT_EQ(qv::ShowMessageText(32362, "made text"), qv::IDOK);  // scripted answers used up: default button
  EXPECT_EQ(qv::ShowMessageBox("free"), qv::IDOK);
  const auto shown = rec.Shown();
  ASSERT_EQ(shown.size(), 3u);
  EXPECT_EQ(shown[0].text, qv::LoadString(32361));
  EXPECT_EQ(shown[0].caption, "Quorvanta Init");
  EXPECT_EQ(shown[1].text, "made text");
  EXPECT_EQ(rec.Ids(), (std::vector<unsigned>{32361, 32362, 0}));
}
