// brelto-designer: edits a control's design data with its property pages.
//
// Usage: brelto-designer --imagelist|--toolbar [--new] [--script FILE [--base DIR]] DESIGNFILE
//   Without a script the property dialog is shown; OK and Apply save the control to DESIGNFILE
//   (replacing it whole). --new starts from a new control whatever DESIGNFILE holds.
//   With a script its steps drive the pages and nothing is shown (see designer.h); the files it
//   names are taken relative to DIR, by default the script's folder.
#include "platform/fonts.h"
#include "tools/designer/designer.h"
#include "widgets/pages/propertypage.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

constexpr const char* kUsage =
    "usage: brelto-designer --imagelist|--toolbar [--new] [--script FILE [--base DIR]] DESIGNFILE\n";

int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

int help() {
    std::fputs(kUsage, stdout);
    std::fputs("\n"
               "Edits a control's design data (an image list's or a toolbar's saved properties)\n"
               "in its property pages; OK and Apply save it to DESIGNFILE.\n"
               "  --imagelist, --toolbar  the kind of control DESIGNFILE holds\n"
               "  --new                   start from a new control, whatever DESIGNFILE holds\n"
               "  --script FILE           drive the pages with the steps in FILE (one a line),\n"
               "                          showing nothing\n"
               "  --base DIR              folder the script's files are taken from (default: the\n"
               "                          script's folder)\n"
               "  --help                  show this text\n",
               stdout);
    return 0;
}

bool asksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) return true;
    return false;
}

} // namespace

int main(int argc, char** argv) {
    // Before the application object, which needs a display.
    if (asksForHelp(argc, argv)) return help();
    QApplication app(argc, argv);
    platform::registerFontSubstitutions();
    QStringList args = app.arguments().mid(1);
    std::optional<designer::Kind> kind;
    QString script;
    QString base;
    QString file;
    bool fresh = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--imagelist"))
            kind = designer::Kind::ImageList;
        else if (args[i] == QLatin1String("--toolbar"))
            kind = designer::Kind::Toolbar;
        else if (args[i] == QLatin1String("--script") && i + 1 < args.size())
            script = args[++i];
        else if (args[i] == QLatin1String("--base") && i + 1 < args.size())
            base = args[++i];
        else if (args[i] == QLatin1String("--new"))
            fresh = true;
        else if (file.isEmpty() && !args[i].startsWith(QLatin1String("--")))
            file = args[i];
        else
            return usage();
    }
    if (!kind || file.isEmpty()) return usage();

    designer::Session session(*kind, file);
    QString error;
    if (!session.open(&error, fresh)) {
        std::fprintf(stderr, "brelto-designer: %s\n", qPrintable(error));
        return 1;
    }
    if (script.isEmpty()) {
        session.dialog().exec();
        return session.saveError().isEmpty() ? 0 : 1;
    }
    QFile steps(script);
    if (!steps.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "brelto-designer: cannot read %s\n", qPrintable(script));
        return 1;
    }
    QStringList notices;
    const QString failure =
        designer::runScript(session, QString::fromUtf8(steps.readAll()).split(u'\n'),
                            base.isEmpty() ? QFileInfo(script).absolutePath() : base, &notices);
    for (const QString& notice : notices)
        std::fprintf(stderr, "brelto-designer: notice: %s\n", qPrintable(notice));
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "brelto-designer: %s: %s\n", qPrintable(script), qPrintable(failure));
        return 1;
    }
    return 0;
}
