#include "print/page/dib.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <fstream>

#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "tests/print/page/bmp_fixtures.h"
#include "tests/support/qt_app.h"
#include "tests/support/test_files.h"

namespace {

using qv::print::CDib;
using qvtest::BmpSpec;
using qvtest::MakeBmp;

std::string Write(const std::string& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir + "/" + name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255), kWhite = qRgb(255, 255, 255),
           kBlack = qRgb(0, 0, 0);

std::vector<std::uint32_t> Grey256() {
  std::vector<std::uint32_t> p(256);
  for (std::uint32_t i = 0; i < 256; ++i) p[i] = i * 0x010101u;
  p[1] = 0xFF0000;
  p[2] = 0x00FF00;
  return p;
}

// Rows bottom-up unless the height is negative; each row padded to 4 bytes.
struct LoadCase {
  const char* name;
  BmpSpec spec;
  int colourEntries;
  std::vector<std::tuple<int, int, QRgb>> pixels;  // x, y from the top, colour
};

std::vector<LoadCase> LoadCases() {
  std::vector<LoadCase> c;
  // 1 bit, 3 x 2: top row 1 0 1, bottom row 0 1 0.
  c.push_back({"mono",
               {.width = 3,
                .height = 2,
                .bitCount = 1,
                .palette = {0x000000, 0xFFFFFF},
                .pixels = std::string("\x40\0\0\0\xA0\0\0\0", 8)},
               2,
               {{0, 0, kWhite}, {1, 0, kBlack}, {2, 0, kWhite}, {1, 1, kWhite}, {0, 1, kBlack}}});
  // 4 bit, 3 x 1, nibbles 1 2 3 with a 16-entry table.
  {
    std::vector<std::uint32_t> pal(16, 0);
    pal[1] = 0xFF0000, pal[2] = 0x00FF00, pal[3] = 0x0000FF;
    c.push_back({"four_bit",
                 {.width = 3, .height = 1, .bitCount = 4, .palette = pal, .pixels = std::string("\x12\x30\0\0", 4)},
                 16,
                 {{0, 0, kRed}, {1, 0, kGreen}, {2, 0, kBlue}}});
  }
  // 8 bit without a used-colour count: 256 entries.
  c.push_back({"eight_bit_full_table",
               {.width = 2, .height = 1, .bitCount = 8, .palette = Grey256(), .pixels = std::string("\x01\x02\0\0", 4)},
               256,
               {{0, 0, kRed}, {1, 0, kGreen}}});
  // 8 bit with two used colours: a table of two.
  c.push_back({"eight_bit_two_colours",
               {.width = 2,
                .height = 1,
                .bitCount = 8,
                .clrUsed = 2,
                .palette = {0x0000FF, 0xFF0000},
                .pixels = std::string("\x01\x00\0\0", 4)},
               2,
               {{0, 0, kRed}, {1, 0, kBlue}}});
  // 16 bit 5-5-5: red then blue, each five bits widened to eight as the
  // display does (0x1F becomes 0xF8).
  c.push_back({"sixteen_bit",
               {.width = 2, .height = 1, .bitCount = 16, .pixels = std::string("\x00\x7C\x1F\x00", 4)},
               0,
               {{0, 0, qRgb(248, 0, 0)}, {1, 0, qRgb(0, 0, 248)}}});
  // 24 bit, 2 x 2, bottom-up: bottom row blue green, top row red white.
  c.push_back({"bottom_up_24",
               {.width = 2,
                .height = 2,
                .pixels = std::string("\xFF\0\0\0\xFF\0\0\0"
                                      "\0\0\xFF\xFF\xFF\xFF\0\0",
                                      16)},
               0,
               {{0, 0, kRed}, {1, 0, kWhite}, {0, 1, kBlue}, {1, 1, kGreen}}});
  // The same rows top-down (negative height): the first row stored is the top.
  c.push_back({"top_down_24",
               {.width = 2,
                .height = -2,
                .pixels = std::string("\xFF\0\0\0\xFF\0\0\0"
                                      "\0\0\xFF\xFF\xFF\xFF\0\0",
                                      16)},
               0,
               {{0, 0, kBlue}, {1, 0, kGreen}, {0, 1, kRed}, {1, 1, kWhite}}});
  // 32 bit.
  c.push_back({"thirty_two_bit",
               {.width = 1, .height = 1, .bitCount = 32, .pixels = std::string("\0\xFF\0\0", 4)},
               0,
               {{0, 0, kGreen}}});
  // A V5 header of 124 bytes: the colour data start after it, not at 54.
  c.push_back({"v5_header",
               {.headerSize = 124, .width = 1, .height = 1, .pixels = std::string("\0\0\xFF\0", 4)},
               0,
               {{0, 0, kRed}}});
  // Pixels at an offset beyond the colour table: the file header's offset counts.
  c.push_back({"pixel_offset_gap",
               {.width = 1, .height = 1, .pixels = std::string("\xFF\0\0\0", 4), .gap = 16},
               0,
               {{0, 0, kBlue}}});
  // Run-length 8 bit, 4 x 2: bottom row 3 x colour 1 and 1 x colour 2, top row 4 x colour 2.
  c.push_back({"rle8",
               {.width = 4,
                .height = 2,
                .bitCount = 8,
                .compression = 1,
                .sizeImage = 10,
                .clrUsed = 3,
                .palette = {0x000000, 0xFF0000, 0x0000FF},
                .pixels = std::string("\x03\x01\x01\x02\x00\x00\x04\x02\x00\x01", 10)},
               3,
               {{0, 1, kRed}, {2, 1, kRed}, {3, 1, kBlue}, {0, 0, kBlue}, {3, 0, kBlue}}});
  return c;
}

TEST(DibLoad, LoadsEachLayoutWithItsColours) {
  qvtest::App();
  const std::string dir = qv::test::TempDir("print_page");
  for (const LoadCase& c : LoadCases()) {
    SCOPED_TRACE(c.name);
    qv::MessageRecorder boxes;
    CDib dib;
    ASSERT_TRUE(dib.AttachMapFile(Write(dir, std::string(c.name) + ".bmp", MakeBmp(c.spec)), false));
    EXPECT_TRUE(boxes.Ids().empty());
    EXPECT_EQ(dib.GetSize(), QSize(c.spec.width, std::abs(c.spec.height)));
    EXPECT_EQ(dib.ColorTableEntries(), c.colourEntries);
    EXPECT_EQ(dib.HasPalette(), c.colourEntries > 0);
    for (const auto& [x, y, colour] : c.pixels)
      EXPECT_EQ(dib.Image().pixel(x, y) & 0xFFFFFF, colour & 0xFFFFFF) << x << "," << y;
  }
}

TEST(DibLoad, RefusesBadFilesWithTheirMessage) {
  qvtest::App();
  const std::string dir = qv::test::TempDir("print_page");
  const std::string good = MakeBmp({.width = 2, .height = 2, .pixels = std::string(16, '\x7F')});
  std::string badHeaderSize = good;
  badHeaderSize[14] = 41;
  std::string hugeOffset = good;
  hugeOffset[10] = '\xF0';
  std::string rleTooShort = MakeBmp({.width = 4,
                                     .height = 2,
                                     .bitCount = 8,
                                     .compression = 1,
                                     .sizeImage = 64,
                                     .clrUsed = 2,
                                     .palette = {0, 0xFFFFFF},
                                     .pixels = std::string("\x04\x01\0\x01", 4)});
  struct Bad {
    const char* name;
    std::string bytes;
    bool create;
    unsigned id;
  } cases[] = {
      {"missing", "", false, 32097},
      {"empty", "", true, 32097},
      {"bad_magic", "MB" + good.substr(2), true, 32098},
      {"one_byte", "B", true, 32098},
      {"truncated_pixels", good.substr(0, good.size() - 3), true, 32099},
      {"truncated_header", good.substr(0, 30), true, 32099},
      {"unknown_header_size", badHeaderSize, true, 32098},
      {"offset_past_end", hugeOffset, true, 32099},
      {"rle_shorter_than_its_size", rleTooShort, true, 32099},
      {"bit_count_7", MakeBmp({.bitCount = 7, .pixels = std::string(4, '\0')}), true, 32098},
      {"zero_width", MakeBmp({.width = 0, .pixels = std::string(4, '\0')}), true, 32098},
  };
  for (const Bad& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir + "/" + c.name + ".bmp";
    if (c.create) Write(dir, std::string(c.name) + ".bmp", c.bytes);
    qv::MessageRecorder boxes;
    CDib dib;
    EXPECT_FALSE(dib.AttachMapFile(path, false));
    ASSERT_EQ(boxes.Ids(), std::vector<unsigned>{c.id});
    EXPECT_EQ(boxes.Shown()[0].flags & 0xF0u, unsigned(qv::MB_ICONSTOP));
    EXPECT_EQ(dib.GetSize(), QSize(0, 0));
    QImage page(10, 10, QImage::Format_RGB32);
    QPainter p(&page);
    EXPECT_FALSE(dib.Draw(&p, QPoint(0, 0), QSize(5, 5)));
  }
}

TEST(DibLoad, MessageTextsAreTheProgramsOwn) {
  qv::MessageRecorder boxes;
  CDib dib;
  dib.AttachMapFile("/nonexistent/LOGO.BMP", false);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, "Could not open bitmap file.Bitmap file is empty.");
  EXPECT_EQ(qv::LoadString(32098), "Invalid bitmap file");
  EXPECT_EQ(qv::LoadString(32099), "Could not read bitmap");
}

TEST(DibDraw, StretchesTheWholeImageIntoTheRectangle) {
  qvtest::App();
  const std::string dir = qv::test::TempDir("print_page");
  // 2 x 1: red, blue; drawn into 20 x 10 at (5, 5).
  CDib dib;
  ASSERT_TRUE(dib.AttachMapFile(
      Write(dir, "two.bmp", MakeBmp({.width = 2, .height = 1, .pixels = std::string("\0\0\xFF\xFF\0\0\0\0", 8)})),
      false));
  QImage page(40, 30, QImage::Format_RGB32);
  page.fill(Qt::white);
  {
    QPainter p(&page);
    EXPECT_TRUE(dib.Draw(&p, QPoint(5, 5), QSize(20, 10)));
  }
  EXPECT_EQ(page.pixel(6, 6), kRed);
  EXPECT_EQ(page.pixel(14, 14), kRed);
  EXPECT_EQ(page.pixel(16, 6), kBlue);
  EXPECT_EQ(page.pixel(24, 14), kBlue);
  EXPECT_EQ(page.pixel(25, 10), kWhite);
  EXPECT_EQ(page.pixel(10, 15), kWhite);
  dib.Release();
  EXPECT_EQ(dib.GetSize(), QSize(0, 0));
}

TEST(DibLogo, FoundInAnyLetterCaseAndLogoBeforeTheSecondName) {
  const std::string dir = qv::test::TempDir("print_page");
  {
    // Neither: no logo, and no box about it.
    qv::MessageRecorder boxes;
    EXPECT_EQ(qv::print::FindLogoBitmap(dir), "");
    CDib dib;
    EXPECT_FALSE(qv::print::AttachLogoBitmap(dib, dir));
    EXPECT_TRUE(boxes.Shown().empty());
  }
  Write(dir, "tb_logo2.bmp", "x");
  EXPECT_EQ(qv::print::FindLogoBitmap(dir), dir + "/tb_logo2.bmp");
  Write(dir, "Logo.Bmp", "x");
  EXPECT_EQ(qv::print::FindLogoBitmap(dir), dir + "/Logo.Bmp");
}

}  // namespace

namespace {
// The program folder ships a logo of its own: a plain bitmap that the page
// and the chart heading read without a box.
TEST(DibLogo, TheProgramFolderShipsALogo) {
  qv::MessageRecorder boxes;
  CDib dib;
  ASSERT_TRUE(qv::print::AttachLogoBitmap(dib, QV_PROGRAM_DIR));
  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_GE(dib.GetSize().width(), 64);
  EXPECT_GE(dib.GetSize().height(), 64);
  // Ink and paper both: a picture, not a blank.
  const QImage image = dib.Image().convertToFormat(QImage::Format_Grayscale8);
  int dark = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128;
  EXPECT_GT(dark, image.width() * image.height() / 20);
  EXPECT_LT(dark, image.width() * image.height() / 2);
}
}  // namespace
