#pragma once

#include "platform/colors.h"

#include <array>
#include <vector>

// The pixel skin of style 10: a glossy pill drawn as nine parts that stretch to any size. A tile
// pixel is placed by its offset from its tile's corner: the left tiles count x from the left
// edge, the right ones back from the right edge W (x = W - dx); the top tiles count y from the
// top, the bottom ones back from the bottom edge H (y = H - dy).
namespace buttons {

struct SkinPixel {
    int dx = 0;
    int dy = 0;
    platform::OleColor color = 0;
};

struct Skin {
    platform::OleColor centre = 0;
    std::array<platform::OleColor, 18> left{};   // columns 0 .. 17
    std::array<platform::OleColor, 17> right{};  // columns W-17 .. W-1
    std::array<platform::OleColor, 12> top{};    // rows 0 .. 11
    std::array<platform::OleColor, 11> bottom{}; // rows H-11 .. H-1
    std::vector<SkinPixel> topLeft, bottomLeft, topRight, bottomRight;
};

enum class SkinLook { Normal, Hot, Pressed };

// The skin of a look, made once from the look's palette (see skin10.cpp).
[[nodiscard]] const Skin& skinFor(SkinLook look);

} // namespace buttons
