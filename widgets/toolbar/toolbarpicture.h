#pragma once

#include <QImage>
#include <QWidget>

namespace toolbar {

// One painted part of the bar (gripper, button strip, chevron): shows the image it is given and
// leaves its input to the toolbar, which watches it.
class ToolbarPicture : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ToolbarPicture)
public:
    explicit ToolbarPicture(const QString& name, QWidget* parent);

    void setImage(QImage image);
    [[nodiscard]] const QImage& image() const { return m_image; }
    [[nodiscard]] QImage& image() { return m_image; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_image;
};

} // namespace toolbar
