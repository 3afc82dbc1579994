#include "common/textcodec.h"

#include "platform/gbk.h"
#include "platform/vbtext.h"

#include <array>
#include <cmath>

namespace {

constexpr char16_t kTable[] = u"QWERTYUPASDFGHJKLZXCVBqwertyupasdfghjkzxcvbn98765432";
constexpr int kTableSize = 52;
static_assert(sizeof kTable / sizeof kTable[0] == kTableSize + 1);

// Position of each ASCII character in the table, -1 for characters outside it.
constexpr std::array<int8_t, 128> makePositions() {
    std::array<int8_t, 128> pos{};
    for (auto& p : pos)
        p = -1;
    for (int i = 0; i < kTableSize; ++i)
        pos[kTable[i]] = static_cast<int8_t>(i);
    return pos;
}
constexpr std::array<int8_t, 128> kPositions = makePositions();

int position(char16_t c) { return c < 128 ? kPositions[c] : -1; }

} // namespace

QString EncodeText(const QString& Text, const std::function<float()>& random) {
    const QByteArray bytes = platform::toGbk(Text);
    QString out(bytes.size() * 2, Qt::Uninitialized);
    QChar* o = out.data();
    for (const char ch : bytes) {
        const int b = static_cast<unsigned char>(ch);
        // The fraction times 4 rounded to the nearest whole number, halves to even.
        const int r = static_cast<int>(std::nearbyint(random() * 4.0f));
        const int mixed = b ^ r;
        *o++ = QChar(kTable[mixed % kTableSize]);
        *o++ = QChar(kTable[8 * (mixed / kTableSize) + r]);
    }
    return out;
}

QString EncodeText(const QString& Text) {
    return EncodeText(Text, [] { return platform::Rnd(); });
}

QString DecodeText(const QString& Text) {
    const qsizetype n = Text.size();
    if (n == 0)
        return {};
    QByteArray bytes((n + 1) / 2, Qt::Uninitialized);
    char* out = bytes.data();
    const QChar* in = Text.constData();
    for (qsizetype i = 0; i < n; i += 2) {
        const int p1 = position(in[i].unicode());
        // A lone last character decodes as if its partner were the table's first character.
        const int p2 = i + 1 < n ? position(in[i + 1].unicode()) : 0;
        if (p1 < 0 || p2 < 0)
            return {};
        const int value = kTableSize * (p2 / 8) + p1;
        if (value > 255)
            return {};
        *out++ = static_cast<char>(value ^ (p2 % 8));
    }
    return platform::fromGbk(bytes);
}
