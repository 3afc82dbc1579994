#include "platform/vbtext.h"

#include "platform/clock.h"
#include "platform/vberror.h"

#include <QRegularExpression>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace platform {

void raiseOverflow() { throw VbError(kErrOverflow, QStringLiteral("溢出")); }
void raiseTypeMismatch() { throw VbError(kErrTypeMismatch, QStringLiteral("类型不匹配")); }
void raiseSubscript() { throw VbError(kErrSubscript, QStringLiteral("下标越界")); }

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }

// Reads a decimal number text (already checked for shape, no separators) without the locale.
double parseDecimal(const std::string& s, bool negativeExponent) {
    double v = 0;
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        if (negativeExponent)
            return 0;
        raiseOverflow();
    }
    if (r.ec != std::errc())
        return 0;
    return v;
}

// "&H" / "&O" literals keep the width rules of integer literals: four hex digits or fewer make a
// 16-bit value, so &HFFFF is -1.
std::optional<double> radixLiteral(const std::string& s, std::size_t& used) {
    used = 0;
    if (s.size() < 2 || s[0] != '&')
        return std::nullopt;
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])));
    const int base = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
    if (base == 0)
        return std::nullopt;
    std::size_t i = 2;
    uint64_t v = 0;
    int digits = 0;
    for (; i < s.size(); ++i) {
        const int c = std::toupper(static_cast<unsigned char>(s[i]));
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0 || d >= base)
            break;
        v = v * base + d;
        if (v > 0xFFFFFFFFull)
            raiseOverflow();
        ++digits;
    }
    used = i;
    if (digits == 0)
        return 0.0;
    if (v <= 0xFFFF && ((base == 16 && digits <= 4) || (base == 8 && v <= 0177777)))
        return static_cast<double>(static_cast<int16_t>(v));
    return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
}

struct Scanned {
    std::string number;       // normalised for from_chars
    bool negativeExponent = false;
    bool hasDigits = false;
    std::size_t end = 0;      // characters consumed
    std::optional<double> radix;
};

// Scans sign, digits, point, digits and exponent from the start of an ASCII text.
Scanned scanNumber(const std::string& s, bool allowThousands) {
    Scanned r;
    std::size_t i = 0;
    std::size_t used = 0;
    if ((r.radix = radixLiteral(s, used))) {
        r.end = used;
        r.hasDigits = used > 2;
        return r;
    }
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            r.number += '-';
        ++i;
    }
    for (; i < s.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(s[i]))) {
            r.number += s[i];
            r.hasDigits = true;
        } else if (allowThousands && s[i] == ',' && r.hasDigits) {
            continue;
        } else {
            break;
        }
    }
    if (i < s.size() && s[i] == '.') {
        r.number += '.';
        for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
            r.number += s[i];
            r.hasDigits = true;
        }
    }
    if (r.hasDigits && i < s.size() && std::strchr("eEdD", s[i]) != nullptr) {
        std::size_t j = i + 1;
        std::string exp = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            r.negativeExponent = s[j] == '-';
            exp += s[j++];
        }
        const std::size_t firstDigit = j;
        for (; j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])); ++j)
            exp += s[j];
        if (j > firstDigit) {
            r.number += exp;
            i = j;
        }
    }
    r.end = i;
    return r;
}

double scannedValue(const Scanned& sc) {
    if (sc.radix)
        return *sc.radix;
    if (!sc.hasDigits)
        return 0;
    std::string n = sc.number;
    if (!n.empty() && n[0] == '-')
        return -parseDecimal(n.substr(1), sc.negativeExponent);
    return parseDecimal(n, sc.negativeExponent);
}

std::string asciiPrefix(QStringView text, bool skipBlanks) {
    std::string s;
    s.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (skipBlanks && isBlank(u))
            continue;
        if (u >= 0x80)
            break;
        s += static_cast<char>(u);
    }
    return s;
}

// Whole-text strict scan shared by IsNumeric and the strict conversions.
std::optional<Scanned> strictScan(QStringView text) {
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const std::string s = asciiPrefix(t, false);
    if (static_cast<qsizetype>(s.size()) != t.size())
        return std::nullopt;
    Scanned sc = scanNumber(s, true);
    if (!sc.hasDigits || sc.end != s.size())
        return std::nullopt;
    return sc;
}

// Decimal digits of |value| to `significant` digits, halves rounded up, with the point position:
// value = 0.d1d2d3... x 10^point. Read from a 17-digit scientific form without going through a
// QString: prices are formatted this way on every refresh of every row.
void decimalDigits(double value, int significant, std::vector<int>& digits, int& point) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 16);
    digits.clear();
    digits.reserve(17);
    const char* end = r.ec == std::errc() ? r.ptr : buf;
    const char* e = std::find(static_cast<const char*>(buf), end, 'e');
    for (const char* c = buf; c < e; ++c)
        if (*c >= '0' && *c <= '9')
            digits.push_back(*c - '0');
    // The exponent is read within the written characters only: the buffer is not terminated.
    int exponent = 0;
    if (e < end) {
        const char* x = e + 1;
        if (x < end && *x == '+')
            ++x;
        std::from_chars(x, end, exponent);
    }
    point = exponent + 1;
    if (static_cast<int>(digits.size()) <= significant)
        return;
    const bool up = digits[significant] >= 5;
    digits.resize(significant);
    if (!up)
        return;
    int k = significant - 1;
    while (k >= 0 && digits[k] == 9)
        digits[k--] = 0;
    if (k >= 0) {
        ++digits[k];
    } else {
        digits.insert(digits.begin(), 1);
        digits.pop_back();
        ++point;
    }
}

QString fixedText(double value, int significant, int decimals) {
    if (!std::isfinite(value))
        return QString::number(value);
    std::vector<int> dig;
    int point = 0;
    decimalDigits(value, significant, dig, point);
    if (value == 0) {
        dig = {0};
        point = 1;
    }
    const int keep = point + decimals;
    if (keep < 0) {
        dig.clear();
    } else if (keep < static_cast<int>(dig.size())) {
        const bool up = dig[keep] >= 5; // halves away from zero
        dig.resize(keep);
        if (up) {
            int k = keep - 1;
            while (k >= 0 && dig[k] == 9)
                dig[k--] = 0;
            if (k >= 0) {
                ++dig[k];
            } else {
                dig.insert(dig.begin(), 1);
                ++point;
            }
        }
    }
    auto digitAt = [&](int pos) { // pos counts from the first digit of dig
        return pos >= 0 && pos < static_cast<int>(dig.size()) ? dig[pos] : 0;
    };
    // Built in one byte buffer: prices are written this way for every cell of every refresh.
    std::string out;
    out.reserve(static_cast<size_t>(std::max(point, 1) + decimals + 2));
    out += '-';
    bool nonZero = false;
    if (point <= 0) {
        out += '0';
    } else {
        bool leading = true;
        for (int i = 0; i < point; ++i) {
            const int d = digitAt(i);
            nonZero |= d != 0;
            if (leading && d == 0 && i + 1 < point)
                continue;
            leading = false;
            out += static_cast<char>('0' + d);
        }
    }
    if (decimals > 0) {
        out += '.';
        for (int i = 0; i < decimals; ++i) {
            const int d = digitAt(point + i);
            nonZero |= d != 0;
            out += static_cast<char>('0' + d);
        }
    }
    const bool negative = value < 0 && nonZero;
    return QString::fromLatin1(out.data() + (negative ? 0 : 1), static_cast<qsizetype>(out.size()) - (negative ? 0 : 1));
}

// xoshiro256**: small and fast enough that the transport codec can draw a value per byte.
class Generator {
public:
    explicit Generator(uint64_t seed) { reseed(seed); }
    void reseed(uint64_t seed) {
        for (uint64_t& word : m_s) { // splitmix64 spreads the seed over the state
            seed += 0x9E3779B97F4A7C15ull;
            uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            word = z ^ (z >> 31);
        }
    }
    uint64_t next() {
        const uint64_t result = rotl(m_s[1] * 5, 7) * 9;
        const uint64_t t = m_s[1] << 17;
        m_s[2] ^= m_s[0];
        m_s[3] ^= m_s[1];
        m_s[1] ^= m_s[2];
        m_s[0] ^= m_s[3];
        m_s[2] ^= t;
        m_s[3] = rotl(m_s[3], 45);
        return result;
    }

private:
    static uint64_t rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    uint64_t m_s[4];
};

Generator& generator() {
    static Generator g(5489u);
    return g;
}

} // namespace

double Val(QStringView text) {
    const std::string s = asciiPrefix(text, true);
    return scannedValue(scanNumber(s, false));
}

bool IsNumeric(QStringView text) {
    try {
        const auto sc = strictScan(text);
        if (!sc)
            return false;
        (void)scannedValue(*sc);
        return true;
    } catch (const VbError&) {
        return false;
    }
}

double CDbl(QStringView text) {
    const auto sc = strictScan(text);
    if (!sc)
        raiseTypeMismatch();
    return scannedValue(*sc);
}

float CSng(double value) {
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<float>::max())
        raiseOverflow();
    return static_cast<float>(value);
}

float CSng(QStringView text) { return CSng(CDbl(text)); }

QString singleText(float value) {
    if (value == 0)
        return QStringLiteral("0");
    return QString::number(static_cast<double>(value), 'G', 7);
}

QString doubleText(double value) {
    if (value == 0)
        return QStringLiteral("0");
    return QString::number(value, 'G', 15);
}

double Round(double value, int digits) {
    if (!std::isfinite(value))
        return value;
    static constexpr double kPowers[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    const double scale = digits >= 0 && digits <= 9 ? kPowers[digits] : std::pow(10.0, digits);
    const double scaled = value * scale;
    if (!std::isfinite(scaled))
        return value;
    return std::nearbyint(scaled) / scale; // default rounding mode: halves to even
}

int16_t CInt(double value) {
    const double r = std::nearbyint(value);
    if (!(r >= -32768.0 && r <= 32767.0))
        raiseOverflow();
    return static_cast<int16_t>(r);
}

int32_t CLng(double value) {
    const double r = std::nearbyint(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        raiseOverflow();
    return static_cast<int32_t>(r);
}

QString formatFixed(double value, int decimals) { return fixedText(value, 15, decimals); }
QString formatFixed(float value, int decimals) {
    return fixedText(static_cast<double>(value), 7, decimals);
}

float Rnd() {
    return static_cast<float>(generator().next() >> 40) * (1.0f / 16777216.0f);
}

// Like the classic generator, reseeding from the clock mixes the clock into the current state, so
// two reseeds within the same clock tick still give different numbers.
void Randomize() {
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    generator().reseed(generator().next() ^ static_cast<uint64_t>(ms));
}

uint64_t RndBits() { return generator().next(); }

void Randomize(uint32_t seed) { generator().reseed(seed); }

QDateTime zeroDate() { return naiveDateTime(QDate(1899, 12, 30)); }

QString shortDateText(const QDate& d) {
    // Four-digit years: the date reader takes no other, so a date before 1000 still reads back.
    return QStringLiteral("%1-%2-%3").arg(d.year(), 4, 10, QLatin1Char('0')).arg(d.month()).arg(d.day());
}

QString timeText(const QTime& t) {
    return QStringLiteral("%1:%2:%3")
        .arg(t.hour())
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'));
}

QString generalDateText(const QDateTime& dt) {
    if (!dt.isValid())
        return {};
    const bool noDay = dt.date() == zeroDate().date();
    const bool midnight = dt.time() == QTime(0, 0);
    if (noDay && !midnight)
        return timeText(dt.time());
    if (midnight)
        return shortDateText(dt.date());
    return shortDateText(dt.date()) + u' ' + timeText(dt.time());
}

QDateTime parseDate(QStringView text) {
    static const QRegularExpression dateRe(QStringLiteral(
        R"(^\s*(\d{4})([-/])(\d{1,2})\2(\d{1,2})(?:\s+(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?)?\s*$)"));
    static const QRegularExpression timeRe(
        QStringLiteral(R"(^\s*(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*$)"));
    const QString s = text.toString();
    if (const auto m = dateRe.match(s); m.hasMatch()) {
        const QDate d(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(4).toInt());
        QTime t(0, 0);
        if (m.hasCaptured(5))
            t = QTime(m.captured(5).toInt(), m.captured(6).toInt(),
                      m.hasCaptured(7) ? m.captured(7).toInt() : 0);
        if (!d.isValid() || !t.isValid())
            return {};
        return naiveDateTime(d, t);
    }
    if (const auto m = timeRe.match(s); m.hasMatch()) {
        const QTime t(m.captured(1).toInt(), m.captured(2).toInt(),
                      m.hasCaptured(3) ? m.captured(3).toInt() : 0);
        if (!t.isValid())
            return {};
        return naiveDateTime(zeroDate().date(), t);
    }
    return {};
}

bool IsDate(QStringView text) { return parseDate(text).isValid(); }

QDateTime CDate(QStringView text) {
    const QDateTime d = parseDate(text);
    if (!d.isValid())
        raiseTypeMismatch();
    return d;
}

} // namespace platform
