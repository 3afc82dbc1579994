#include "platform/boxfit.h"

#include <QComboBox>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>
#include <vector>

namespace platform {

int boxWidthForItems(const QComboBox& box) {
    int text = 0;
    const QFontMetrics fm = box.fontMetrics();
    for (int i = 0; i < box.count(); ++i)
        text = std::max(text, fm.horizontalAdvance(box.itemText(i)));
    QStyleOptionComboBox opt;
    opt.initFrom(&box);
    opt.editable = box.isEditable();
    opt.frame = box.hasFrame();
    const QSize contents(text + 4, std::max(fm.height(), 14));
    return box.style()->sizeFromContents(QStyle::CT_ComboBox, &opt, contents, &box).width();
}

int fitBoxToItems(QComboBox& box, bool growParent) {
    const int extra = boxWidthForItems(box) - box.width();
    if (extra <= 0) return 0;
    QWidget* parent = box.parentWidget();
    std::vector<QWidget*> after;
    if (parent != nullptr)
        for (QWidget* w : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w != &box && w->x() >= box.geometry().right() && w->y() < box.geometry().bottom() &&
                w->geometry().bottom() > box.y())
                after.push_back(w);
    box.resize(box.width() + extra, box.height());
    int right = box.geometry().right();
    for (QWidget* w : after) {
        w->move(w->x() + extra, w->y());
        right = std::max(right, w->geometry().right());
    }
    if (growParent && parent != nullptr && right + 4 > parent->width()) {
        const int width = right + 4;
        if (parent->minimumWidth() == parent->maximumWidth())
            parent->setFixedWidth(width);
        else
            parent->resize(width, parent->height());
    }
    return extra;
}

} // namespace platform
