// The scratch folder a fuzzer writes its files into: made once per process
// under /tmp, with every message box answered at once by ANSWER (a fuzzer
// runs without a user).
#pragma once

#include <unistd.h>

#include <string>

#include "platform/text/msgbox.h"

namespace qv::fuzz {

inline const std::string& ScratchFolder(const char* name, int answer = IDOK) {
  static const std::string folder = [&] {
    SetMessageBoxHandler([answer](const MessageBoxRequest&) { return answer; });
    std::string pattern = std::string("/tmp/") + name + ".XXXXXX";
    const char* made = ::mkdtemp(pattern.data());
    return made != nullptr ? std::string(made) : std::string("/tmp");
  }();
  return folder;
}

}  // namespace qv::fuzz
