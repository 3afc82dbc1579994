#pragma once

#include <QImage>

// The mini window's skin pictures, drawn here rather than shipped: element `element` of its
// picture store (mini::pieceSize gives the sizes), a null image for an unused element.
[[nodiscard]] QImage miniSkinPicture(int element);
