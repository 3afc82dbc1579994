#pragma once

#include <QString>

// MD5 of the text's GBK bytes as hex digits: all 32 when Length is 32, otherwise the 16 middle
// digits (9 to 24); upper-case digits when Upper is set.
[[nodiscard]] QString Md5Hex(const QString& Message, int16_t Length, bool Upper);
