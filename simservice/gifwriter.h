#pragma once

#include <QByteArray>
#include <QImage>

// A GIF file of an indexed picture of up to 128 colours. The codes are written at their full width
// and the table is reset before it would grow, so the file needs no real compression step and
// every decoder reads it.
[[nodiscard]] QByteArray writeGif(const QImage& indexed);
