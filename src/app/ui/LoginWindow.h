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

    // How the window ended: the last outcome (loggedIn() on success).
    const LoginOutcome& outcome() const { return m_outcome; }

    QLineEdit* userNameEdit() const { return m_userName; }
    QLineEdit* passwordEdit() const { return m_password; }

private:
    void tryLogin();

    LoginAttempts m_attempts;
    LoginOutcome m_outcome;
    QLineEdit* m_userName = nullptr;
    QLineEdit* m_password = nullptr;
};

}  // namespace tko
