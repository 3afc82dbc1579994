#pragma once

#include "platform/forms.h"

class QFrame;
class QLabel;
class QLineEdit;
class QTimer;
class SkinButton;

// The verification-code dialog: shows the service's code picture and takes the four characters.
class DoForm : public platform::Form {
    Q_OBJECT
public:
    DoForm();

    // Downloads and shows the code picture; closes the dialog when that fails.
    void Loadyzm();
    // Lays the dialog out for the code, loads the picture and shows it modally over `owner`;
    // returns when it has closed (at once when the picture could not be had).
    void openForCode(QWidget* owner);

    QFrame* Frame3;
    QLabel* Picture2;
    QLabel* Label2;
    QLineEdit* Text1;
    SkinButton* Command1;
    QTimer* Timer2; // makes the confirm button usable three seconds after the picture appears

protected:
    bool queryUnload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Command1_Click();
    bool m_failed = false;
};
