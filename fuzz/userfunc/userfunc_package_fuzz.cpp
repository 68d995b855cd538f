// Arbitrary user-function packages imported into a user-function folder,
// then every INI in that folder read as the tool and the documents read it.
// Whatever a package holds, nothing may be written outside the folder: the
// folder sits inside a guard folder whose other contents are checked after
// every import.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzz/support/scratch_folder.h"
#include "header/user_function_ini.h"
#include "userfunc/user_function_package.h"
#include "userfunc/user_function_record.h"

namespace {

namespace fs = std::filesystem;

const fs::path& Guard() {
  static const fs::path guard = qv::fuzz::ScratchFolder("fuzz_userfunc", qv::IDYES);
  return guard;
}

// Everything under the guard folder but the user-function folder itself.
std::size_t StrayEntries(const fs::path& folder) {
  std::size_t n = 0;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(Guard(), ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec)) {
    if (it->path() == folder) {
      it.disable_recursion_pending();
      continue;
    }
    if (it->path().filename() != "in.ufn") ++n;
  }
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 1 << 16) return -1;
  const fs::path folder = Guard() / "Userfunction";
  std::error_code ec;
  fs::remove_all(folder, ec);
  fs::create_directories(folder, ec);
  const fs::path package = Guard() / "in.ufn";
  {
    std::ofstream out(package, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  (void)qv::ImportUserFunctionPackage(package.string(), folder.string());
  if (StrayEntries(folder) != 0) __builtin_trap();
  for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
    if (it->path().extension() != ".ini" && it->path().extension() != ".INI") continue;
    CurveArray curves;
    UserFunctionRecord record;
    (void)LoadUserFunctionIni(it->path().string(), &curves, &record);
    UserFunctionFilter filters[kUserFunctionFilterTableSize] = {};
    ReadUserFunctionFilters(it->path().string(), filters);
  }
  return 0;
}
