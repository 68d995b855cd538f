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

namespace qv {
// A path of axis-parallel segments stroked with a solid pen WIDTH dots wide,
// centred on the path (WIDTH / 2 dots before the line, the rest from it on),
// its ends reaching as far, so corners close.
void StrokePolyline(MonoRaster& r, const int (*points)[2], int count, int width);
}  // namespace qv
