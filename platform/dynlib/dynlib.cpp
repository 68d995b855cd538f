#include "dynlib.h"

#include <dlfcn.h>
#include <utility>

namespace qv {

DynLib::~DynLib() { Unload(); }

DynLib::DynLib(DynLib&& o) noexcept : handle_(std::exchange(o.handle_, nullptr)), error_(std::move(o.error_)) {}

DynLib& DynLib::operator=(DynLib&& o) noexcept {
  if (this != &o) {
    Unload();
    handle_ = std::exchange(o.handle_, nullptr);
    error_ = std::move(o.error_);
  }
  return *this;
}

bool DynLib::Load(const std::string& path) {
  Unload();
  // RTLD_LOCAL keeps two user libraries with the same entry-point names apart.
  handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* e = ::dlerror();
    error_ = e ? e : "cannot load " + path;
    return false;
  }
  error_.clear();
  return true;
}

void* DynLib::Symbol(const char* name) {
  if (!handle_) {
    error_ = "no library loaded";
    return nullptr;
  }
  ::dlerror();
  void* p = ::dlsym(handle_, name);
  if (!p) {
    const char* e = ::dlerror();
    error_ = e ? e : std::string("no symbol ") + name;
  }
  return p;
}

void DynLib::Unload() {
  if (handle_) {
    ::dlclose(handle_);
    handle_ = nullptr;
  }
}

}  // namespace qv
