#include "widgets/pages/toolbardialogs.h"

#include "widgets/pages/propertypage.h"

#include <QCoreApplication>

#include <cmath>

void ToolbarDialogs::InitCmnDlg(QWidget* myhwnd) {
    m_custom.assign(16, 0);
    mHwnd = myhwnd;
}

int64_t ToolbarDialogs::ShowColor(QWidget* hWndParent, int64_t DefColor) {
    // A dialog opened before InitCmnDlg still has its table.
    if (m_custom.size() != 16) m_custom.assign(16, 0);
    return pageDialogs().colour(hWndParent, DefColor, m_custom);
}

QString ToolbarDialogs::ShowOpen(const QString& mFilter, int mflags, const QString& mInitDir,
                                 const QString& mTitle) {
    const QString folder = mInitDir.isEmpty() ? QCoreApplication::applicationDirPath() : mInitDir;
    const QString filter = mFilter.isEmpty() ? QStringLiteral("All Files (*.*)|*.*") : mFilter;
    const QString title = mTitle.isEmpty() ? QCoreApplication::applicationName() : mTitle;
    const QString chosen = pageDialogs().open(mHwnd, filter, mflags, folder, title, false);
    const qsizetype nul = chosen.indexOf(QChar(u'\0'));
    return nul < 0 ? chosen : chosen.left(nul);
}

bool ToolbarDialogs::ShowFont(QFont& MyFont) {
    QFont chosen = MyFont;
    if (!pageDialogs().font(mHwnd, chosen, kFontSizeMin, kFontSizeMax)) return false;
    MyFont.setFamily(chosen.family());
    MyFont.setPointSizeF(std::round(chosen.pointSizeF() * 10) / 10);
    MyFont.setItalic(chosen.italic());
    MyFont.setUnderline(chosen.underline());
    MyFont.setStrikeOut(chosen.strikeOut());
    MyFont.setBold(chosen.weight() == QFont::Bold);
    return true;
}
