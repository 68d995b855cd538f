#include "platform/metafile/wmf.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace qv::wmf {

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint32_t kEnhancedSignature = 0x464D4520;
constexpr size_t kPlaceableSize = 22;
constexpr size_t kHeaderSize = 18;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) { return U16(p) | (static_cast<uint32_t>(U16(p + 2)) << 16); }

// The parameters of one record, read as 16-bit words by index. Any read past
// the record's end marks the reader as short; the record is then refused.
class Params {
 public:
  Params(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  size_t size() const { return n_; }
  bool ok() const { return ok_; }
  int S(size_t word) { return static_cast<int16_t>(W(word)); }
  uint16_t W(size_t word) {
    if (word > n_ / 2 || word * 2 + 2 > n_) {
      ok_ = false;
      return 0;
    }
    return U16(p_ + word * 2);
  }
  uint32_t D(size_t word) { return W(word) | (static_cast<uint32_t>(W(word + 1)) << 16); }
  // 32-bit values by byte offset (enhanced metafiles).
  uint32_t UL(size_t byte) {
    if (byte > n_ || n_ - byte < 4) {
      ok_ = false;
      return 0;
    }
    return U32(p_ + byte);
  }
  int L(size_t byte) { return static_cast<int32_t>(UL(byte)); }
  uint8_t B(size_t byte) {
    if (byte >= n_) {
      ok_ = false;
      return 0;
    }
    return p_[byte];
  }
  // len bytes starting at a byte offset, when they are there.
  std::optional<std::string> Bytes(size_t byte, size_t len) {
    if (byte > n_ || len > n_ - byte) {
      ok_ = false;
      return std::nullopt;
    }
    return std::string(reinterpret_cast<const char*>(p_ + byte), len);
  }
  // count points (x, y word pairs) starting at a word index.
  std::vector<Point> Points(size_t word, size_t count) {
    std::vector<Point> pts;
    if (word > n_ / 2 || count > (n_ / 2 - word) / 2) {
      ok_ = false;
      return pts;
    }
    pts.reserve(count);
    for (size_t i = 0; i < count; ++i) pts.push_back({S(word + 2 * i), S(word + 2 * i + 1)});
    return pts;
  }

 private:
  const uint8_t* p_;
  size_t n_;
  bool ok_ = true;
};

enum class ObjKind { Free, Pen, Brush, Font, Other };
struct Object {
  ObjKind kind = ObjKind::Free;
  Pen pen;
  Brush brush;
  Font font;
};

// Puts an object in the lowest free slot; false when the table is full (the
// create is then ignored, as the system would fail it).
bool AddObject(std::vector<Object>& table, const Object& o) {
  for (auto& slot : table)
    if (slot.kind == ObjKind::Free) {
      slot = o;
      return true;
    }
  return false;
}

Command Make(Op op) {
  Command c;
  c.op = op;
  return c;
}

Command Valued(Op op, int value) {
  Command c = Make(op);
  c.a[0] = value;
  return c;
}

Command Coloured(Op op, uint32_t color) {
  Command c = Make(op);
  c.color = color;
  return c;
}

Command AtPoint(Op op, Point pt) {
  Command c = Make(op);
  c.pts = {pt};
  return c;
}

// Ends one record: refused when its parameters ran short, else its command
// (if any) is kept.
bool Keep(const Params& p, std::optional<Command>& cmd, Picture& out, std::string& error) {
  if (!p.ok()) {
    error = "record parameters do not fit the record";
    return false;
  }
  if (cmd) out.commands.push_back(std::move(*cmd));
  return true;
}

// The select command for a slot of the object table; none for a slot out of
// range, an empty one, or an object nothing is drawn with.
std::optional<Command> Select(const std::vector<Object>& table, uint64_t index) {
  if (index >= table.size()) return std::nullopt;
  const Object& o = table[index];
  Command c;
  switch (o.kind) {
    case ObjKind::Pen:
      c = Make(Op::SelectPen), c.pen = o.pen;
      return c;
    case ObjKind::Brush:
      c = Make(Op::SelectBrush), c.brush = o.brush;
      return c;
    case ObjKind::Font:
      c = Make(Op::SelectFont), c.font = o.font;
      return c;
    default:
      return std::nullopt;
  }
}

// Bitmaps larger than this are refused rather than expanded in memory.
constexpr uint64_t kMaxBitmapPixels = 16u << 20;

// Decodes the packed bitmap (header, colour table, rows) that starts at a
// byte offset of the record. Uncompressed 1, 4, 8, 24 and 32 bits per pixel;
// false for anything else or anything that does not fit the record.
constexpr size_t kRowsFollow = SIZE_MAX;

bool DecodeDib(Params& p, size_t at, Image& out, bool& topDownRows, size_t rowsAt = kRowsFollow) {
  auto bytes = [&](size_t off, size_t len) { return p.Bytes(at + off, len); };
  const auto head = bytes(0, 40);
  if (!head) return false;
  const auto* h = reinterpret_cast<const uint8_t*>(head->data());
  const uint32_t headerSize = U32(h);
  const int32_t width = static_cast<int32_t>(U32(h + 4));
  const int32_t rawHeight = static_cast<int32_t>(U32(h + 8));
  const uint16_t bits = U16(h + 14);
  const uint32_t compression = U32(h + 16);
  uint32_t colours = U32(h + 32);
  if (headerSize < 40 || headerSize > p.size() || compression != 0 || width <= 0 || rawHeight == 0 ||
      rawHeight == INT32_MIN)
    return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) return false;
  const bool topDown = rawHeight < 0;
  topDownRows = topDown;
  const uint64_t height = topDown ? -static_cast<int64_t>(rawHeight) : rawHeight;
  if (static_cast<uint64_t>(width) * height > kMaxBitmapPixels) return false;
  if (bits <= 8) {
    if (colours == 0 || colours > (1u << bits)) colours = 1u << bits;
  } else {
    colours = 0;
  }
  const auto table = bytes(headerSize, 4ull * colours);
  const uint64_t stride = ((static_cast<uint64_t>(width) * bits + 31) / 32) * 4;
  const auto rows = !table                    ? std::nullopt
                    : rowsAt == kRowsFollow ? bytes(headerSize + 4ull * colours, stride * height)
                                            : p.Bytes(rowsAt, stride * height);
  if (!table || !rows) return false;
  const auto* pal = reinterpret_cast<const uint8_t*>(table->data());
  out.width = width;
  out.height = static_cast<int>(height);
  out.pixels.assign(static_cast<size_t>(width) * height, 0xFF000000);
  for (uint64_t y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const uint8_t*>(rows->data()) + stride * (topDown ? y : height - 1 - y);
    uint32_t* dst = out.pixels.data() + y * width;
    for (int32_t x = 0; x < width; ++x) {
      uint32_t b, g, r;
      if (bits <= 8) {
        const unsigned perByte = 8 / bits;
        const unsigned index =
            (row[x / perByte] >> ((perByte - 1 - x % perByte) * bits)) & ((1u << bits) - 1);
        const uint8_t* q = pal + 4 * (index < colours ? index : 0);
        b = q[0], g = q[1], r = q[2];
      } else {
        const uint8_t* q = row + static_cast<size_t>(x) * (bits / 8);
        b = q[0], g = q[1], r = q[2];
      }
      dst[x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
  }
  return true;
}

// A bitmap record: the source and destination rectangles as word indexes of
// the record (height, width, y, x each) and where the bitmap starts.
std::optional<Command> BitmapRecord(Params& p, size_t src, size_t dst, size_t dibAt, bool sourceSized) {
  Command c = Make(Op::Bitmap);
  const int dh = p.S(dst), dw = p.S(dst + 1), dy = p.S(dst + 2), dx = p.S(dst + 3);
  c.pts = {{dx, dy}, {dw, dh}};
  if (sourceSized) {
    c.a[3] = p.S(src), c.a[2] = p.S(src + 1), c.a[1] = p.S(src + 2), c.a[0] = p.S(src + 3);
  } else {
    c.a[1] = p.S(src), c.a[0] = p.S(src + 1), c.a[2] = dw, c.a[3] = dh;
  }
  if (!p.ok()) return std::nullopt;
  // A record without a bitmap paints a pattern; not drawn here.
  if (p.size() <= dibAt) return std::nullopt;
  bool topDown = false;
  if (!DecodeDib(p, dibAt, c.image, topDown)) return std::nullopt;
  // The source origin of a bottom-up bitmap is its lower left corner.
  if (!topDown) c.a[1] = c.image.height - c.a[1] - c.a[3];
  return c;
}

// UTF-16LE text as UTF-8.
std::string Utf8(const std::string& utf16) {
  std::string out;
  for (size_t i = 0; i + 1 < utf16.size(); i += 2) {
    uint32_t c = static_cast<uint8_t>(utf16[i]) | (static_cast<uint8_t>(utf16[i + 1]) << 8);
    if (c >= 0xD800 && c < 0xE000) c = '?';  // surrogates: not kept
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// The objects an enhanced metafile selects without creating them.
bool StockObject(uint32_t index, Command& c) {
  if (!(index & 0x80000000u)) return false;
  static const uint32_t kBrushGrey[] = {0xFFFFFF, 0xC0C0C0, 0x808080, 0x404040, 0x000000};
  const uint32_t n = index & 0x7FFFFFFFu;
  if (n <= 4) {
    c = Make(Op::SelectBrush);
    c.brush.color = kBrushGrey[n];
  } else if (n == 5) {
    c = Make(Op::SelectBrush);
    c.brush.style = 1;
  } else if (n >= 6 && n <= 8) {
    c = Make(Op::SelectPen);
    c.pen.color = n == 6 ? 0xFFFFFF : 0;
    c.pen.style = n == 8 ? 5 : 0;
  } else if (n >= 10 && n <= 17 && n != 15) {
    c = Make(Op::SelectFont);
  } else {
    return false;
  }
  return true;
}

bool DecodeEmf(const uint8_t* data, size_t size, Picture& out, std::string& error) {
  Params header(data, size);
  const uint32_t headerBytes = header.UL(4);
  out.left = header.L(8), out.top = header.L(12), out.right = header.L(16), out.bottom = header.L(20);
  const uint32_t total = header.UL(48);
  const uint16_t handles = static_cast<uint16_t>(header.UL(56) & 0xFFFF);
  if (!header.ok() || header.UL(0) != 1 || headerBytes < 88 || headerBytes > size || total < headerBytes ||
      total > size) {
    error = "enhanced metafile header does not fit the file";
    return false;
  }
  // The header's bounds are inclusive device pixels.
  out.hasBounds = true;
  out.right += 1, out.bottom += 1;
  std::vector<Object> objects(handles);
  size_t at = headerBytes;
  while (at < total) {
    if (total - at < 8) {
      error = "record header is truncated";
      return false;
    }
    const uint32_t type = U32(data + at), bytes = U32(data + at + 4);
    if (bytes < 8 || bytes % 4 != 0 || bytes > total - at) {
      error = "record size does not fit the metafile";
      return false;
    }
    if (type == 14) break;  // end of file
    Params p(data + at, bytes);
    at += bytes;
    std::optional<Command> cmd;
    auto point = [&](size_t off) { return Point{p.L(off), p.L(off + 4)}; };
    auto box = [&](Op op) {
      Command c = Make(op);
      c.pts = {point(8), point(16)};
      return c;
    };
    // Polygons with 16-bit (small) or 32-bit points: count at 24, points at 28.
    auto poly = [&](Op op, bool small) {
      Command c = Make(op);
      const uint32_t n = p.UL(24);
      const size_t each = small ? 4 : 8;
      if (n > (p.size() - std::min<size_t>(p.size(), 28)) / each) {
        p.UL(p.size());  // marks the record as short
        return c;
      }
      for (uint32_t i = 0; i < n; ++i)
        c.pts.push_back(small ? Point{static_cast<int16_t>(p.W((28 + i * 4) / 2)),
                                      static_cast<int16_t>(p.W((30 + i * 4) / 2))}
                              : point(28 + i * 8));
      return c;
    };
    switch (type) {
      case 9:
      case 10:
        cmd = AtPoint(type == 9 ? Op::SetWindowExt : Op::SetWindowOrg, point(8));
        break;
      case 18:
      case 19:
      case 22:
        cmd = Valued(type == 18 ? Op::SetBkMode : type == 19 ? Op::SetPolyFillMode : Op::SetTextAlign, p.L(8));
        break;
      case 24:
      case 25:
        cmd = Coloured(type == 24 ? Op::SetTextColor : Op::SetBkColor, p.UL(8));
        break;
      case 27:
      case 54:
        cmd = AtPoint(type == 27 ? Op::MoveTo : Op::LineTo, point(8));
        break;
      case 33:
        cmd = Make(Op::SaveDC);
        break;
      case 34:
        cmd = Valued(Op::RestoreDC, p.L(8));
        break;
      case 37: {
        const uint32_t index = p.UL(8);
        Command c;
        if (StockObject(index, c)) cmd = c;
        else if (p.ok()) cmd = Select(objects, index);
        break;
      }
      case 38:
      case 95:
      case 39:
      case 82: {
        const uint32_t index = p.UL(8);
        Object o;
        if (type == 38) {
          o.kind = ObjKind::Pen, o.pen.style = p.UL(12) & 0x0F, o.pen.width = p.L(16), o.pen.color = p.UL(24);
        } else if (type == 95) {
          o.kind = ObjKind::Pen, o.pen.style = p.UL(28) & 0x0F, o.pen.width = p.L(32), o.pen.color = p.UL(40);
        } else if (type == 39) {
          o.kind = ObjKind::Brush, o.brush.style = p.L(12), o.brush.color = p.UL(16), o.brush.hatch = p.L(20);
        } else {
          o.kind = ObjKind::Font;
          o.font.height = p.L(12), o.font.width = p.L(16), o.font.escapement = p.L(20), o.font.weight = p.L(28);
          o.font.italic = p.B(32), o.font.underline = p.B(33), o.font.strikeOut = p.B(34);
          if (auto face = p.Bytes(40, 64)) {
            o.font.face = Utf8(*face);
            o.font.face = o.font.face.substr(0, o.font.face.find('\0'));
          }
        }
        if (p.ok() && index < objects.size()) objects[index] = o;
        break;
      }
      case 40: {
        const uint32_t index = p.UL(8);
        if (p.ok() && index < objects.size()) objects[index] = Object{};
        break;
      }
      case 42:
        cmd = box(Op::Ellipse);
        break;
      case 43:
        cmd = box(Op::Rectangle);
        break;
      case 44: {
        Command c = box(Op::RoundRect);
        c.a[0] = p.L(24), c.a[1] = p.L(28);
        cmd = c;
        break;
      }
      case 45:
      case 46:
      case 47: {
        Command c = box(type == 45 ? Op::Arc : type == 46 ? Op::Chord : Op::Pie);
        c.pts.push_back(point(24));
        c.pts.push_back(point(32));
        cmd = c;
        break;
      }
      case 3:
      case 4:
        cmd = poly(type == 3 ? Op::Polygon : Op::Polyline, false);
        break;
      case 86:
      case 87:
        cmd = poly(type == 86 ? Op::Polygon : Op::Polyline, true);
        break;
      case 8:
      case 91: {
        const bool small = type == 91;
        Command c = Make(Op::PolyPolygon);
        const uint32_t polys = p.UL(24), points = p.UL(28);
        const size_t each = small ? 4 : 8;
        const size_t room = p.size() > 32 ? p.size() - 32 : 0;
        if (polys > room / 4 || points > (room - polys * 4ull) / each) {
          p.UL(p.size());
          break;
        }
        uint64_t sum = 0;
        for (uint32_t i = 0; i < polys; ++i) sum += c.counts.emplace_back(static_cast<int>(p.UL(32 + 4 * i)));
        if (sum != points) {
          p.UL(p.size());
          break;
        }
        const size_t first = 32 + 4ull * polys;
        for (uint32_t i = 0; i < points; ++i)
          c.pts.push_back(small ? Point{static_cast<int16_t>(p.W((first + i * 4) / 2)),
                                        static_cast<int16_t>(p.W((first + i * 4 + 2) / 2))}
                                : point(first + i * 8));
        cmd = c;
        break;
      }
      case 84: {
        Command c = Make(Op::Text);
        c.a[1] = 1;  // UTF-8 text
        c.pts = {point(36)};
        const uint32_t chars = p.UL(44), offset = p.UL(48), options = p.UL(52);
        if (chars > p.size() / 2) {
          p.UL(p.size());
          break;
        }
        if (auto t = p.Bytes(offset, 2ull * chars)) c.text = Utf8(*t);
        if (options & 0x0002) {
          c.a[0] = 1;
          c.pts.push_back(point(56));
          c.pts.push_back(point(64));
        }
        cmd = c;
        break;
      }
      case 81: {
        Command c = Make(Op::Bitmap);
        const int dx = p.L(24), dy = p.L(28), sx = p.L(32), sy = p.L(36), sw = p.L(40), sh = p.L(44);
        const uint32_t offBmi = p.UL(48), offBits = p.UL(56);
        const int dw = p.L(72), dh = p.L(76);
        if (!p.ok()) break;
        bool topDown = false;
        if (offBmi == 0 || !DecodeDib(p, offBmi, c.image, topDown, offBits)) break;
        c.pts = {{dx, dy}, {dw, dh}};
        c.a[0] = sx, c.a[1] = topDown ? sy : c.image.height - sy - sh, c.a[2] = sw, c.a[3] = sh;
        cmd = c;
        break;
      }
      default:
        break;  // a record this player does not draw
    }
    if (!Keep(p, cmd, out, error)) return false;
  }
  return true;
}

Command Box(Op op, Params& p, size_t first) {
  // bottom, right, top, left from word `first` on.
  Command c = Make(op);
  c.pts = {{p.S(first + 3), p.S(first + 2)}, {p.S(first + 1), p.S(first)}};
  return c;
}

}  // namespace

Form DetectForm(const uint8_t* data, size_t size) {
  if (size >= 44 && U32(data + 40) == kEnhancedSignature) return Form::Enhanced;
  if (size >= 4 && U32(data) == kPlaceableKey) return Form::Placeable;
  return Form::Plain;
}

bool Decode(const uint8_t* data, size_t size, Picture& out, std::string& error) {
  out = Picture{};
  if (!data) size = 0;
  out.form = DetectForm(data, size);
  size_t start = 0;
  if (out.form == Form::Enhanced) return DecodeEmf(data, size, out, error);
  if (out.form == Form::Placeable) {
    if (size < kPlaceableSize + kHeaderSize) {
      error = "placeable header is truncated";
      return false;
    }
    out.hasBounds = true;
    out.left = static_cast<int16_t>(U16(data + 6));
    out.top = static_cast<int16_t>(U16(data + 8));
    out.right = static_cast<int16_t>(U16(data + 10));
    out.bottom = static_cast<int16_t>(U16(data + 12));
    out.unitsPerInch = U16(data + 14);
    start = kPlaceableSize;
  } else if (size < kHeaderSize) {
    error = "header is truncated";
    return false;
  }
  const uint8_t* h = data + start;
  const uint16_t type = U16(h), headerWords = U16(h + 2), version = U16(h + 4);
  const uint64_t length = 2ull * U32(h + 6);  // the whole metafile, in bytes
  const uint16_t objectCount = U16(h + 10);
  if ((type != 1 && type != 2) || headerWords != 9 || (version != 0x0100 && version != 0x0300)) {
    error = "not a metafile header";
    return false;
  }
  if (length < kHeaderSize || length > size - start) {
    error = "metafile size does not match the file";
    return false;
  }
  std::vector<Object> objects(objectCount);
  const uint8_t* end = h + length;
  const uint8_t* r = h + kHeaderSize;
  while (r < end) {
    if (end - r < 6) {
      error = "record header is truncated";
      return false;
    }
    const uint64_t recBytes = 2ull * U32(r);
    const uint16_t fn = U16(r + 4);
    if (recBytes < 6 || recBytes > static_cast<uint64_t>(end - r)) {
      error = "record size does not fit the metafile";
      return false;
    }
    if (fn == 0x0000) break;  // end of file
    Params p(r + 6, static_cast<size_t>(recBytes - 6));
    r += recBytes;
    std::optional<Command> cmd;
    switch (fn) {
      case 0x020B:
      case 0x020C:
      case 0x020F:
        cmd = AtPoint(fn == 0x020B ? Op::SetWindowOrg : fn == 0x020C ? Op::SetWindowExt : Op::OffsetWindowOrg,
                      {p.S(1), p.S(0)});
        break;
      case 0x0410: {
        Command c = Make(Op::ScaleWindowExt);
        c.a[0] = p.S(3), c.a[1] = p.S(2), c.a[2] = p.S(1), c.a[3] = p.S(0);
        if (c.a[1] != 0 && c.a[3] != 0) cmd = c;
        break;
      }
      case 0x0214:
      case 0x0213:
        cmd = AtPoint(fn == 0x0214 ? Op::MoveTo : Op::LineTo, {p.S(1), p.S(0)});
        break;
      case 0x041B:
        cmd = Box(Op::Rectangle, p, 0);
        break;
      case 0x0418:
        cmd = Box(Op::Ellipse, p, 0);
        break;
      case 0x061C: {
        Command c = Box(Op::RoundRect, p, 2);
        c.a[0] = p.S(1), c.a[1] = p.S(0);
        cmd = c;
        break;
      }
      case 0x0817:
      case 0x081A:
      case 0x0830: {
        Command c = Box(fn == 0x0817 ? Op::Arc : fn == 0x081A ? Op::Pie : Op::Chord, p, 4);
        c.pts.push_back({p.S(3), p.S(2)});
        c.pts.push_back({p.S(1), p.S(0)});
        cmd = c;
        break;
      }
      case 0x0325:
      case 0x0324: {
        Command c = Make(fn == 0x0325 ? Op::Polyline : Op::Polygon);
        c.pts = p.Points(1, p.W(0));
        cmd = c;
        break;
      }
      case 0x0538: {
        Command c = Make(Op::PolyPolygon);
        const size_t polys = p.W(0);
        size_t total = 0;
        for (size_t i = 0; i < polys && p.ok(); ++i) {
          c.counts.push_back(p.W(1 + i));
          total += c.counts.back();
        }
        if (p.ok()) c.pts = p.Points(1 + polys, total);
        cmd = c;
        break;
      }
      case 0x0521: {
        Command c = Make(Op::Text);
        const size_t len = p.W(0);
        if (auto t = p.Bytes(2, len)) c.text = *t;
        const size_t after = 1 + (len + 1) / 2;
        c.pts = {{p.S(after + 1), p.S(after)}};
        cmd = c;
        break;
      }
      case 0x0A32: {
        Command c = Make(Op::Text);
        c.pts = {{p.S(1), p.S(0)}};
        const size_t len = p.W(2);
        const uint16_t options = p.W(3);
        size_t textByte = 8;
        if (options & 0x0006) {  // an opaque or clipping rectangle comes first
          c.a[0] = (options & 0x0002) ? 1 : 0;
          c.pts.push_back({p.S(4), p.S(5)});
          c.pts.push_back({p.S(6), p.S(7)});
          textByte = 16;
        }
        if (auto t = p.Bytes(textByte, len)) c.text = *t;
        cmd = c;
        break;
      }
      case 0x041F: {
        Command c = Make(Op::SetPixel);
        c.color = p.D(0);
        c.pts = {{p.S(3), p.S(2)}};
        cmd = c;
        break;
      }
      case 0x0F43:  // stretched bitmap with its usage word
        cmd = BitmapRecord(p, 3, 7, 22, true);
        break;
      case 0x0B41:  // stretched bitmap
        cmd = BitmapRecord(p, 2, 6, 20, true);
        break;
      case 0x0940:  // bitmap copied at its size
        cmd = BitmapRecord(p, 2, 4, 16, false);
        break;
      case 0x001E:
        cmd = Make(Op::SaveDC);
        break;
      case 0x0127:
        cmd = Valued(Op::RestoreDC, p.S(0));
        break;
      case 0x0209:
      case 0x0201:
        cmd = Coloured(fn == 0x0209 ? Op::SetTextColor : Op::SetBkColor, p.D(0));
        break;
      case 0x0102:
      case 0x0106:
      case 0x012E:
        cmd = Valued(fn == 0x0102 ? Op::SetBkMode : fn == 0x0106 ? Op::SetPolyFillMode : Op::SetTextAlign, p.W(0));
        break;
      case 0x02FA: {
        Object o;
        o.kind = ObjKind::Pen;
        o.pen.style = p.W(0) & 0x0F;
        o.pen.width = p.S(1);
        o.pen.color = p.D(3);
        if (p.ok()) AddObject(objects, o);
        break;
      }
      case 0x02FC: {
        Object o;
        o.kind = ObjKind::Brush;
        o.brush.style = p.W(0);
        o.brush.color = p.D(1);
        o.brush.hatch = p.W(3);
        if (p.ok()) AddObject(objects, o);
        break;
      }
      case 0x02FB: {
        Object o;
        o.kind = ObjKind::Font;
        o.font.height = p.S(0);
        o.font.width = p.S(1);
        o.font.escapement = p.S(2);
        o.font.weight = p.S(4);
        o.font.italic = p.B(10) != 0;
        o.font.underline = p.B(11) != 0;
        o.font.strikeOut = p.B(12) != 0;
        p.B(17);  // the fixed part must be complete
        if (p.size() > 18) {
          auto face = p.Bytes(18, std::min<size_t>(32, p.size() - 18));
          if (face) o.font.face = face->substr(0, face->find('\0'));
        }
        if (p.ok()) AddObject(objects, o);
        break;
      }
      case 0x00F7:  // palette
      case 0x01F9:  // pattern brush
      case 0x0142:  // DIB pattern brush
      case 0x06FF: {  // region
        Object o;
        o.kind = ObjKind::Other;
        AddObject(objects, o);
        break;
      }
      case 0x012D: {
        const uint16_t index = p.W(0);
        if (p.ok()) cmd = Select(objects, index);
        break;
      }
      case 0x01F0: {
        const uint16_t index = p.W(0);
        if (p.ok() && index < objects.size()) objects[index] = Object{};
        break;
      }
      default:
        break;  // a record this player does not draw
    }
    if (!Keep(p, cmd, out, error)) return false;
  }
  return true;
}

}  // namespace qv::wmf

namespace qv::wmf {

bool Frame(const Picture& pic, int& x, int& y, int& width, int& height) {
  // A placeable header's bounds are in the file's logical units; an enhanced
  // header's are in device units, which a window the file sets replaces.
  const bool boundsFirst = pic.form != Form::Enhanced;
  if (boundsFirst && pic.hasBounds && pic.right != pic.left && pic.bottom != pic.top) {
    x = pic.left, y = pic.top, width = pic.right - pic.left, height = pic.bottom - pic.top;
    return true;
  }
  const Command* org = nullptr;
  const Command* ext = nullptr;
  for (const auto& c : pic.commands) {
    if (c.op == Op::SetWindowOrg && !org) org = &c;
    if (c.op == Op::SetWindowExt && !ext) ext = &c;
  }
  if (ext && ext->pts[0].x != 0 && ext->pts[0].y != 0) {
    x = org ? org->pts[0].x : 0, y = org ? org->pts[0].y : 0;
    width = ext->pts[0].x, height = ext->pts[0].y;
    return true;
  }
  if (pic.hasBounds && pic.right != pic.left && pic.bottom != pic.top) {
    x = pic.left, y = pic.top, width = pic.right - pic.left, height = pic.bottom - pic.top;
    return true;
  }
  bool any = false;
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  for (const auto& c : pic.commands) {
    if (c.op == Op::SetWindowOrg || c.op == Op::SetWindowExt || c.op == Op::OffsetWindowOrg) continue;
    for (const auto& p : c.pts) {
      if (!any) x0 = x1 = p.x, y0 = y1 = p.y, any = true;
      x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
    }
  }
  if (!any || x1 == x0 || y1 == y0) return false;
  x = x0, y = y0, width = x1 - x0, height = y1 - y0;
  return true;
}

}  // namespace qv::wmf
