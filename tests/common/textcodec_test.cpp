#include "common/textcodec.h"

#include "platform/gbk.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

const QString kTable = QStringLiteral("QWERTYUPASDFGHJKLZXCVBqwertyupasdfghjkzxcvbn98765432");

// A random source that hands out the given fractions in turn.
std::function<float()> fractions(std::vector<float> values) {
    auto i = std::make_shared<size_t>(0);
    return [values, i] { return values[(*i)++ % values.size()]; };
}

} // namespace

TEST(TextCodec, EncodesKnownVectors) {
    struct Case {
        const char16_t* text;
        std::vector<float> random;
        const char* encoded;
    };
    const Case cases[] = {
        {u"A", {0.0f}, "HA"},
        {u"A", {0.5f}, "KD"},     // r = 2
        {u"A", {0.375f}, "KD"},   // 1.5 rounds to the even 2
        {u"A", {0.625f}, "KD"},   // 2.5 rounds to the even 2
        {u"A", {0.125f}, "HA"},   // 0.5 rounds to the even 0
        {u"A", {0.875f}, "ZG"},   // 3.5 rounds to 4
        {u"中", {0.1f, 0.1f}, "UdQd"},
        {u"中", {0.99f, 0.0f}, "EjQd"},
        {u"", {0.0f}, ""},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(EncodeText(text, fractions(c.random)), QString::fromLatin1(c.encoded)) << c.encoded;
        EXPECT_EQ(DecodeText(QString::fromLatin1(c.encoded)), text) << c.encoded;
    }
}

TEST(TextCodec, DecodesEdgeForms) {
    struct Case {
        const char* encoded;
        QString text;
    };
    const Case cases[] = {
        {"", QString()},
        {"HA HA", QString()},             // a blank
        {"HA\r\nHA", QString()},          // a line break
        {"H!", QString()},                // outside the table
        {"Qc", QString()},                // second character at 40: k = 5
        {"5d", QString()},                // k = 4 with first at 48: 256
        {"4d", QString()},                // 257
        {"3d", QString()},                // 258
        {"HH", QStringLiteral("D")},      // r = 5 is accepted: (52 + 13) xor 5
        {"HAa", QStringLiteral("A") + QChar(30)}, // a lone last character gives its position
        {"H\xC4", QString()},            // a character beyond ASCII, second
        {"\xC4" "A", QString()},          // first
        {"HA\xC4", QString()},           // alone at the end
        {"HAH!", QString()},              // a bad pair after a good one
    };
    for (const Case& c : cases)
        EXPECT_EQ(DecodeText(QString::fromLatin1(c.encoded)), c.text) << c.encoded;
}

TEST(TextCodec, EncodedFormUsesTheTableAndSmallSecondCharacters) {
    const QString text = QStringLiteral("人民币账户黄金,268.53,-1.25|mgold");
    const QString enc = EncodeText(text);
    ASSERT_EQ(enc.size(), 2 * platform::toGbk(text).size());
    for (qsizetype i = 0; i < enc.size(); ++i) {
        const qsizetype pos = kTable.indexOf(enc[i]);
        ASSERT_GE(pos, 0);
        if (i % 2 == 1) {
            EXPECT_LT(pos, 37);
        }
    }
}

TEST(TextCodec, RandomGbkTextSurvivesARoundTrip) {
    std::mt19937 gen(20261210);
    std::uniform_int_distribution<int> ascii(0x20, 0x7E);
    std::uniform_int_distribution<int> lead(0xB0, 0xF7); // GB2312 hanzi rows
    std::uniform_int_distribution<int> trail(0xA1, 0xFE);
    std::uniform_int_distribution<int> kind(0, 2);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes;
        const int n = round % 40;
        for (int i = 0; i < n; ++i) {
            if (kind(gen) == 0) {
                bytes.append(static_cast<char>(ascii(gen)));
            } else {
                bytes.append(static_cast<char>(lead(gen)));
                bytes.append(static_cast<char>(trail(gen)));
            }
        }
        const QString text = platform::fromGbk(bytes);
        const QString enc = EncodeText(text);
        ASSERT_EQ(DecodeText(enc), text) << enc.toStdString();
    }
}
