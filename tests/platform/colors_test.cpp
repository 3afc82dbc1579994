#include "platform/colors.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace platform;

namespace {

struct Translation {
    OleColor in;
    int32_t out;
};

TEST(OleColorToRgb, PlainValuesPassAndSystemCodesResolveThroughTheTable) {
    const Translation cases[] = {
        {0x00123456, 0x123456},   // plain colour unchanged
        {0x00000000, 0},          // black is a colour, not a failure
        {0x8000000F, 0xC8D0D4},   // button face
        {0x8000000D, 0x6A240A},   // highlight
        {0x80000012, 0x000000},   // button text
        {0x80000011, 0x808080},   // grey text
        {0x80000005, 0xFFFFFF},   // window
        {0x8000001E, 0xC8D0D4},   // last index of the table
        {0x8000001F, -1},         // index past the table
        {0x80000100, -1},         // far past it
        {0x02123456, 0x123456},   // palette-relative RGB
        {0x01000005, -1},         // palette index: no palette to look in
        {0x40000000, -1},         // unknown kind
    };
    for (const auto& c : cases)
        EXPECT_EQ(OleColorToRgb(c.in), c.out) << std::hex << c.in;
}

TEST(OleColorToRgb, AgreesWithTheSystemColourQuery) {
    for (int i = 0; i < kSysColorCount; ++i)
        EXPECT_EQ(OleColorToRgb(0x80000000u | static_cast<OleColor>(i)), static_cast<int32_t>(GetSysColor(i)));
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(kSysColorCount), 0u);
}

TEST(QtColour, ChannelsKeepTheirPlaces) {
    const QColor q = toQColor(0x336699); // blue 0x33, green 0x66, red 0x99
    EXPECT_EQ(q.red(), 0x99);
    EXPECT_EQ(q.green(), 0x66);
    EXPECT_EQ(q.blue(), 0x33);
    EXPECT_EQ(fromQColor(q), 0x336699u);
    EXPECT_EQ(fromQColor(QColor(1, 2, 3, 40)), rgb(1, 2, 3));
    EXPECT_EQ(toQColor(0x8000000F), QColor(0xD4, 0xD0, 0xC8));
}

struct Mix {
    OleColor a;
    OleColor b;
    OleColor expected;
};

TEST(BlendColors, MeanPerChannelHalvesToEven) {
    const Mix cases[] = {
        {0x000000, 0xFFFFFF, 0x808080}, // 127.5 -> 128
        {0x000001, 0x000002, 0x000002}, // 1.5 -> 2
        {0x000001, 0x000000, 0x000000}, // 0.5 -> 0
        {0x000003, 0x000000, 0x000002}, // 1.5 -> 2
        {0x000005, 0x000000, 0x000002}, // 2.5 -> 2
        {0x0000FF, 0x000000, 0x000080},
        {0x102030, 0x302010, 0x202020},
        {0xC8D0D4, 0x808080, 0xA4A8AA}, // style 3 hot fill with system colours
    };
    for (const auto& c : cases) {
        EXPECT_EQ(BlendColors(c.a, c.b), c.expected) << std::hex << c.a << " " << c.b;
        EXPECT_EQ(BlendColors(c.b, c.a), c.expected);
    }
}

struct Amount {
    OleColor in;
    int amount;
    OleColor expected;
};

TEST(LightenColor, MovesEachChannelTowardsWhite) {
    const Amount cases[] = {
        {0x000000, 128, 0x808080}, {0xFFFFFF, 32, 0xFFFFFF}, {0xFFFFFF, 176, 0xFFFFFF},
        {0x123456, 0, 0x123456},   {0x123456, 255, 0xFFFFFF},
        {0x000080, 32, 0x20208F}, // red 32 + (223 * 128) \ 255 = 143; the zero channels become 32
        {0x6A240A, 176, 0xD0BBB3}, // style 4 hot fill from the system highlight
    };
    for (const auto& c : cases)
        EXPECT_EQ(LightenColor(c.in, c.amount), c.expected) << std::hex << c.in << " " << std::dec << c.amount;
}

TEST(ShiftColor, AddsAndClampsEachChannel) {
    const Amount cases[] = {
        {0x0A0A0A, -20, 0x000000}, {0xF0F0F0, 40, 0xFFFFFF}, {0x102030, 5, 0x152535},
        {0xFF0000, 1, 0xFF0101},   {0x00FF80, -128, 0x007F00}, {0xFFFFFF, -128, 0x7F7F7F},
        {0x123456, 0, 0x123456},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ShiftColor(c.in, c.amount), c.expected) << std::hex << c.in << " " << std::dec << c.amount;
}

TEST(GrayColor, MeanOfTheChannelsInAllThree) {
    const Mix cases[] = {
        {0x0000FF, 0, 0x555555}, {0x808080, 0, 0x808080}, {0x010000, 0, 0x000000},
        {0x000102, 0, 0x010101}, {0xFFFFFF, 0, 0xFFFFFF}, {0x00FFFF, 0, 0xAAAAAA},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GrayColor(c.a), c.expected) << std::hex << c.a;
}

} // namespace
