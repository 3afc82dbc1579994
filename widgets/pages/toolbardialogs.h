#pragma once

#include <QFont>
#include <QString>

#include <cstdint>
#include <vector>

class QWidget;

// The toolbar's common dialogs, which serve only its buttons page: a colour dialog with a table
// of 16 custom colours kept between calls, an open-file dialog and a font dialog. They go through
// pageDialogs(), so a designer session can script them.
class ToolbarDialogs {
public:
    // Creates the custom-colour table (16 colours, all 0) and keeps the owner of the open-file and
    // font dialogs.
    void InitCmnDlg(QWidget* myhwnd);
    // The chosen colour, or -1 when cancelled; the custom colours are kept as the user left them.
    [[nodiscard]] int64_t ShowColor(QWidget* hWndParent, int64_t DefColor);
    // The chosen path, or an empty text when cancelled. mFilter is description|pattern pairs; an
    // empty filter offers all files, an empty folder is the program's own, an empty title the
    // program's name.
    [[nodiscard]] QString ShowOpen(const QString& mFilter, int mflags, const QString& mInitDir,
                                   const QString& mTitle);
    // Edits MyFont in a font dialog that takes sizes kFontSizeMin to kFontSizeMax only; true on
    // OK. The chosen face, size and the four styles replace MyFont's (bold only for a weight of
    // exactly 700).
    bool ShowFont(QFont& MyFont);
    static constexpr int kFontSizeMin = 8;
    static constexpr int kFontSizeMax = 72;

    [[nodiscard]] const std::vector<uint32_t>& customColours() const { return m_custom; }
    [[nodiscard]] QWidget* owner() const { return mHwnd; }

private:
    QWidget* mHwnd = nullptr;
    std::vector<uint32_t> m_custom;
};
