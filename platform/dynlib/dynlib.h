// Loading a shared library by path and resolving its C entry points.
#pragma once

#include <string>

namespace qv {

class DynLib {
public:
  DynLib() = default;
  ~DynLib();
  DynLib(const DynLib&) = delete;
  DynLib& operator=(const DynLib&) = delete;
  DynLib(DynLib&& o) noexcept;
  DynLib& operator=(DynLib&& o) noexcept;

  // Loads the library; false with Error() set when it cannot be loaded.
  bool Load(const std::string& path);
  // The address of an exported symbol, or null (Error() says why).
  void* Symbol(const char* name);
  template <class Fn>
  Fn Function(const char* name) {
    return reinterpret_cast<Fn>(Symbol(name));
  }
  void Unload();
  bool Loaded() const { return handle_ != nullptr; }
  const std::string& Error() const { return error_; }

private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace qv
