#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include "platform/metafile/player.h"
#include "platform/metafile/wmf.h"
#include "tests/platform/metafile/wmf_builder.h"

using wmftest::Builder;
using wmftest::EmfBuilder;

namespace {

constexpr uint32_t kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000;

qv::wmf::Picture Decode(const std::vector<uint8_t>& bytes) {
  qv::wmf::Picture pic;
  std::string error;
  EXPECT_TRUE(qv::wmf::Decode(bytes.data(), bytes.size(), pic, error)) << error;
  return pic;
}

QImage Render(const std::vector<uint8_t>& bytes, int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  EXPECT_TRUE(qv::wmf::Play(Decode(bytes), p, QRectF(0, 0, w, h)));
  p.end();
  return img;
}

QRgb Rgb(uint32_t colorRef) { return qRgb(colorRef & 0xFF, (colorRef >> 8) & 0xFF, (colorRef >> 16) & 0xFF); }

class Metafile : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    // Headless whatever the test runner passes on.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!QGuiApplication::instance()) app_ = new QGuiApplication(argc, argv);
  }
  static QGuiApplication* app_;
};
QGuiApplication* Metafile::app_ = nullptr;

TEST_F(Metafile, PlaceableRectangleFillsItsShareOfTheTarget) {
  Builder b;
  b.Brush(0, kRed).Select(0).Pen(5, 0, 0).Select(1).Rectangle(200, 200, 800, 800);
  const QImage img = Render(b.Placeable(0, 0, 1000, 1000), 100, 100);
  EXPECT_EQ(img.pixel(50, 50), Rgb(kRed));
  EXPECT_EQ(img.pixel(25, 75), Rgb(kRed));
  EXPECT_EQ(img.pixel(10, 10), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(90, 50), qRgb(255, 255, 255));
}

TEST_F(Metafile, PlainPolygonUsesTheWindowOfTheFile) {
  Builder b;
  b.Rec(0x020B, {0, 0}).Rec(0x020C, {100, 200});  // window origin 0,0; extent 200 x 100
  b.Brush(0, kBlue).Select(0).Pen(5, 0, 0).Select(1);
  b.Rec(0x0324, {3, 0, 0, 200, 0, 0, 100});  // triangle: top edge and left edge
  const QImage img = Render(b.Plain(), 100, 50);
  EXPECT_EQ(img.pixel(10, 5), Rgb(kBlue));
  EXPECT_EQ(img.pixel(90, 45), qRgb(255, 255, 255));
}

TEST_F(Metafile, EllipseLineAndRestoredBrush) {
  Builder b;
  b.Brush(0, kGreen).Select(0).Pen(5, 0, 0).Select(1);
  b.Rec(0x001E, {});                         // save
  b.Brush(0, kBlue).Select(2);               // blue while saved
  b.Rec(0x0127, {-1});                       // restore: green again
  b.Ellipse(0, 0, 100, 100);
  b.Pen(0, 0, 0).Select(3).Rec(0x0214, {90, 0}).Rec(0x0213, {90, 100});  // black line at y 90
  const QImage img = Render(b.Placeable(0, 0, 100, 100), 100, 100);
  EXPECT_EQ(img.pixel(50, 50), Rgb(kGreen));
  EXPECT_EQ(img.pixel(3, 3), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(50, 90), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(50, 80), Rgb(kGreen));
}

TEST_F(Metafile, DeletedObjectSlotIsReused) {
  Builder b(1);
  b.Brush(0, kRed).Rec(0x01F0, {0}).Brush(0, kBlue).Select(0).Rectangle(0, 0, 100, 100);
  const QImage img = Render(b.Placeable(0, 0, 100, 100), 50, 50);
  EXPECT_EQ(img.pixel(25, 25), Rgb(kBlue));
}

TEST_F(Metafile, BitmapsAreStretchedIntoTheirRectangle) {
  // 2 x 2 at 24 bits, rows bottom-up: blue white / red green.
  const std::vector<uint8_t> rows = {0xFF, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0,  // bottom row: blue, white
                                     0, 0, 0xFF, 0, 0xFF, 0, 0, 0};       // top row: red, green
  Builder b;
  b.StretchDib({0, 0, 2, 2}, {0, 0, 100, 100}, Builder::Dib(2, 2, 24, {}, rows));
  // 8 x 1 at one bit, top-down, black and yellow alternating.
  b.StretchDib({0, 0, 8, 1}, {0, 100, 100, 20}, Builder::Dib(8, -1, 1, {0x000000, 0xFFFF00}, {0x55, 0, 0, 0}));
  const QImage img = Render(b.Placeable(0, 0, 100, 120), 100, 120);
  EXPECT_EQ(img.pixel(25, 25), Rgb(kRed));
  EXPECT_EQ(img.pixel(75, 25), Rgb(kGreen));
  EXPECT_EQ(img.pixel(25, 75), Rgb(kBlue));
  EXPECT_EQ(img.pixel(75, 75), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(6, 110), qRgb(0, 0, 0));
  EXPECT_EQ(img.pixel(18, 110), qRgb(255, 255, 0));
}

TEST_F(Metafile, EnhancedMetafileShapesAndStockObjects) {
  EmfBuilder e;
  e.Rec(39, {1, 0, static_cast<int32_t>(kRed), 0})  // brush 1: solid red
      .Rec(37, {1})
      .Rec(37, {static_cast<int32_t>(0x80000008)})  // the null pen
      .Rec(43, {20, 20, 80, 80})
      .Rec(37, {static_cast<int32_t>(0x80000004)})  // the black brush
      .Rec(86, {0, 0, 0, 0, 3, 0 | (0 << 16), 30 | (0 << 16), 0 | (30 << 16)});  // small triangle, 16-bit points
  const QImage img = Render(e.Bytes(0, 0, 99, 99), 100, 100);
  EXPECT_EQ(img.pixel(50, 50), Rgb(kRed));
  EXPECT_EQ(img.pixel(90, 90), qRgb(255, 255, 255));
  EXPECT_EQ(img.pixel(5, 5), qRgb(0, 0, 0));
  // A window set by the file replaces the header's device bounds.
  EmfBuilder w;
  w.Rec(9, {1000, 1000}).Rec(10, {0, 0}).Rec(39, {1, 0, static_cast<int32_t>(kBlue), 0}).Rec(37, {1});
  w.Rec(37, {static_cast<int32_t>(0x80000008)}).Rec(42, {0, 0, 500, 500});
  const QImage img2 = Render(w.Bytes(0, 0, 99, 99), 100, 100);
  EXPECT_EQ(img2.pixel(25, 25), Rgb(kBlue));
  EXPECT_EQ(img2.pixel(75, 75), qRgb(255, 255, 255));
}

TEST_F(Metafile, TextIsDrawnNearItsPoint) {
  Builder b;
  std::vector<uint8_t> font;
  for (int w : {-40, 0, 0, 0, 700}) Builder::Put16(font, static_cast<uint16_t>(w));
  for (int i = 0; i < 8; ++i) font.push_back(0);
  for (char c : std::string("Sans")) font.push_back(static_cast<uint8_t>(c));
  font.push_back(0);
  b.Raw(0x02FB, font).Select(0).Rec(0x0102, {1});  // transparent background
  std::vector<uint8_t> text;
  Builder::Put16(text, 4);
  for (char c : std::string("MMMM")) text.push_back(static_cast<uint8_t>(c));
  Builder::Put16(text, 10);  // y
  Builder::Put16(text, 10);  // x
  b.Raw(0x0521, text);
  const QImage img = Render(b.Placeable(0, 0, 200, 100), 200, 100);
  int dark = 0;
  for (int y = 10; y < 60; ++y)
    for (int x = 10; x < 190; ++x) dark += qGray(img.pixel(x, y)) < 128;
  EXPECT_GT(dark, 50);
  int elsewhere = 0;
  for (int y = 70; y < 100; ++y)
    for (int x = 0; x < 200; ++x) elsewhere += qGray(img.pixel(x, y)) < 128;
  EXPECT_EQ(elsewhere, 0);
}

TEST(MetafileFrame, PlaceableBoundsElseWindowElsePoints) {
  int x, y, w, h;
  auto frame = [&](const std::vector<uint8_t>& bytes) {
    qv::wmf::Picture pic;
    std::string error;
    EXPECT_TRUE(qv::wmf::Decode(bytes.data(), bytes.size(), pic, error)) << error;
    return qv::wmf::Frame(pic, x, y, w, h);
  };
  ASSERT_TRUE(frame(Builder().Rectangle(1, 2, 3, 4).Placeable(-10, -20, 90, 80)));
  EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({-10, -20, 100, 100}));
  ASSERT_TRUE(frame(Builder().Rec(0x020B, {5, 6}).Rec(0x020C, {300, 400}).Plain()));
  EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({6, 5, 400, 300}));
  ASSERT_TRUE(frame(Builder().Rectangle(10, 20, 110, 70).Plain()));
  EXPECT_EQ(std::vector<int>({x, y, w, h}), std::vector<int>({10, 20, 100, 50}));
  EXPECT_FALSE(frame(Builder().Plain()));
}

TEST(MetafileDecode, RefusesWhatDoesNotFit) {
  auto withSize = [](std::vector<uint8_t> v, size_t at, uint32_t words) {
    v[at] = words & 0xFF, v[at + 1] = (words >> 8) & 0xFF, v[at + 2] = (words >> 16) & 0xFF, v[at + 3] = words >> 24;
    return v;
  };
  auto prefix = [](const std::vector<uint8_t>& v, size_t n) { return std::vector<uint8_t>(v.begin(), v.begin() + n); };
  const auto good = Builder().Rectangle(0, 0, 10, 10).Plain();
  std::vector<uint8_t> emf(88, 0);
  emf[40] = 0x20, emf[41] = 0x45, emf[42] = 0x4D, emf[43] = 0x46;
  auto emfWith = [&](EmfBuilder e) { return e.Bytes(0, 0, 9, 9); };
  std::vector<uint8_t> emfTooLong = emfWith(EmfBuilder().Rec(43, {0, 0, 1, 1}));
  emfTooLong[48] = 0xF0;  // total size beyond the file
  std::vector<uint8_t> emfOddRecord = emfWith(EmfBuilder().Rec(43, {0, 0, 1, 1}));
  emfOddRecord[92] = 10;  // record size not a multiple of four
  std::vector<uint8_t> badType = good;
  badType[0] = 3;
  std::vector<uint8_t> text;
  Builder::Put16(text, 200);  // 200 characters announced, 2 there
  text.push_back('A'), text.push_back('B');
  std::vector<uint8_t> ext = {0, 0, 0, 0, 2, 0, 6, 0};  // y, x, length 2, opaque|clipped, no rectangle
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"empty", {}},
      {"short header", prefix(good, 10)},
      {"enhanced header only zeros", emf},
      {"enhanced size beyond the file", emfTooLong},
      {"enhanced record size odd", emfOddRecord},
      {"enhanced polyline count beyond", emfWith(EmfBuilder().Rec(87, {0, 0, 0, 0, 1000, 1}))},
      {"enhanced polypolygon counts disagree", emfWith(EmfBuilder().Rec(91, {0, 0, 0, 0, 1, 5, 3, 1, 2}))},
      {"enhanced text beyond record", emfWith(EmfBuilder().Rec(84, {0, 0, 0, 0, 1, 0, 0, 0, 0, 50, 76, 0}))},
      {"enhanced rectangle short", emfWith(EmfBuilder().Rec(43, {0, 0}))},
      {"not a header", badType},
      {"file size beyond the bytes", withSize(good, 6, 1000)},
      {"file size below the header", withSize(good, 6, 4)},
      {"record size zero", withSize(good, 18, 0)},
      {"record size beyond the file", withSize(good, 18, 0x7FFFFFFF)},
      {"placeable truncated", prefix(Builder().Placeable(0, 0, 1, 1), 30)},
      {"placeable size beyond", withSize(Builder().Rectangle(0, 0, 1, 1).Placeable(0, 0, 1, 1), 28, 5000)},
      {"polygon count beyond record", Builder().Rec(0x0324, {50, 0, 0, 1, 1}).Plain()},
      {"polypolygon counts beyond", Builder().Rec(0x0538, {2, 3, 60000, 0, 0, 1, 1, 2, 2}).Plain()},
      {"polypolygon count list beyond", Builder().Rec(0x0538, {9, 3}).Plain()},
      {"text beyond record", Builder().Raw(0x0521, text).Plain()},
      {"extended text rectangle missing", Builder().Raw(0x0A32, ext).Plain()},
      {"rectangle short", Builder().Rec(0x041B, {1, 2}).Plain()},
      {"font short", Builder().Rec(0x02FB, {10, 0}).Plain()},
      {"pen short", Builder().Rec(0x02FA, {0}).Plain()},
      {"bitmap rows beyond record",
       Builder().StretchDib({0, 0, 64, 64}, {0, 0, 1, 1}, Builder::Dib(64, 64, 24, {}, {1, 2, 3, 4})).Plain()},
      {"bitmap colours beyond record",
       Builder().StretchDib({0, 0, 1, 1}, {0, 0, 1, 1}, Builder::Dib(1, 1, 8, {1, 2}, {})).Plain()},
  };
  for (const auto& c : cases) {
    qv::wmf::Picture pic;
    std::string error;
    EXPECT_FALSE(qv::wmf::Decode(c.bytes.data(), c.bytes.size(), pic, error)) << c.what;
    EXPECT_FALSE(error.empty()) << c.what;
  }
}

TEST(MetafileDecode, SkipsUnknownRecordsAndBadHandles) {
  // Also skipped: bitmaps of a depth or size this player does not draw.
  const auto odd = Builder::Dib(1, 1, 3, {}, {0, 0, 0, 0});
  const auto huge = Builder::Dib(1 << 15, 1 << 15, 1, {0, 0}, {});
  const auto bytes = Builder(2)
                         .Rec(0x0626, {1, 2, 3})
                         .Select(7)
                         .Select(1)
                         .Rec(0x01F0, {9})
                         .StretchDib({0, 0, 1, 1}, {0, 0, 1, 1}, odd)
                         .StretchDib({0, 0, 1, 1}, {0, 0, 1, 1}, huge)
                         .Rectangle(0, 0, 4, 4)
                         .Plain();
  qv::wmf::Picture pic;
  std::string error;
  ASSERT_TRUE(qv::wmf::Decode(bytes.data(), bytes.size(), pic, error)) << error;
  ASSERT_EQ(pic.commands.size(), 1u);
  EXPECT_EQ(pic.commands[0].op, qv::wmf::Op::Rectangle);
  EXPECT_EQ(qv::wmf::DetectForm(bytes.data(), bytes.size()), qv::wmf::Form::Plain);
}

}  // namespace
