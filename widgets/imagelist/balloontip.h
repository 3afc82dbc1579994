#pragma once

#include "platform/colors.h"

#include <QFont>
#include <QString>
#include <QWidget>

namespace platform {
class PropertyBag;
}

// The balloon tooltip a host places on its surface: it holds the balloon's look and text and
// fills and shows the one balloon window of the program (frmToolTip) at the mouse cursor. The
// control itself never shows on its host; it stays 555 x 495 twips whatever the host sizes it to.
//
// Each instance claims the balloon with an owner token (`Ctrl_hWnd`), taken at its first show
// from the window under the point it is given; a balloon shown for one token closes when an
// instance with another token claims it.
class BalloonTip : public QWidget {
    Q_OBJECT
public:
    explicit BalloonTip(QWidget* parent = nullptr);
    ~BalloonTip() override;

    // Saved-property defaults.
    static constexpr platform::OleColor kDefaultBackColor = 0x9BFFFF;
    static constexpr int kDefaultIcon = 2;

    [[nodiscard]] platform::OleColor BackColor() const;
    void setBackColor(platform::OleColor color);
    // Name and size of both balloon texts (the title drawn bold).
    [[nodiscard]] QFont Font() const;
    void setBalloonFont(const QFont& font);
    // Kept and saved; the outline is always black.
    [[nodiscard]] platform::OleColor FrameColor() const;
    void setFrameColor(platform::OleColor color);
    [[nodiscard]] QString TipText() const;
    void setTipText(const QString& text);
    // True from ShowTip to UnShowIng; the balloon closing by itself leaves it set.
    [[nodiscard]] bool Showing() const;
    [[nodiscard]] QString TitleText() const;
    void setTitleText(const QString& text);
    // Kept and saved; the balloon does not use it.
    [[nodiscard]] int Icon() const;
    void setIcon(int icon);
    // Fills the shared balloon state and loads the balloon, which shows itself at the mouse
    // cursor; (stx, sty), screen pixels, only name the owner window at the first show. A balloon
    // already loaded keeps its content.
    void ShowTip(float stx, float sty);
    // The owner token; 0 until the first ShowTip.
    [[nodiscard]] quintptr Ctrl_hWnd() const;
    void setCtrl_hWnd(quintptr token);
    [[nodiscard]] platform::OleColor TitleColor() const;
    void setTitleColor(platform::OleColor color);
    [[nodiscard]] platform::OleColor TipColor() const;
    void setTipColor(platform::OleColor color);
    // Unloads the balloon, whichever instance showed it; harmless when nothing is shown.
    void UnShowIng();

    // The host's tag text (the chart keeps the index of the marker the balloon shows).
    [[nodiscard]] QString Tag() const;
    void setTag(const QString& tag);

    // Saved properties: restore from and store into the host's bag.
    void readProperties(const platform::PropertyBag& bag);
    void writeProperties(platform::PropertyBag& bag) const;

signals:
    // A saved property changed (by its saved key), so the host stores the control again.
    void propertyChanged(const QString& name);

private:
    void notify(const QString& name);

    platform::OleColor m_backColor = kDefaultBackColor;
    QFont m_font;
    platform::OleColor m_frameColor = 0;
    QString m_tipText;
    bool m_showing = false;
    QString m_titleText;
    int m_icon = kDefaultIcon;
    quintptr m_ctrlHwnd = 0;
    platform::OleColor m_titleColor = 0;
    platform::OleColor m_tipColor = 0;
    QString m_tag;
};
