#pragma once

#include "widgets/toolbar/toolbarlayout.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <vector>

namespace toolbar {

// The chevron's popup window: a list of items drawn by the toolbar. It closes on a click outside
// (as every popup window does) and reports the item chosen by a release over it.
class ToolbarPopup : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ToolbarPopup)
public:
    using Renderer = std::function<QImage(int hot, bool pressed)>;

    explicit ToolbarPopup(QWidget* owner);

    void setItems(std::vector<PopupItem> items, PopupLayout layout, Renderer render);
    [[nodiscard]] const std::vector<PopupItem>& items() const { return m_items; }
    [[nodiscard]] const PopupLayout& itemLayout() const { return m_layout; }
    [[nodiscard]] int hotItem() const { return m_hot; }
    [[nodiscard]] const QImage& image() const { return m_image; }

signals:
    void chosen(int item);
    void closed();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setHot(int hot, bool pressed);

    std::vector<PopupItem> m_items;
    PopupLayout m_layout;
    Renderer m_render;
    QImage m_image;
    int m_hot = -1;
    bool m_pressed = false;
};

} // namespace toolbar
