// Whether an address that dlsym gave for an entry point lies on a function:
// a library that exports "UserFunction" as data (an array, a variable) must
// never be called. Shared by the loader and the check process.
#pragma once

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

namespace qv {

inline bool IsFunctionSymbol(void* address) {
  if (!address) return false;
  Dl_info info{};
  void* entry = nullptr;
  if (::dladdr1(address, &info, &entry, RTLD_DL_SYMENT) == 0 || !entry) return false;
  const auto* symbol = static_cast<const ElfW(Sym)*>(entry);
  const unsigned type = ELF64_ST_TYPE(symbol->st_info);
  return type == STT_FUNC || type == STT_GNU_IFUNC;
}

}  // namespace qv
