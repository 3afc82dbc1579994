#pragma once

#include "widgets/pages/propertypage.h"

#include <QImage>
#include <QRect>

#include <array>

class KeyImageList;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;

// The image list's "Images" page: the images of the first selected KeyImageList as a strip, with
// adding from icon, cursor, animated-cursor, bitmap and other picture files, removing, clearing,
// moving, keying, and the transparent colour used for bitmaps and pictures. Every edit acts on
// the list at once; the page keeps no copy of the images.
class ppgImages : public PropertyPage {
    Q_OBJECT
public:
    void ControlsApplied() override;
    explicit ppgImages(QWidget* parent = nullptr);

    // The zero-based position of the selected image; -1 when the list is empty.
    [[nodiscard]] int selected() const { return mSelected; }
    // The strip's outer rectangle as last drawn, in pixels.
    [[nodiscard]] QRect stripRect() const { return mStripRect; }
    // The page as drawn, its controls included.
    [[nodiscard]] QImage face();

    std::array<QRadioButton*, 2> optTransparentColour{};
    std::array<QLineEdit*, 3> txtRGB{};
    std::array<QLabel*, 3> lblRGB{};
    QLabel* lblColor = nullptr;
    QPushButton* cmdPickColour = nullptr;
    QFrame* fraCurrent = nullptr;
    QLineEdit* txtIndex = nullptr;
    QPushButton* cmdBack = nullptr;
    QPushButton* cmdNext = nullptr;
    QLineEdit* txtKey = nullptr;
    QCheckBox* chkSetKeys = nullptr;
    QScrollBar* hscScroll = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdRemove = nullptr;
    QPushButton* cmdMoveDown = nullptr;
    QPushButton* cmdMoveUp = nullptr;
    QPushButton* cmdClear = nullptr;

    // The handlers, callable as the clicks call them.
    void cmdAdd_Click();
    void cmdRemove_Click();
    void cmdClear_Click();
    void cmdBack_Click();
    void cmdNext_Click();
    void cmdMoveDown_Click();
    void cmdMoveUp_Click();
    void cmdPickColour_Click();
    void optTransparentColour_Click();
    // A mouse button pressed on the page at a point in pixels.
    void pagePress(QPoint at);
    // The swatch colour (&HBBGGRR or the button-face system colour).
    [[nodiscard]] uint32_t swatchColour() const { return m_swatch; }

protected:
    void PropertyPage_Start() override;
    void SelectionChanged() override;
    void ApplyChanges() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    [[nodiscard]] KeyImageList* list() const;
    void drawImageStrip();
    void commitKey();
    void scrollSelectedIntoView(int direction);
    void showTransparentColour();
    void addFile(const QString& path, int64_t colour);
    void addCursorFrames(const QString& path, int position, const QString& key);
    [[nodiscard]] QString uniqueKey(const QString& base, int& n) const;

    int mSelected = 0;
    QRect mStripRect;
    QString m_keyTag;
    uint32_t m_swatch = 0x8000000F;
    QImage m_surface;
};
