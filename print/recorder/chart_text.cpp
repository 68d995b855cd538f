#include "chart_text.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <mutex>

#include "platform/text/cp1252.h"
#include "platform/trace/trace.h"

namespace qv {
namespace {

constexpr const char* kDebianPath = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

std::string FontconfigPath() {
  std::string path;
  if (!FcInit()) return path;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("Liberation Sans:style=Regular"));
  if (!pattern) return path;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* family = nullptr;
    FcChar8* file = nullptr;
    // Only the face itself will do: a substitute has other widths.
    if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch &&
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        std::string(reinterpret_cast<const char*>(family)) == "Liberation Sans")
      path = reinterpret_cast<const char*>(file);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return path;
}

// One face for the process; FreeType objects are not shared between threads,
// so every use holds the lock.
struct Face {
  std::mutex mutex;
  FT_Library library = nullptr;
  FT_Face face = nullptr;
  int cellUnits = 0;  // Windows ascent + descent in font units
  int ascentUnits = 0;
  int sizedFor = -1;  // the cell height the face is set to

  Face() {
    const std::string path = ChartFontPath();
    if (path.empty()) {
      Trace("chart text: Liberation Sans not found; the recorder draws no text\n");
      return;
    }
    if (FT_Init_FreeType(&library) != 0) return;
    if (FT_New_Face(library, path.c_str(), 0, &face) != 0) {
      Trace("chart text: cannot load %s\n", path.c_str());
      face = nullptr;
      return;
    }
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
      ascentUnits = os2->usWinAscent;
      cellUnits = os2->usWinAscent + os2->usWinDescent;
    } else {
      ascentUnits = face->ascender;
      cellUnits = face->ascender - face->descender;
    }
  }
  ~Face() {
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);
  }
  bool SizeFor(int cellHeight) {
    if (!face || cellUnits <= 0 || cellHeight <= 0) return false;
    if (sizedFor == cellHeight) return true;
    // The em that makes the cell CELLHEIGHT dots, in 26.6.
    const long em = std::lround(64.0 * cellHeight * face->units_per_EM / cellUnits);
    if (FT_Set_Char_Size(face, 0, em, 72, 72) != 0) return false;
    sizedFor = cellHeight;
    return true;
  }
  int Baseline(int cellHeight) const {
    return static_cast<int>(std::lround(static_cast<double>(cellHeight) * ascentUnits / cellUnits));
  }
};

Face& TheFace() {
  static Face f;
  return f;
}

// Walks the glyphs of TEXT, calling DRAW with each rendered bitmap and its
// pen position; returns the advance in dots.
template <class Draw>
int WalkText(std::string_view text, int cellHeight, Draw&& draw) {
  Face& f = TheFace();
  std::lock_guard lk(f.mutex);
  if (!f.SizeFor(cellHeight)) return 0;
  long pen = 0;  // 26.6
  for (unsigned char c : text) {
    if (FT_Load_Char(f.face, Cp1252ToUnicode(c), FT_LOAD_RENDER) != 0) continue;
    const FT_GlyphSlot g = f.face->glyph;
    draw(g, static_cast<int>(pen >> 6), f.Baseline(cellHeight));
    pen += g->advance.x;
  }
  return static_cast<int>((pen + 32) >> 6);
}

}  // namespace

std::string ChartFontPath() {
  struct stat st {};
  if (::stat(kDebianPath, &st) == 0) return kDebianPath;
  return FontconfigPath();
}

bool ChartFontAvailable() {
  return TheFace().face != nullptr;
}

int DrawChartText(GreyImage& grey, int x, int y, std::string_view text, int cellHeight) {
  return WalkText(text, cellHeight, [&](FT_GlyphSlot g, int penX, int baseline) {
    const FT_Bitmap& b = g->bitmap;
    if (b.pixel_mode != FT_PIXEL_MODE_GRAY) return;
    const int left = x + penX + g->bitmap_left;
    const int top = y + baseline - g->bitmap_top;
    for (unsigned row = 0; row < b.rows; ++row)
      for (unsigned col = 0; col < b.width; ++col)
        grey.Add(left + static_cast<int>(col), top + static_cast<int>(row),
                 b.buffer[static_cast<int>(row) * b.pitch + static_cast<int>(col)]);
  });
}

int ChartTextBaseline(int cellHeight) {
  Face& f = TheFace();
  std::lock_guard lk(f.mutex);
  if (!f.SizeFor(cellHeight)) return cellHeight;
  return f.Baseline(cellHeight);
}

int ChartTextWidth(std::string_view text, int cellHeight) {
  return WalkText(text, cellHeight, [](FT_GlyphSlot, int, int) {});
}

int DrawChartText(MonoRaster& raster, int x, int y, std::string_view text, int cellHeight) {
  // The grey image covers the text's cell; what reaches outside it is cut,
  // as a bitmap cuts what is drawn beyond its edge.
  const int width = ChartTextWidth(text, cellHeight) + cellHeight;
  GreyImage grey(std::max(width, 1), std::max(cellHeight, 1));
  const int advance = DrawChartText(grey, 0, 0, text, cellHeight);
  PackGrey(grey, raster, x, y);
  return advance;
}

}  // namespace qv
