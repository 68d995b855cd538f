// The firmware download: three scrambled images, each from a file in the
// program folder or else built into the library, descrambled and sent in
// 64-byte packets on the bulk OUT pipe.
#include <fstream>
#include <iterator>
#include <vector>

#include "devices/tbdevice/internal.h"
#include "platform/trace/trace.h"

namespace tbdev {
namespace {

struct ImageSpec {
  const char* file;
  int resourceId;
  uint8_t code;
};
constexpr ImageSpec kImages[] = {{"MDATA.ENC", 107, 0xAC}, {"MPROG.ENC", 106, 0xAA}, {"SLAVE.ENC", 108, 0xAB}};

int WordsPerPacket(uint8_t code) {
  switch (code) {
    case 0xAC:
      return 30;
    case 0xAA:
      return 20;
    default:
      return 60;
  }
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

}  // namespace

// When bits 14 and 7 differ a one is shifted in, else a zero; only the low 15
// bits ever matter.
uint8_t Descrambler::Next() {
  const bool b14 = (r_ >> 14) & 1;
  const bool b7 = (r_ >> 7) & 1;
  r_ = ((r_ << 1) | (b14 != b7 ? 1u : 0u)) & 0xFFFF;
  return static_cast<uint8_t>(r_ & 0xFF);
}

int DownloadFirmwareImage(const uint8_t* image, size_t size, uint8_t code) {
  LibraryState& s = State();
  if (size < 2 || !s.toolkit) return 1;
  Descrambler key;
  const int hi = image[0] ^ key.Next();
  const int lo = image[1] ^ key.Next();
  int remaining = hi * 256 + lo;
  const int perPacket = WordsPerPacket(code);
  size_t pos = 2;
  while (remaining >= 0) {
    uint8_t packet[64] = {};
    packet[0] = code;
    packet[1] = static_cast<uint8_t>(remaining & 0xFF);
    packet[2] = static_cast<uint8_t>(remaining >> 8);
    for (int i = 3; i < 63 && pos < size; ++i) packet[i] = image[pos++] ^ key.Next();
    remaining -= perPacket;
    unsigned sum = 0;
    for (int i = 0; i < 63; ++i) sum += packet[i];
    packet[63] = static_cast<uint8_t>(sum & 0xFF);
    uint32_t moved = 0;
    const qv::usb::Status st =
        s.toolkit->TransferBulk(s.device, kPipeBulkOut, false, packet, 64, &moved, TimingTable().bulkTimeoutMs);
    Pause(TimingTable().firmwarePacketPauseMs);
    if (st != qv::usb::kSuccess || moved != 64) {
      qv::Trace("TBdevice: firmware image 0x%02X: packet not delivered (%s)", code, qv::usb::StatusText(st).c_str());
      return 1;
    }
  }
  return 0;
}

uint32_t DownloadAllFirmware() {
  bool failed = false;
  for (const ImageSpec& img : kImages) {
    std::vector<uint8_t> bytes;
    const std::string path = FindProgramFile(img.file);
    const uint8_t* data = nullptr;
    size_t size = 0;
    if (!path.empty() && ReadWholeFile(path, &bytes)) {
      data = bytes.data();
      size = bytes.size();
    } else if (const EmbeddedImage* e = FindEmbeddedImage(img.resourceId)) {
      data = e->data;
      size = e->size;
    } else {
      qv::Trace("TBdevice: firmware image %s is missing", img.file);
      return TB_STATUS_FIRMWARE_MISSING;
    }
    if (size < 2) {
      qv::Trace("TBdevice: firmware image %s is empty", img.file);
      return TB_STATUS_FIRMWARE_MISSING;
    }
    // A failed image does not stop the others; the unit is still not ready.
    if (DownloadFirmwareImage(data, size, img.code)) failed = true;
    if (img.code != 0xAC) Pause(TimingTable().firmwareImagePauseMs);
  }
  return failed ? TB_STATUS_REQUEST_FAILED : 0;
}

}  // namespace tbdev
