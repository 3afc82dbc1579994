#include "platform/theme.h"
#include "widgets/toolbar/flattoolbar.h"
#include "widgets/toolbar/themecolors.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace toolbar;
using platform::OleColor;
using platform::rgb;

namespace {

struct SchemeSix {
    OleColor gradBottom, gradTop, border, dark, chevron1, chevron2;
};

SchemeSix sixOf(const ToolbarSchemeColors& c) {
    return {c.gradBottom, c.gradTop, c.borderColor, c.darkColor, c.chevronColor1, c.chevronColor2};
}

void expectSix(const ToolbarSchemeColors& c, const SchemeSix& want, const std::string& what) {
    const SchemeSix got = sixOf(c);
    EXPECT_EQ(got.gradBottom, want.gradBottom) << what;
    EXPECT_EQ(got.gradTop, want.gradTop) << what;
    EXPECT_EQ(got.border, want.border) << what;
    EXPECT_EQ(got.dark, want.dark) << what;
    EXPECT_EQ(got.chevron1, want.chevron1) << what;
    EXPECT_EQ(got.chevron2, want.chevron2) << what;
}

// The design's values as &HBBGGRR, to be read against the R, G, B table.
const SchemeSix kBlue{0xE2A981, 0xFEECDD, 0x9C613B, 0x962D00, 0xF1A776, 0x913500};
const SchemeSix kSilver{0xB49799, 0xFBF4F4, 0x947C7C, 0x6F4B4B, 0xC8B3B4, 0x927476};
const SchemeSix kOlive{0x8FC5B5, 0xE1F9F7, 0x588060, 0x385D3F, 0x8DC3B1, 0x6B7760};
const SchemeSix kBeige{0xABC2C2, 0xF2F8F8, 0x739191, 0xC56A31, 0xC6D0D0, 0x779494};
const SchemeSix kGold{0x01ACD9, 0xA5EFFF, 0x1E5B75, 0x1E5B75, 0x5AB3F5, 0x1E5B75};

void expectWarmHighlights(const ToolbarSchemeColors& c, const std::string& what) {
    EXPECT_EQ(c.popHiColor1, rgb(255, 238, 194)) << what;
    EXPECT_EQ(c.popHiColor2, rgb(255, 128, 62)) << what;
    EXPECT_EQ(c.popHiColor3, rgb(255, 192, 111)) << what;
    EXPECT_EQ(c.hiColor1, rgb(255, 207, 142)) << what;
    EXPECT_EQ(c.hiColor2, rgb(255, 245, 206)) << what;
    EXPECT_EQ(c.hiColor3, rgb(254, 145, 78)) << what;
    EXPECT_EQ(c.hiColor4, rgb(254, 211, 142)) << what;
    EXPECT_EQ(c.chevronHotColor2, rgb(255, 244, 204)) << what;
    EXPECT_EQ(c.chevronHotColor1, rgb(255, 197, 125)) << what;
    EXPECT_EQ(c.chevronDownColor2, rgb(255, 154, 87)) << what;
    EXPECT_EQ(c.chevronDownColor1, rgb(255, 212, 144)) << what;
}

TEST(ToolbarSchemes, FixedSchemesGiveTheirSixColoursAndTheWarmHighlights) {
    // The R, G, B table and the &HBBGGRR list of the design must agree.
    EXPECT_EQ(kBlue.gradBottom, rgb(129, 169, 226));
    EXPECT_EQ(kGold.chevron1, rgb(245, 179, 90));

    const struct {
        int scheme;
        SchemeSix six;
    } cases[] = {{0, kBlue},   {1, kSilver},  {2, kOlive},    {4, kGold},
                 {7, kSilver}, {-1, kSilver}, {1000, kSilver}};
    for (const auto& c : cases) {
        const std::string what = "scheme " + std::to_string(c.scheme);
        expectSix(fixedSchemeColors(c.scheme), c.six, what);
        expectWarmHighlights(fixedSchemeColors(c.scheme), what);
        EXPECT_EQ(schemeColors(c.scheme, true, QStringLiteral("NormalColor")),
                  fixedSchemeColors(c.scheme))
            << what;
    }
}

TEST(ToolbarSchemes, BeigeTakesBlueHighlights) {
    const ToolbarSchemeColors c = fixedSchemeColors(SchemeBeige);
    expectSix(c, kBeige, "beige");
    const OleColor light = rgb(191, 209, 239);
    const OleColor deep = rgb(149, 179, 228);
    for (OleColor v :
         {c.hiColor1, c.hiColor2, c.chevronHotColor2, c.chevronHotColor1, c.popHiColor1})
        EXPECT_EQ(v, light);
    for (OleColor v : {c.hiColor3, c.hiColor4, c.chevronDownColor2, c.chevronDownColor1,
                       c.popHiColor2, c.popHiColor3})
        EXPECT_EQ(v, deep);
}

TEST(ToolbarSchemes, AutomaticSchemeFollowsTheStyleNameOnlyWhenThemed) {
    const struct {
        bool themed;
        const char* name;
        SchemeSix six;
    } cases[] = {
        {true, "NormalColor", kBlue},    {true, "HomeStead", kOlive},   {true, "Metallic", kSilver},
        {true, "normalcolor", kSilver},  {true, "homestead", kSilver},  {true, "", kSilver},
        {false, "NormalColor", kSilver}, {false, "HomeStead", kSilver}, {false, "", kSilver},
    };
    for (const auto& c : cases) {
        const std::string what = std::string(c.themed ? "themed " : "unthemed ") + c.name;
        const ToolbarSchemeColors colors =
            schemeColors(SchemeAutomatic, c.themed, QString::fromLatin1(c.name));
        expectSix(colors, c.six, what);
        expectWarmHighlights(colors, what);
    }
}

class ToolbarSchemeProperty : public ::testing::Test {
protected:
    void TearDown() override { platform::setThemedOverride(std::nullopt); }
};

TEST_F(ToolbarSchemeProperty, AutomaticIsSilverOnThisDesktopThemedOrNot) {
    FlatToolbar bar;
    EXPECT_EQ(bar.ThemeColor(), SchemeAutomatic);
    EXPECT_EQ(bar.colors(), fixedSchemeColors(SchemeSilver));
    EXPECT_TRUE(bar.ThemeName().isEmpty());

    // Themed, but with no colour-scheme name the automatic scheme stays silver.
    platform::setThemedOverride(true);
    bar.setThemeColor(SchemeBlue);
    bar.setThemeColor(SchemeAutomatic);
    EXPECT_EQ(bar.colors(), fixedSchemeColors(SchemeSilver));
}

TEST_F(ToolbarSchemeProperty, SwitchingFromBeigeRestoresTheWarmHighlights) {
    FlatToolbar bar;
    bar.setThemeColor(SchemeBeige);
    EXPECT_EQ(bar.colors().hiColor1, rgb(191, 209, 239));
    bar.setThemeColor(SchemeBlue);
    expectWarmHighlights(bar.colors(), "after beige");
    EXPECT_EQ(bar.colors(), fixedSchemeColors(SchemeBlue));
}

TEST_F(ToolbarSchemeProperty, ANewSchemeRepaintsAndReportsButTheSameOneDoesNothing) {
    FlatToolbar bar;
    bar.AddButton(TypeButton, QStringLiteral("买入"), QStringLiteral("buy"));
    QSignalSpy changed(&bar, &FlatToolbar::propertyChanged);

    const QImage before = bar.stripImage();
    const qint64 key = bar.stripImage().cacheKey();
    bar.setThemeColor(SchemeAutomatic);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(bar.stripImage().cacheKey(), key); // not even a repaint

    bar.setThemeColor(SchemeGold);
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toString(), QStringLiteral("ThemeColor"));
    EXPECT_NE(bar.stripImage(), before);
    EXPECT_EQ(bar.stripImage().pixel(0, 0), platform::toQRgb(kGold.gradTop));
}

} // namespace
