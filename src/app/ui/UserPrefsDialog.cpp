#include "app/ui/UserPrefsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>

#include "app/ui/DialogParts.h"
#include "data/Notices.h"
#include "data/Preferences.h"
#include "data/Records.h"
#include "platform/Picture.h"
#include "platform/Translate.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/NumberEntry.h"

namespace tko {

UserPrefsDialog::UserPrefsDialog(Database& db, const std::string& user, QWidget* parent)
    : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("UserPrefsDialog"));
    setWindowTitle(QStringLiteral("Update User Preferences"));
    setWhatsThis(QStringLiteral("~Update_User_Preferences_Window"));

    m_for = new QLabel(this);
    m_for->setObjectName(QStringLiteral("forLabel"));
    m_priority = new QLineEdit(this);
    m_priority->setObjectName(QStringLiteral("priorityEdit"));
    restrictToNumber(m_priority, QStringLiteral("@n1"));
    m_priority->setToolTip(QStringLiteral("Default priorty for new assignments"));
    m_priority->setMaximumWidth(40);
    m_person = new QLineEdit(this);
    m_person->setObjectName(QStringLiteral("personEdit"));
    m_person->setMaxLength(UserPref::Width::PERSON);
    m_person->setToolTip(QStringLiteral("Disabled because of bug. Will be fixed in later version"));
    m_person->setEnabled(false);
    m_lookup = new QToolButton(this);
    m_lookup->setText(QStringLiteral("..."));
    m_lookup->setEnabled(false);
    m_alarm = new QCheckBox(QStringLiteral("Reminders and Assignments Due Alert"), this);
    m_alarm->setObjectName(QStringLiteral("alarmCheck"));
    m_alarm->setToolTip(QStringLiteral("Notiy user when assignments or reminders are due"));
    m_conclude = new QCheckBox(QStringLiteral("Assignee can conclude"), this);
    m_conclude->setObjectName(QStringLiteral("concludeCheck"));
    m_port = new QComboBox(this);
    m_port->setObjectName(QStringLiteral("portCombo"));
    m_port->addItems({QStringLiteral("com1"), QStringLiteral("com2"), QStringLiteral("com3"),
                      QStringLiteral("com4")});
    m_delay = new QLineEdit(this);
    m_delay->setObjectName(QStringLiteral("delayEdit"));
    restrictToNumber(m_delay, QStringLiteral("@n6"));
    m_delay->setToolTip(QStringLiteral("Handset release delay"));
    m_delay->setMaximumWidth(80);

    auto* personRow = new QHBoxLayout;
    personRow->addWidget(m_person);
    personRow->addWidget(m_lookup);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("For:"), m_for);
    form->addRow(QStringLiteral("Priority:"), m_priority);
    form->addRow(QStringLiteral("Person:"), personRow);
    form->addRow(m_alarm);
    form->addRow(m_conclude);
    form->addRow(QStringLiteral("Port"), m_port);
    form->addRow(QStringLiteral("Delay:"), m_delay);
    m_language = new QPushButton(QStringLiteral("&Language..."), this);
    m_language->setObjectName(QStringLiteral("languageButton"));
    m_language->setToolTip(QStringLiteral("Choose the language of the program"));
    form->addRow(QStringLiteral("Language:"), m_language);
    const char* noticeTexts[4][2] = {
        {"New assignments given to me", "Mail me when someone gives me an assignment"},
        {"My assignments changed by others", "Mail me when someone changes my assignment"},
        {"Work I gave concluded", "Mail me when an assignment I gave is concluded"},
        {"Daily digest of my due work", "Mail me once a day what is due"}};
    const char* noticeNames[4] = {"noticeNewCheck", "noticeChangedCheck", "noticeConcludedCheck",
                                  "noticeDigestCheck"};
    auto* notices = new QGroupBox(QStringLiteral("Notices by e-mail"), this);
    notices->setObjectName(QStringLiteral("noticesGroup"));
    auto* noticeRows = new QVBoxLayout(notices);
    for (int i = 0; i < 4; ++i) {
        m_notices[i] = new QCheckBox(QLatin1String(noticeTexts[i][0]), notices);
        m_notices[i]->setObjectName(QLatin1String(noticeNames[i]));
        m_notices[i]->setToolTip(QLatin1String(noticeTexts[i][1]));
        noticeRows->addWidget(m_notices[i]);
    }
    form->addRow(notices);

    auto* calendar = new QGroupBox(QStringLiteral("Calendar server (CalDAV)"), this);
    calendar->setObjectName(QStringLiteral("calendarGroup"));
    auto* calendarRows = new QFormLayout(calendar);
    m_caldavUrl = new QLineEdit(calendar);
    m_caldavUrl->setObjectName(QStringLiteral("caldavUrlEdit"));
    m_caldavUrl->setMinimumWidth(320);
    m_caldavUrl->setToolTip(
        QStringLiteral("Address of your to-do collection (blank: no calendar sync)"));
    m_caldavUser = new QLineEdit(calendar);
    m_caldavUser->setObjectName(QStringLiteral("caldavUserEdit"));
    m_caldavUser->setToolTip(QStringLiteral("Your user name at the calendar server"));
    m_caldavPassword = new QLineEdit(calendar);
    m_caldavPassword->setObjectName(QStringLiteral("caldavPasswordEdit"));
    m_caldavPassword->setToolTip(QStringLiteral("Your password at the calendar server"));
    m_caldavPassword->setEchoMode(QLineEdit::Password);
    m_caldavForget = new QCheckBox(QStringLiteral("Forget the stored password"), calendar);
    m_caldavForget->setObjectName(QStringLiteral("caldavForgetCheck"));
    m_caldavGives = new QCheckBox(QStringLiteral("and the work I give"), calendar);
    m_caldavGives->setObjectName(QStringLiteral("caldavGivesCheck"));
    m_caldavGives->setToolTip(
        QStringLiteral("Put the open assignments I give to others on my calendar too"));
    calendarRows->addRow(QStringLiteral("Collection URL:"), m_caldavUrl);
    calendarRows->addRow(QStringLiteral("User name:"), m_caldavUser);
    calendarRows->addRow(QStringLiteral("Password:"), m_caldavPassword);
    calendarRows->addRow(m_caldavForget);
    calendarRows->addRow(QStringLiteral("Synced: my open work"), m_caldavGives);
    form->addRow(calendar);
    const DialogButtons buttons = addDialogButtons(this, true);
    connect(buttons.ok, &QPushButton::clicked, this, &UserPrefsDialog::save);
    form->addRow(buttons.box);

    if (!loadUserPref(m_db, user, m_current, m_request).ok())
        MessageBox::showStandard(this, 35, QString::fromStdString(m_db.lastError().describe()),
                                 QStringLiteral("USERPREF"));
    m_loaded = m_current;
    display(m_current);
    m_user = user;
    if (!readNoticePref(m_db, user, m_noticesLoaded).ok())
        MessageBox::showStandard(this, 35, QString::fromStdString(m_db.lastError().describe()),
                                 QStringLiteral("NOTICEPREF"));
    const std::uint8_t choices[4] = {m_noticesLoaded.NEWWORK, m_noticesLoaded.CHANGED,
                                     m_noticesLoaded.CONCLUDED, m_noticesLoaded.DIGEST};
    for (int i = 0; i < 4; ++i) m_notices[i]->setChecked(choices[i] != 0);
    if (!sync::readCalDavSettings(m_db, user, m_caldavLoaded).ok())
        MessageBox::showStandard(this, 35, QString::fromStdString(m_db.lastError().describe()),
                                 QStringLiteral("CALDAVUSER"));
    showCalendar();
}

void UserPrefsDialog::showCalendar() {
    m_caldavUrl->setText(QString::fromStdString(m_caldavLoaded.url));
    m_caldavUser->setText(QString::fromStdString(m_caldavLoaded.login));
    m_caldavPassword->clear();
    m_caldavPassword->setPlaceholderText(QString::fromStdString(
        translateText(m_caldavLoaded.passwordStored ? "stored; type to replace" : "none stored")));
    m_caldavForget->setChecked(false);
    m_caldavForget->setEnabled(m_caldavLoaded.passwordStored);
    m_caldavGives->setChecked(m_caldavLoaded.gives);
}

bool UserPrefsDialog::saveCalendar() {
    sync::CalDavSettings typed = m_caldavLoaded;
    typed.url = m_caldavUrl->text().trimmed().toStdString();
    typed.login = m_caldavUser->text().trimmed().toStdString();
    typed.gives = m_caldavGives->isChecked();
    std::optional<std::string> password;
    if (!m_caldavPassword->text().isEmpty())
        password = m_caldavPassword->text().toStdString();
    else if (m_caldavForget->isChecked())
        password = std::string();
    if (!password && typed.url == m_caldavLoaded.url && typed.login == m_caldavLoaded.login &&
        typed.gives == m_caldavLoaded.gives)
        return true;
    std::string refusal;
    if (!sync::storeCalDavSettings(m_db, m_user, typed, password, refusal).ok()) {
        MessageBox::showText(
            this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
            {QString::fromStdString(refusal.empty() ? m_db.lastError().describe() : refusal)},
            MessageBox::Icon::Warning);
        m_caldavUrl->setFocus();
        return false;
    }
    sync::readCalDavSettings(m_db, m_user, m_caldavLoaded);
    showCalendar();
    return true;
}

void UserPrefsDialog::display(const UserPref& pref) {
    m_for->setText(QString::fromStdString(pref.USERNAME));
    m_priority->setText(formatNumber(pref.PRIORITY, u"@n1"));
    m_person->setText(QString::fromStdString(pref.PERSON));
    m_alarm->setChecked(pref.ALARM != 0);
    m_conclude->setChecked(pref.ASSIGNEECONCLUDE != 0);
    const int port = m_port->findText(QString::fromStdString(pref.PORT));
    m_port->setCurrentIndex(port < 0 ? 0 : port);
    m_delay->setText(formatNumber(pref.DELAY, u"@n6"));
}

bool UserPrefsDialog::collect() {
    const auto priority = parseNumber(m_priority->text(), u"@n1", u"Priority");
    const auto priorityCheck = checkPriority(priority.ok() ? static_cast<int>(priority.value) : 0);
    if (!priority.ok() || priorityCheck) {
        if (priorityCheck)
            MessageBox::show(this, *priorityCheck);
        else
            MessageBox::showText(this, priority.error, windowTitle());
        m_priority->setFocus();
        m_priority->selectAll();
        return false;
    }
    const auto delay = parseNumber(m_delay->text(), u"@n6", u"Delay");
    const auto delayCheck = checkDelay(delay.ok() ? static_cast<int>(delay.value) : 0);
    if (!delay.ok() || delayCheck) {
        if (delayCheck)
            MessageBox::show(this, *delayCheck);
        else
            MessageBox::showText(this, delay.error, windowTitle());
        m_delay->setFocus();
        m_delay->selectAll();
        return false;
    }
    m_current.PRIORITY = static_cast<std::int16_t>(priority.value);
    m_current.DELAY = static_cast<std::int16_t>(delay.value);
    m_current.ALARM = m_alarm->isChecked() ? 1 : 0;
    m_current.ASSIGNEECONCLUDE = m_conclude->isChecked() ? 1 : 0;
    m_current.PORT = m_port->currentText().toStdString();
    return true;
}

void UserPrefsDialog::save() {
    // The choice of notices first: a failure leaves the dialog open.
    NoticePref notices = m_noticesLoaded;
    std::uint8_t* choices[4] = {&notices.NEWWORK, &notices.CHANGED, &notices.CONCLUDED,
                                &notices.DIGEST};
    for (int i = 0; i < 4; ++i) *choices[i] = m_notices[i]->isChecked() ? 1 : 0;
    if (!notices.sameValues(m_noticesLoaded)) {
        Session own;
        own.GlobalUser = m_user;
        std::string refusal;
        if (!storeNoticePref(m_db, own, notices, refusal).ok() || !refusal.empty()) {
            MessageBox::showText(
                this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                {QString::fromStdString(refusal.empty() ? m_db.lastError().describe() : refusal)},
                MessageBox::Icon::Warning);
            return;
        }
        m_noticesLoaded = notices;
    }
    if (!saveCalendar()) return;
    bool again = true;
    while (again) {
        if (!collect()) return;
        again = actOnSaveOutcome(this, saveUserPref(m_db, m_request, m_current, m_loaded), [this] {
            m_loaded = m_current;
            display(m_current);
        });
    }
}

}  // namespace tko
