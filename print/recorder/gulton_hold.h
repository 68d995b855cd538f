// The recorder's lock for the length of one operation, for the files that
// make up the recorder; a lock not had in time fails the operation like a
// failed write (the port is left to its holder).
#pragma once

#include "platform/sync/sync.h"
#include "print/recorder/gulton.h"

class CGulton::Hold {
 public:
  explicit Hold(CGulton& g);

 private:
  qv::MutexGuard guard_;
};
