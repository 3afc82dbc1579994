#include "common/update.h"

#include "common/appinfo.h"
#include "common/config.h"
#include "common/http.h"
#include "common/msgbox.h"
#include "platform/autostart.h"
#include "platform/eventwait.h"
#include "platform/forms.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "state/configstate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace {

UpdateUi& ui() {
    static UpdateUi u;
    return u;
}

QString inProgramFolder(const QString& name) { return QDir(programFolder()).filePath(name); }

bool closeMainForm() {
    platform::Form* main = platform::mainForm();
    return main != nullptr && main->unload();
}

} // namespace

void setUpdateUi(UpdateUi u) { ui() = std::move(u); }

void UpdateMe() {
    const QString target = inProgramFolder(QStringLiteral("newfile"));
    if (DownFile(ConValue(QStringLiteral("dl")), target)) {
        // The package becomes the program after the swap, so it must be executable.
        QFile::setPermissions(target, QFile::permissions(target) | QFileDevice::ExeOwner |
                                          QFileDevice::ExeGroup | QFileDevice::ExeOther);
        UpdateReady = true;
        RunUpdater();
        return;
    }
    const QString text = QStringLiteral("升级程序时下载更新包失败,程序将下次启动后再试更新或请到官网手动下载升级.");
    const QString title = QStringLiteral("升级失败");
    const QString site = SiteUrl.isEmpty() ? defaultServiceUrl() : SiteUrl;
    if (ui().notifyFailure)
        ui().notifyFailure(text, title, site);
    else
        ShowMsg(text, title, platform::mainForm(), site, true, 0);
    if (!ConfigLoaded)
        platform::endProgram();
}

void RunUpdater() {
    const QString copy = inProgramFolder(QStringLiteral("otemp"));
    const QString self = QCoreApplication::applicationFilePath();
    QFile::remove(copy);
    QFile::copy(self, copy);
    platform::pauseMs(500);
    (void)platform::startDetached(copy, {}, programFolder());
    // At start-up there is no main window yet: closing it means ending the program.
    const bool closed = ui().closeMainWindow ? ui().closeMainWindow() : closeMainForm();
    if (!closed)
        platform::endProgram();
}

bool SetAutoRun(bool Enable) {
    return platform::setAutostart(QStringLiteral("Quillor"), QCoreApplication::applicationFilePath(),
                                  Enable);
}
