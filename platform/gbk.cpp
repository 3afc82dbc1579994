#include "platform/gbk.h"

#include <iconv.h>

#include <array>
#include <memory>

namespace platform {
namespace {

constexpr int kLeadFirst = 0x81;
constexpr int kLeadLast = 0xFE;
constexpr int kTrailFirst = 0x40;
constexpr int kTrailLast = 0xFE;
constexpr int kTrailCount = kTrailLast - kTrailFirst + 1;

// Both directions as flat tables, built once from the C library's converter: a lookup per
// character keeps the codec and every parser off the converter's per-call overhead.
struct Tables {
    std::array<char16_t, 256> single{};                                  // 0 = not a single byte
    std::array<char16_t, (kLeadLast - kLeadFirst + 1) * kTrailCount> pair{}; // 0 = undefined
    std::array<quint16, 0x10000> encode{};                               // 0 = not held

    Tables() {
        iconv_t cd = iconv_open("UTF-16LE", "CP936");
        if (cd == reinterpret_cast<iconv_t>(-1))
            cd = iconv_open("UTF-16LE", "GBK");
        auto decodeOne = [cd](const char* in, size_t len) -> char16_t {
            if (cd == reinterpret_cast<iconv_t>(-1))
                return 0;
            char out[8];
            char* inp = const_cast<char*>(in);
            char* outp = out;
            size_t inLeft = len;
            size_t outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
                sizeof out - outLeft != 2)
                return 0;
            return static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                         (static_cast<unsigned char>(out[1]) << 8));
        };
        for (int b = 0; b < 0x80; ++b)
            single[b] = static_cast<char16_t>(b);
        for (int b = 0x80; b < 0x100; ++b) {
            const char in = static_cast<char>(b);
            single[b] = decodeOne(&in, 1);
        }
        for (int lead = kLeadFirst; lead <= kLeadLast; ++lead) {
            for (int trail = kTrailFirst; trail <= kTrailLast; ++trail) {
                if (trail == 0x7F)
                    continue;
                const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                pair[(lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst)] = decodeOne(in, 2);
            }
        }
        if (cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd);

        for (int b = 0; b < 0x100; ++b)
            if (single[b] != 0 || b == 0)
                encode[single[b]] = static_cast<quint16>(b);
        for (int lead = kLeadFirst; lead <= kLeadLast; ++lead) {
            for (int trail = kTrailFirst; trail <= kTrailLast; ++trail) {
                const char16_t u = pair[(lead - kLeadFirst) * kTrailCount + (trail - kTrailFirst)];
                if (u != 0 && encode[u] == 0)
                    encode[u] = static_cast<quint16>(lead << 8 | trail);
            }
        }
    }
};

const Tables& tables() {
    static const auto t = std::make_unique<Tables>();
    return *t;
}

} // namespace

quint16 gbkCode(char16_t unit) {
    if (unit < 0x80)
        return unit;
    return tables().encode[unit];
}

QByteArray toGbk(QStringView text) {
    const Tables& t = tables();
    QByteArray out(text.size() * 2, Qt::Uninitialized);
    char* o = out.data();
    const char16_t* in = text.utf16();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = in[i];
        if (u < 0x80) {
            *o++ = static_cast<char>(u);
            continue;
        }
        if (QChar::isHighSurrogate(u) && i + 1 < n && QChar::isLowSurrogate(in[i + 1]))
            ++i; // one character outside the code page, one "?"
        const quint16 code = QChar::isSurrogate(u) ? 0 : t.encode[u];
        if (code == 0) {
            *o++ = '?';
        } else if (code < 0x100) {
            *o++ = static_cast<char>(code);
        } else {
            *o++ = static_cast<char>(code >> 8);
            *o++ = static_cast<char>(code & 0xFF);
        }
    }
    out.truncate(o - out.constData());
    return out;
}

QString fromGbk(QByteArrayView bytes) {
    const Tables& t = tables();
    const qsizetype n = bytes.size();
    QString out(n, Qt::Uninitialized);
    char16_t* o = reinterpret_cast<char16_t*>(out.data());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            *o++ = b;
            continue;
        }
        if (b >= kLeadFirst && b <= kLeadLast && i + 1 < n) {
            const unsigned char trail = p[i + 1];
            if (trail >= kTrailFirst && trail <= kTrailLast && trail != 0x7F) {
                const char16_t u = t.pair[(b - kLeadFirst) * kTrailCount + (trail - kTrailFirst)];
                *o++ = u != 0 ? u : u'?';
                ++i;
                continue;
            }
        }
        const char16_t u = t.single[b];
        *o++ = u != 0 ? u : u'?';
    }
    out.truncate(o - reinterpret_cast<const char16_t*>(out.constData()));
    return out;
}

} // namespace platform
