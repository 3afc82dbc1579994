#include "shell/usersettings.h"

#include "common/appinfo.h"
#include "common/settings.h"
#include "common/storedlists.h"
#include "state/quotetables.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"

#include <QDir>
#include <QFileInfo>

namespace {

SettingsUi& ui() {
    static SettingsUi u;
    return u;
}

QString key(const char* name) { return GetIni(QString::fromLatin1(name)); }

// Flags are only switched on: "strict" wants "1", "open" also takes a missing or empty key.
void strictFlag(bool& flag, const char* name) {
    if (key(name) == u"1")
        flag = true;
}
void openFlag(bool& flag, const char* name) {
    const QString v = key(name);
    if (v == u"1" || v.isEmpty())
        flag = true;
}

// A number that does not read leaves the setting as it was; one outside [low, high] (a
// hand-edited file) takes the fallback.
template <typename T>
void number(T& setting, const char* name, T fallbackWhenEmpty, T low, T high, T fallback) {
    try {
        const QString v = key(name);
        if (v.isEmpty()) {
            setting = fallbackWhenEmpty;
            return;
        }
        const int32_t n = platform::CLng(platform::Val(v));
        setting = (n < low || n > high) ? fallback : static_cast<T>(n);
    } catch (const platform::VbError&) {
    }
}

QString flagText(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }

} // namespace

void setSettingsUi(SettingsUi u) { ui() = std::move(u); }

uint32_t GetBack(int16_t Clbid1) {
    static constexpr uint32_t kSchemes[] = {
        0x000000, 0x404040, 0x000040, 0x404080, 0x004040, 0x004000, 0x404000, 0x400000, 0x400040,
    };
    return Clbid1 >= 0 && Clbid1 <= 8 ? kSchemes[Clbid1] : 0;
}

void CListBack(int16_t Clbid) {
    if (ui().listBack)
        ui().listBack(Clbid);
}

void GetSet() {
    if (key("setup") == u"1" && key("ma") == ClientId)
        FirstRun = false;
    if (FirstRun) {
        ShowMini = TrayQuote = MiniTopmost = ShowBuyPrice = true;
        ShowHolding = NoEdgeHide = BoldChart = ShowDayChange = true;
    }
    constexpr int16_t kLastProd = kMaxProducts - 1;
    openFlag(ShowMini, "mini");
    strictFlag(TrayQuote, "tp");
    strictFlag(NoEdgeHide, "NoAutohide");
    strictFlag(SimpleChart, "Show144");
    number<int32_t>(LastNoticeId, "aid", 0, INT32_MIN, INT32_MAX, 0);
    strictFlag(AlertMute, "NoMedia");
    strictFlag(AutoStart, "autorun");
    strictFlag(StartMinimized, "armin");
    strictFlag(MinNoHide, "minnohide");
    openFlag(MiniTopmost, "InAllTop");
    strictFlag(ShowDayChange, "mzday");
    openFlag(BoldChart, "chartbold");
    number<int16_t>(RightChart1Prod, "rchart1", 10, 0, kLastProd, 10);
    number<int16_t>(RightChart2Prod, "rchart2", 11, 0, kLastProd, 11);
    strictFlag(ShowBuyPrice, "myin");
    strictFlag(ShowSellPrice, "myout");
    if (!ShowBuyPrice && !ShowSellPrice)
        ShowBuyPrice = true;
    strictFlag(SwapBuySell, "BuySell");
    strictFlag(ExtBigFont, "ExtBig");
    openFlag(ShowHolding, "showcw");
    openFlag(AutoPopInfo, "Autoshowinfo");
    number<int16_t>(ThreeDayChart, "JJchart", 0, 0, 1, 0);
    number<int16_t>(QuoteBackColor, "colorid", 0, 0, 8, 0);
    if (QuoteBackColor != 0)
        CListBack(QuoteBackColor);
    number<int16_t>(TransLevel, "tmid", 0, 0, 9, 0);
    if (ui().transLevel)
        ui().transLevel(TransLevel);
    number<int16_t>(ColorTheme, "minitype", 0, INT16_MIN, INT16_MAX, 0);
    if (ui().miniSkin)
        ui().miniSkin(ColorTheme);
    number<int16_t>(CurProd, "Drawtype", 0, 0, kLastProd, 0);
    if (ui().mainCurrentProd)
        ui().mainCurrentProd(CurProd);
    number<int16_t>(Pane2Prod, "MDT2", 0, 0, kLastProd, 0);
    number<int16_t>(Pane3Prod, "MDT3", 0, 0, kLastProd, 0);
    number<int16_t>(Pane4Prod, "MDT4", 0, 0, kLastProd, 0);
    number<int16_t>(ChartKind, "Mktype", 0, 0, 1, 0);
    openFlag(BossKeyOn, "UseHotkey");
    const QString music = key("music");
    AlertSoundFile = !music.isEmpty() && QFileInfo::exists(music)
                         ? music
                         : QDir(programFolder()).filePath(QStringLiteral("notify.wav"));
}

// One replacement of the file for the whole set, so an exit that is cut short never leaves half of
// the settings old and half new.
void SaveSet() {
    QList<QPair<QString, QString>> w;
    auto SetIni = [&w](const QString& k, const QString& v) { w.append({k, v}); };
    SetIni(QStringLiteral("Mktype"), QString::number(ChartKind));
    SetIni(QStringLiteral("tab"), QString::number(CurTab));
    SetIni(QStringLiteral("minitype"), QString::number(ColorTheme));
    SetIni(QStringLiteral("aid"), QString::number(LastNoticeId));
    SetIni(QStringLiteral("music"), AlertSoundFile);
    SetIni(QStringLiteral("tp"), flagText(TrayQuote));
    SetIni(QStringLiteral("Show144"), flagText(SimpleChart));
    SetIni(QStringLiteral("armin"), flagText(StartMinimized));
    SetIni(QStringLiteral("minnohide"), flagText(MinNoHide));
    SetIni(QStringLiteral("chartbold"), flagText(BoldChart));
    SetIni(QStringLiteral("mini"), flagText(ShowMini));
    SetIni(QStringLiteral("InAllTop"), flagText(MiniTopmost));
    SetIni(QStringLiteral("mzday"), flagText(ShowDayChange));
    SetIni(QStringLiteral("rchart1"), QString::number(RightChart1Prod));
    SetIni(QStringLiteral("rchart2"), QString::number(RightChart2Prod));
    SetIni(QStringLiteral("NoAutohide"), flagText(NoEdgeHide));
    SetIni(QStringLiteral("colorid"), QString::number(QuoteBackColor));
    SetIni(QStringLiteral("tmid"), QString::number(TransLevel));
    SetIni(QStringLiteral("myin"), flagText(ShowBuyPrice));
    SetIni(QStringLiteral("myout"), flagText(ShowSellPrice));
    SetIni(QStringLiteral("BuySell"), flagText(SwapBuySell));
    SetIni(QStringLiteral("ExtBig"), flagText(ExtBigFont));
    SetIni(QStringLiteral("Drawtype"),
           QString::number(ui().mainCurrentProdValue ? ui().mainCurrentProdValue() : CurProd));
    SetIni(QStringLiteral("MDT2"), QString::number(Pane2Prod));
    SetIni(QStringLiteral("MDT3"), QString::number(Pane3Prod));
    SetIni(QStringLiteral("MDT4"), QString::number(Pane4Prod));
    if (ShowMini && ui().miniPosition) {
        const auto [x, y] = ui().miniPosition();
        SetIni(QStringLiteral("minix"), QString::number(x));
        SetIni(QStringLiteral("miniy"), QString::number(y));
    }
    if (FirstRun) {
        SetIni(QStringLiteral("setup"), QStringLiteral("1"));
        SetIni(QStringLiteral("ma"), ClientId);
    }
    for (qsizetype i = 0; i < ExtShow.size(); ++i)
        SetIni(QStringLiteral("ext%1").arg(i), flagText(ExtShow[i]));
    SetIniMany(w);
}
