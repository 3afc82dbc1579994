#include "widgets/imagelist/picture.h"

#include "platform/vberror.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryFile>

namespace {

constexpr QChar kNul = QChar(u'\0');

} // namespace

QImage LoadPicture(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) throw platform::VbError(kErrFileNotFound, kTextFileNotFound);
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly))
        throw platform::VbError(kErrFileAccess, kTextFileAccess);
    file.close();
    QImageReader reader(path);
    QImage image = reader.read();
    if (image.isNull()) throw platform::VbError(kErrInvalidPicture, kTextInvalidPicture);
    return image;
}

QPixmap IconToPicture(const QImage& icon) {
    return icon.isNull() ? QPixmap() : QPixmap::fromImage(icon);
}

QPixmap BitmapToPicture(const QImage& bitmap) {
    return bitmap.isNull() ? QPixmap() : QPixmap::fromImage(bitmap);
}

int32_t TranslateOleColor(platform::OleColor colour, int palette) {
    Q_UNUSED(palette);
    return platform::OleColorToRgb(colour);
}

QString TempPath() {
    QString path = QDir::tempPath();
    if (path.isEmpty() && QCoreApplication::instance() != nullptr)
        path = QCoreApplication::applicationDirPath();
    if (!path.isEmpty() && !path.endsWith(u'/')) path += u'/';
    return path;
}

QString TempFileName(const QString& prefix) {
    QTemporaryFile file(TempPath() + TrimAtNull(prefix).left(3) + QStringLiteral("XXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open()) return {};
    return TrimAtNull(file.fileName());
}

QString TrimAtNull(const QString& text) {
    const qsizetype nul = text.indexOf(kNul);
    return nul < 0 ? text : text.left(nul);
}

int openFileFlags(int extraFlags, bool mustExist, bool multiSelect, bool readOnly,
                  bool hideReadOnly) {
    int flags = extraFlags & ~(0x20 | 0x40);
    if (mustExist) flags |= OFN_FILEMUSTEXIST;
    if (multiSelect) flags |= OFN_ALLOWMULTISELECT;
    if (readOnly) flags |= OFN_READONLY;
    if (hideReadOnly) flags |= OFN_HIDEREADONLY;
    return flags;
}

QString dialogFilter(const QString& filter) {
    QString out = filter;
    out.replace(u'|', kNul);
    out.replace(u':', kNul);
    out += kNul;
    out += kNul;
    return out;
}

QString FilterPairAt(const QString& nulFilter, int n) {
    if (n < 1) return {};
    const QStringList parts = nulFilter.split(kNul);
    const qsizetype description = 2 * qsizetype(n - 1);
    if (description + 1 >= parts.size() || parts[description].isEmpty()) return {};
    return parts[description] + kNul + parts[description + 1];
}

QStringList qtNameFilters(const QString& nulFilter) {
    QStringList filters;
    for (int n = 1;; ++n) {
        const QString pair = FilterPairAt(nulFilter, n);
        if (pair.isEmpty()) break;
        const QStringList parts = pair.split(kNul);
        QStringList patterns = parts.value(1).split(u';', Qt::SkipEmptyParts);
        filters << parts.value(0) + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters;
}

QString multiSelectFileName(const QStringList& files) {
    if (files.size() <= 1) return files.value(0);
    QString out = QDir::toNativeSeparators(QFileInfo(files.first()).absolutePath());
    for (const QString& file : files)
        out += kNul + QFileInfo(file).fileName();
    return out;
}

bool ShowOpenFileDialog(QString& fileName, QString& fileTitle, bool mustExist, bool multiSelect,
                        bool& readOnly, bool hideReadOnly, QString& filter, int& filterIndex,
                        const QString& initialDir, const QString& dialogTitle,
                        const QString& defaultExt, QWidget* owner, int& extraFlags) {
    const int flags = openFileFlags(extraFlags, mustExist, multiSelect, readOnly, hideReadOnly);
    const QString nulFilter = dialogFilter(filter);
    const QStringList nameFilters = qtNameFilters(nulFilter);

    QFileDialog dialog(owner, dialogTitle, initialDir);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(multiSelect
                           ? QFileDialog::ExistingFiles
                           : (mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
    dialog.setDefaultSuffix(defaultExt);
    dialog.setNameFilters(nameFilters);
    if (filterIndex >= 1 && filterIndex <= nameFilters.size())
        dialog.selectNameFilter(nameFilters[filterIndex - 1]);
    if (!fileName.isEmpty()) dialog.selectFile(TrimAtNull(fileName));

    LastDialogResult =
        dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty() ? 1 : 0;
    if (LastDialogResult != 1) {
        fileName.clear();
        fileTitle.clear();
        filter.clear();
        extraFlags = 0;
        filterIndex = -1;
        return false;
    }
    const QStringList files = dialog.selectedFiles();
    if (multiSelect) {
        fileTitle.clear();
        fileName = multiSelectFileName(files);
    } else {
        fileName = files.first();
        fileTitle = QFileInfo(fileName).fileName();
    }
    extraFlags = flags;
    filterIndex = static_cast<int>(nameFilters.indexOf(dialog.selectedNameFilter())) + 1;
    filter = FilterPairAt(nulFilter, filterIndex);
    readOnly = (flags & OFN_READONLY) != 0;
    return true;
}

bool ShowColorDialog(int64_t& colour, bool anyColour, bool fullOpen, bool preventFullOpen,
                     QWidget* owner) {
    if (!CustomColoursReady) {
        for (int i = 0; i < 16; ++i)
            CustomColours[static_cast<size_t>(i)] = platform::GetSysColor(i);
        CustomColoursReady = true;
    }
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, platform::toQColor(CustomColours[static_cast<size_t>(i)]));
    Q_UNUSED(anyColour);
    Q_UNUSED(fullOpen);
    Q_UNUSED(preventFullOpen);
    QColorDialog dialog(owner);
    const int32_t start = platform::OleColorToRgb(static_cast<platform::OleColor>(colour));
    if (start >= 0)
        dialog.setCurrentColor(platform::toQColor(static_cast<platform::OleColor>(start)));
    LastDialogResult = dialog.exec() == QDialog::Accepted ? 1 : 0;
    for (int i = 0; i < 16; ++i)
        CustomColours[static_cast<size_t>(i)] = platform::fromQColor(QColorDialog::customColor(i));
    if (LastDialogResult != 1) {
        colour = -1;
        return false;
    }
    colour = platform::fromQColor(dialog.selectedColor());
    return true;
}
