// Arbitrary bytes into the metafile decoder: it must refuse or decode, never
// read outside the input.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/metafile/wmf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qv::wmf::Picture pic;
  std::string error;
  if (qv::wmf::Decode(data, size, pic, error)) {
    int x, y, w, h;
    qv::wmf::Frame(pic, x, y, w, h);
  }
  return 0;
}
