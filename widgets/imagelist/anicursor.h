#pragma once

#include <QByteArrayView>
#include <QImage>

#include <vector>

// The frames of an animated cursor file: a RIFF container of type "ACON" whose "fram" list holds
// one icon or cursor file per frame ("icon" chunks). Frames are read in stored order; a frame
// whose picture cannot be read ends the reading (the frames before it are kept). Bytes that are
// not such a container give no frames.
namespace anicursor {

[[nodiscard]] bool isAnimatedCursor(QByteArrayView bytes);
[[nodiscard]] std::vector<QImage> readFrames(QByteArrayView bytes);

} // namespace anicursor
