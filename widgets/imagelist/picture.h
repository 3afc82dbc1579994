#pragma once

#include "platform/colors.h"

#include <QImage>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

class QWidget;

// Picture, colour and temporary-file routines of the image list, and the open-file and colour
// dialogs its design-time pages use.

// The run-time errors of the file and picture routines, with the descriptions the rest of the
// program shows.
inline constexpr int kErrFileNotFound = 53;
inline constexpr int kErrFileAccess = 75;
inline constexpr int kErrInvalidPicture = 481;
inline const QString kTextFileNotFound = QStringLiteral("文件未找到");
inline const QString kTextFileAccess = QStringLiteral("路径/文件访问错误");
inline const QString kTextInvalidPicture = QStringLiteral("无效图片");

// The picture in a file, of any kind the toolkit reads. Raises VbError 53 for a missing file, 75
// for one that cannot be read (a folder, no permission) and 481 for data that is no picture.
[[nodiscard]] QImage LoadPicture(const QString& path);

// A picture of an icon or a bitmap; no picture for a null image.
[[nodiscard]] QPixmap IconToPicture(const QImage& icon);
[[nodiscard]] QPixmap BitmapToPicture(const QImage& bitmap);
// The RGB value of an OLE colour; -1 when it cannot be translated. The palette is not used.
[[nodiscard]] int32_t TranslateOleColor(platform::OleColor colour, int palette = 0);
// A new, empty, uniquely named file in TempPath named after up to three characters of the
// prefix; an empty text when none could be made.
[[nodiscard]] QString TempFileName(const QString& prefix);
// The temporary folder with its trailing separator; the program's folder when there is none.
[[nodiscard]] QString TempPath();
// The text up to, not including, its first NUL.
[[nodiscard]] QString TrimAtNull(const QString& text);

// What the last dialog returned (1 chosen, 0 cancelled) and, after anything else, its error.
inline int32_t LastDialogResult = 0;
inline int32_t LastDialogError = 0;
// The colour dialog's sixteen custom colours, kept as the user leaves them while the program
// runs; filled with the system colours 0 to 15 on first use.
inline std::array<platform::OleColor, 16> CustomColours{};
inline bool CustomColoursReady = false;

// Open-file dialog flags.
inline constexpr int OFN_READONLY = 0x1;
inline constexpr int OFN_HIDEREADONLY = 0x4;
inline constexpr int OFN_ALLOWMULTISELECT = 0x200;
inline constexpr int OFN_FILEMUSTEXIST = 0x1000;

// The flags the open-file dialog is asked with: the extra flags without 0x20 and 0x40, plus one
// flag for each option that is set.
[[nodiscard]] int openFileFlags(int extraFlags, bool mustExist, bool multiSelect, bool readOnly,
                                bool hideReadOnly);
// A filter text of description|pattern pairs as the dialog takes it: every "|" and ":" a NUL,
// and two NULs at the end.
[[nodiscard]] QString dialogFilter(const QString& filter);
// Pair n (one-based) of a NUL-separated filter: description, NUL, pattern; empty when there is
// no such pair.
[[nodiscard]] QString FilterPairAt(const QString& nulFilter, int n);
// The name filters of a NUL-separated filter as Qt's file dialog shows them.
[[nodiscard]] QStringList qtNameFilters(const QString& nulFilter);
// What a multiple selection returns as the file name: one file's full path, or the folder and the
// names separated by NULs.
[[nodiscard]] QString multiSelectFileName(const QStringList& files);

// The open-file dialog; true when a file was chosen. On cancel the file name, title and filter
// are emptied, the extra flags 0 and the filter index -1.
bool ShowOpenFileDialog(QString& fileName, QString& fileTitle, bool mustExist, bool multiSelect,
                        bool& readOnly, bool hideReadOnly, QString& filter, int& filterIndex,
                        const QString& initialDir, const QString& dialogTitle,
                        const QString& defaultExt, QWidget* owner, int& extraFlags);
// The colour dialog, offering the custom colours; true with the chosen colour, else false and
// the colour -1. Qt's dialog always offers every colour and its full form, so the three options
// change nothing.
bool ShowColorDialog(int64_t& colour, bool anyColour, bool fullOpen, bool preventFullOpen,
                     QWidget* owner);
