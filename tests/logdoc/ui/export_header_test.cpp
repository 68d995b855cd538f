// File/Export/ORX2 of a log document: the log's header file written out as an
// old binary header beside the data file, and the box saying how it went.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/ui/frames.h"
#include "logdoc/ui/log_doc.h"
#include "platform/text/msgbox.h"
#include "tests/support/qt_app.h"
#include "tests/support/test_files.h"

namespace {

namespace fs = std::filesystem;

// The main frame's File/Export/ORX2 entry reaches the document's command.
static_assert(kIdExportOldHeader == ID_EXPORT_HEADER);

TEST(LogDocExportHeader, WritesTheOldHeaderBesideTheDataAndSaysHowItWent) {
  qvtest::App();
  struct Case {
    const char* name;
    const char* header;  // content of LOG1.hed; null: none
    bool written;
    const char* box;
  };
  const Case cases[] = {
      {"header of this system", "[General]\r\nIdent=QUORVANTA\r\n[WellInfo]\r\nStep=10\r\nProject=North\r\n", true,
       "The header file was successfully created. "},
      {"foreign header", "[General]\r\nIdent=ELSEWHERE\r\n", false, "Creation of hdr-File failed !"},
      {"no header", nullptr, false, "Creation of hdr-File failed !"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string dir = qv::test::ScratchFolder("logdoc", c.name);
    if (c.header) std::ofstream(dir + "/LOG1.hed", std::ios::binary) << c.header;
    std::vector<qv::MessageBoxRequest> boxes;
    auto prev = qv::SetMessageBoxHandler([&](const qv::MessageBoxRequest& r) {
      boxes.push_back(r);
      return qv::IDOK;
    });
    CLogDoc doc;
    doc.Setup().pathStem = dir + "/LOG1.";
    doc.m_bIdleDocument = false;
    EXPECT_TRUE(doc.RunCommand(ID_EXPORT_HEADER));
    qv::SetMessageBoxHandler(prev);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.box);
    const fs::path hdr = fs::path(dir) / "LOG1.hdr";
    ASSERT_EQ(fs::exists(hdr), c.written);
    if (c.written) {
      const std::string bytes = qv::test::FileBytes(hdr.string());
      ASSERT_EQ(bytes.size(), 4096u);
      EXPECT_EQ(bytes[8], 1) << "the old header's marker";
      EXPECT_EQ(bytes.substr(258, 5), "North");
    }
  }
}

}  // namespace
