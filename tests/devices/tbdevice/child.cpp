// A second process that loads libtbdevice.so: reads the near waveform of the
// shared block through the library's export and prints what it got.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include "devices/tbdevice/tbdevice.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  void* lib = dlopen(argv[1], RTLD_NOW);
  if (!lib) {
    std::printf("%s\n", dlerror());
    return 3;
  }
  if (std::strcmp(argv[2], "near") == 0) {
    auto get = reinterpret_cast<int (*)(SonicWaveRecord*)>(dlsym(lib, "get_near_wave_data"));
    if (!get) return 4;
    SonicWaveRecord w{};
    const int ready = get(&w);
    std::printf("ready %d gain %d pick %d first %d\n", ready, w.gain, w.pick, w.sample[0]);
  }
  dlclose(lib);
  return 0;
}
