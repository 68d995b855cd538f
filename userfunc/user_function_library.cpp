#include "userfunc/user_function_library.h"

bool UserFunctionLibrary::Load(const std::string& path) {
  Unload();
  if (!lib_.Load(path)) return false;
  userFunction = lib_.Function<UserFunctionEntry>("UserFunction");
  init = lib_.Function<UserInitEntry>("Init");
  initWaveforms = lib_.Function<UserInitWaveformsEntry>("InitWaveforms");
  return true;
}

void UserFunctionLibrary::Unload() {
  userFunction = nullptr;
  init = nullptr;
  initWaveforms = nullptr;
  lib_.Unload();
}
