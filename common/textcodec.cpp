#include "common/textcodec.h"

#include "platform/gbk.h"
#include "platform/vbtext.h"

#include <array>
#include <cmath>
#include <memory>

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

// r = a random fraction times 4, rounded to the nearest whole number (halves to even).
int mixValue(float fraction) { return static_cast<int>(std::nearbyint(fraction * 4.0f)); }

// The byte two table positions spell; -1 when they spell none.
int pairByte(int p1, int p2) {
    if (p1 < 0 || p2 < 0)
        return -1;
    const int value = kTableSize * (p2 / 8) + p1;
    if (value > 255)
        return -1;
    return value ^ (p2 % 8);
}

using Pair = std::array<char16_t, 2>;

// A byte mixed with r as two table characters: the low part of the mix, then its high part
// (0 to 4) times 8 plus r.
Pair encodedPair(int byte, int r) {
    const int mixed = byte ^ r;
    return {kTable[mixed % kTableSize], kTable[8 * (mixed / kTableSize) + r]};
}

} // namespace

QString EncodeText(const QString& Text, const std::function<float()>& random) {
    const QByteArray bytes = platform::toGbk(Text);
    QString out(bytes.size() * 2, Qt::Uninitialized);
    auto* o = reinterpret_cast<Pair*>(out.data());
    for (const char ch : bytes)
        *o++ = encodedPair(static_cast<unsigned char>(ch), mixValue(random()));
    return out;
}

QString EncodeText(const QString& Text) {
    // Each byte takes an 8-bit fraction from a 64-bit draw; the mix values keep their odds
    // (0 and 4 half as often as 1 to 3). Both character pairs of every byte and mix value are
    // precomputed, so the loop is a lookup and a store.
    struct Tables {
        std::array<uint8_t, 256> mix{};
        std::array<std::array<Pair, 256>, 5> pairs{};
    };
    static const Tables kT = [] {
        Tables t;
        for (int i = 0; i < 256; ++i)
            t.mix[i] = static_cast<uint8_t>(mixValue(static_cast<float>(i) / 256.0f));
        for (int r = 0; r < 5; ++r)
            for (int b = 0; b < 256; ++b)
                t.pairs[r][b] = encodedPair(b, r);
        return t;
    }();
    const QByteArray bytes = platform::toGbk(Text);
    QString out(bytes.size() * 2, Qt::Uninitialized);
    auto* o = reinterpret_cast<Pair*>(out.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; i += 8) {
        uint64_t bits = platform::RndBits();
        const qsizetype end = std::min<qsizetype>(n, i + 8);
        for (qsizetype j = i; j < end; ++j, bits >>= 8)
            *o++ = kT.pairs[kT.mix[bits & 0xFF]][in[j]];
    }
    return out;
}

QString DecodeText(const QString& Text) {
    const qsizetype n = Text.size();
    if (n == 0)
        return {};
    // The byte of every pair of ASCII characters, -1 where the pair spells none: one lookup per
    // byte, since every snapshot comes through here.
    static const auto kBytes = [] {
        auto bytes = std::make_unique<std::array<int16_t, 128 * 128>>();
        for (int c1 = 0; c1 < 128; ++c1)
            for (int c2 = 0; c2 < 128; ++c2)
                (*bytes)[c1 * 128 + c2] = static_cast<int16_t>(pairByte(position(c1), position(c2)));
        return bytes;
    }();
    QByteArray bytes((n + 1) / 2, Qt::Uninitialized);
    char* out = bytes.data();
    const char16_t* in = reinterpret_cast<const char16_t*>(Text.constData());
    for (qsizetype i = 0; i + 1 < n; i += 2) {
        const char16_t c1 = in[i];
        const char16_t c2 = in[i + 1];
        if ((c1 | c2) >= 128)
            return {};
        const int16_t b = (*kBytes)[c1 * 128 + c2];
        if (b < 0)
            return {};
        *out++ = static_cast<char>(b);
    }
    if (n % 2 != 0) {
        // A lone last character decodes as if its partner were the table's first character.
        const int b = pairByte(position(in[n - 1]), 0);
        if (b < 0)
            return {};
        *out = static_cast<char>(b);
    }
    return platform::fromGbk(bytes);
}
