#include "users/ui/UserForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "data/Password.h"
#include "data/Workspace.h"
#include "platform/Picture.h"
#include "platform/QtText.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"
#include "users/ui/RightsListPanel.h"

namespace tko {

namespace {

std::string stored(const QString& text) {
    return store::rtrim(text.toStdString());
}

}  // namespace

UserForm::UserForm(Workspace& workspace, Request request, const User& user, QWidget* parent)
    : QDialog(parent), m_workspace(workspace), m_request(request) {
    setObjectName(QStringLiteral("UserForm"));
    setWindowTitle(QStringLiteral("Update User Information"));
    setWhatsThis(QStringLiteral("~Update_User_Information"));
    m_entry.user = user;
    m_original = user;
    m_scaffold = new FormScaffold(this, request, this);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("userTabs"));
    m_tabs->addTab(buildGeneralPage(), QStringLiteral("General"));

    auto* over = new QWidget(this);
    over->setObjectName(QStringLiteral("rightsOverOthersPage"));
    m_assignsTo = new RightsListPanel(workspace, QStringLiteral("assignsTo"),
                                      QStringLiteral("User can give assignments to:"), over);
    m_views = new RightsListPanel(workspace, QStringLiteral("views"),
                                  QStringLiteral("User can view assignments of:"), over);
    auto* overLayout = new QVBoxLayout(over);
    overLayout->addWidget(m_assignsTo);
    overLayout->addWidget(m_views);
    m_tabs->addTab(over, QStringLiteral("User's Rights Over Others"));

    auto* others = new QWidget(this);
    others->setObjectName(QStringLiteral("othersRightsPage"));
    m_assignedBy = new RightsListPanel(workspace, QStringLiteral("assignedBy"),
                                       QStringLiteral("Who can assign to user"), others);
    m_viewedBy = new RightsListPanel(workspace, QStringLiteral("viewedBy"),
                                     QStringLiteral("Who can view user's assignments"), others);
    auto* othersLayout = new QVBoxLayout(others);
    othersLayout->addWidget(m_assignedBy);
    othersLayout->addWidget(m_viewedBy);
    m_tabs->addTab(others, QStringLiteral("Others' Rights Over User"));

    m_notes = new QPlainTextEdit(this);
    m_notes->setObjectName(QStringLiteral("notesEdit"));
    m_tabs->addTab(m_notes, QStringLiteral("Notes"));

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("noticeLabel"));
    m_notice->setWordWrap(true);
    QHBoxLayout* buttons = addFormButtonRow(this, m_scaffold, m_status);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(m_notice);
    layout->addLayout(buttons);
    resize(560, 460);

    m_scaffold->setStatusLabel(m_status);
    m_scaffold->isChanged = [this] { return changed(); };
    m_scaffold->save = [this] { return save(); };
    m_scaffold->remove = [this] { return remove(); };
}

QLineEdit* UserForm::addEdit(QFormLayout* form, const char* name, const QString& caption, int width,
                             bool password) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(width);
    if (password) edit->setEchoMode(QLineEdit::Password);
    // Text beyond the field's width is never taken silently.
    connect(edit, &QLineEdit::inputRejected, this, [this, caption, width] {
        m_notice->setText(QString::fromStdString(
            mergeParameters(translateText("%1 can hold at most %2 characters."),
                            translateText(stored(caption).substr(0, stored(caption).size() - 1)),
                            std::to_string(width))));
    });
    form->addRow(caption, edit);
    return edit;
}

QWidget* UserForm::buildGeneralPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("generalPage"));
    auto* form = new QFormLayout;
    m_userName = addEdit(form, "userNameEdit", QStringLiteral("User Name:"), 15);
    m_lastName = addEdit(form, "lastNameEdit", QStringLiteral("Last Name:"), 20);
    m_firstName = addEdit(form, "firstNameEdit", QStringLiteral("First Name:"), 20);
    m_department = addEdit(form, "departmentEdit", QStringLiteral("Department:"), 40);
    m_password = addEdit(form, "passwordEdit", QStringLiteral("Password:"), kPasswordLength, true);
    m_passwordAgain = new QLineEdit(this);
    m_passwordAgain->setObjectName(QStringLiteral("passwordAgainEdit"));
    m_passwordAgain->setMaxLength(kPasswordLength);
    m_passwordAgain->setEchoMode(QLineEdit::Password);
    m_passwordAgain->setToolTip(QStringLiteral("The password again, to confirm it"));
    form->addRow(QString(), m_passwordAgain);

    m_suspend = new QCheckBox(QStringLiteral("Suspend for Password Failure"), this);
    m_suspend->setObjectName(QStringLiteral("suspendCheck"));
    form->addRow(QString(), m_suspend);

    auto* accessBox = new QGroupBox(QStringLiteral("Access Level"), this);
    accessBox->setObjectName(QStringLiteral("accessLevelGroup"));
    m_accessGroup = new QButtonGroup(this);
    auto* accessLayout = new QVBoxLayout(accessBox);
    for (int level = 0; level < 3; ++level) {
        auto* b = new QRadioButton(QLatin1String(accessLevelName(level)), accessBox);
        b->setObjectName(QStringLiteral("accessLevel%1Radio").arg(level));
        m_accessGroup->addButton(b, level);
        accessLayout->addWidget(b);
        m_access[static_cast<size_t>(level)] = b;
    }
    m_lastChanged = new QLabel(this);
    m_lastChanged->setObjectName(QStringLiteral("lastChangedLabel"));
    form->addRow(accessBox);
    form->addRow(QStringLiteral("Last Changed:"), m_lastChanged);
    if (m_request == Request::Delete) {
        m_heir = new QComboBox(this);
        m_heir->setObjectName(QStringLiteral("heirCombo"));
        form->addRow(QStringLiteral("Hand Over To:"), m_heir);
    }
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addStretch();
    return page;
}

QLineEdit* UserForm::edit(const QString& objectName) const {
    return findChild<QLineEdit*>(objectName);
}

RightsListPanel* UserForm::rights(const QString& objectName) const {
    return findChild<RightsListPanel*>(objectName);
}

bool UserForm::start() {
    if (const Outcome refusal = administratorOnly(m_workspace.session); !refusal.ok()) {
        showOutcome(this, refusal, windowTitle());
        return false;
    }
    if (!m_scaffold->start()) return false;
    if (m_request == Request::Insert) {
        m_entry = UserEntry{};
    } else {
        const Status s =
            loadUser(*m_workspace.db, m_entry.user.USERNAME, m_entry.user, m_entry.rights);
        if (!s.ok()) {
            MessageBox::showStandard(this, 35,
                                     qsClipped(m_workspace.db->lastError().describe().empty()
                                                   ? s.describe()
                                                   : m_workspace.db->lastError().describe()),
                                     QStringLiteral("USERS"));
            return false;
        }
    }
    m_original = m_entry.user;
    display();
    const bool editable = m_request != Request::Delete;
    for (QWidget* w : {static_cast<QWidget*>(m_userName), static_cast<QWidget*>(m_lastName),
                       static_cast<QWidget*>(m_firstName), static_cast<QWidget*>(m_department),
                       static_cast<QWidget*>(m_password), static_cast<QWidget*>(m_passwordAgain),
                       static_cast<QWidget*>(m_suspend), static_cast<QWidget*>(m_notes),
                       static_cast<QWidget*>(m_assignsTo), static_cast<QWidget*>(m_views),
                       static_cast<QWidget*>(m_assignedBy), static_cast<QWidget*>(m_viewedBy)})
        w->setEnabled(editable);
    for (QRadioButton* b : m_access) b->setEnabled(editable);
    if (m_heir) {
        // Every other user may take over; the administrator doing it comes first.
        std::vector<User> users;
        readAllUsers(*m_workspace.db, users);
        const std::string self = store::rtrim(m_workspace.session.GlobalUser);
        for (const User& u : users) {
            if (u.rowPos == m_original.rowPos) continue;
            if (store::rtrim(u.USERNAME) == self)
                m_heir->insertItem(0, qsClipped(u.USERNAME));
            else
                m_heir->addItem(qsClipped(u.USERNAME));
        }
        m_heir->setCurrentIndex(0);
    }
    return true;
}

void UserForm::display() {
    const User& u = m_entry.user;
    m_userName->setText(qsClipped(u.USERNAME));
    m_lastName->setText(qsClipped(u.LASTNAME));
    m_firstName->setText(qsClipped(u.FIRSTNAME));
    m_department->setText(qsClipped(u.DEPARTMENT));
    m_password->clear();
    m_passwordAgain->clear();
    m_suspend->setChecked(u.FAILFLAG != 0);
    m_access[static_cast<size_t>(
                 std::min<int>(u.ACCESSLEVEL, levelNumber(AccessLevel::SystemAdministrator)))]
        ->setChecked(true);
    m_lastChanged->setText(u.DATECHANGED == 0 ? QString()
                                              : QStringLiteral("%1  %2  %3")
                                                    .arg(qsClipped(u.CHANGENAME),
                                                         formatDate(u.DATECHANGED, u"@D18b"),
                                                         formatTime(u.TIMECHANGED, u"@T1")));
    m_notes->setPlainText(QString::fromStdString(u.NOTES));
    m_assignsTo->setNames(m_entry.rights.assignsTo);
    m_views->setNames(m_entry.rights.views);
    m_assignedBy->setNames(m_entry.rights.assignedBy);
    m_viewedBy->setNames(m_entry.rights.viewedBy);
}

UserEntry UserForm::collected() const {
    UserEntry entry = m_entry;
    User& u = entry.user;
    u.USERNAME = stored(m_userName->text().trimmed());
    u.LASTNAME = stored(m_lastName->text());
    u.FIRSTNAME = stored(m_firstName->text());
    u.DEPARTMENT = stored(m_department->text());
    u.FAILFLAG = m_suspend->isChecked() ? 1 : 0;
    u.ACCESSLEVEL = static_cast<std::uint8_t>(std::max(0, m_accessGroup->checkedId()));
    u.NOTES = m_notes->toPlainText().toStdString();
    entry.password = m_password->text().toStdString();
    entry.passwordAgain = m_passwordAgain->text().toStdString();
    entry.rights.assignsTo = m_assignsTo->names();
    entry.rights.views = m_views->names();
    entry.rights.assignedBy = m_assignedBy->names();
    entry.rights.viewedBy = m_viewedBy->names();
    return entry;
}

bool UserForm::changed() const {
    const UserEntry now = collected();
    const User& a = now.user;
    const User& b = m_entry.user;
    return store::rtrim(a.USERNAME) != store::rtrim(b.USERNAME) ||
           store::rtrim(a.LASTNAME) != store::rtrim(b.LASTNAME) ||
           store::rtrim(a.FIRSTNAME) != store::rtrim(b.FIRSTNAME) ||
           store::rtrim(a.DEPARTMENT) != store::rtrim(b.DEPARTMENT) || a.FAILFLAG != b.FAILFLAG ||
           a.ACCESSLEVEL != b.ACCESSLEVEL || a.NOTES != b.NOTES || !now.password.empty() ||
           !now.passwordAgain.empty() || !(now.rights == m_entry.rights) ||
           m_request == Request::Insert;
}

bool UserForm::save() {
    UserEntry entry = collected();
    const Outcome outcome = saveUser(*m_workspace.db, m_workspace.session, m_request, entry,
                                     m_original, Clock::today(), Clock::now());
    switch (outcome.kind) {
        case Outcome::Done:
            followOwnChange(m_workspace.session, m_request, m_original, entry.user);
            m_entry = entry;
            m_original = entry.user;
            m_notice->clear();
            return true;
        case Outcome::ChangedElsewhere:
            showOutcome(this, outcome, windowTitle());
            // The other station's version is shown; saving again starts from it.
            m_entry = entry;
            m_original = entry.user;
            display();
            return false;
        case Outcome::Refused:
            showOutcome(this, outcome, windowTitle());
            if (outcome.field == "password") {
                m_tabs->setCurrentIndex(0);
                m_password->setFocus();
                m_password->selectAll();
            } else if (outcome.field == "username") {
                m_tabs->setCurrentIndex(0);
                m_userName->setFocus();
            } else if (outcome.field == "access") {
                m_tabs->setCurrentIndex(0);
                m_access[2]->setFocus();
            } else if (outcome.field == "notes") {
                m_tabs->setCurrentWidget(m_notes);
                m_notes->setFocus();
            } else {
                const std::pair<const char*, QLineEdit*> entries[] = {{"lastname", m_lastName},
                                                                      {"firstname", m_firstName},
                                                                      {"department", m_department}};
                for (const auto& [field, edit] : entries)
                    if (outcome.field == field) {
                        m_tabs->setCurrentIndex(0);
                        edit->setFocus();
                    }
            }
            return false;
        case Outcome::Failed:
            showOutcome(this, outcome, windowTitle());
            return false;
    }
    return false;
}

bool UserForm::remove() {
    const std::string heir = m_heir ? m_heir->currentText().toStdString() : std::string();
    const Outcome outcome =
        deleteUser(*m_workspace.db, m_workspace.session, m_original, heir, Clock::today());
    if (!outcome.ok()) showOutcome(this, outcome, windowTitle());
    return outcome.ok();
}

bool UserForm::completed() const {
    return m_scaffold->completed();
}

void UserForm::reject() {
    if (m_scaffold->closeRequested()) QDialog::reject();
}

bool runUserForm(QWidget* parent, Workspace& workspace, Request request, User& user) {
    UserForm form(workspace, request, request == Request::Insert ? User{} : user, parent);
    if (!form.start()) return false;
    execTranslated(&form);
    if (!form.completed()) return false;
    user = form.record();
    return true;
}

}  // namespace tko
