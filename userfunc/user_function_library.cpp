#include "userfunc/user_function_library.h"

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <utility>

#include "platform/files/paths.h"
#include "platform/text/msgbox.h"

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
  bool accepted = !path_.empty() && FileId(path_, &id) && lib_.Load(path_);
  if (accepted) {
    module_ = ModuleOf(id);
    userFunction.fn_ = lib_.Function<UserFunctionEntry>("UserFunction");
    init.fn_ = lib_.Function<UserInitEntry>("Init");
    initWaveforms.fn_ = caller == UserFunctionCaller::kChannelDocument || caller == UserFunctionCaller::kFlowmeter
                            ? nullptr
                            : lib_.Function<UserInitWaveformsEntry>("InitWaveforms");
    userFunction.module_ = init.module_ = initWaveforms.module_ = module_;
    accepted = userFunction && (caller != UserFunctionCaller::kLasExport || init) &&
               (caller != UserFunctionCaller::kSonicDocument || initWaveforms);
  }
  if (accepted) return true;
  Unload();
  if (caller != UserFunctionCaller::kLasExport) qv::ShowMessageId(kStrUserProcessRefused, qv::MB_OK);
  return false;
}

void UserFunctionLibrary::Unload() {
  userFunction = {};
  init = {};
  initWaveforms = {};
  lib_.Unload();
  module_.reset();
}

bool UserFunctionLibraryInUse(const std::string& path) {
  std::pair<std::uint64_t, std::uint64_t> id;
  if (!FileId(path, &id)) return false;
  std::lock_guard<std::mutex> guard(g_modulesLock);
  const auto it = g_modules.find(id);
  return it != g_modules.end() && !it->second.expired();
}
