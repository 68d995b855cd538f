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
  if (out.form == Form::Enhanced) {
    error = "enhanced metafiles are not supported";
    return false;
  }
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
      case 0x020F: {
        Command c = Make(fn == 0x020B ? Op::SetWindowOrg : fn == 0x020C ? Op::SetWindowExt : Op::OffsetWindowOrg);
        c.pts = {{p.S(1), p.S(0)}};
        cmd = c;
        break;
      }
      case 0x0410: {
        Command c = Make(Op::ScaleWindowExt);
        c.a[0] = p.S(3), c.a[1] = p.S(2), c.a[2] = p.S(1), c.a[3] = p.S(0);
        if (c.a[1] != 0 && c.a[3] != 0) cmd = c;
        break;
      }
      case 0x0214:
      case 0x0213: {
        Command c = Make(fn == 0x0214 ? Op::MoveTo : Op::LineTo);
        c.pts = {{p.S(1), p.S(0)}};
        cmd = c;
        break;
      }
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
      case 0x001E:
        cmd = Make(Op::SaveDC);
        break;
      case 0x0127: {
        Command c = Make(Op::RestoreDC);
        c.a[0] = p.S(0);
        cmd = c;
        break;
      }
      case 0x0209:
      case 0x0201: {
        Command c = Make(fn == 0x0209 ? Op::SetTextColor : Op::SetBkColor);
        c.color = p.D(0);
        cmd = c;
        break;
      }
      case 0x0102:
      case 0x0106:
      case 0x012E: {
        Command c = Make(fn == 0x0102 ? Op::SetBkMode : fn == 0x0106 ? Op::SetPolyFillMode : Op::SetTextAlign);
        c.a[0] = p.W(0);
        cmd = c;
        break;
      }
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
        if (p.ok() && index < objects.size()) {
          const Object& o = objects[index];
          Command c;
          switch (o.kind) {
            case ObjKind::Pen:
              c = Make(Op::SelectPen), c.pen = o.pen, cmd = c;
              break;
            case ObjKind::Brush:
              c = Make(Op::SelectBrush), c.brush = o.brush, cmd = c;
              break;
            case ObjKind::Font:
              c = Make(Op::SelectFont), c.font = o.font, cmd = c;
              break;
            default:
              break;  // nothing to draw with, or an empty slot: ignored
          }
        }
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
    if (!p.ok()) {
      error = "record parameters do not fit the record";
      return false;
    }
    if (cmd) out.commands.push_back(std::move(*cmd));
  }
  return true;
}

}  // namespace qv::wmf

namespace qv::wmf {

bool Frame(const Picture& pic, int& x, int& y, int& width, int& height) {
  if (pic.hasBounds && pic.right != pic.left && pic.bottom != pic.top) {
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
