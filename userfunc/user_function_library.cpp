#include "userfunc/user_function_library.h"

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>
#include <utility>
#include <vector>

#include "platform/files/paths.h"
#include "platform/text/msgbox.h"
#include "platform/text/strings.h"
#include "userfunc/entry_symbol.h"
#include "userfunc/user_function_check.h"

namespace {

// The modules loaded in this process, by the file they came from. dlopen
// gives every loader of one file the same module, so they share one lock.
std::mutex g_modulesLock;
std::map<std::pair<std::uint64_t, std::uint64_t>, std::weak_ptr<UserFunctionModule>> g_modules;

bool FileId(const std::string& path, std::pair<std::uint64_t, std::uint64_t>* id) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  *id = {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
  return true;
}

std::shared_ptr<UserFunctionModule> ModuleOf(const std::pair<std::uint64_t, std::uint64_t>& id) {
  std::lock_guard<std::mutex> guard(g_modulesLock);
  for (auto it = g_modules.begin(); it != g_modules.end();) {  // forget freed modules
    it = it->second.expired() ? g_modules.erase(it) : std::next(it);
  }
  std::weak_ptr<UserFunctionModule>& slot = g_modules[id];
  std::shared_ptr<UserFunctionModule> module = slot.lock();
  if (!module) {
    module = std::make_shared<UserFunctionModule>();
    module->device = id.first;
    module->inode = id.second;
    slot = module;
  }
  return module;
}

// Modules whose call was given up, and their libraries: kept for the rest
// of the run, never destroyed (not even at exit, where the thread may still
// run the library's code).
struct Abandoned {
  std::vector<std::shared_ptr<UserFunctionModule>> modules;
  std::vector<qv::DynLib*> libraries;
  std::vector<void*> objects;
};
Abandoned& AbandonedModules() {
  static auto* abandoned = new Abandoned;
  return *abandoned;
}

std::string AbsoluteLibraryPath(const std::string& path) {
  std::string p = qv::FindFileNoCase(qv::FromStoredPath(path));
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(p, ec);
  return ec ? p : absolute.string();
}

}  // namespace

bool UserFunctionLibrary::Load(const std::string& path, UserFunctionCaller caller) {
  Unload();
  path_ = path.empty() ? std::string() : AbsoluteLibraryPath(path);
  std::pair<std::uint64_t, std::uint64_t> id;
  bool accepted = !path_.empty() && FileId(path_, &id);
  std::string why;
  if (accepted) {
    // The library runs in a process of its own first: one that crashes,
    // hangs or ends the process there never reaches this one.
    const qv::UserFunctionVerdict verdict = qv::CheckUserFunctionLibrary(path_);
    accepted = verdict.passed;
    why = verdict.what;
  }
  if (accepted) accepted = lib_.Load(path_);
  if (accepted) {
    module_ = ModuleOf(id);
    // A module with a call that never returned holds its lock for good.
    if (module_->abandoned) why = qv::LoadString(kStrUserFunctionStuck);
    // An entry point exported as data (not code) is never called.
    auto code = [](auto fn) { return fn && qv::IsFunctionSymbol(reinterpret_cast<void*>(fn)) ? fn : nullptr; };
    userFunction.fn_ = code(lib_.Function<UserFunctionEntry>("UserFunction"));
    init.fn_ = code(lib_.Function<UserInitEntry>("Init"));
    initWaveforms.fn_ = caller == UserFunctionCaller::kChannelDocument || caller == UserFunctionCaller::kFlowmeter
                            ? nullptr
                            : code(lib_.Function<UserInitWaveformsEntry>("InitWaveforms"));
    userFunction.module_ = init.module_ = initWaveforms.module_ = module_;
    accepted = !module_->abandoned && userFunction && (caller != UserFunctionCaller::kLasExport || init) &&
               (caller != UserFunctionCaller::kSonicDocument || initWaveforms);
  }
  if (accepted) return true;
  Unload();
  refusal_ = why;
  if (caller != UserFunctionCaller::kLasExport) {
    const std::string text = qv::LoadString(kStrUserProcessRefused);
    qv::ShowMessageText(kStrUserProcessRefused, why.empty() ? text : text + "\n" + why, qv::MB_OK);
  }
  return false;
}

void UserFunctionLibrary::Unload() {
  refusal_.clear();
  userFunction = {};
  init = {};
  initWaveforms = {};
  lib_.Unload();
  module_.reset();
}

bool UserFunctionLibrary::CallInProgress() const {
  return module_ && module_->calling > 0;
}

bool UserFunctionLibrary::Abandon() {
  if (!CallInProgress()) return false;
  module_->abandoned = true;
  // The code the thread runs stays mapped: the handle is never closed.
  std::lock_guard<std::mutex> guard(g_modulesLock);
  AbandonedModules().modules.push_back(module_);
  AbandonedModules().libraries.push_back(new qv::DynLib(std::move(lib_)));
  return true;
}

void KeepAbandonedObject(void* object) {
  std::lock_guard<std::mutex> guard(g_modulesLock);
  AbandonedModules().objects.push_back(object);
}

void ParkAbandonedUserFunctionCaller() {
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

bool UserFunctionLibraryInUse(const std::string& path) {
  std::pair<std::uint64_t, std::uint64_t> id;
  if (!FileId(path, &id)) return false;
  std::lock_guard<std::mutex> guard(g_modulesLock);
  const auto it = g_modules.find(id);
  return it != g_modules.end() && !it->second.expired();
}
