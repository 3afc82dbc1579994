#pragma once

#include "widgets/pages/propertypage.h"
#include "widgets/pages/toolbardialogs.h"

#include <QFont>
#include <QImage>
#include <QPointer>

#include <array>

class FlatToolbar;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

// The toolbar's buttons page "工具栏按钮": one button of the first selected FlatToolbar at a
// time, chosen by its one-based index. Field edits go into the toolbar when the page is applied
// or another button is shown; appending, deleting and moving act at once.
class ppgFlatToolbar : public PropertyPage {
    Q_OBJECT
public:
    explicit ppgFlatToolbar(QWidget* parent = nullptr);

    [[nodiscard]] int shownIndex() const { return mPrevIndex; }
    [[nodiscard]] const QImage& picture() const { return m_picture; }
    [[nodiscard]] const QFont& buttonFont() const { return mButtonFont; }
    [[nodiscard]] ToolbarDialogs& dialogs() { return m_dialogs; }

    QScrollBar* hsbIDX = nullptr;
    std::array<QLineEdit*, 5> txtField{};
    std::array<QPushButton*, 4> btnAction{};
    std::array<QLabel*, 10> lblHdr{};
    QComboBox* cboType = nullptr;
    QComboBox* CboIconSize = nullptr;
    QComboBox* CboBtnAlign = nullptr;
    QComboBox* CboState = nullptr;
    QComboBox* cboStyle = nullptr;
    QCheckBox* chkCheck = nullptr;
    QCheckBox* chkUseMask = nullptr;
    QLabel* shpCol = nullptr;
    QPushButton* cmdBrowse = nullptr;
    QPushButton* cmdBrowseFont = nullptr;
    QLabel* picImg = nullptr;
    QPushButton* btnBrowse = nullptr;
    QPushButton* btnClear = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QGroupBox* Frame5 = nullptr;

    // The handlers, callable as the controls call them.
    void btnAction_Click(int index);
    void cboType_Click();
    void cboStyle_Click();
    void cmdBrowse_Click();
    void cmdBrowseFont_Click();
    void btnBrowse_Click();
    void btnClear_Click();
    // Shows button n, as moving the index bar to n does.
    void showIndex(int n);
    [[nodiscard]] uint32_t maskColour() const { return m_maskColour; }

protected:
    void SelectionChanged() override;
    void ApplyChanges() override;

private:
    void hsbIDX_Change();
    void applyFields();
    void setTaggedEnabled(const QString& tag, bool enabled);
    void clearButtonFields();
    void enableButtonFields(bool enabled);
    void setMaskColour(uint32_t colour);
    void showPicture();
    void setIndexQuietly(int n);

    QPointer<FlatToolbar> mToolbar;
    int mPrevIndex = 1;
    QFont mButtonFont;
    QImage m_picture;
    uint32_t m_maskColour = 0xFF00FF;
    ToolbarDialogs m_dialogs;
};
