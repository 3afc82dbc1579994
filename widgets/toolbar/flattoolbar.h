#pragma once

#include "platform/colors.h"
#include "widgets/toolbar/themecolors.h"
#include "widgets/toolbar/toolbarbutton.h"
#include "widgets/toolbar/toolbarlayout.h"
#include "widgets/toolbar/toolbarpaint.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <optional>
#include <vector>

namespace platform {
class PropertyBag;
}

namespace toolbar {
class ToolbarPicture;
class ToolbarPopup;
} // namespace toolbar

// The program's drawn toolbar: a gripper, a strip of buttons with captions, icons and states,
// and a chevron that lists the buttons that do not fit (and, where offered, the colour schemes).
// Buttons are numbered from 1. Indexed properties raise VbError 9 for an index outside
// 1 .. ButtonCount. Every painted part is drawn into an image first and copied in one step.
class FlatToolbar : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FlatToolbar)
    // The control's own saved properties outside the button list, as a designer's property
    // browser sets them.
    Q_PROPERTY(uint BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(bool IsStrech READ IsStrech WRITE setIsStrech)
    Q_PROPERTY(int ThemeColor READ ThemeColor WRITE setThemeColor)
    Q_PROPERTY(int MenuLanguage READ MenuLanguage WRITE setMenuLanguage)
    Q_PROPERTY(bool ShowMenuColor READ ShowMenuColor WRITE setShowMenuColor)
public:
    using OleColor = platform::OleColor;

    // `ChangeBtnProperty` option codes.
    enum : int {
        OptCaption = 1,
        OptEnabled = 2,
        OptKey = 3,
        OptIcon = 4,
        OptIconSize = 5,
        OptToolTipText = 6,
        OptForeColor = 7,
        OptStyle = 8,
        OptState = 9,
        OptValue = 10,
        OptFont = 11,
        OptAlignment = 12,
        OptType = 13,
        OptUseMaskColor = 14,
        OptMaskColor = 15,
    };

    explicit FlatToolbar(QWidget* parent = nullptr);
    ~FlatToolbar() override;

    // A newly placed toolbar: the host's back colour, laid out, 400 twips wide.
    void InitProperties();
    // Saved properties: restore from and store into the host's bag. Values equal to their
    // defaults are not written; missing or unreadable ones read as their defaults.
    void readProperties(const platform::PropertyBag& bag);
    void writeProperties(platform::PropertyBag& bag) const;

    // The host form's back colour, the default of BackColor; a change is taken over at once.
    void setAmbientBackColor(OleColor color);
    [[nodiscard]] OleColor ambientBackColor() const { return m_ambientBackColor; }

    // The control's identity, for hosts that tell one toolbar from another.
    [[nodiscard]] quintptr hwnd() const { return reinterpret_cast<quintptr>(this); }

    [[nodiscard]] OleColor BackColor() const { return m_backColor; }
    void setBackColor(OleColor color);
    [[nodiscard]] int ButtonCount() const { return static_cast<int>(m_buttons.size()) - 1; }
    [[nodiscard]] bool IsStrech() const { return m_isStrech; }
    void setIsStrech(bool stretch);
    // 0 to 4 a fixed colour scheme, 5 the one that follows the desktop.
    [[nodiscard]] int ThemeColor() const { return m_themeColor; }
    void setThemeColor(int scheme);
    [[nodiscard]] int MenuLanguage() const { return m_menuLanguage; }
    void setMenuLanguage(int language);
    // Whether the overflow popup offers the colour schemes.
    [[nodiscard]] bool ShowMenuColor() const { return m_showMenuColor; }
    void setShowMenuColor(bool show);

    // Indexed button properties. A setter stores a different value, applies it through
    // ChangeBtnProperty and reports the property changed; those without an option code (the
    // positions) store and report only.
    [[nodiscard]] QString BtnCaption(int index) const;
    void setBtnCaption(int index, const QString& caption);
    [[nodiscard]] bool BtnEnabled(int index) const;
    void setBtnEnabled(int index, bool enabled);
    [[nodiscard]] QImage BtnIcon(int index) const;
    void setBtnIcon(int index, const QImage& icon); // stored without comparing
    [[nodiscard]] int BtnIconSize(int index) const;
    void setBtnIconSize(int index, int size);
    [[nodiscard]] QString BtnToolTipText(int index) const;
    void setBtnToolTipText(int index, const QString& text);
    [[nodiscard]] QString BtnKey(int index) const;
    void setBtnKey(int index, const QString& key);
    [[nodiscard]] int BtnAlignment(int index) const;
    void setBtnAlignment(int index, int alignment);
    [[nodiscard]] int BtnType(int index) const;
    void setBtnType(int index, int type);
    [[nodiscard]] int BtnStyle(int index) const;
    void setBtnStyle(int index, int style);
    [[nodiscard]] OleColor BtnForeColor(int index) const;
    void setBtnForeColor(int index, OleColor color);
    [[nodiscard]] QFont BtnFont(int index) const;
    void
    setBtnFont(int index,
               const QFont& font); // compared by name, size, bold, italic, underline, strikethrough
    [[nodiscard]] int btnState(int index) const;
    void setBtnState(int index, int state);
    [[nodiscard]] bool BtnValue(int index) const;
    void setBtnValue(int index, bool value);
    [[nodiscard]] int BtnLeft(int index) const;
    void setBtnLeft(int index, int left);
    [[nodiscard]] int BtnTop(int index) const;
    void setBtnTop(int index, int top);
    [[nodiscard]] int BtnWidth(int index) const;
    void setBtnWidth(int index, int width);
    [[nodiscard]] int btnHeight(int index) const;
    void setBtnHeight(int index, int height);
    [[nodiscard]] int btnRHeight(int index) const;
    void setBtnRHeight(int index, int height);
    [[nodiscard]] bool BtnUseMaskColor(int index) const;
    void setBtnUseMaskColor(int index, bool use);
    [[nodiscard]] OleColor BtnMaskColor(int index) const;
    void setBtnMaskColor(int index, OleColor color);

    // Changes one field of button `index` (converted from `value`; VbError 13 when it cannot be)
    // and refreshes what the field affects. Unknown option codes change nothing.
    void ChangeBtnProperty(int option, int index, const QVariant& value);

    // Appends a button and returns the new ButtonCount, which is its index. No font gives
    // "MS Sans Serif" of size 8; Enabled and Value start False.
    int AddButton(int type, const QString& caption, const QString& key, const QImage& icon = {},
                  int iconSize = toolbar::kDefaultIconSize, int alignment = toolbar::AlignIconLeft,
                  const QString& toolTip = {}, OleColor foreColor = toolbar::kWindowTextColor,
                  const std::optional<QFont>& font = std::nullopt, int style = toolbar::StyleNormal,
                  int state = toolbar::StateNormal, bool useMaskColor = true,
                  OleColor maskColor = toolbar::kDefaultMaskColor);
    // Removes button `index` and returns the new ButtonCount; -1 for an index that names no button,
    // 0 (and no change) on an empty bar.
    int DeleteButton(int index);
    // Exchanges button `index` with its left (direction 0) or right (1) neighbour and returns its
    // new index; 0 when there is no such neighbour or for any other direction.
    int MoveButton(int index, int direction);
    // Lays out buttons `start` to the last; with `resize` the control takes the total width.
    void Calculate_Size(int start, bool resize);

    // Whether the pointer is right over the chevron (this also runs or stops the chevron's
    // polling timer) or over the button strip.
    bool isCursorOverChevron();
    [[nodiscard]] bool isCursorOverStrip() const;

    // What is shown now.
    [[nodiscard]] const toolbar::ToolbarSchemeColors& colors() const { return m_colors; }
    [[nodiscard]] QString ThemeName() const { return m_themeName; }
    [[nodiscard]] int runtimeState(int index) const;
    [[nodiscard]] int shownButtonCount() const { return m_shown; }
    [[nodiscard]] int hotButton() const { return m_hot; }
    [[nodiscard]] int totalWidthTwips() const { return m_totalWidthTwips; }
    [[nodiscard]] int totalHeightTwips() const { return m_totalHeightTwips; }
    [[nodiscard]] toolbar::ChevronLook chevronLook() const { return m_chevronLook; }
    [[nodiscard]] bool chevronTimerActive() const { return m_tmrRight.isActive(); }
    [[nodiscard]] const QImage& gripperImage() const;
    [[nodiscard]] const QImage& stripImage() const;
    [[nodiscard]] const QImage& chevronImage() const;
    [[nodiscard]] QWidget* PicLeft() const;
    [[nodiscard]] QWidget* PicTB() const;
    [[nodiscard]] QWidget* PicRight() const;

    // The chevron's popup (`picChevron`) and what it lists.
    void showOverflowPopup();
    void closeOverflowPopup();
    [[nodiscard]] bool isOverflowPopupOpen() const;
    [[nodiscard]] QWidget* overflowPopup() const;
    [[nodiscard]] std::vector<toolbar::PopupItem> popupItems() const;

signals:
    // A button was released over itself (on the strip, blnVisible true) or chosen in the popup
    // (false); the position is the button's, relative to the toolbar.
    void ButtonClick(int btnIndex, const QString& sKey, int iLeft, int iTop, int iWidth,
                     int iHeight, bool blnVisible);
    // A saved property changed (by its name without index), so the host stores the bar again.
    void propertyChanged(const QString& name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    toolbar::ToolbarButton& button(int index);
    [[nodiscard]] const toolbar::ToolbarButton& button(int index) const;
    void checkIndex(int index) const;
    void notify(const QString& name);
    template <typename T>
    void setField(int index, T toolbar::ToolbarButton::*field, const T& value, int option,
                  const QString& name);

    void applyThemePalette();
    void applyBackColor(OleColor color);
    void resizeHandling();
    void InitialGradToolbar();
    [[nodiscard]] int stripWidth() const;
    // Lays the buttons out again, takes the total width and repaints everything.
    void relayout();
    void repaintAll();
    void repaintButton(int index);
    void paintGripperPicture();
    void paintChevronPicture();
    void setChevronLook(toolbar::ChevronLook look);
    void restState(int index);

    void stripMouseMove(QPoint pos);
    void stripPress(QPoint pos);
    void stripRelease(QPoint pos);
    void stripLeave();
    void setHot(int index);
    void pollStrip();
    void chevronPress();
    void chevronRelease();
    void pollChevron();
    void popupChosen(int item);
    void applyPopupChoice(const toolbar::PopupItem& chosen);
    void popupClosed();
    void hookParentWindow();
    void unhookParentWindow();
    bool emitButtonClick(int index, bool visible);

    // Controls: slot 0 of both arrays is no button.
    std::vector<toolbar::ToolbarButton> m_buttons;
    std::vector<toolbar::ButtonRuntime> m_runtime;
    OleColor m_backColor = 0x8000000F;
    OleColor m_ambientBackColor = 0x8000000F;
    bool m_isStrech = false;
    int m_themeColor = toolbar::SchemeAutomatic;
    int m_menuLanguage = 2;
    bool m_showMenuColor = true;
    int m_totalWidthTwips = toolbar::kMinWidthTwips;
    int m_totalHeightTwips = toolbar::kInitialHeightTwips;

    toolbar::ToolbarSchemeColors m_colors;
    QString m_themeName;
    QImage m_background;

    toolbar::ToolbarPicture* m_picLeft = nullptr;
    toolbar::ToolbarPicture* m_picTB = nullptr;
    toolbar::ToolbarPicture* m_picRight = nullptr;
    toolbar::ToolbarPopup* m_picChevron = nullptr;
    QTimer m_tmrBtns;
    QTimer m_tmrRight;
    QPointer<QWidget> m_hookedWindow;

    int m_shown = 0;
    int m_hot = 0;
    int m_pressed = 0;
    toolbar::ChevronLook m_chevronLook = toolbar::ChevronLook::Normal;
    bool m_inResize = false;
};
