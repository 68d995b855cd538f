#include "strings.h"


namespace qv {
namespace {
struct Entry {
  unsigned id;
  const char* text;
};
#define QV_STRING(id, text) {id, text},
const Entry kTable[] = {
#include "string_table.inc"
    {0, nullptr}};
#undef QV_STRING

const Entry* Find(unsigned id) {
  for (const Entry* e = kTable; e->text; ++e)
    if (e->id == id) return e;
  return nullptr;
}
}  // namespace

std::string LoadString(unsigned id) {
  const Entry* e = Find(id);
  return e ? e->text : std::string();
}

bool HasString(unsigned id) { return Find(id) != nullptr; }

}  // namespace qv
