#pragma once

#include "platform/forms.h"

#include <QString>

class QLabel;
class QTimer;
class SkinButton;

// The program's message box: a text beside a fixed picture, with "确定" for a plain notice or
// "是" and "否" when it carries a link, which "是" or a click on the text opens. ShowMsg makes a
// new one per call; Escape closes it and every other key goes on to the main window.
class Msgform : public platform::Form {
    Q_OBJECT
public:
    Msgform();

    QLabel* Label1;   // the text; the dynamic property "Tag" holds the link
    QLabel* Image1;
    SkinButton* Command1;
    SkinButton* Command2;
    SkinButton* Command3;
    QTimer* Timer1;   // auto-close, off until ShowMsg arms it

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Label1_Click();
    void Timer1_Timer();

    bool m_label1Pressed = false;
};

// Shows a new message box with Text and the caption Title ("Quillor" when empty),
// owned by Owner (none when null). An empty Link gives a plain notice; otherwise the box offers
// to open Link with OpenUrl, which only "是" or a click on the text does: a box closed any other
// way opens nothing. Modal returns when the box has closed, else at once. AutoCloseMs above 0
// closes the box after that many milliseconds; 0 (or less) leaves it open until the user closes
// it. Nothing is shown once the program is ending.
void ShowMsg(const QString& Text, const QString& Title, QWidget* Owner = nullptr,
             const QString& Link = {}, bool Modal = false, int AutoCloseMs = 0);

// The members-only notice, owned by the main window while it is loaded, pointing at the
// membership page and closing itself after five seconds.
void ShowVipMsg();

// The membership page on the service's web site; the first configuration host stands in for the
// site until the configuration has named it.
[[nodiscard]] QString vipPageUrl();
