// The fast number texts against plain reference implementations, over many values: the board
// writes and reads every price through them, so a single differing digit would show.
#include "platform/vberror.h"
#include "platform/vbtext.h"

#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace platform;

namespace {

// --- Reference formatting -------------------------------------------------------------------

QString referenceSingleText(float value) {
    if (value == 0)
        return QStringLiteral("0");
    return QString::number(static_cast<double>(value), 'G', 7);
}

// Fixed decimals the plain way: the 17-digit text rounded, halves up, to the significant digits,
// then to the decimals, in a digit list.
QString referenceFixed(double value, int significant, int decimals) {
    if (!std::isfinite(value))
        return QString::number(value);
    char buf[64]; // d.dddddddddddddddde+XX, rounded half to even
    const auto printed = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 16);
    const QString sci = QString::fromLatin1(buf, printed.ptr - buf);
    std::vector<int> dig;
    const qsizetype e = sci.indexOf(u'e');
    for (qsizetype i = 0; i < e; ++i)
        if (sci[i].isDigit())
            dig.push_back(sci[i].digitValue());
    int point = sci.mid(e + 1).toInt() + 1;
    auto roundAt = [&](int keep) {
        const bool up = dig[keep] >= 5;
        dig.resize(keep);
        if (!up)
            return;
        int k = keep - 1;
        while (k >= 0 && dig[k] == 9)
            dig[k--] = 0;
        if (k >= 0) {
            ++dig[k];
        } else {
            dig.insert(dig.begin(), 1);
            ++point;
        }
    };
    if (static_cast<int>(dig.size()) > significant) {
        roundAt(significant);
        dig.resize(std::min<size_t>(dig.size(), significant));
    }
    if (value == 0) {
        dig = {0};
        point = 1;
    }
    const int keep = point + decimals;
    if (keep < 0)
        dig.clear();
    else if (keep < static_cast<int>(dig.size()))
        roundAt(keep);
    auto digitAt = [&](int pos) { return pos >= 0 && pos < static_cast<int>(dig.size()) ? dig[pos] : 0; };
    QString intPart = QStringLiteral("0");
    for (int i = 0; i < point; ++i)
        intPart += QChar(u'0' + digitAt(i));
    while (intPart.size() > 1 && intPart[0] == u'0')
        intPart.remove(0, 1);
    QString frac;
    for (int i = 0; i < decimals; ++i)
        frac += QChar(u'0' + digitAt(point + i));
    QString text = decimals > 0 ? intPart + u'.' + frac : intPart;
    const bool nonZero = std::any_of(text.begin(), text.end(), [](QChar c) { return c >= u'1' && c <= u'9'; });
    return value < 0 && nonZero ? u'-' + text : text;
}

// --- Reference reading ----------------------------------------------------------------------

struct RefScan {
    std::string number;
    bool negativeExponent = false;
    bool hasDigits = false;
    size_t end = 0;
    std::optional<double> radix;
};

std::optional<double> refRadix(const std::string& s, size_t& used) {
    used = 0;
    if (s.size() < 2 || s[0] != '&')
        return std::nullopt;
    const char kind = static_cast<char>(std::toupper(static_cast<unsigned char>(s[1])));
    const int base = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
    if (base == 0)
        return std::nullopt;
    size_t i = 2;
    uint64_t v = 0;
    int digits = 0;
    for (; i < s.size(); ++i) {
        const int d = std::isxdigit(static_cast<unsigned char>(s[i])) ? std::stoi(std::string(1, s[i]), nullptr, 16) : -1;
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

RefScan refScanNumber(const std::string& s, bool allowThousands) {
    RefScan r;
    size_t used = 0;
    if ((r.radix = refRadix(s, used))) {
        r.end = used;
        r.hasDigits = used > 2;
        return r;
    }
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        r.number += s[i++] == '-' ? "-" : "";
    for (; i < s.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(s[i]))) {
            r.number += s[i];
            r.hasDigits = true;
        } else if (!(allowThousands && s[i] == ',' && r.hasDigits)) {
            break;
        }
    }
    if (i < s.size() && s[i] == '.') {
        r.number += '.';
        for (++i; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i, r.hasDigits = true)
            r.number += s[i];
    }
    if (r.hasDigits && i < s.size() && std::string("eEdD").find(s[i]) != std::string::npos) {
        size_t j = i + 1;
        std::string exp = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            r.negativeExponent = s[j] == '-';
            exp += s[j++];
        }
        const size_t firstDigit = j;
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

double refValue(const RefScan& sc) {
    if (sc.radix)
        return *sc.radix;
    if (!sc.hasDigits)
        return 0;
    const bool negative = sc.number[0] == '-';
    const std::string n = negative ? sc.number.substr(1) : sc.number;
    double v = 0;
    const auto r = std::from_chars(n.data(), n.data() + n.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        if (!sc.negativeExponent)
            raiseOverflow();
        v = 0; // an underflow keeps its sign: "-1e-400" reads as -0
    }
    return negative ? -v : v;
}

double refVal(const QString& text) {
    std::string s;
    for (const QChar c : text) {
        if (c == u' ' || c == u'\t' || c == u'\n')
            continue;
        if (c.unicode() >= 0x80)
            break;
        s += static_cast<char>(c.unicode());
    }
    return refValue(refScanNumber(s, false));
}

// The strict reading: nullopt where the text is no number.
std::optional<double> refCDbl(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    std::string s;
    for (const QChar c : t) {
        if (c.unicode() >= 0x80)
            return std::nullopt;
        s += static_cast<char>(c.unicode());
    }
    const RefScan sc = refScanNumber(s, true);
    if (!sc.hasDigits || sc.end != s.size())
        return std::nullopt;
    return refValue(sc);
}

// An outcome as text, so a thrown error compares like a value: "E6", "E13" or the bits.
template <class F>
std::string outcome(F f) {
    try {
        const double v = f();
        return std::isnan(v) ? "nan" : std::to_string(std::bit_cast<uint64_t>(v));
    } catch (const VbError& e) {
        return "E" + std::to_string(e.number);
    }
}

// Singles worth checking: every binade from the smallest to the largest, prices as quoted,
// exact halves of the seventh digit, and values beside the format's switch points.
std::vector<float> sampleSingles() {
    std::vector<float> v = {0.0f, -0.0f, std::numeric_limits<float>::min(), std::numeric_limits<float>::denorm_min(),
                            std::numeric_limits<float>::max(), std::numeric_limits<float>::lowest(),
                            1e-4f, 9.999999e-5f, 1e-5f, 1e7f, 9999999.0f, 9999999.5f, 10000005.0f,
                            16777215.0f, 16777216.0f, 0.5f, 0.25f, 0.125f, 2.675f, 3.6f, 612.45f, 7.612f};
    // Exactly half way between two seven-digit texts: odd eight-digit integers ending in 5 up to
    // 2^24, their multiples by powers of two, and binary fractions with an eighth digit of 5.
    for (uint32_t n = 10000005; n < 16777216; n += 1000010)
        for (int shift = -20; shift <= 40; shift += 3)
            v.push_back(std::ldexp(static_cast<float>(n), shift));
    for (int k = 1; k < 24; ++k)
        for (uint32_t m = 1; m < 200; m += 2)
            v.push_back(std::ldexp(static_cast<float>(m), -k) + static_cast<float>(m % 7));
    for (int cents = 0; cents < 100000; cents += 7)
        v.push_back(static_cast<float>(cents) / 100.0f);
    std::mt19937 gen(20240515);
    for (int i = 0; i < 300000; ++i) {
        const float f = std::bit_cast<float>(static_cast<uint32_t>(gen()));
        if (std::isfinite(f))
            v.push_back(f);
    }
    const size_t n = v.size();
    for (size_t i = 0; i < n; ++i)
        v.push_back(-v[i]);
    return v;
}

} // namespace

TEST(VbTextReference, SingleTextMatchesTheGeneralFormat) {
    int mismatches = 0;
    for (const float f : sampleSingles()) {
        const QString expected = referenceSingleText(f);
        const QString got = singleText(f);
        if (got != expected && ++mismatches <= 20)
            ADD_FAILURE() << std::hexfloat << f << ": " << got.toStdString() << " expected " << expected.toStdString();
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(VbTextReference, FixedDecimalsMatchThePlainDigitRounding) {
    int mismatches = 0;
    auto check = [&](const QString& got, const QString& expected, double value, int decimals) {
        if (got != expected && ++mismatches <= 20)
            ADD_FAILURE() << std::hexfloat << value << " / " << decimals << ": " << got.toStdString()
                          << " expected " << expected.toStdString();
    };
    const std::vector<float> singles = sampleSingles();
    for (size_t i = 0; i < singles.size(); i += 5) {
        const float f = singles[i];
        if (std::fabs(f) > 1e12f)
            continue; // the integer part alone would be tens of digits
        for (const int decimals : {0, 2, 4}) {
            check(formatFixed(f, decimals), referenceFixed(f, 7, decimals), f, decimals);
            check(formatFixed(f, decimals, u'+'), u'+' + referenceFixed(f, 7, decimals), f, decimals);
        }
    }
    std::vector<double> doubles = {0.0, -0.0, 2.675, -2.675, 0.005, 9.995, 99.5, 0.5, 1e-9, 123456.789,
                                   1e15, 999999999999999.5, 0.9999999999999999, 1e300, -1e-300,
                                   std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()};
    // Binary fractions whose exact decimal runs past 17 digits, some ending half way at the 18th.
    for (int k = 20; k < 80; ++k)
        for (const double m : {1.0, 3.0, 5.0, 7.0, 12345.0, 9007199254740991.0})
            doubles.push_back(std::ldexp(m, -k));
    std::mt19937_64 gen(7390151);
    std::uniform_real_distribution<double> price(-5000, 5000);
    std::uniform_int_distribution<int> binade(-30, 30);
    for (int i = 0; i < 20000; ++i) {
        doubles.push_back(price(gen));
        doubles.push_back(std::ldexp(price(gen), binade(gen)));
        doubles.push_back(std::round(price(gen) * 1000) / 1000 + 0.0005); // halves of the third place
    }
    for (const double d : doubles)
        for (const int decimals : {0, 1, 2, 4, 6})
            check(formatFixed(d, decimals), referenceFixed(d, 15, decimals), d, decimals);
    EXPECT_EQ(mismatches, 0);
}

TEST(VbTextReference, ReadingMatchesTheScanOfTheText) {
    // Texts as they come: prices, signs, blanks, separators, exponents, radix literals, junk
    // after the number, overflowing and underflowing exponents, long digit runs, wide characters.
    std::vector<QString> texts;
    for (const char* t : {"", " ", "0", "-0", "+0", "612.45", "-1.25", " 7.612 ", "1,000.5", "1,,000,", ",5",
                          "1e3", "1E+3", "1d-2", "1D", "1e", "1e+", "1e-", "2.5e-1x", ".5", "5.", ".", "-", "+",
                          "--3", "- 3", "1 2 3", "\t9\n", "&H10", "&hFFFF", "&H10000", "&O17", "&o177777", "&O200000",
                          "&H", "&HFFFFFFFF", "&H100000000", "&Z1", "1e400", "-1e400", "1e-400", "1e-400x",
                          "0.000000001", "12a", "12,5", "1,2.5e2", "3.4028235e38", "3.5e38"})
        texts.push_back(QString::fromLatin1(t));
    texts.push_back(QString(400, u'9'));
    texts.push_back(QStringLiteral("0.") + QString(400, u'0') + u'1');
    texts.push_back(QString(400, u'9') + QStringLiteral("e-"));
    texts.push_back(QStringLiteral("5元"));
    texts.push_back(QStringLiteral("1") + QChar(u'\0') + QStringLiteral("3")); // a NUL is no exponent mark
    texts.push_back(QStringLiteral("１２"));
    texts.push_back(QStringLiteral("7\u3000"));
    const char alphabet[] = "0123456789012345678901234567890123456789.,+-eEdD &Hh\tx";
    std::mt19937 gen(131);
    std::uniform_int_distribution<int> length(0, 24);
    std::uniform_int_distribution<int> pick(0, sizeof alphabet - 2);
    for (int i = 0; i < 200000; ++i) {
        QString t;
        for (int n = length(gen); n > 0; --n)
            t += QChar(alphabet[pick(gen)]);
        texts.push_back(t);
    }
    for (const float f : sampleSingles())
        texts.push_back(referenceSingleText(f));

    int mismatches = 0;
    for (const QString& t : texts) {
        const std::string val = outcome([&] { return Val(t); });
        const std::string refVal_ = outcome([&] { return refVal(t); });
        const std::string strict = outcome([&] { return CDbl(t); });
        const std::string refStrict = outcome([&] {
            const auto v = refCDbl(t);
            if (!v)
                raiseTypeMismatch();
            return *v;
        });
        const bool numeric = IsNumeric(t);
        const bool refNumeric = refStrict[0] != 'E';
        if ((val != refVal_ || strict != refStrict || numeric != refNumeric) && ++mismatches <= 20)
            ADD_FAILURE() << "\"" << t.toStdString() << "\": Val " << val << " / " << refVal_ << ", CDbl " << strict
                          << " / " << refStrict << ", IsNumeric " << numeric;
    }
    EXPECT_EQ(mismatches, 0);
}
