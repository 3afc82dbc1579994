#include "platform/gbk.h"

#include <gtest/gtest.h>

using platform::fromGbk;
using platform::gbkCode;
using platform::toGbk;

TEST(Gbk, KnownCodesBothWays) {
    struct Case {
        const char16_t* text;
        QByteArray bytes;
    };
    const Case cases[] = {
        {u"abc", "abc"},
        {u"中", "\xD6\xD0"},
        {u"黄金T+D", "\xBB\xC6\xBD\xF0T+D"},
        {u"€", "\x80"},
        {u"啊", "\xB0\xA1"},
        {u"", ""},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromUtf16(c.text);
        EXPECT_EQ(toGbk(text), c.bytes) << text.toStdString();
        EXPECT_EQ(fromGbk(c.bytes), text) << text.toStdString();
    }
}

TEST(Gbk, WhatTheCodePageCannotHoldBecomesQuestionMark) {
    // Hangul, an emoji (one character, two UTF-16 units) and a lone surrogate.
    EXPECT_EQ(toGbk(QString::fromUtf16(u"a한b")), QByteArray("a?b"));
    EXPECT_EQ(toGbk(QString::fromUtf16(u"x😀y")), QByteArray("x?y"));
    EXPECT_EQ(toGbk(QString(QChar(0xD800))), QByteArray("?"));
    EXPECT_EQ(gbkCode(u'한'), 0);
    EXPECT_EQ(gbkCode(u'中'), 0xD6D0);
    EXPECT_EQ(gbkCode(u'A'), 'A');
}

TEST(Gbk, UndefinedBytesReadAsQuestionMark) {
    // A lead byte at the end, a lead byte before a byte that cannot trail, and 0xFF.
    EXPECT_EQ(fromGbk(QByteArray("a\xD6")), QStringLiteral("a?"));
    EXPECT_EQ(fromGbk(QByteArray("\xD6\x30z")), QStringLiteral("?0z"));
    EXPECT_EQ(fromGbk(QByteArray("\xFF")), QStringLiteral("?"));
}

TEST(Gbk, EveryDefinedPairSurvivesARoundTrip) {
    int defined = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F)
                continue;
            const char raw[2] = {static_cast<char>(lead), static_cast<char>(trail)};
            const QByteArray pair(raw, 2);
            const QString text = fromGbk(pair);
            if (text == u"?")
                continue;
            ++defined;
            ASSERT_EQ(text.size(), 1);
            // A few characters have two codes; the round trip must at least give the same text.
            EXPECT_EQ(fromGbk(toGbk(text)), text) << std::hex << lead << trail;
        }
    }
    EXPECT_GT(defined, 21000); // GBK defines 21886 double-byte characters
}
