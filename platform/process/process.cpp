#include "process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/trace/trace.h"

extern char** environ;

namespace qv {
namespace {

std::vector<char*> Argv(const std::string& program, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  return argv;
}

// posix_spawn with a working folder and output redirection.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, const std::string& workDir,
            const std::string& outputFile, bool newSession, bool newGroup = false, int* error = nullptr) {
  posix_spawn_file_actions_t fa;
  posix_spawnattr_t attr;
  posix_spawn_file_actions_init(&fa);
  posix_spawnattr_init(&attr);
  const std::string out = outputFile.empty() ? "/dev/null" : outputFile;
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&fa, 1, 2);
  if (!workDir.empty()) posix_spawn_file_actions_addchdir_np(&fa, workDir.c_str());
  short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
  if (newSession) flags |= POSIX_SPAWN_SETSID;
  if (newGroup) {
    flags |= POSIX_SPAWN_SETPGROUP;
    posix_spawnattr_setpgroup(&attr, 0);
  }
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr, flags);
  auto argv = Argv(program, args);
  pid_t pid = -1;
  const int rc = posix_spawn(&pid, program.c_str(), &fa, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  posix_spawnattr_destroy(&attr);
  if (error) *error = rc;
  if (rc != 0) {
    Trace("cannot start %s: error %d", program.c_str(), rc);
    return -1;
  }
  return pid;
}

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}
}  // namespace

bool StartDetached(const std::string& program, const std::vector<std::string>& args, const std::string& workDir) {
  if (access(program.c_str(), X_OK) != 0) return false;
  // An intermediate child starts the program and ends at once; the program
  // is then a child of init and is reaped there.
  const pid_t mid = fork();
  if (mid < 0) return false;
  if (mid == 0) {
    const pid_t p = Spawn(program, args, workDir, {}, true);
    _exit(p > 0 ? 0 : 1);
  }
  int status = 0;
  while (waitpid(mid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !exit_) Wait(0);
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args, const std::string& workDir,
                         const std::string& outputFile, bool ownGroup) {
  if (pid_ > 0 && !exit_) return false;
  exit_.reset();
  ownGroup_ = ownGroup;
  pid_ = Spawn(program, args, workDir, outputFile, false, ownGroup, &startError_);
  return pid_ > 0;
}

void ChildProcess::KillGroup() {
  if (pid_ <= 0 || exit_) return;
  ::kill(ownGroup_ ? -pid_ : pid_, SIGKILL);
  Wait(10000);  // a killed child ends at once
}

std::optional<int> ChildProcess::Wait(unsigned timeoutMs) {
  if (exit_ || pid_ <= 0) return exit_;
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      exit_ = DecodeStatus(status);
      return exit_;
    }
    if (r < 0 && errno != EINTR) return std::nullopt;
    if (std::chrono::steady_clock::now() >= end) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool ChildProcess::Running() {
  return pid_ > 0 && !Wait(0).has_value();
}

}  // namespace qv
