// quorva-ufcheck [-t MS] LIBRARY [ROW ...]: loads a user-function library in
// a process of its own and calls it the way the logs will: Init, then
// InitWaveforms with four waveform rows, then UserFunction once per ROW (16
// comma-separated inputs). The program loads a library only after this ended
// with status 0, so a library that crashes, hangs or ends the process when it
// is loaded or called never takes the program down.
//
// Progress goes to stdout as lines that begin with '@', written unbuffered so
// that the last one survives a crash: "@stage load", "@stage init",
// "@stage waveforms", "@stage call K", "@stage unload", then "@done". "@hang" says a stage did
// not return within MS milliseconds, "@exit" that the library ended the
// process itself, "@notfunction NAME" that an entry point is not code.
#include <dlfcn.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "userfunc/entry_symbol.h"

namespace {

void Say(const std::string& line) {
  const std::string text = "@" + line + "\n";
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

bool g_finished = false;

void OnExit() {
  if (!g_finished) Say("exit");
}

void OnAlarm(int) {
  static const char kHang[] = "@hang\n";
  [[maybe_unused]] const ssize_t n = ::write(STDOUT_FILENO, kHang, sizeof kHang - 1);
  ::_exit(6);
}

// Each stage gets MS milliseconds of real time.
void Arm(unsigned ms) {
  itimerval t{};
  t.it_value.tv_sec = static_cast<time_t>(ms / 1000);
  t.it_value.tv_usec = static_cast<suseconds_t>((ms % 1000) * 1000);
  ::setitimer(ITIMER_REAL, &t, nullptr);
}

bool ParseRow(const char* text, double* in) {
  char* end = nullptr;
  for (int k = 0; k < 16; ++k) {
    in[k] = std::strtod(text, &end);
    if (end == text) return false;
    text = end;
    if (k < 15) {
      if (*text != ',') return false;
      ++text;
    }
  }
  return *text == '\0';
}

}  // namespace

int main(int argc, char** argv) {
  unsigned limitMs = 2000;
  int arg = 1;
  if (arg + 1 < argc && std::strcmp(argv[arg], "-t") == 0) {
    limitMs = static_cast<unsigned>(std::strtoul(argv[arg + 1], nullptr, 10));
    arg += 2;
  }
  if (arg >= argc) {
    ::write(STDERR_FILENO, "usage: quorva-ufcheck [-t MS] LIBRARY [ROW ...]\n", 48);
    return 2;
  }
  const char* library = argv[arg++];
  std::vector<std::vector<double>> rows;
  for (; arg < argc; ++arg) {
    std::vector<double> in(16, 0.0);
    if (!ParseRow(argv[arg], in.data())) return 2;
    rows.push_back(std::move(in));
  }
  if (rows.empty()) rows.emplace_back(16, 0.0);

  const rlimit noCore{0, 0};
  ::setrlimit(RLIMIT_CORE, &noCore);  // a crash here is expected, not worth a core file
  std::atexit(OnExit);
  struct sigaction sa {};
  sa.sa_handler = OnAlarm;
  ::sigaction(SIGALRM, &sa, nullptr);

  Say("stage load");
  Arm(limitMs);
  void* handle = ::dlopen(library, RTLD_NOW | RTLD_LOCAL);
  Arm(0);
  if (!handle) {
    const char* e = ::dlerror();
    Say(std::string("unloadable ") + (e ? e : ""));
    g_finished = true;
    ::_exit(3);
  }
  void* userFunction = ::dlsym(handle, "UserFunction");
  void* init = ::dlsym(handle, "Init");
  void* initWaveforms = ::dlsym(handle, "InitWaveforms");
  if (!userFunction) {
    Say("noentry UserFunction");
    g_finished = true;
    ::_exit(4);
  }
  for (const auto& [name, address] : {std::pair<const char*, void*>{"UserFunction", userFunction},
                                      {"Init", init}, {"InitWaveforms", initWaveforms}}) {
    if (address && !qv::IsFunctionSymbol(address)) {
      Say(std::string("notfunction ") + name);
      g_finished = true;
      ::_exit(5);
    }
  }
  if (init) {
    Say("stage init");
    Arm(limitMs);
    reinterpret_cast<void (*)()>(init)();
    Arm(0);
  }
  constexpr int kPoints = 1024;
  std::vector<std::int16_t> waves(4 * kPoints, 0);
  if (initWaveforms) {
    Say("stage waveforms");
    Arm(limitMs);
    reinterpret_cast<void (*)(std::int16_t*, std::int16_t*, std::int16_t*, std::int16_t*, int)>(initWaveforms)(
        waves.data(), waves.data() + kPoints, waves.data() + 2 * kPoints, waves.data() + 3 * kPoints, kPoints);
    Arm(0);
  }
  auto call = reinterpret_cast<void (*)(double*, double*)>(userFunction);
  for (std::size_t k = 0; k < rows.size(); ++k) {
    double in[16], out[16] = {};
    std::memcpy(in, rows[k].data(), sizeof in);
    Say("stage call " + std::to_string(k));
    Arm(limitMs);
    call(in, out);
    Arm(0);
  }
  Say("stage unload");
  Arm(limitMs);
  ::dlclose(handle);
  Arm(0);
  Say("done");
  g_finished = true;
  ::_exit(0);  // no library destructor or leak report decides the verdict
}
