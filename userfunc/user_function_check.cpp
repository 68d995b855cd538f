#include "userfunc/user_function_check.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <map>
#include <mutex>
#include <tuple>
#include <vector>

#include "platform/files/atomic_file.h"
#include "platform/files/paths.h"
#include "platform/process/process.h"
#include "platform/profile/profile.h"
#include "platform/text/cnum.h"
#include "platform/text/strings.h"

namespace qv {

namespace {

constexpr unsigned kStrCheckCrashed = 36400;
constexpr unsigned kStrCheckHung = 36401;
constexpr unsigned kStrCheckExited = 36402;
constexpr unsigned kStrCheckNotFunction = 36403;
constexpr unsigned kStrCheckNoChecker = 36404;
constexpr unsigned kStrCheckUnloadable = 36405;
constexpr unsigned kStrCheckNoEntry = 36406;
constexpr unsigned kStrStageLoad = 36410;
constexpr unsigned kStrStageInit = 36411;
constexpr unsigned kStrStageWaveforms = 36412;
constexpr unsigned kStrStageCall = 36413;
constexpr unsigned kStrStageUnload = 36414;
constexpr unsigned kStrInputsAll = 36415;
constexpr unsigned kStrInputsMinimum = 36416;
constexpr unsigned kStrInputsMaximum = 36417;

constexpr unsigned kDefaultStageMs = 2000;
constexpr int kInputs = 16;
constexpr int kChannels = 12;

using FileKey = std::tuple<std::uint64_t, std::uint64_t, std::int64_t, std::int64_t, std::int64_t>;

std::mutex g_lock;
std::string g_checker;
unsigned g_stageMs = kDefaultStageMs;
std::map<FileKey, UserFunctionVerdict> g_verdicts;

bool KeyOf(const std::string& path, FileKey* key) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  *key = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
          static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
          static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
  return true;
}

std::string ExecutableFolder() {
  std::vector<char> buf(4096);
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return ProgramFolder();
  const std::string exe(buf.data(), static_cast<std::size_t>(n));
  const std::size_t slash = exe.rfind('/');
  return slash == std::string::npos ? ProgramFolder() : exe.substr(0, slash == 0 ? 1 : slash);
}

struct Row {
  std::vector<double> in;
  std::string label;
};

// The inputs the library is called with. Every input of a row (the twelve
// channels, TIME and DEPTH) takes the row's value; the display range rows
// set each channel the function's INI describes to its own minimum or maximum.
std::vector<Row> InputTable(const std::string& library, const std::string& iniPath) {
  std::vector<Row> rows;
  for (const double v : {0.0, 1.0, -1.0, 0.5, 1e9, -1e9, std::numeric_limits<double>::quiet_NaN()}) {
    Row r{std::vector<double>(kInputs, 0.0), FormatC(LoadString(kStrInputsAll).c_str(), FormatC("%g", v).c_str())};
    for (int k = 0; k < 14; ++k) r.in[static_cast<std::size_t>(k)] = v;
    rows.push_back(std::move(r));
  }
  const std::string ini = iniPath.empty() ? FindFileNoCase(SiblingPath(library, ".ini")) : iniPath;
  struct stat st {};
  if (::stat(ini.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return rows;
  Row low{std::vector<double>(kInputs, 0.0), LoadString(kStrInputsMinimum)};
  Row high{std::vector<double>(kInputs, 0.0), LoadString(kStrInputsMaximum)};
  bool any = false;
  for (int n = 0; n < 64; ++n) {
    const std::string section = "Channel" + std::to_string(n);
    if (GetProfileText(ini, section, "Title", "", 256).empty()) break;
    const int channel = ParseProfileInt(GetProfileText(ini, section, "PhysicalCh", "0", 256), 0);
    if (channel < 1 || channel > kChannels) continue;
    const double lo = AtofC(GetProfileText(ini, section, "RangeLeft", "0", 256).c_str());
    const double hi = AtofC(GetProfileText(ini, section, "RangeRight", "0", 256).c_str());
    low.in[static_cast<std::size_t>(channel - 1)] = lo;
    high.in[static_cast<std::size_t>(channel - 1)] = hi;
    any = true;
  }
  if (any) {
    rows.push_back(std::move(low));
    rows.push_back(std::move(high));
  }
  return rows;
}

std::string RowArgument(const std::vector<double>& in) {
  std::string s;
  for (std::size_t k = 0; k < in.size(); ++k) {
    if (k) s += ',';
    s += std::isnan(in[k]) ? std::string("nan") : FormatC("%.17g", in[k]);
  }
  return s;
}

// The check's "@..." report lines, without the '@'.
std::vector<std::string> Reports(const std::string& output) {
  std::vector<std::string> lines;
  std::size_t i = 0;
  while (i < output.size()) {
    std::size_t end = output.find('\n', i);
    if (end == std::string::npos) end = output.size();
    if (output[i] == '@') lines.push_back(output.substr(i + 1, end - i - 1));
    i = end + 1;
  }
  return lines;
}

std::string StageText(const std::string& stage, const std::vector<Row>& rows) {
  if (stage == "init") return LoadString(kStrStageInit);
  if (stage == "waveforms") return LoadString(kStrStageWaveforms);
  if (stage == "unload") return LoadString(kStrStageUnload);
  if (stage.rfind("call ", 0) == 0) {
    const std::size_t k = static_cast<std::size_t>(std::strtoul(stage.c_str() + 5, nullptr, 10));
    return FormatC(LoadString(kStrStageCall).c_str(), k < rows.size() ? rows[k].label.c_str() : "?");
  }
  return LoadString(kStrStageLoad);
}

// The check of the library at PATH; RAN tells whether the check program ran
// (a verdict without it is not kept).
UserFunctionVerdict RunCheck(const std::string& path, const UserFunctionCheckOptions& options, unsigned stageMs,
                             bool* ran) {
  *ran = false;
  const std::string checker = options.checker.empty() ? UserFunctionCheckerPath() : options.checker;
  if (::access(checker.c_str(), X_OK) != 0)
    return {false, FormatC(LoadString(kStrCheckNoChecker).c_str(), checker.c_str())};
  const std::vector<Row> rows = InputTable(path, options.ini);
  std::vector<std::string> args = {"-t", std::to_string(stageMs), path};
  for (const Row& r : rows) args.push_back(RowArgument(r.in));

  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = JoinPath(tmp && *tmp ? tmp : "/tmp", "quorva-ufcheck.XXXXXX");
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return {false, FormatC(LoadString(kStrCheckNoChecker).c_str(), checker.c_str())};
  ::close(fd);
  const std::string outputFile = name.data();

  ChildProcess child;
  std::optional<int> status;
  *ran = child.Start(checker, args, {}, outputFile, true);
  if (*ran) {
    // Every stage has its own limit inside the check; this one catches a
    // library that keeps the check from ending at all.
    const unsigned total =
        options.totalLimitMs ? options.totalLimitMs : stageMs * static_cast<unsigned>(rows.size() + 4) + 10000;
    status = child.Wait(total);
    if (!status) child.KillGroup();
  }
  std::string output;
  ReadWholeFile(outputFile, output);
  ::unlink(outputFile.c_str());
  if (!*ran) return {false, FormatC(LoadString(kStrCheckNoChecker).c_str(), checker.c_str())};

  const std::vector<std::string> reports = Reports(output);
  std::string stage = "load", last;
  for (const std::string& r : reports) {
    if (r.rfind("stage ", 0) == 0) stage = r.substr(6);
    last = r;
  }
  if (status == 0 && last == "done") return {true, {}};
  const std::string where = StageText(stage, rows);
  if (last.rfind("notfunction ", 0) == 0)
    return {false, FormatC(LoadString(kStrCheckNotFunction).c_str(), last.substr(12).c_str())};
  if (last.rfind("noentry ", 0) == 0) return {false, LoadString(kStrCheckNoEntry)};
  if (last.rfind("unloadable", 0) == 0) return {false, LoadString(kStrCheckUnloadable)};
  if (!status || last == "hang")
    return {false, FormatC(LoadString(kStrCheckHung).c_str(), where.c_str(), static_cast<double>(stageMs) / 1000.0)};
  if (last == "exit") return {false, FormatC(LoadString(kStrCheckExited).c_str(), where.c_str())};
  return {false, FormatC(LoadString(kStrCheckCrashed).c_str(), where.c_str())};
}

}  // namespace

UserFunctionVerdict CheckUserFunctionLibrary(const std::string& path, const UserFunctionCheckOptions& options) {
  FileKey key;
  if (!KeyOf(path, &key)) return {false, LoadString(kStrCheckUnloadable)};
  unsigned stageMs;
  {
    std::lock_guard<std::mutex> guard(g_lock);
    const auto it = g_verdicts.find(key);
    if (it != g_verdicts.end()) return it->second;
    stageMs = options.callLimitMs ? options.callLimitMs : g_stageMs;
  }
  bool ran = false;
  UserFunctionVerdict verdict = RunCheck(path, options, stageMs, &ran);
  FileKey after;
  // A verdict is kept only for the file it was reached on, and only when the
  // check itself could run.
  if (ran && KeyOf(path, &after) && after == key) {
    std::lock_guard<std::mutex> guard(g_lock);
    g_verdicts[key] = verdict;
  }
  return verdict;
}

std::string UserFunctionCheckerPath() {
  {
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_checker.empty()) return g_checker;
  }
  return JoinPath(ExecutableFolder(), "quorva-ufcheck");
}

void SetUserFunctionChecker(std::string path) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_checker = std::move(path);
}

void SetUserFunctionCheckLimit(unsigned callLimitMs) {
  std::lock_guard<std::mutex> guard(g_lock);
  g_stageMs = callLimitMs ? callLimitMs : kDefaultStageMs;
}

void ForgetUserFunctionVerdicts() {
  std::lock_guard<std::mutex> guard(g_lock);
  g_verdicts.clear();
}

}  // namespace qv
