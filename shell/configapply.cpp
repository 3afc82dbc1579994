#include "shell/configapply.h"

#include "common/appinfo.h"
#include "common/config.h"
#include "common/shellhelpers.h"
#include "common/tradingday.h"
#include "platform/screen.h"
#include "platform/vberror.h"
#include "platform/vbtext.h"
#include "state/configstate.h"

#include <QStringList>

namespace {

// One guarded step: a failure is reported and the caller goes on with the next step.
void step(const std::function<void(const QString&)>& stepFailed, const std::function<void()>& body) {
    try {
        body();
    } catch (const platform::VbError& e) {
        if (stepFailed)
            stepFailed(QString::number(e.number) + u':' + e.description + QStringLiteral(" GetCon."));
    }
}

QString key(const char* name) { return ConValue(QString::fromLatin1(name)); }

int16_t roundedInt16(const QString& text) { return platform::CInt(platform::Val(text)); }
int32_t roundedInt32(const QString& text) { return platform::CLng(platform::Val(text)); }

// Ports are whole numbers 0..65535.
uint16_t port(const QString& text) {
    const double v = platform::CDbl(text);
    const double r = platform::Round(v);
    if (r < 0 || r > 65535)
        platform::raiseOverflow();
    return static_cast<uint16_t>(r);
}

template <typename List>
auto at(const List& list, qsizetype i) {
    if (i < 0 || i >= list.size())
        platform::raiseSubscript();
    return list[i];
}

QString etfAddress(const QString& value) {
    const QStringList fields = value.split(u'|');
    return fields.size() >= 3 ? fields[0] : value;
}

QString configuredVersionList() { return key("close"); }

void applyServers(const std::function<void(const QString&)>& stepFailed) {
    step(stepFailed, [] {
        const QString server = key("server");
        ServerList = server.split(u'|');
        const int n = static_cast<int>(server.count(u'|'));
        if (n < 1)
            platform::raiseSubscript();
        DataServerIndex = static_cast<int16_t>(RandomInt(n - 1));
        DataServerStart = DataServerIndex;
        DataServer = at(ServerList, DataServerIndex);
        DataServer.replace(QStringLiteral("do.asp"), QStringLiteral("get.shtml"));
    });
}

void applyUserServers(const std::function<void(const QString&)>& stepFailed) {
    step(stepFailed, [] {
        QString user = key("user");
        if (!user.contains(u':'))
            return;
        // Read whole before anything is replaced: a bad entry leaves the lists as they were, and
        // hosts and ports always pair up.
        QStringList hosts;
        QList<uint16_t> ports;
        if (!user.contains(u',')) {
            const QStringList parts = user.split(u':');
            ports << port(at(parts, 1));
            hosts << parts[0];
            UserHostList = hosts;
            UserPortList = ports;
            UserServerIndex = RandomInt(static_cast<int32_t>(user.count(u':')) - 1);
            return;
        }
        if (!user.endsWith(u','))
            user += u',';
        const QStringList items = user.split(u',');
        const int n = static_cast<int>(items.size()) - 1;
        for (int i = 0; i < n; ++i) {
            const qsizetype colon = items[i].indexOf(u':');
            if (colon < 0)
                platform::raiseSubscript();
            hosts << items[i].left(colon);
            ports << port(items[i].mid(colon + 1));
        }
        UserHostList = hosts;
        UserPortList = ports;
        UserServerIndex = RandomInt(n - 1);
    });
    step(stepFailed, [] { UserServerStart = static_cast<int16_t>(UserServerIndex); });
    step(stepFailed, [] { UserServerHost = at(UserHostList, UserServerIndex); });
    step(stepFailed, [] { UserServerPort = at(UserPortList, UserServerIndex); });
}

} // namespace

QString defaultForumUrl() { return defaultServiceUrl() + QStringLiteral("bbs/"); }
QString productHomePage() { return defaultServiceUrl(); }

void applyConfigKeys(const std::function<void(const QString&)>& stepFailed) {
    step(stepFailed, [] { LoginMode = roundedInt16(key("Logintype")); });
    step(stepFailed, [] { DataTabUrl = key("sjurl"); });
    step(stepFailed, [] { BookTabUrl = key("jjurl"); });
    step(stepFailed, [] { SmsTabUrl = key("smsurl"); });
    step(stepFailed, [] { BackupWebUrl = key("bakweb"); });
    step(stepFailed, [] {
        const QString v = key("bbsurl");
        ForumUrl = v.size() <= 10 ? defaultForumUrl() : v;
    });
    step(stepFailed, [] {
        const QString v = key("mainurl");
        SiteUrl = v.isEmpty() ? defaultServiceUrl() : v;
    });
    step(stepFailed, [] {
        const QString v = key("newspath");
        NewsUrl = v.isEmpty() ? SiteUrl + QStringLiteral("soft/news.asp") : v;
    });
    applyServers(stepFailed);
    step(stepFailed, [] {
        const int32_t v = roundedInt32(key("helloallid"));
        HelloSeconds = v <= 10 ? 300 : v;
    });
    applyUserServers(stepFailed);
    step(stepFailed, [] { NewsItemUrl = key("newdomain"); });
    step(stepFailed, [] { BroadcastItemUrl = key("bbdomain"); });
    step(stepFailed, [] { GoldEtfUrl = etfAddress(key("etf")); });
    step(stepFailed, [] { SilverEtfUrl = etfAddress(key("byetf")); });
    step(stepFailed, [] { PushMode = roundedInt16(key("UserDo")); });
    step(stepFailed, [] { NewsKeywords = key("tipstr"); });
    step(stepFailed, [] {
        const QString v = key("VIPCheckAll");
        if (v.isEmpty()) {
            HeartbeatSeconds = 60;
            return;
        }
        const int32_t seconds = roundedInt32(v);
        HeartbeatSeconds = seconds < 10 ? 60 : seconds;
    });
    step(stepFailed, [] { BottomAdUrl = key("botturl"); });
    step(stepFailed, [] {
        const int32_t v = roundedInt32(key("adurlheight"));
        BottomAdHeight = (v >= 10 && v <= 150 * TwipsY) ? v : 61 * TwipsX;
    });
}

void applyConfiguration(const ConfigApplyUi& ui) {
    if (ConfigLoaded)
        return;
    for (;;) {
        LoadserverOk = Loadserver();
        if (LoadserverOk)
            break;
        const QString question =
            QStringLiteral("初始化连接服务器失败,点击[是]将进行重试连接,点击[否]将退出程序.\r\n"
                           "请确认是否已经正确连接网络,或者远程服务器暂时性故障,请过一段时间再试.\r\n"
                           "如果是第一次启动程序看到此提示，请尝试关闭安全软件及网络防火墙再试一次.");
        if (!ui.askRetry || !ui.askRetry(question)) {
            if (ui.unloadLoginWindow)
                ui.unloadLoginWindow();
            return;
        }
    }

    const QString version = platform::singleText(AppVer);
    if (configuredVersionList().contains(u',' + version + u',')) {
        if (ui.info)
            ui.info(QStringLiteral("该版本已经停止使用了,请进入官方网站查看下载升级最新版本.同时程序也将尝试自动升级，升级完成后将提示您更新。"),
                    QString::fromUtf16(kProgramTitle));
        OpenUrl(productHomePage());
        if (ui.hideLoginWindow)
            ui.hideLoginWindow();
        if (ui.startUpdate)
            ui.startUpdate();
        return;
    }

    // Compared in single precision, like the version itself: "3.6" is not newer than 3.6.
    float newVersion = 0;
    step(ui.stepFailed, [&] { newVersion = platform::CSng(platform::Val(key("new"))); });
    applyConfigKeys(ui.stepFailed);

    if (newVersion > AppVer) {
        if (ui.newVersionNotice)
            ui.newVersionNotice(
                QStringLiteral("Quillor发现了新版本,程序将自动下载升级,稍候可能需要关闭软件并重新启动."),
                QStringLiteral("升级提示"));
        if (ui.startUpdate)
            ui.startUpdate();
    }
    if (ui.enableLoginButtons)
        ui.enableLoginButtons();
    ConfigLoaded = true;
}
