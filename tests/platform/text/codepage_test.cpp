// The code page of the files' texts: CP1252 by default, CP932 under a
// Japanese locale; bytes come back as they were through a decode and an
// encode, and what cannot be stored is named.
#include "platform/text/codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class CodePageTest : public ::testing::Test {
 protected:
  void TearDown() override { qv::SetFileCodePage(qv::kCodePageWestern); }
};

TEST_F(CodePageTest, TextsInEitherCodePage) {
  struct Case {
    int codePage;
    std::u16string text;
    std::string bytes;
  };
  const Case cases[] = {
      {qv::kCodePageWestern, u"Gr\u00F6\u00DFe 20\u00B0C \u20AC", "Gr\xF6\xDF" "e 20\xB0" "C \x80"},
      {qv::kCodePageJapanese, u"\u65E5\u672C\u5730\u4E0B\u6C34", "\x93\xFA\x96\x7B\x92\x6E\x89\xBA\x90\x85"},
      // Half-width katakana are single bytes; ASCII stays ASCII, a backslash included.
      {qv::kCodePageJapanese, u"\uFF77\uFF6E\uFF73 C:\\DATA", "\xB7\xAE\xB3 C:\\DATA"},
      // The Windows extensions of the code page (NEC row 13, the IBM rows).
      {qv::kCodePageJapanese, u"\u2460\u3231\u2170", "\x87\x40\x87\x8A\xFA\x40"},
  };
  for (const Case& c : cases) {
    qv::SetFileCodePage(c.codePage);
    EXPECT_EQ(qv::EncodeFileText(c.text), c.bytes) << c.codePage;
    EXPECT_EQ(qv::DecodeFileText(c.bytes), c.text) << c.codePage;
    EXPECT_TRUE(qv::UnstorableCharacters(c.text).empty()) << c.codePage;
  }
}

TEST_F(CodePageTest, BytesComeBackAsTheyWere) {
  // Every byte by itself, lead bytes with every trail byte (also bytes the
  // code page has no character for), and a lead byte cut off at the end. (The few byte
  // pairs CP932 gives a character twice, in rows 0x87, 0xED, 0xEE and 0xFA,
  // are written back in the one form Windows writes too.)
  std::string bytes;
  for (int b = 0; b < 256; ++b) {
    bytes += static_cast<char>(b);
    bytes += ' ';  // each byte by itself
  }
  for (int lead : {0x81, 0x85, 0x9F, 0xE0, 0xEF, 0xF0, 0xFC})
    for (int trail = 0; trail < 256; ++trail) {
      bytes += static_cast<char>(lead);
      bytes += static_cast<char>(trail);
      bytes += ' ';
    }
  bytes += '\x82';
  for (int page : {qv::kCodePageWestern, qv::kCodePageJapanese}) {
    qv::SetFileCodePage(page);
    EXPECT_EQ(qv::EncodeFileText(qv::DecodeFileText(bytes)), bytes) << page;
  }
}

TEST_F(CodePageTest, CharactersTheCodePageCannotHoldAreNamedOnceAndStoredAsQuestionMarks) {
  struct Case {
    int codePage;
    std::u16string text, missing;
    std::string bytes;
  };
  const Case cases[] = {
      {qv::kCodePageWestern, u"\u4E95\u6238 \u4E95", u"\u4E95\u6238", "?? ?"},
      {qv::kCodePageJapanese, u"M\u00FCller \u4E95", u"\u00FC", "M?ller \x88\xE4"},
      {qv::kCodePageJapanese, u"a\U0001F4A7b", u"\U0001F4A7", "a?b"},
      {qv::kCodePageWestern, u"a\U0001F4A7b", u"\U0001F4A7", "a??b"},
  };
  for (const Case& c : cases) {
    qv::SetFileCodePage(c.codePage);
    EXPECT_EQ(qv::UnstorableCharacters(c.text), c.missing) << c.codePage;
    EXPECT_EQ(qv::EncodeFileText(c.text), c.bytes) << c.codePage;
  }
}

}  // namespace
