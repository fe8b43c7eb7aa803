#include "app/ui/ChangePasswordDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/ui/DialogParts.h"
#include "data/Password.h"
#include "data/Preferences.h"
#include "platform/ui/MessageBox.h"

namespace tko {

ChangePasswordDialog::ChangePasswordDialog(Database& db, const std::string& user, QWidget* parent)
    : QDialog(parent), m_db(db), m_user(user) {
    setObjectName(QStringLiteral("ChangePasswordDialog"));
    setWindowTitle(QStringLiteral("Change User Password"));
    setToolTip(QStringLiteral("Enter password twice"));
    setWhatsThis(QStringLiteral("~Change_User_Password_Window"));
    auto makeEdit = [this](const char* name, const char* tip) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        edit->setEchoMode(QLineEdit::Password);
        edit->setMaxLength(kPasswordLength);
        edit->setToolTip(QLatin1String(tip));
        return edit;
    };
    m_first = makeEdit("newPasswordEdit", "First password entry");
    m_second = makeEdit("newPassword2Edit", "Second password entry");
    auto* form = new QFormLayout(this);
    auto* l1 = new QLabel(QStringLiteral("&New Password:"), this);
    l1->setBuddy(m_first);
    auto* l2 = new QLabel(QStringLiteral("New Password &2:"), this);
    l2->setBuddy(m_second);
    form->addRow(l1, m_first);
    form->addRow(l2, m_second);
    const DialogButtons buttons = addDialogButtons(this, false);
    connect(buttons.ok, &QPushButton::clicked, this, &ChangePasswordDialog::save);
    form->addRow(buttons.box);
}

void ChangePasswordDialog::save() {
    std::string cleaned;
    const std::string problem =
        checkNewPassword(m_first->text().toStdString(), m_second->text().toStdString(), cleaned);
    if (!problem.empty()) {
        MessageBox::showText(this, QString::fromStdString(problem), windowTitle(),
                             MessageButtons::Ok, {}, MessageBox::Icon::Warning);
        m_first->setFocus();
        m_first->selectAll();
        return;
    }
    const PasswordChange result = changePassword(m_db, m_user, cleaned);
    MessageBox::showText(this, QString::fromStdString(result.message), windowTitle(),
                         MessageButtons::Ok, {},
                         result.ok        ? MessageBox::Icon::Information
                         : result.refused ? MessageBox::Icon::Warning
                                          : MessageBox::Icon::Critical);
    if (result.refused) {
        m_first->clear();
        m_second->clear();
        m_first->setFocus();
    } else if (result.ok) {
        accept();
    } else if (result.fatal) {
        m_fatal = true;
        reject();
    }
}

}  // namespace tko
