// Starting other programs: detached (fire and forget, never a zombie) or
// hidden with a wait that has a time-out.
#pragma once

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace qv {

// Starts program with args (argv[0] is the program) in workDir (empty: the
// current folder), not waiting for it. The program is reparented so that it
// never lingers as a zombie of this process. True when it was started.
bool StartDetached(const std::string& program, const std::vector<std::string>& args = {},
                   const std::string& workDir = {});

// A child process started hidden (no terminal output unless redirected),
// waited for with a time-out.
class ChildProcess {
public:
  ChildProcess() = default;
  ~ChildProcess();  // reaps the child when it has ended; never kills it
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // outputFile: where stdout and stderr go (empty: /dev/null).
  bool Start(const std::string& program, const std::vector<std::string>& args = {},
             const std::string& workDir = {}, const std::string& outputFile = {});
  // The exit code once the child has ended within timeoutMs; nullopt on time-out.
  // A child ended by a signal reports 128 + the signal number.
  std::optional<int> Wait(unsigned timeoutMs);
  bool Running();
  pid_t Pid() const { return pid_; }

private:
  pid_t pid_ = -1;
  std::optional<int> exit_;
};

}  // namespace qv
