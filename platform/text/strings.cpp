#include "strings.h"

#include <algorithm>
#include <iterator>

namespace qv {
namespace {
struct Entry {
  unsigned id;
  const char* text;
};
#define QV_STRING(id, text) {id, text},
const Entry kTable[] = {
#include "string_table.inc"
};
#undef QV_STRING

const Entry* Find(unsigned id) {
  const auto it = std::find_if(std::begin(kTable), std::end(kTable), [id](const Entry& e) { return e.id == id; });
  return it == std::end(kTable) ? nullptr : it;
}
}  // namespace

std::string LoadString(unsigned id) {
  const Entry* e = Find(id);
  return e ? e->text : std::string();
}

bool HasString(unsigned id) { return Find(id) != nullptr; }

}  // namespace qv
