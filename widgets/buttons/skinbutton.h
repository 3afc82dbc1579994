#pragma once

#include "platform/colors.h"
#include "widgets/buttons/buttonface.h"

#include <QImage>
#include <QPixmap>
#include <QRegion>
#include <QString>
#include <QWidget>

namespace platform {
class PropertyBag;
}

// The program's command button: a caption (and an optional icon) on a face drawn in one of
// eleven styles, with hover, press, focus and disabled looks. Every change of state or of a
// property repaints the whole face into an image that is then copied to the screen.
//
// A button made with the constructor has the values of a newly placed button (style 0, system
// colours); readProperties() restores a saved one (a missing "Style" reads as 3). Enabled and
// Font are QWidget's own and repaint the face when they change.
class SkinButton : public QWidget {
    Q_OBJECT
public:
    // `State` values.
    enum : int { StateNormal = 1, StateHot = 2, StatePressed = 3, StateDisabled = 4 };
    // `ButtonType` values.
    enum : int { PushButton = 0, ToggleButton = 1 };
    // `IconAlign` and `CaptionAlign` values.
    enum : int { AlignCentre = 0, AlignLeft = 1, AlignRight = 2, AlignTop = 3, AlignBottom = 4 };

    explicit SkinButton(QWidget* parent = nullptr);
    ~SkinButton() override;

    void setCaption(const QString& caption);
    [[nodiscard]] QString caption() const;

    // The `Style` property, 0 to 10.
    void setButtonStyle(int style);
    [[nodiscard]] int buttonStyle() const;

    void setIcon(const QPixmap& icon);
    [[nodiscard]] QPixmap icon() const;
    void setIconAlign(int align);
    [[nodiscard]] int iconAlign() const;
    void setIconSize(int size);
    [[nodiscard]] int iconSize() const;
    void setCaptionAlign(int align);
    [[nodiscard]] int captionAlign() const;
    // The style that replaces style 6 when the desktop draws no themed push button.
    void setNonThemeStyle(int style);
    [[nodiscard]] int nonThemeStyle() const;
    void setShowFocus(bool show);
    [[nodiscard]] bool showFocus() const;
    void setUseCustomColors(bool use);
    [[nodiscard]] bool useCustomColors() const;
    void setBackColor(platform::OleColor color);
    [[nodiscard]] platform::OleColor backColor() const;
    void setHighlightColor(platform::OleColor color);
    [[nodiscard]] platform::OleColor highlightColor() const;
    void setFontColor(platform::OleColor color);
    [[nodiscard]] platform::OleColor fontColor() const;
    void setFontHighlightColor(platform::OleColor color);
    [[nodiscard]] platform::OleColor fontHighlightColor() const;
    void setButtonType(int type);
    [[nodiscard]] int buttonType() const;
    // Pointer shape by the classic numbers (0 default, 1 arrow, 2 cross, 3 I-beam, 11 hourglass...).
    void setMousePointer(int pointer);
    [[nodiscard]] int mousePointer() const;
    // Toggle state of a toggle button; setting it raises no Click.
    void setValue(bool value);
    [[nodiscard]] bool value() const;
    void setMaskColor(platform::OleColor color);
    [[nodiscard]] platform::OleColor maskColor() const;
    void setUseMaskColor(bool use);
    [[nodiscard]] bool useMaskColor() const;

    // The host shows this button as its default button (styles 0 and 5 mark it).
    void setDisplayAsDefault(bool isDefault);
    [[nodiscard]] bool displayAsDefault() const;

    // Repaints the face.
    void Refresh();
    [[nodiscard]] static QString Version();
    // Greyed copy of an icon at (x, y), width x height; false (nothing drawn) without an icon or
    // surface.
    static bool PaintIconGrayscale(QImage& surface, const QPixmap& icon, int x, int y, int height, int width);
    // Opens the link with the desktop's default program: above 32 on success, 2 on failure.
    int OpenLink(const QString& link);

    // Saved properties: restore from and store into the host's bag.
    void readProperties(const platform::PropertyBag& bag);
    void writeProperties(platform::PropertyBag& bag) const;

    // What the face shows now: `State`, the focus and hover flags, the painted face, the caption
    // rectangle and flags, the window region.
    [[nodiscard]] int state() const { return m_state; }
    [[nodiscard]] bool hasFocusFlag() const { return m_hasFocus; }
    [[nodiscard]] bool mouseInside() const { return m_mouseInside; }
    [[nodiscard]] const QImage& surface() const { return m_face.surface; }
    [[nodiscard]] buttons::Rect captionRect() const { return m_captionRect; }
    [[nodiscard]] int captionFormat() const { return m_captionFormat; }
    [[nodiscard]] QRegion windowRegion() const { return m_windowRegion; }
    [[nodiscard]] int lastMouseButton() const { return m_lastMouseButton; }

signals:
    void Click();
    void MouseEnter();
    void MouseLeave();
    // A saved property changed (by its property name), so the host stores the button again.
    void propertyChanged(const QString& name);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void notify(const QString& name);
    template <typename T>
    void setRepainting(T& member, T value, const QString& name);
    void propertyResized(const QString& name);
    void resizeHandling();
    void ApplyWindowRegion();
    void paintFace(int style, bool fallBack);
    void drawIcon(int iconMargin);
    void DrawCaption();
    [[nodiscard]] bool DrawThemePart(int state);
    [[nodiscard]] buttons::FaceLook look() const;
    [[nodiscard]] platform::OleColor face(platform::OleColor custom) const;

    void pressLeft();
    void releaseButton(int button, bool inside);
    void clickHandling();
    void enterHandling();
    void leaveHandling();
    void accessKeyPress();
    void updateAccessKey();
    bool emitClick(); // false when a handler deleted the button

    // Properties.
    int m_style = 0;
    QString m_caption;
    QPixmap m_icon;
    int m_iconAlign = 0;
    int m_iconSize = 16;
    int m_captionAlign = 0;
    int m_nonThemeStyle = 0;
    bool m_showFocus = false;
    bool m_useCustomColors = false;
    platform::OleColor m_backColor = 0;
    platform::OleColor m_highlightColor = 0;
    platform::OleColor m_fontColor = 0;
    platform::OleColor m_fontHighlightColor = 0;
    int m_buttonType = 0;
    int m_mousePointer = 0;
    bool m_value = false;
    platform::OleColor m_maskColor = 0;
    bool m_useMaskColor = false;

    // Tooltip settings, carried from bag to bag.
    QString m_toolTipText;
    QString m_toolTipTitle;
    int m_toolTipIcon = 0;
    int m_toolTipType = 1;
    platform::OleColor m_ttBackColor = 0;
    platform::OleColor m_ttForeColor = 0;

    // Run-time state.
    int m_state = StateNormal;
    bool m_hasFocus = false;
    bool m_shown = false;
    bool m_mouseInside = false;
    int m_lastMouseButton = 0;
    bool m_displayAsDefault = false;
    bool m_pressedInside = false;   // a press inside awaits its release
    bool m_doubleClickPress = false; // the pending release ends a double click: no Click
    bool m_spaceDown = false;
    int m_accessShortcut = 0;

    buttons::ButtonFace m_face;
    buttons::Rect m_buttonRect;
    buttons::Rect m_captionRect;
    int m_captionFormat = 17;
    QRegion m_windowRegion;
};
