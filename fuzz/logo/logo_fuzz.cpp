// Arbitrary bytes as the logo bitmap of the program folder: the printed log
// heading draws it stretched onto a page, the recorder's heading form turns
// it into dots. Neither may crash, read past the file or allocate without
// bound, whatever the file's header claims.
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz/support/scratch_folder.h"
#include "print/page/dib.h"
#include "print/recorder/text_blocks.h"

namespace {

const std::string& Folder() {
  return qv::fuzz::ScratchFolder("fuzz_logo");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static QGuiApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return -1;
  {
    std::ofstream out(Folder() + "/LOGO.BMP", std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  qv::print::CDib dib;
  if (dib.AttachMapFile(qv::print::FindLogoBitmap(Folder()), false)) {
    QImage page(160, 80, QImage::Format_RGB32);
    QPainter painter(&page);
    if (!dib.Draw(&painter, QPoint(4, 4), QSize(150, 70))) __builtin_trap();
    (void)dib.ColorTableEntries();
  }
  (void)qv::LogHeadingForm(nullptr, Folder());
  return 0;
}
