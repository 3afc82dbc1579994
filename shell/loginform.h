#pragma once

#include "platform/forms.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QTimer;
class SkinButton;

// The start window: single instance, update swap, remembered account, configuration, login.
class LoginForm : public platform::Form {
    Q_OBJECT
public:
    LoginForm();

    void GetCon();
    bool SendToVip();
    void Unloadmain();

    // Starts the login exactly as a click on Command1 does.
    void Command1_Click();
    void Command2_Click();

    QLineEdit* User;
    QLineEdit* Userpass;
    QCheckBox* Check1;
    SkinButton* Command1;
    SkinButton* Command2;
    QLabel* Labelinfo;
    QLabel* Newuser;
    QLabel* NOpass;
    QLabel* Picture1;
    QTimer* Timer1; // logs in again after a verification code
    QTimer* Timer2; // re-enables the login after a failure

protected:
    void formLoad() override;
    bool queryUnload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void login();
    void backToIdle();
    void loginFailedInside(int number, const QString& description);
};

[[nodiscard]] LoginForm& loginForm();

// What the login window's unload does with the account stored in set.ini. A ticked "remember"
// box with nobody logged in keeps the stored account only while this process never had a
// session (the user closed the window, or gave up on an unreachable service): one outage must
// not cost the user the remembered password. After a log-out, the user's own or the forced one
// of a login elsewhere, it is forgotten, so that the next start waits for the user instead of
// logging in by itself (on a shared PC, or pushing the other session out again).
enum class RememberedAccount { Store, Keep, Clear };
[[nodiscard]] RememberedAccount rememberedAccountOnUnload(bool rememberTicked, bool loggedIn, bool hadSession);

// The product web site of the login window's links (a fixed address, not the service's).
[[nodiscard]] QString productSitePage(const QString& path);
