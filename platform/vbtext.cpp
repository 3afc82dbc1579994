#include "platform/vbtext.h"

#include "platform/clock.h"
#include "platform/vberror.h"

#include <QRegularExpression>
#include <QVarLengthArray>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace platform {

void raiseOverflow() { throw VbError(kErrOverflow, QStringLiteral("溢出")); }
void raiseTypeMismatch() { throw VbError(kErrTypeMismatch, QStringLiteral("类型不匹配")); }
void raiseSubscript() { throw VbError(kErrSubscript, QStringLiteral("下标越界")); }

namespace {

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Characters in a stack buffer for the short texts numbers come in; longer ones go to the heap.
// Every number of every snapshot row passes through here, so the usual case must not allocate.
using CharBuffer = QVarLengthArray<char, 64>;

// Reads a decimal number text (already checked for shape, no separators) without the locale.
double parseDecimal(const char* s, std::size_t n, bool negativeExponent) {
    double v = 0;
    const auto r = std::from_chars(s, s + n, v);
    if (r.ec == std::errc::result_out_of_range) {
        if (negativeExponent)
            return 0;
        raiseOverflow();
    }
    if (r.ec != std::errc())
        return 0;
    return v;
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// "&H" / "&O" literals keep the width rules of integer literals: four hex digits or fewer make a
// 16-bit value, so &HFFFF is -1.
std::optional<double> radixLiteral(const char* s, std::size_t n, std::size_t& used) {
    used = 0;
    if (n < 2 || s[0] != '&')
        return std::nullopt;
    const char kind = upper(s[1]);
    const int base = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
    if (base == 0)
        return std::nullopt;
    std::size_t i = 2;
    uint64_t v = 0;
    int digits = 0;
    for (; i < n; ++i) {
        const char c = upper(s[i]);
        int d = -1;
        if (isDigit(c))
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
    CharBuffer number;        // normalised for from_chars
    bool negativeExponent = false;
    bool hasDigits = false;
    std::size_t end = 0;      // characters consumed
    std::optional<double> radix;
};

// Scans sign, digits, point, digits and exponent from the start of an ASCII text. The normalised
// number is never longer than the text it comes from.
void scanNumber(const char* s, std::size_t n, bool allowThousands, Scanned& r) {
    std::size_t used = 0;
    if ((r.radix = radixLiteral(s, n, used))) {
        r.end = used;
        r.hasDigits = used > 2;
        return;
    }
    r.number.resize(static_cast<qsizetype>(n));
    char* out = r.number.data();
    std::size_t i = 0;
    if (i < n && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            *out++ = '-';
        ++i;
    }
    for (; i < n; ++i) {
        if (isDigit(s[i])) {
            *out++ = s[i];
            r.hasDigits = true;
        } else if (allowThousands && s[i] == ',' && r.hasDigits) {
            continue;
        } else {
            break;
        }
    }
    if (i < n && s[i] == '.') {
        *out++ = '.';
        for (++i; i < n && isDigit(s[i]); ++i) {
            *out++ = s[i];
            r.hasDigits = true;
        }
    }
    if (r.hasDigits && i < n && (upper(s[i]) == 'E' || upper(s[i]) == 'D')) {
        std::size_t j = i + 1;
        char sign = 0;
        if (j < n && (s[j] == '+' || s[j] == '-')) {
            r.negativeExponent = s[j] == '-';
            sign = s[j++];
        }
        const std::size_t firstDigit = j;
        while (j < n && isDigit(s[j]))
            ++j;
        if (j > firstDigit) {
            *out++ = 'e';
            if (sign != 0)
                *out++ = sign;
            out = std::copy(s + firstDigit, s + j, out);
            i = j;
        }
    }
    r.number.resize(out - r.number.data());
    r.end = i;
}

double scannedValue(const Scanned& sc) {
    if (sc.radix)
        return *sc.radix;
    if (!sc.hasDigits)
        return 0;
    const char* n = sc.number.data();
    const auto size = static_cast<std::size_t>(sc.number.size());
    if (size > 0 && n[0] == '-')
        return -parseDecimal(n + 1, size - 1, sc.negativeExponent);
    return parseDecimal(n, size, sc.negativeExponent);
}

void asciiPrefix(QStringView text, bool skipBlanks, CharBuffer& s) {
    s.resize(text.size());
    char* out = s.data();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (skipBlanks && isBlank(u))
            continue;
        if (u >= 0x80)
            break;
        *out++ = static_cast<char>(u);
    }
    s.resize(out - s.data());
}

// Whole-text strict scan shared by IsNumeric and the strict conversions.
bool strictScan(QStringView text, Scanned& sc) {
    const QStringView t = text.trimmed();
    if (t.isEmpty())
        return false;
    CharBuffer s;
    asciiPrefix(t, false, s);
    if (s.size() != t.size())
        return false;
    scanNumber(s.data(), static_cast<std::size_t>(s.size()), true, sc);
    return sc.hasDigits && sc.end == static_cast<std::size_t>(s.size());
}

// The first `wanted` (at most 24) significant decimal digits of a positive value, exactly, as
// d1 d2 d3... with value = 0.d1d2d3... x 10^point (what follows them is cut off).
// Worked in integers, which is several times quicker than a correctly rounded print; false when
// the value is not below 2^63 or has bits below 2^-64 (the caller then prints it).
bool exactDigits(double value, int wanted, int8_t* digits, int& point) {
    if (!(value > 0 && value < 0x1p63))
        return false;
    uint64_t whole = static_cast<uint64_t>(value);
    const double fraction = std::ldexp(value - static_cast<double>(whole), 64);
    auto bits = static_cast<uint64_t>(fraction); // the fraction in 64 binary places
    if (static_cast<double>(bits) != fraction)
        return false;
    int count = 0;
    point = 0;
    if (whole != 0) {
        int8_t reversed[20];
        int n = 0;
        for (; whole != 0; whole /= 10)
            reversed[n++] = static_cast<int8_t>(whole % 10);
        point = n;
        for (int k = n - 1; k >= 0 && count < wanted; --k)
            digits[count++] = reversed[k];
    }
    while (count < wanted && bits != 0) {
        const unsigned __int128 next = static_cast<unsigned __int128>(bits) * 10;
        const auto digit = static_cast<int8_t>(next >> 64);
        bits = static_cast<uint64_t>(next);
        if (count == 0 && digit == 0) {
            --point; // a leading zero of the fraction
            continue;
        }
        digits[count++] = digit;
    }
    std::fill(digits + count, digits + wanted, int8_t{0});
    return true;
}

constexpr uint64_t kPowersOf10[] = {1ull,          10ull,          100ull,          1000ull,
                                    10000ull,      100000ull,      1000000ull,      10000000ull,
                                    100000000ull,  1000000000ull,  10000000000ull};
constexpr double kPowersOf5[] = {1, 5, 25, 125, 625, 3125, 15625, 78125, 390625, 1953125, 9765625, 48828125};

// True when a single (held as a double) is exactly n x 10^k. A single has 24 significant bits, so
// only 0 <= k <= 10 (5^k must divide the 24-bit mantissa) and -11 <= k < 0 (5^-k must divide n,
// which has eight digits) can hold; there the products below are exact.
bool singleEquals(double v, uint64_t n, int k) {
    if (k >= 0) {
        if (k > 10 || v >= 1e19 || v != std::floor(v))
            return false;
        return static_cast<uint64_t>(v) == n * kPowersOf10[k];
    }
    if (k < -11)
        return false;
    return std::ldexp(v, -k) * kPowersOf5[-k] == static_cast<double>(n);
}

void sevenDigits(double v, int* digits, int& exponent);
int writeGeneral(bool negative, const int* digits, int exponent, char16_t* out);
// Adds one in the last of `count` decimal digits; true when the carry ran through all of them
// (the digits are then 1000..., one place longer).
template <typename Digit>
bool addOneInTheLastPlace(Digit* digits, int count) {
    int k = count - 1;
    while (k >= 0 && digits[k] == 9)
        digits[k--] = 0;
    if (k >= 0) {
        ++digits[k];
        return false;
    }
    digits[0] = 1;
    return true;
}

int roundedDigits(int significant, int8_t* digits, int count, int& point);

// The text of a non-zero finite single to 7 significant digits, in the general format: the exact
// value rounded with halves up, trailing zeros dropped, exponent form ("1.5E-05", "1.234568E+07")
// below 1E-04 and from 1E+07 on. Written to `out` (room for 16 characters); returns its length.
int writeSingle(float value, char16_t* out) {
    const double v = std::fabs(static_cast<double>(value));
    int digits[7];
    int exponent = 0;
    int8_t exact[8];
    int point = 0;
    if (exactDigits(v, 8, exact, point)) {
        // Halves go up: the eighth exact digit decides alone.
        std::copy(exact, exact + 7, digits);
        exponent = point - 1;
        if (exact[7] >= 5 && addOneInTheLastPlace(digits, 7))
            ++exponent;
    } else {
        sevenDigits(v, digits, exponent);
    }
    return writeGeneral(value < 0, digits, exponent, out);
}

// Seven digits of a value the integer reading cannot take (very small or very large), rounded to
// nearest by the library; an exact tie is settled here.
void sevenDigits(double v, int* digits, int& exponent) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 6);
    digits[0] = buf[0] - '0';
    for (int k = 1; k < 7; ++k)
        digits[k] = buf[k + 1] - '0';
    exponent = 0;
    {
        const char* x = buf + 9; // past "d.dddddde"
        const bool negative = *x == '-';
        ++x;
        for (; x < r.ptr; ++x)
            exponent = exponent * 10 + (*x - '0');
        if (negative)
            exponent = -exponent;
    }
    // Halves go up: when the value lies exactly half way above the seven digits, they were
    // rounded down (to the even neighbour) and take one more. The last digit is then even, so
    // no carry follows.
    uint64_t seven = 0;
    for (int k = 0; k < 7; ++k)
        seven = seven * 10 + static_cast<uint64_t>(digits[k]);
    if (digits[6] % 2 == 0 && singleEquals(v, seven * 10 + 5, exponent - 7))
        ++digits[6];
}

// Seven digits d1.d2...d7 x 10^exponent in the general format; returns the length written.
int writeGeneral(bool negative, const int* digits, int exponent, char16_t* out) {
    int count = 7;
    while (count > 1 && digits[count - 1] == 0)
        --count;

    char16_t* o = out;
    if (negative)
        *o++ = u'-';
    if (exponent < -4 || exponent >= 7) {
        *o++ = static_cast<char16_t>(u'0' + digits[0]);
        if (count > 1) {
            *o++ = u'.';
            for (int k = 1; k < count; ++k)
                *o++ = static_cast<char16_t>(u'0' + digits[k]);
        }
        *o++ = u'E';
        *o++ = exponent < 0 ? u'-' : u'+';
        const int e = std::abs(exponent);
        if (e >= 100)
            *o++ = static_cast<char16_t>(u'0' + e / 100);
        *o++ = static_cast<char16_t>(u'0' + e / 10 % 10);
        *o++ = static_cast<char16_t>(u'0' + e % 10);
    } else if (exponent >= 0) {
        for (int k = 0; k <= exponent; ++k)
            *o++ = static_cast<char16_t>(u'0' + (k < count ? digits[k] : 0));
        if (count > exponent + 1) {
            *o++ = u'.';
            for (int k = exponent + 1; k < count; ++k)
                *o++ = static_cast<char16_t>(u'0' + digits[k]);
        }
    } else {
        *o++ = u'0';
        *o++ = u'.';
        for (int k = -1; k > exponent; --k)
            *o++ = u'0';
        for (int k = 0; k < count; ++k)
            *o++ = static_cast<char16_t>(u'0' + digits[k]);
    }
    return static_cast<int>(o - out);
}

// Decimal digits of |value| to `significant` digits, halves rounded up, with the point position:
// value = 0.d1d2d3... x 10^point. Read from a 17-digit scientific form: prices are formatted this
// way on every refresh of every row. Returns the number of digits (at most 17).
int decimalDigits(double value, int significant, int8_t* digits, int& point) {
    int8_t exact[18];
    if (exactDigits(std::fabs(value), 18, exact, point)) {
        // The 17-digit print. The library rounds an exact half of the 18th digit to even; rounding
        // it up instead differs only when the 17th digit is even, where the carry stops at once
        // and so never reaches the at most 15 digits kept.
        std::copy(exact, exact + 17, digits);
        if (exact[17] >= 5 && addOneInTheLastPlace(digits, 17))
            ++point;
        return roundedDigits(significant, digits, 17, point);
    }
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 16);
    int count = 0;
    const char* end = r.ec == std::errc() ? r.ptr : buf;
    const char* e = std::find(static_cast<const char*>(buf), end, 'e');
    for (const char* c = buf; c < e && count < 17; ++c)
        if (isDigit(*c))
            digits[count++] = static_cast<int8_t>(*c - '0');
    // The exponent is read within the written characters only: the buffer is not terminated.
    int exponent = 0;
    if (e < end) {
        const char* x = e + 1;
        if (x < end && *x == '+')
            ++x;
        std::from_chars(x, end, exponent);
    }
    point = exponent + 1;
    return roundedDigits(significant, digits, count, point);
}

// The 17 digits cut to `significant`, halves up.
int roundedDigits(int significant, int8_t* digits, int count, int& point) {
    if (count <= significant)
        return count;
    const bool up = digits[significant] >= 5;
    count = significant;
    if (!up)
        return count;
    if (addOneInTheLastPlace(digits, significant))
        ++point; // all nines: 1 followed by zeros, one place further up
    return count;
}

// `lead` (0 for none) goes before the text, so a caller's sign costs no second text.
QString fixedText(double value, int significant, int decimals, char16_t lead = 0) {
    if (!std::isfinite(value)) {
        const QString text = QString::number(value);
        return lead != 0 ? QChar(lead) + text : text;
    }
    int8_t dig[20];
    int point = 0;
    int count = decimalDigits(value, significant, dig, point);
    if (value == 0) {
        dig[0] = 0;
        count = 1;
        point = 1;
    }
    const int keep = point + decimals;
    if (keep < 0) {
        count = 0;
    } else if (keep < count) {
        const bool up = dig[keep] >= 5; // halves away from zero
        count = keep;
        if (up) {
            int k = keep - 1;
            while (k >= 0 && dig[k] == 9)
                dig[k--] = 0;
            if (k >= 0) {
                ++dig[k];
            } else {
                std::memmove(dig + 1, dig, static_cast<std::size_t>(count));
                dig[0] = 1;
                ++count;
                ++point;
            }
        }
    }
    auto digitAt = [&](int pos) { // pos counts from the first digit of dig
        return pos >= 0 && pos < count ? dig[pos] : 0;
    };
    // Built in one buffer, lead and sign in front: prices are written this way for every cell
    // of every refresh.
    QVarLengthArray<char16_t, 64> out(std::max(point, 1) + std::max(decimals, 0) + 3);
    char16_t* const first = out.data() + 2;
    char16_t* o = first;
    bool nonZero = false;
    if (point <= 0) {
        *o++ = u'0';
    } else {
        bool leading = true;
        for (int i = 0; i < point; ++i) {
            const int d = digitAt(i);
            nonZero |= d != 0;
            if (leading && d == 0 && i + 1 < point)
                continue;
            leading = false;
            *o++ = static_cast<char16_t>(u'0' + d);
        }
    }
    if (decimals > 0) {
        *o++ = u'.';
        for (int i = 0; i < decimals; ++i) {
            const int d = digitAt(point + i);
            nonZero |= d != 0;
            *o++ = static_cast<char16_t>(u'0' + d);
        }
    }
    char16_t* start = first;
    if (value < 0 && nonZero)
        *--start = u'-';
    if (lead != 0)
        *--start = lead;
    return QString(reinterpret_cast<const QChar*>(start), o - start);
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
    CharBuffer s;
    asciiPrefix(text, true, s);
    Scanned sc;
    scanNumber(s.data(), static_cast<std::size_t>(s.size()), false, sc);
    return scannedValue(sc);
}

bool IsNumeric(QStringView text) {
    try {
        Scanned sc;
        if (!strictScan(text, sc))
            return false;
        (void)scannedValue(sc);
        return true;
    } catch (const VbError&) {
        return false;
    }
}

double CDbl(QStringView text) {
    Scanned sc;
    if (!strictScan(text, sc))
        raiseTypeMismatch();
    return scannedValue(sc);
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
    if (!std::isfinite(value))
        return QString::number(static_cast<double>(value), 'G', 7);
    char16_t text[16];
    const int n = writeSingle(value, text);
    return QString(reinterpret_cast<const QChar*>(text), n);
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
QString formatFixed(float value, int decimals, char16_t lead) {
    return fixedText(static_cast<double>(value), 7, decimals, lead);
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
