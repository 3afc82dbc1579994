#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Code page 936 (GBK as Windows has it), the encoding of every text on the wire and on disk.
// A character the code page cannot hold becomes "?"; a byte sequence it does not define reads as "?".
[[nodiscard]] QByteArray toGbk(QStringView text);
[[nodiscard]] QString fromGbk(QByteArrayView bytes);

// The code of one UTF-16 unit in code page 936: below 0x100 a single byte, otherwise lead byte in
// the upper eight bits and trail byte in the lower; 0 when the code page cannot hold it.
[[nodiscard]] quint16 gbkCode(char16_t unit);

} // namespace platform
