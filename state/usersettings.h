#pragma once

#include <QString>

#include <cstdint>

// The user's display and behaviour settings, loaded from set.ini when the main window loads and
// written back when it unloads. Flags start off in every process and are only ever switched on
// by a load.

inline bool FirstRun = false;
inline bool ShowMini = false;        // mini
inline bool TrayQuote = false;       // tp
inline bool NoEdgeHide = false;      // NoAutohide
inline bool SimpleChart = false;     // Show144
inline int32_t LastNoticeId = 0;     // aid
inline bool AlertMute = false;       // NoMedia
inline bool AutoStart = false;       // autorun
inline bool StartMinimized = false;  // armin
inline bool MinNoHide = false;       // minnohide
inline bool MiniTopmost = false;     // InAllTop
inline bool ShowDayChange = false;   // mzday
inline bool BoldChart = false;       // chartbold
inline int16_t RightChart1Prod = 10; // rchart1
inline int16_t RightChart2Prod = 11; // rchart2
inline bool ShowBuyPrice = false;    // myin
inline bool ShowSellPrice = false;   // myout
inline bool SwapBuySell = false;     // BuySell
inline bool ExtBigFont = false;      // ExtBig
inline bool ShowHolding = false;     // showcw
inline bool AutoPopInfo = false;     // Autoshowinfo
inline int16_t ThreeDayChart = 0;    // jjchart
inline int16_t QuoteBackColor = 0;   // colorid, scheme 0..8
inline int16_t TransLevel = 0;       // tmid, 0..9
inline int16_t ColorTheme = 0;       // minitype
inline int16_t CurProd = 0;          // Drawtype: the current instrument
inline int16_t Pane2Prod = 0;        // MDT2
inline int16_t Pane3Prod = 0;        // MDT3
inline int16_t Pane4Prod = 0;        // MDT4
inline int16_t ChartKind = 0;        // Mktype, 0 or 1
inline bool BossKeyOn = false;       // UseHotkey
inline QString AlertSoundFile;       // music
inline int16_t CurTab = -1;          // tab: the main window's last tab
