#include "mainwindow/textadvert.h"

#include "tests/support/qtprint.h"

#include <gtest/gtest.h>

namespace {

TEST(TextAdvert, TextAndLinkFromTheKey) {
    const struct {
        const char16_t* adno;
        std::optional<TextAdvert> ad;
    } cases[] = {
        {u"", std::nullopt},
        {u"   ", std::nullopt},
        {u"|http://x/", std::nullopt}, // a link with nothing to click
        {u"开户送黄金", TextAdvert{QStringLiteral("开户送黄金"), {}}},
        {u" 开户送黄金 |http://x/ad.asp", TextAdvert{QStringLiteral("开户送黄金"), QStringLiteral("http://x/ad.asp")}},
        {u"A|", TextAdvert{QStringLiteral("A"), {}}},
        // Only the first bar divides: an address may carry its own.
        {u"A|http://x/?a=1|2", TextAdvert{QStringLiteral("A"), QStringLiteral("http://x/?a=1|2")}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(textAdvert(QString::fromUtf16(c.adno)), c.ad) << QString::fromUtf16(c.adno).toStdString();
}

} // namespace
