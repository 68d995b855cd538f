// A second process that loads libtbdevice.so: reads the near waveform of the
// shared block through the library's export and prints what it got.
#include <dlfcn.h>
#include <unistd.h>

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
  if (std::strcmp(argv[2], "wave") == 0) {
    // The waveform program's side: take each pair, answer with parameters,
    // end when asked.
    auto terminate = reinterpret_cast<int (*)()>(dlsym(lib, "check_terminate_spawn"));
    auto complete = reinterpret_cast<void* (*)()>(dlsym(lib, "spawn_complete"));
    auto clear = reinterpret_cast<void* (*)()>(dlsym(lib, "clear_spawn_status"));
    auto params = reinterpret_cast<uint32_t (*)(SonicParamRecord*)>(dlsym(lib, "set_sonic_param"));
    auto nearWave = reinterpret_cast<int (*)(SonicWaveRecord*)>(dlsym(lib, "get_near_wave_data"));
    auto farWave = reinterpret_cast<int (*)(SonicWaveRecord*)>(dlsym(lib, "get_far_wave_data"));
    if (!terminate || !complete || !clear || !params || !nearWave || !farWave) return 4;
    for (int spins = 0; !terminate() && spins < 60000; ++spins) {
      SonicWaveRecord n{}, f{};
      if (nearWave(&n) == 1 && farWave(&f) == 1) {
        std::printf("pair near %d %d %d %d far %d %d %d %d\n", n.gain, n.pick, n.sample[0], n.sample[479], f.gain,
                    f.pick, f.sample[0], f.sample[479]);
        SonicParamRecord p{0, 25, 160, 2.0f, 0, 0, 10, 400, 2.5f, 0, 0, 0, 4.0f};
        params(&p);
        clear();
      }
      usleep(2000);
    }
    complete();
    std::printf("done\n");
    std::fflush(stdout);
  }
  dlclose(lib);
  return 0;
}
