#include "mainwindow/settingshost.h"

#include "charts/chartfeed.h"
#include "common/update.h"
#include "common/windowutil.h"
#include "companions/menuform.h"
#include "companions/mini.h"
#include "mainwindow/mainform.h"
#include "market/quoterun.h"
#include "platform/screen.h"
#include "shell/usersettings.h"
#include "state/usersettings.h"

#include <QGuiApplication>
#include <QScreen>

mainset::Host settingsHost(MainForm& main) {
    mainset::Host h;
    h.DoCaption = [&main] { main.quotes().DoCaption(); };
    h.NowRefrsh = [&main] { main.UpdateImg(); };
    h.OpenMini = [&main] { main.OpenMini(); };
    h.RefreshMzSy = [&main] { main.chartFeed().RefreshMzSy(); };
    h.CListBack = [](int i) { CListBack(static_cast<int16_t>(i)); };
    h.GetList = [&main] { return main.quotes().GetList(CurProd); };
    h.markRestoreDefaults = [&main] { main.restoreDefaultsTag = QStringLiteral("1"); };
    h.Loadskin = [](int theme) { Mini().Loadskin(static_cast<float>(theme)); };
    h.applyMiniAlpha = [] {
        int alpha = AlphaValue;
        SetWindowAlpha(&Mini(), alpha, MiniTopmost);
        AlphaValue = alpha;
    };
    h.LoadMiniExt = [] { Mini().LoadMiniExt(); };
    h.hideMini = [] { Mini().hide(); };
    h.miniSizeTwips = [] { return QSize(Mini().width() * TwipsX, Mini().height() * TwipsY); };
    h.moveMini = [](QPoint twips) { Mini().move(twips.x() / TwipsX, twips.y() / TwipsY); };
    h.TraySetTip = [&main](const QString& tip) { main.TraySetTip(tip); };
    h.SetHotkey = [](const QString& action) {
        (void)SetHotkey(1, QStringLiteral("Ctrl+Alt,W"), action, &menuForm());
    };
    h.SetAutoRun = [](bool enable) { return SetAutoRun(enable); };
    h.screenTwips = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize px = screen != nullptr ? screen->geometry().size() : QSize(1024, 768);
        return QSize(px.width() * TwipsX, px.height() * TwipsY);
    };
    h.taskbarTwips = [] { return TaskbarHeight(); };
    h.resetMiniChange = [] { Mini().resetChange(); };
    return h;
}
