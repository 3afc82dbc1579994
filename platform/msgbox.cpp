#include "platform/msgbox.h"

#include <QMessageBox>
#include <QPushButton>

namespace platform {
namespace {
BoxHandler& handler() {
    static BoxHandler h;
    return h;
}
} // namespace

BoxAnswer messageBox(const QString& text, const QString& title, BoxButtons buttons, BoxIcon icon,
                     QWidget* owner) {
    if (handler())
        return handler()(text, title, buttons, icon);
    QMessageBox box(owner);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
    case BoxIcon::None:
        break;
    case BoxIcon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case BoxIcon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case BoxIcon::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case BoxIcon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    if (buttons == BoxButtons::YesNo) {
        box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        QAbstractButton* no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == no ? BoxAnswer::No : BoxAnswer::Yes;
    }
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
    return BoxAnswer::Ok;
}

void setMessageBoxHandler(BoxHandler h) { handler() = std::move(h); }

} // namespace platform
