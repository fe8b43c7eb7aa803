#include "app/ui/LoginWindow.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ui/DialogParts.h"
#include "data/Password.h"
#include "data/Records.h"
#include "platform/ui/MessageBox.h"

namespace tko {

LoginWindow::LoginWindow(Database& db, QWidget* parent) : QDialog(parent), m_attempts(db) {
    setObjectName(QStringLiteral("LoginWindow"));
    setWindowTitle(QStringLiteral("TASKORBIT"));
    setWhatsThis(QStringLiteral("~Log_In_Window"));

    auto* title = new QLabel(QStringLiteral("TASKORBIT"), this);
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 8);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    auto* subtitle = new QLabel(QStringLiteral("Multi-User"), this);
    subtitle->setAlignment(Qt::AlignCenter);

    m_userName = new QLineEdit(this);
    m_userName->setObjectName(QStringLiteral("userNameEdit"));
    m_userName->setMaxLength(User::Width::USERNAME);
    m_userName->setProperty("picture", QStringLiteral("@s15"));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("passwordEdit"));
    m_password->setMaxLength(kPasswordLength);
    m_password->setEchoMode(QLineEdit::Password);

    auto* form = new QFormLayout;
    auto* userLabel = new QLabel(QStringLiteral("&User Name:"), this);
    userLabel->setBuddy(m_userName);
    auto* passwordLabel = new QLabel(QStringLiteral("&Password:"), this);
    passwordLabel->setBuddy(m_password);
    form->addRow(userLabel, m_userName);
    form->addRow(passwordLabel, m_password);

    const DialogButtons buttons = addDialogButtons(this, false);
    connect(buttons.ok, &QPushButton::clicked, this, &LoginWindow::tryLogin);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(subtitle);
    layout->addSpacing(12);
    layout->addLayout(form);
    layout->addWidget(buttons.box);
    setMinimumWidth(320);
}

void LoginWindow::tryLogin() {
    m_outcome = m_attempts.attempt(m_userName->text().toStdString(),
                                   m_password->text().toStdString(), m_loggedIn);
    if (m_outcome.ok()) {
        accept();
        return;
    }
    showOutcome(this, m_outcome, QStringLiteral("TASKORBIT"));
    if (endsLoginWindow(m_outcome)) {
        reject();
        return;
    }
    QLineEdit* focus = m_outcome.field == "username" ? m_userName : m_password;
    focus->setFocus();
    focus->selectAll();
}

}  // namespace tko
