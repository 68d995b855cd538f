// quorva-ufcheck LIBRARY: loads a freshly built user-function library and
// calls it once, the way the logs will, in a process of its own. The build
// installs the library only when this ends with status 0, so a library that
// crashes or hangs on its first call never replaces a working one.
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorva-ufcheck LIBRARY\n");
    return 2;
  }
  void* handle = ::dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    std::fprintf(stderr, "%s\n", ::dlerror());
    return 3;
  }
  using UserFunction = void (*)(double*, double*);
  using Init = void (*)();
  using InitWaveforms = void (*)(std::int16_t*, std::int16_t*, std::int16_t*, std::int16_t*, int);
  auto userFunction = reinterpret_cast<UserFunction>(::dlsym(handle, "UserFunction"));
  auto init = reinterpret_cast<Init>(::dlsym(handle, "Init"));
  auto initWaveforms = reinterpret_cast<InitWaveforms>(::dlsym(handle, "InitWaveforms"));
  if (!userFunction || !init || !initWaveforms) {
    std::fprintf(stderr, "the library lacks an entry point\n");
    return 4;
  }
  init();
  initWaveforms(nullptr, nullptr, nullptr, nullptr, 0);
  double in[16] = {}, out[16] = {};
  userFunction(in, out);
  return 0;
}
