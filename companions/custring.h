#pragma once

#include "platform/forms.h"

#include <QString>

class QLabel;
class QPushButton;

// The alert pop-up ("提醒"). It sounds once when it loads, unless the user muted alerts; showing
// it again while it is open only replaces the message. Closing it ends the sound.
class CustRingForm : public platform::Form {
    Q_OBJECT
public:
    CustRingForm();

    QLabel* Label1;
    QPushButton* Command1; // "知道了"

protected:
    void formLoad() override;
    bool queryUnload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

[[nodiscard]] CustRingForm& custRing();

// Puts the message into the pop-up and shows it, not modal, over `owner` (none for a free window).
void showCustRing(const QString& text, QWidget* owner);
