#include "shell/updateswap.h"

#include <QDir>
#include <QFile>

namespace {

constexpr int kTries = 4;
constexpr int kTryPauseMs = 1000;

// Repeats `attempt` a second apart until it succeeds or has failed four times.
bool retry(const UpdateSwapEnv& env, const std::function<bool()>& attempt) {
    for (int failures = 0; failures < kTries;) {
        if (env.pause)
            env.pause(kTryPauseMs);
        if (attempt())
            return true;
        ++failures;
    }
    return false;
}

} // namespace

bool runUpdateSwap(const QString& programFolder, const QString& runningBaseName, const UpdateSwapEnv& env) {
    const QDir dir(programFolder);
    const QString program = dir.filePath(QStringLiteral("brelto"));
    const QString package = dir.filePath(QStringLiteral("newfile"));
    if (runningBaseName.toLower() != u"otemp" || !QFile::exists(package))
        return false;
    const QString title = QStringLiteral("删除出错");

    const bool removed = retry(env, [&] {
        if (QFile::exists(program))
            QFile::remove(program);
        return !QFile::exists(program);
    });
    if (!removed) {
        if (env.errorBox)
            env.errorBox(QStringLiteral("删除旧版本的 brelto 失败,请手动删除该文件,并把程序目录下 newfile 改名成 brelto"), title);
        return true;
    }
    const bool renamed = retry(env, [&] {
        QFile::rename(package, program);
        return QFile::exists(program);
    });
    if (!renamed) {
        if (env.errorBox)
            env.errorBox(QStringLiteral("重命名失败,请手动把 newfile 改名成 brelto"), title);
        return true;
    }
    QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner |
                                       QFileDevice::ExeGroup | QFileDevice::ExeOther);
    if (env.start)
        env.start(program, programFolder);
    return true;
}
