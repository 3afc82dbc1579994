// Every kept input of every fuzz target (the seed corpus and the inputs that once failed) run
// through its target in the normal build, so a fault found once stays mended.
#include "tests/fuzz/fuzztarget.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

namespace {

QString currentInput;

void recordFailure(const char* what) { ADD_FAILURE() << what << " (input " << currentInput.toStdString() << ")"; }

class FuzzReplay : public ::testing::TestWithParam<fuzz::Target> {
protected:
    static void SetUpTestSuite() {
        fuzz::setUpEnvironment();
        fuzz::setCheckHandler(recordFailure);
    }
};

QStringList inputsOf(const QString& target) {
    QStringList files;
    for (const char* kind : {"corpus", "regressions"}) {
        QDirIterator it(QStringLiteral(BRELTO_FUZZ_DIR "/%1/%2").arg(QLatin1String(kind), target), QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
    }
    files.sort();
    return files;
}

TEST_P(FuzzReplay, KeptInputsPass) {
    const fuzz::Target target = GetParam();
    const QStringList files = inputsOf(QString::fromLatin1(target.name));
    ASSERT_FALSE(files.isEmpty()) << "no seed corpus for " << target.name;
    for (const QString& path : files) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
        const QByteArray bytes = f.readAll();
        currentInput = path;
        target.run(bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay, ::testing::ValuesIn(fuzz::targets()),
                         [](const ::testing::TestParamInfo<fuzz::Target>& info) { return std::string(info.param.name); });

} // namespace
