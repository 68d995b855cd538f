// A user-function library loaded by path for one caller, with its C entry
// points looked up by name. Every caller loads through this one class: the
// exports each kind of caller requires, the refusal and its message, and the
// lock that serialises the calls into one module are decided here.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/dynlib/dynlib.h"

// in: channels 1..12, TIME in ms, DEPTH in thousandths of the depth unit and
// two more values that are always 0; out: room for 16 values.
using UserFunctionEntry = void (*)(double* in, double* out);
using UserInitEntry = void (*)();
using UserInitWaveformsEntry = void (*)(std::int16_t* w1, std::int16_t* w2, std::int16_t* w3, std::int16_t* w4,
                                        int points);

// Every caller passes 16 inputs (unused ones 0) and room for 16 outputs, so a
// library never reads or writes past what a caller gave it.
inline constexpr int kUserFunctionInputs = 16;
inline constexpr int kUserFunctionOutputs = 16;
inline constexpr int kUserInputTime = 12;
inline constexpr int kUserInputDepth = 13;

// "Could not load user process file!"
inline constexpr unsigned kStrUserProcessRefused = 32199;

// Who loads the library; it decides which exports are required.
enum class UserFunctionCaller {
  kChannelDocument,  // six- and twelve-channel logs: UserFunction; Init when present
  kSonicDocument,    // UserFunction and InitWaveforms; Init when present
  kFlowmeter,        // UserFunction; Init when present
  kLasExport,        // UserFunction and Init; InitWaveforms when present
};

struct UserFunctionModule;  // one per loaded file, shared by its loaders

// An entry point that takes the module's lock around every call: two callers
// that load the same file share its static storage.
template <class Fn>
class UserFunctionCall {
 public:
  explicit operator bool() const { return fn_ != nullptr; }
  bool operator==(std::nullptr_t) const { return fn_ == nullptr; }
  template <class... Args>
  void operator()(Args... args) const;

 private:
  friend class UserFunctionLibrary;
  Fn fn_ = nullptr;
  std::shared_ptr<UserFunctionModule> module_;
};

class UserFunctionLibrary {
 public:
  UserFunctionLibrary() = default;
  ~UserFunctionLibrary() { Unload(); }
  UserFunctionLibrary(const UserFunctionLibrary&) = delete;
  UserFunctionLibrary& operator=(const UserFunctionLibrary&) = delete;

  // Loads the library at PATH (made absolute, so the loader never searches
  // for it) and looks up the caller's entry points. The library is accepted
  // when it loaded and exports what CALLER requires; a refused library is
  // freed at once and leaves no entry point. The documents and the flowmeter
  // are told "Could not load user process file!"; the LAS export is not (its
  // dialog reports the failed export).
  bool Load(const std::string& path, UserFunctionCaller caller);
  void Unload();
  bool Loaded() const { return lib_.Loaded(); }
  const std::string& Error() const { return lib_.Error(); }
  const std::string& Path() const { return path_; }

  UserFunctionCall<UserFunctionEntry> userFunction;
  UserFunctionCall<UserInitEntry> init;
  UserFunctionCall<UserInitWaveformsEntry> initWaveforms;

 private:
  qv::DynLib lib_;
  std::string path_;
  std::shared_ptr<UserFunctionModule> module_;
};

// Whether a library of this process (any caller) holds the file at PATH
// loaded; a build must not replace such a file under its user.
bool UserFunctionLibraryInUse(const std::string& path);

struct UserFunctionModule {
  std::mutex lock;
  std::uint64_t device = 0, inode = 0;
};

template <class Fn>
template <class... Args>
void UserFunctionCall<Fn>::operator()(Args... args) const {
  std::lock_guard<std::mutex> guard(module_->lock);
  fn_(args...);
}
