#include "strings.h"

#include <atomic>

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

std::atomic<StringTranslator> g_translator{nullptr};

const Entry* Find(unsigned id) {
  for (const Entry* e = kTable; e->text; ++e)
    if (e->id == id) return e;
  return nullptr;
}
}  // namespace

std::string LoadString(unsigned id) {
  const Entry* e = Find(id);
  if (!e) return std::string();
  if (StringTranslator translate = g_translator.load()) {
    std::string text = translate(id, e->text);
    if (!text.empty()) return text;
  }
  return e->text;
}

std::string LoadFileString(unsigned id) {
  const Entry* e = Find(id);
  return e ? e->text : std::string();
}

bool HasString(unsigned id) {
  return Find(id) != nullptr;
}

void SetStringTranslator(StringTranslator translator) {
  g_translator.store(translator);
}

}  // namespace qv
