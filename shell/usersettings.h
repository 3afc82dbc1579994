#pragma once

#include "state/usersettings.h"

#include <cstdint>
#include <functional>
#include <utility>

// What loading and saving the settings need of the main window and the mini window. The main
// window installs these; until it does, they do nothing.
struct SettingsUi {
    std::function<void(int16_t scheme)> listBack;        // CListBack
    std::function<void(int16_t level)> transLevel;       // opacity of the mini window
    std::function<void(int16_t theme)> miniSkin;         // Mini.Loadskin
    std::function<void(int16_t prod)> mainCurrentProd;   // the main window's copy of CurProd
    std::function<int16_t()> mainCurrentProdValue;       // ... read back when saving
    std::function<std::pair<int32_t, int32_t>()> miniPosition; // twips
};
void setSettingsUi(SettingsUi ui);

void GetSet();
void SaveSet();

// Background colour of a quote-board scheme, red in the low byte.
[[nodiscard]] uint32_t GetBack(int16_t Clbid1);
// Paints the main window's quote area with GetBack(Clbid).
void CListBack(int16_t Clbid);
