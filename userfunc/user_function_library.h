// A user-function library loaded by path for one caller, with its C entry
// points looked up by name. Every caller loads through this one class: the
// exports each kind of caller requires, the refusal and its message, and the
// lock that serialises the calls into one module are decided here.
#pragma once

#include <atomic>
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
// A library with a call that never returned.
inline constexpr unsigned kStrUserFunctionStuck = 36407;
// "The user function %s does not return. ..."
inline constexpr unsigned kStrUserFunctionDoesNotReturn = 36420;

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
  // when it passed its check in a process of its own (user_function_check.h,
  // once per file and run), loaded, and exports as functions what CALLER
  // requires; a refused library is
  // freed at once and leaves no entry point. The documents and the flowmeter
  // are told "Could not load user process file!" and what the check found;
  // the LAS export is not (its dialog reports the failed export).
  bool Load(const std::string& path, UserFunctionCaller caller);
  void Unload();
  bool Loaded() const { return lib_.Loaded(); }
  // Whether a thread is inside one of the library's entry points now.
  bool CallInProgress() const;
  // Gives up a call that does not return (a stop found its thread inside it):
  // the module stays loaded for the rest of the run, the calling thread never
  // comes back into the program, and no later Load accepts the file in this
  // run. False, changing nothing, when no call is in progress.
  bool Abandon();
  // Why the last Load refused the library: what its check found, else the
  // loader's error.
  const std::string& Error() const { return refusal_.empty() ? lib_.Error() : refusal_; }
  const std::string& Path() const { return path_; }

  UserFunctionCall<UserFunctionEntry> userFunction;
  UserFunctionCall<UserInitEntry> init;
  UserFunctionCall<UserInitWaveformsEntry> initWaveforms;

 private:
  qv::DynLib lib_;
  std::string path_;
  std::string refusal_;
  std::shared_ptr<UserFunctionModule> module_;
};

// Whether a library of this process (any caller) holds the file at PATH
// loaded; a build must not replace such a file under its user.
bool UserFunctionLibraryInUse(const std::string& path);

struct UserFunctionModule {
  std::mutex lock;
  std::uint64_t device = 0, inode = 0;
  std::atomic<int> calling{0};          // calls in progress
  std::atomic<bool> abandoned{false};   // a call that did not return was given up
};

// A thread that comes back from a call that was given up never runs
// program code again: whatever it was working for may be gone.
[[noreturn]] void ParkAbandonedUserFunctionCaller();

// Keeps an object that a thread stuck in a given-up call may still use (the
// thread itself, a lock it holds) for the rest of the run: it is never
// destroyed, not even at exit, and stays reachable (no leak report).
void KeepAbandonedObject(void* object);
template <class T>
void KeepAbandoned(std::unique_ptr<T> object) {
  KeepAbandonedObject(object.release());
}

template <class Fn>
template <class... Args>
void UserFunctionCall<Fn>::operator()(Args... args) const {
  // Copies on this thread's stack: after a call that was given up, the
  // object that made it may be gone.
  const std::shared_ptr<UserFunctionModule> module = module_;
  const Fn fn = fn_;
  if (module->abandoned) return;  // its lock is held for good
  ++module->calling;
  {
    std::lock_guard<std::mutex> guard(module->lock);
    fn(args...);
  }
  --module->calling;
  if (module->abandoned) ParkAbandonedUserFunctionCaller();
}
