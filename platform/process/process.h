// Starting other programs: detached (fire and forget, never a zombie) or
// hidden with a wait that has a time-out.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
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

  // outputFile: where stdout and stderr go (empty: /dev/null). ownGroup: the
  // child leads a process group of its own, which KillGroup() can end whole.
  // On failure StartError() holds the errno value of the refusal.
  bool Start(const std::string& program, const std::vector<std::string>& args = {}, const std::string& workDir = {},
             const std::string& outputFile = {}, bool ownGroup = false);
  int StartError() const { return startError_; }
  // Ends the child's process group (the child and everything it started;
  // only for a child started with ownGroup) and reaps the child.
  void KillGroup();
  // The exit code once the child has ended within timeoutMs; nullopt on time-out.
  // A child ended by a signal reports 128 + the signal number.
  std::optional<int> Wait(unsigned timeoutMs);
  bool Running();
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  std::optional<int> exit_;
  int startError_ = 0;
  bool ownGroup_ = false;
};

}  // namespace qv
