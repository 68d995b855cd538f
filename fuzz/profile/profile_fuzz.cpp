// Feeds arbitrary bytes to the profile reader and checks that reading,
// editing and rewriting never crash and that a rewrite reads back the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/profile/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  qv::ProfileFile p;
  p.Parse(bytes);
  const std::string once = p.Serialize();
  for (const auto& section : p.Sections()) {
    for (const auto& key : p.Keys(section)) {
      (void)p.Get(section, key, " ", 256);
      (void)p.GetInt(section, key, -1);
    }
    (void)p.SectionLines(section);
  }
  // The first line's text as names and value: edits must keep the file readable.
  const std::string_view head = bytes.substr(0, std::min<size_t>(bytes.size(), 16));
  if (p.Set(head, head, head)) {
    qv::ProfileFile q;
    q.Parse(p.Serialize());
    if (q.Get(head, head, "", 1u << 20) != p.Get(head, head, "", 1u << 20)) __builtin_trap();
  }
  p.DeleteKey(head, head);
  p.DeleteSection(head);
  qv::ProfileFile again;
  again.Parse(once);
  if (again.Serialize() != once) __builtin_trap();  // a rewrite is a fixed point
  (void)qv::ParseProfileInt(bytes, 0);
  return 0;
}
