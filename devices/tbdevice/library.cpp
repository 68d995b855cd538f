// What runs when libtbdevice.so is loaded into a process and unloaded again.
#include <cstdio>
#include <cstdlib>

#include "devices/tbdevice/internal.h"

namespace tbdev {
std::vector<EmbeddedImage> BuiltInFirmware();
}

namespace {

__attribute__((constructor)) void OnLoad() {
  tbdev::SetEmbeddedImages(tbdev::BuiltInFirmware());
  if (!tbdev::LibraryLoad()) {
    // Without the shared block the library cannot work: like a library that
    // refuses to load, the program that needs it does not start.
    std::fputs("TBdevice: the shared block cannot be created; the library does not load\n", stderr);
    std::_Exit(70);
  }
}

__attribute__((destructor)) void OnUnload() {
  tbdev::LibraryUnload();
  tbdev::ReleaseGlobals();
}

}  // namespace
