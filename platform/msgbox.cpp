#include "platform/msgbox.h"

#include "platform/eventwait.h"
#include "platform/x11window.h"

#include <QMessageBox>
#include <QPushButton>

namespace platform {
namespace {

BoxHandler& handler() {
    static BoxHandler h;
    return h;
}

// What a box closed without a button answers.
BoxAnswer closedAnswer(BoxButtons buttons) {
    return buttons == BoxButtons::YesNo ? BoxAnswer::No : BoxAnswer::Ok;
}

QMessageBox::Icon boxIcon(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::Critical:
        return QMessageBox::Critical;
    case BoxIcon::Question:
        return QMessageBox::Question;
    case BoxIcon::Exclamation:
        return QMessageBox::Warning;
    case BoxIcon::Information:
        return QMessageBox::Information;
    case BoxIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QString boxCaption(const QString& title) {
    // The program's title, whatever its executable is called.
    return title.isEmpty() ? QStringLiteral("Quillor") : title;
}

BoxAnswer messageBox(const QString& text, const QString& title, BoxButtons buttons, BoxIcon icon,
                     QWidget* owner) {
    if (programEnding())
        return closedAnswer(buttons);
    if (handler())
        return handler()(text, boxCaption(title), buttons, icon);
    const WaitScope scope;
    QMessageBox box(owner);
    followOwner(&box);
    box.setWindowTitle(boxCaption(title));
    // Texts from the service are shown as written, never as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setIcon(boxIcon(icon));
    if (buttons == BoxButtons::YesNo) {
        QAbstractButton* yes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        QAbstractButton* no = box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? BoxAnswer::Yes : BoxAnswer::No;
    }
    box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole);
    box.exec();
    return BoxAnswer::Ok;
}

void setMessageBoxHandler(BoxHandler h) { handler() = std::move(h); }

} // namespace platform
