// Runs a check the way an ordinary user would meet it. Root writes into
// read-only folders regardless, so under root (as on the CI machine) the check
// runs in a child process that has dropped to the user "nobody".
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace qv::test {

enum class UnprivilegedResult { kPassed, kFailed, kNotPossible };

// `check` returns whether what it saw is right. It runs in a forked child
// under root, so it must report through its result only (no EXPECT inside),
// and `ready` tells, as that user, whether the set-up it needs holds (the
// folders on the way can be entered, the file can be read); when it does
// not, or the user cannot be changed, the result is kNotPossible.
inline UnprivilegedResult AsUnprivileged(const std::function<bool()>& ready, const std::function<bool()>& check) {
  if (::geteuid() != 0) {
    if (!ready()) return UnprivilegedResult::kNotPossible;
    return check() ? UnprivilegedResult::kPassed : UnprivilegedResult::kFailed;
  }
  const pid_t pid = ::fork();
  if (pid < 0) return UnprivilegedResult::kNotPossible;
  if (pid == 0) {
    constexpr unsigned kNobody = 65534;
    if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0 || ::geteuid() == 0) ::_exit(77);
    if (!ready()) ::_exit(77);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  if (!WIFEXITED(status)) return UnprivilegedResult::kFailed;
  switch (WEXITSTATUS(status)) {
    case 0:
      return UnprivilegedResult::kPassed;
    case 77:
      return UnprivilegedResult::kNotPossible;
    default:
      return UnprivilegedResult::kFailed;
  }
}

}  // namespace qv::test
