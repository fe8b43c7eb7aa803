#include "notices/ui/MailSettingsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

#include <optional>

#include "data/Notices.h"
#include "notices/OutboxSender.h"
#include "platform/Translate.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/MessageBox.h"

namespace tko {

namespace {

QLineEdit* textEdit(QWidget* parent, const char* name, int width, const char* tip) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(width);
    edit->setToolTip(QLatin1String(tip));
    return edit;
}

}  // namespace

MailSettingsDialog::MailSettingsDialog(Database& db, const Session& session,
                                       const QString& programDir, QWidget* parent)
    : QDialog(parent), m_db(db), m_session(session), m_programDir(programDir) {
    setObjectName(QStringLiteral("MailSettingsDialog"));
    setWindowTitle(QStringLiteral("Mail Server"));
    m_host = textEdit(this, "hostEdit", MailSetup::Width::HOST,
                      "Name of the mail server (blank: no notices by mail)");
    m_port = new QSpinBox(this);
    m_port->setObjectName(QStringLiteral("portSpin"));
    m_port->setRange(1, 65535);
    m_port->setToolTip(QStringLiteral("Port of the mail server"));
    m_security = new QComboBox(this);
    m_security->setObjectName(QStringLiteral("securityCombo"));
    m_security->addItems(
        {QStringLiteral("None"), QStringLiteral("STARTTLS"), QStringLiteral("TLS")});
    m_security->setToolTip(QStringLiteral("How the connection to the server is secured"));
    m_user = textEdit(this, "userEdit", MailSetup::Width::USER, "User name at the mail server");
    m_password = textEdit(this, "passwordEdit", 128, "Password at the mail server");
    m_password->setEchoMode(QLineEdit::Password);
    m_forget = new QCheckBox(QStringLiteral("Forget the stored password"), this);
    m_forget->setObjectName(QStringLiteral("forgetCheck"));
    m_from = textEdit(this, "fromEdit", MailSetup::Width::FROMADDRESS,
                      "Address the notices are sent from");
    m_testTo = textEdit(this, "testToEdit", 100, "Address the test message goes to");
    auto* test = new QPushButton(QStringLiteral("Send a &test message"), this);
    test->setObjectName(QStringLiteral("testButton"));
    test->setToolTip(QStringLiteral("Send a test message with these settings"));
    m_troubles = new QPlainTextEdit(this);
    m_troubles->setObjectName(QStringLiteral("troublesText"));
    m_troubles->setReadOnly(true);
    m_troubles->setToolTip(QStringLiteral("Notices that could not be sent"));

    m_testTo->setAccessibleName(QStringLiteral("Test message to:"));
    auto* testRow = new QHBoxLayout;
    testRow->addWidget(m_testTo);
    testRow->addWidget(test);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Mail server:"), m_host);
    form->addRow(QStringLiteral("Port:"), m_port);
    form->addRow(QStringLiteral("Security:"), m_security);
    form->addRow(QStringLiteral("User name:"), m_user);
    form->addRow(QStringLiteral("Password:"), m_password);
    form->addRow(m_forget);
    form->addRow(QStringLiteral("Sender address:"), m_from);
    form->addRow(QStringLiteral("Test message to:"), testRow);
    form->addRow(QStringLiteral("Not sent:"), m_troubles);
    const DialogButtons buttons = addDialogButtons(this, false);
    connect(buttons.ok, &QPushButton::clicked, this, &MailSettingsDialog::save);
    connect(test, &QPushButton::clicked, this, &MailSettingsDialog::sendTest);
    form->addRow(buttons.box);
    setMinimumWidth(520);

    if (!readMailSetup(m_db, m_loaded).ok())
        MessageBox::showStandard(this, 35, QString::fromStdString(m_db.lastError().describe()),
                                 QStringLiteral("MAILSETUP"));
    m_host->setText(QString::fromStdString(store::rtrim(m_loaded.HOST)));
    m_port->setValue(m_loaded.PORT > 0 ? m_loaded.PORT : 25);
    m_security->setCurrentIndex(m_loaded.SECURITY <= 2 ? m_loaded.SECURITY : 0);
    m_user->setText(QString::fromStdString(store::rtrim(m_loaded.USER)));
    const bool stored = !store::rtrim(m_loaded.PASSWORD).empty();
    m_password->setPlaceholderText(
        QString::fromStdString(translateText(stored ? "stored; type to replace" : "none stored")));
    m_forget->setEnabled(stored);
    m_from->setText(QString::fromStdString(store::rtrim(m_loaded.FROMADDRESS)));
    std::string own;
    if (addressOf(m_db, m_session.GlobalUser, own).ok())
        m_testTo->setText(QString::fromStdString(own));
    std::vector<Outbox> troubled;
    if (troubledNotices(m_db, troubled).ok())
        for (const Outbox& row : troubled)
            m_troubles->appendPlainText(QString::fromStdString(
                store::rtrim(row.RECIPIENT) + " (" + std::to_string(row.ASSIGNNUMBER) + "), " +
                std::to_string(row.TRIES) + ": " + store::rtrim(row.LASTERROR)));
}

MailSetup MailSettingsDialog::collected() const {
    MailSetup setup = m_loaded;
    setup.HOST = m_host->text().trimmed().toStdString();
    setup.PORT = m_port->value();
    setup.SECURITY = static_cast<std::uint8_t>(m_security->currentIndex());
    setup.USER = m_user->text().trimmed().toStdString();
    setup.FROMADDRESS = m_from->text().trimmed().toStdString();
    return setup;
}

void MailSettingsDialog::sendTest() {
    const MailSetup setup = collected();
    std::string problem = mailSetupProblem(setup);
    if (!mailConfigured(setup)) problem = translateText(kNoMailServer);
    std::string password = m_password->text().toStdString();
    if (problem.empty() && password.empty() && !m_forget->isChecked() &&
        !openMailPassword(m_db, m_loaded, password))
        problem = translateText(kMailPasswordUnreadable);
    if (!problem.empty()) {
        MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                             {QString::fromStdString(problem)}, MessageBox::Icon::Warning);
        return;
    }
    NoticePref pref;
    readNoticePref(m_db, m_session.GlobalUser, pref);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const SmtpResult sent = sendTestMessage(
        setup, password, m_testTo->text().trimmed().toStdString(), m_programDir, pref.LANGUAGE);
    QApplication::restoreOverrideCursor();
    if (sent.ok)
        MessageBox::showText(this, QStringLiteral("The test message was sent."), windowTitle());
    else
        MessageBox::showText(this, QStringLiteral("The test message was not sent: %1"),
                             windowTitle(), MessageButtons::Ok,
                             {QString::fromStdString(sent.error)}, MessageBox::Icon::Warning);
}

void MailSettingsDialog::save() {
    const MailSetup setup = collected();
    if (const std::string problem = mailSetupProblem(setup); !problem.empty()) {
        MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                             {QString::fromStdString(problem)}, MessageBox::Icon::Warning);
        return;
    }
    std::optional<std::string> password;
    if (m_forget->isChecked()) password = std::string();
    if (!m_password->text().isEmpty()) password = m_password->text().toStdString();
    std::string refusal;
    if (!storeMailSetup(m_db, m_session, setup, password, refusal).ok()) {
        MessageBox::showStandard(this, 15, QString::fromStdString(m_db.lastError().describe()),
                                 QStringLiteral("MAILSETUP"));
        return;
    }
    if (!refusal.empty()) {
        MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                             {QString::fromStdString(refusal)}, MessageBox::Icon::Warning);
        return;
    }
    accept();
}

}  // namespace tko
