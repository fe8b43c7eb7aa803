// The log-in window: user name and password, OK and Cancel. The rules live in
// LoginAttempts; this window shows their messages and puts the cursor back.
#pragma once

#include <QDialog>

#include "app/Login.h"

class QLineEdit;

namespace tko {

class LoginWindow : public QDialog {
    Q_OBJECT
public:
    LoginWindow(Database& db, QWidget* parent = nullptr);

    // How the window ended: the last outcome (ok() on success) and who was let in.
    const Outcome& outcome() const { return m_outcome; }
    const LoggedIn& loggedIn() const { return m_loggedIn; }

    QLineEdit* userNameEdit() const { return m_userName; }
    QLineEdit* passwordEdit() const { return m_password; }

private:
    void tryLogin();

    LoginAttempts m_attempts;
    Outcome m_outcome = Outcome::refused(kIncorrectUserNameText, "username");
    LoggedIn m_loggedIn;
    QLineEdit* m_userName = nullptr;
    QLineEdit* m_password = nullptr;
};

}  // namespace tko
