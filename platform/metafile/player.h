// Draws a decoded Windows metafile through QPainter, scaled so that the
// picture's frame (see Frame in wmf.h) fills the target rectangle.
#pragma once

#include <QRectF>

#include "platform/metafile/wmf.h"

class QPainter;

namespace qv::wmf {

// False when the picture has no frame (nothing is drawn then). The painter's
// state is restored afterwards.
bool Play(const Picture& pic, QPainter& painter, const QRectF& target);

}  // namespace qv::wmf
