#pragma once

#include "platform/colors.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

#include <array>

namespace platform {
class PropertyBag;
}

// A button made of four pictures: normal (Pic1), hover (Pic2), pressed or set (Pic3) and
// disabled (Pic4). It sizes itself to the normal picture and reports the mouse to its host.
// Mouse positions in its events are in twips, the control's scale.
class TyButton : public QWidget {
    Q_OBJECT
public:
    explicit TyButton(QWidget* parent = nullptr);
    ~TyButton() override;

    // While set, the mouse handlers and Refresh() do nothing.
    void setNotdo(bool notdo) { m_notdo = notdo; }
    [[nodiscard]] bool notdo() const { return m_notdo; }

    // Non-zero: the button is set (shows pressed, no hover). Assigning does not repaint.
    void setValue(int value) { m_value = static_cast<int16_t>(value); }
    [[nodiscard]] int value() const { return m_value; }

    void setPicture(const QPixmap& picture);
    [[nodiscard]] QPixmap picture() const { return m_picture; }
    void setPic1(const QPixmap& picture);
    void setPic2(const QPixmap& picture);
    void setPic3(const QPixmap& picture);
    void setPic4(const QPixmap& picture);
    [[nodiscard]] QPixmap pic1() const { return m_pics[1]; }
    [[nodiscard]] QPixmap pic2() const { return m_pics[2]; }
    [[nodiscard]] QPixmap pic3() const { return m_pics[3]; }
    [[nodiscard]] QPixmap pic4() const { return m_pics[0]; }

    void setForeColor(platform::OleColor color) { m_foreColor = color; }
    [[nodiscard]] platform::OleColor foreColor() const { return m_foreColor; }
    void setKeys(const QString& keys) { m_keys = keys; }
    [[nodiscard]] QString keys() const { return m_keys; }

    // Takes the size of the normal picture, then shows it.
    void UserControl_Resize();
    // Shows the hover picture (unless Notdo).
    void Refresh();
    // Shows state vv: 1 normal (the disabled picture while disabled), 2 hover, 3 pressed, 0 disabled.
    void PrintB(int vv);
    // The state whose picture shows now.
    [[nodiscard]] int shownState() const { return m_shownState; }

    void readProperties(const platform::PropertyBag& bag);
    void writeProperties(platform::PropertyBag& bag) const;

signals:
    void Click();
    void MouseDown(int button, int shift, float x, float y);
    void MouseUp(int button, int shift, float x, float y);
    void MouseMove(int button, int shift, float x, float y);
    void MouseOut();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setPic(int slot, const QPixmap& picture);
    void pointerLeft();

    bool m_notdo = false;
    int16_t m_value = 0;
    bool m_over = false;
    bool m_hover = false;
    bool m_pressedInside = false;
    QPixmap m_picture;
    std::array<QPixmap, 4> m_pics; // by state: 0 disabled, 1 normal, 2 hover, 3 pressed
    QSize m_normalHolderSize;      // the normal picture's holder keeps its last picture's size
    platform::OleColor m_foreColor = 0xFFFFFF;
    QString m_keys;
    int m_shownState = 1;
};
