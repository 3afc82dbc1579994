// Turns the tab icons' pixel grids into icon files, one <key>.ico per icon, and a stamp file
// written last. brelto-designer then adds them to KeyImageList1 on its images page
// (keyimagelist1.steps), which gives the design data the program embeds.
//
// Usage: maketabicons <tabicons.txt> <folder>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QImageWriter>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr int kSide = 16;

struct Icon {
    QString key;
    QStringList rows;
};

bool fail(const QString& message) {
    std::fprintf(stderr, "maketabicons: %s\n", qPrintable(message));
    return false;
}

bool parse(const QString& text, QHash<QChar, QRgb>& palette, QList<Icon>& icons) {
    const QStringList lines = text.split(u'\n');
    for (int n = 0; n < lines.size(); ++n) {
        const QString line = lines[n].trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
        if (words[0] == QLatin1String("colour") && words.size() == 3 && words[1].size() == 1) {
            bool ok = false;
            const uint value = words[2].toUInt(&ok, 16);
            if (!ok) return fail(QStringLiteral("line %1: bad colour").arg(n + 1));
            palette.insert(words[1][0], qRgb(int(value >> 16) & 0xFF, int(value >> 8) & 0xFF,
                                             int(value) & 0xFF));
        } else if (words[0] == QLatin1String("icon") && words.size() >= 2) {
            Icon icon{words[1], {}};
            for (int row = 0; row < kSide; ++row) {
                const int at = n + 1 + row;
                const QString pixels = at < lines.size() ? lines[at].trimmed() : QString();
                if (pixels.size() != kSide)
                    return fail(
                        QStringLiteral("line %1: an icon row has sixteen pixels").arg(at + 1));
                icon.rows << pixels;
            }
            icons << icon;
            n += kSide;
        } else {
            return fail(QStringLiteral("line %1: not understood").arg(n + 1));
        }
    }
    return true;
}

bool paint(const Icon& icon, const QHash<QChar, QRgb>& palette, QImage& image) {
    image = QImage(kSide, kSide, QImage::Format_ARGB32);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const QChar c = icon.rows[y][x];
            if (c == u'.') {
                image.setPixel(x, y, qRgba(0, 0, 0, 0));
                continue;
            }
            if (!palette.contains(c))
                return fail(QStringLiteral("icon %1: no colour '%2'").arg(icon.key, c));
            image.setPixel(x, y, palette.value(c));
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) return fail(QStringLiteral("usage: maketabicons <tabicons.txt> <folder>")), 2;
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read %1").arg(source.fileName())), 1;
    QHash<QChar, QRgb> palette;
    QList<Icon> icons;
    if (!parse(QString::fromUtf8(source.readAll()), palette, icons)) return 1;

    const QDir folder(QString::fromLocal8Bit(argv[2]));
    if (!folder.mkpath(QStringLiteral(".")))
        return fail(QStringLiteral("cannot make %1").arg(folder.path())), 1;
    for (const Icon& icon : icons) {
        QImage image;
        if (!paint(icon, palette, image)) return 1;
        QImageWriter writer(folder.filePath(icon.key + QStringLiteral(".ico")), "ico");
        if (!writer.write(image))
            return fail(QStringLiteral("cannot write %1: %2")
                            .arg(writer.fileName(), writer.errorString())),
                   1;
    }
    QSaveFile stamp(folder.filePath(QStringLiteral("icons.stamp")));
    if (!stamp.open(QIODevice::WriteOnly) || !stamp.commit())
        return fail(QStringLiteral("cannot write %1").arg(stamp.fileName())), 1;
    return 0;
}
