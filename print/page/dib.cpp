#include "print/page/dib.h"

#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QRect>
#include <cstdint>
#include <filesystem>

#include "logdoc/records/byte_order.h"
#include "platform/files/paths.h"
#include "platform/files/regular_file.h"
#include "platform/text/msgbox.h"
#include "platform/trace/trace.h"

namespace qv::print {

namespace {

constexpr unsigned kIdsOpenFailed = 32097;
constexpr unsigned kIdsInvalid = 32098;
constexpr unsigned kIdsReadFailed = 32099;

constexpr int kFileHeaderSize = 14;
constexpr std::uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

std::uint32_t U16(const QByteArray& b, qsizetype at) {
  return le::GetU16(reinterpret_cast<const std::uint8_t*>(b.data() + at));
}
std::uint32_t U32(const QByteArray& b, qsizetype at) {
  return le::GetU32(reinterpret_cast<const std::uint8_t*>(b.data() + at));
}

// What the file's own headers say, checked against its length before any
// decoding: the pixel data start at the file header's offset (not right
// after a 40-byte header), and a file that ends before its pixels do is
// refused rather than drawn with garbage.
struct BmpLayout {
  std::uint32_t headerSize = 0;
  std::int64_t width = 0;
  std::int64_t height = 0;  // negative: rows run top-down
  std::uint32_t bitCount = 0;
  std::uint32_t compression = kBiRgb;
  std::uint32_t sizeImage = 0;
  std::uint32_t clrUsed = 0;
  std::uint32_t pixelOffset = 0;
};

// 0 when the layout is sound, else the message id that refuses the file.
unsigned CheckLayout(const QByteArray& file, BmpLayout& l) {
  const qsizetype size = file.size();
  if (size < kFileHeaderSize + 4) return kIdsReadFailed;
  l.pixelOffset = U32(file, 10);
  l.headerSize = U32(file, 14);
  const bool core = l.headerSize == 12;
  if (!core && l.headerSize != 40 && l.headerSize != 52 && l.headerSize != 56 && l.headerSize != 64 &&
      l.headerSize != 108 && l.headerSize != 124)
    return kIdsInvalid;
  if (size < kFileHeaderSize + qsizetype(l.headerSize)) return kIdsReadFailed;
  const qsizetype h = kFileHeaderSize;
  if (core) {
    l.width = U16(file, h + 4);
    l.height = U16(file, h + 6);
    l.bitCount = U16(file, h + 10);
  } else {
    l.width = std::int32_t(U32(file, h + 4));
    l.height = std::int32_t(U32(file, h + 8));
    l.bitCount = U16(file, h + 14);
    l.compression = U32(file, h + 16);
    l.sizeImage = U32(file, h + 20);
    l.clrUsed = U32(file, h + 32);
  }
  switch (l.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
      break;
    default:
      return kIdsInvalid;
  }
  const std::int64_t rows = l.height < 0 ? -l.height : l.height;
  if (l.width <= 0 || rows == 0 || l.width > 65535 || rows > 65535) return kIdsInvalid;
  if (l.clrUsed > 256 && l.bitCount <= 8) return kIdsInvalid;
  if (l.pixelOffset < kFileHeaderSize + l.headerSize || l.pixelOffset > size) return kIdsReadFailed;
  std::int64_t pixelBytes = 0;
  if (l.compression == kBiRgb || l.compression == kBiBitfields) {
    pixelBytes = (l.width * l.bitCount + 31) / 32 * 4 * rows;
  } else if ((l.compression == kBiRle8 && l.bitCount == 8) || (l.compression == kBiRle4 && l.bitCount == 4)) {
    if (l.height < 0) return kIdsInvalid;             // run-length images are bottom-up only
    pixelBytes = l.sizeImage != 0 ? l.sizeImage : 2;  // at least the end-of-bitmap code
  } else {
    return kIdsInvalid;
  }
  if (std::int64_t(l.pixelOffset) + pixelBytes > size) return kIdsReadFailed;
  return 0;
}

int ColourEntries(const BmpLayout& l) {
  if (l.clrUsed != 0) return int(l.clrUsed);
  switch (l.bitCount) {
    case 1:
      return 2;
    case 4:
      return 16;
    case 8:
      return 256;
    default:
      return 0;
  }
}

bool Refuse(unsigned id) {
  ShowMessageId(id, MB_OK | MB_ICONSTOP);
  return false;
}

}  // namespace

bool CDib::AttachMapFile(const std::string& path, bool /*share*/) {
  Release();
  // Only a regular file is read: a FIFO or device would block for good.
  const int fd = qv::OpenRegularFile(path);
  if (fd < 0) return Refuse(kIdsOpenFailed);
  QFile file;
  if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) || file.size() == 0) {
    if (!file.isOpen()) ::close(fd);
    return Refuse(kIdsOpenFailed);
  }
  const QByteArray bytes = file.readAll();
  if (bytes.size() != file.size()) return Refuse(kIdsReadFailed);
  if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') return Refuse(kIdsInvalid);
  BmpLayout layout;
  if (const unsigned id = CheckLayout(bytes, layout)) return Refuse(id);

  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "bmp");
  QImage image;
  if (!reader.read(&image) || image.isNull()) return Refuse(kIdsInvalid);
  image_ = std::move(image);
  colorEntries_ = ColourEntries(layout);
  if (colorEntries_ > 0) Trace("CDib::MakePalette -- m_nColorTableEntries = %d\n", colorEntries_);
  return true;
}

QSize CDib::GetSize() const {
  return image_.isNull() ? QSize(0, 0) : image_.size();
}

bool CDib::Draw(QPainter* dc, QPoint origin, QSize size) const {
  if (dc == nullptr || image_.isNull()) return false;
  dc->save();
  dc->setRenderHint(QPainter::LosslessImageRendering, true);
  dc->drawImage(QRect(origin, size), image_);
  dc->restore();
  return true;
}

void CDib::Release() {
  image_ = QImage();
  colorEntries_ = 0;
}

std::string FindLogoBitmap(const std::string& folder) {
  for (const char* name : {"LOGO.BMP", "TB_LOGO2.BMP"}) {
    const std::string path = FindFileNoCase(JoinPath(folder, name));
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) return path;
  }
  return {};
}

bool AttachLogoBitmap(CDib& dib, const std::string& folder) {
  const std::string path = FindLogoBitmap(folder);
  if (path.empty()) {
    Trace("no logo bitmap in %s\n", folder.c_str());
    return false;
  }
  return dib.AttachMapFile(path, false);
}

}  // namespace qv::print
