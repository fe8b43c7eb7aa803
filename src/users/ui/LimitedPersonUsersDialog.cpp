#include "users/ui/LimitedPersonUsersDialog.h"

#include <algorithm>

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "data/Keys.h"
#include "data/Records.h"
#include "data/Tables.h"
#include "data/Workspace.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "users/LimitedPersonUsers.h"
#include "users/ui/LimitedUsersLayout.h"
#include "users/ui/UserPickers.h"

namespace tko {

namespace {

LimitedPersonUsersDialog::UserPicker& picker() {
    // Empty: "Browse Users - Multiple Select", as on every screen that picks users.
    static LimitedPersonUsersDialog::UserPicker current;
    return current;
}

}  // namespace

void LimitedPersonUsersDialog::setUserPicker(UserPicker p) {
    picker() = std::move(p);
}

LimitedPersonUsersDialog::LimitedPersonUsersDialog(Workspace& workspace, std::int32_t personNumber,
                                                   const std::string& shortName, QWidget* parent)
    : QDialog(parent), m_workspace(workspace), m_personNumber(personNumber) {
    setObjectName(QStringLiteral("LimitedPersonUsersDialog"));
    setWindowTitle(QStringLiteral("Users for Limited Person"));
    setWhatsThis(QStringLiteral("~Users_For_Limited_Person_Window"));

    m_person = new QLineEdit(QString::fromStdString(shortName), this);
    m_person->setObjectName(QStringLiteral("personEdit"));
    m_person->setMaxLength(Person::Width::SHORTNAME);
    m_person->setReadOnly(true);
    m_person->setToolTip(QStringLiteral("Short name of person"));

    m_list = new BrowseList(workspace.db->engine(), PeoUser::def(), this);
    m_list->setObjectName(QStringLiteral("peoUserList"));
    m_list->setFormat(
        QStringLiteral("64L(2)|M~User~@s15@#USER#56R(2)|M~Person Number~@n-13@#PERSONNUMBER#"));
    m_list->setKey(QLatin1String(key::PEU_PERSONNUMBER_KEY));
    m_list->setRange({std::int64_t{personNumber}});

    layOutLimitedUsers(
        this, QStringLiteral("Person:"), m_person, m_list, [this] { insertUsers(); },
        [this] { deleteUser(); });
    resize(360, 320);
    m_list->reload();
}

void LimitedPersonUsersDialog::insertUsers() {
    std::vector<std::string> candidates;
    if (!usersNotListed(*m_workspace.db, m_personNumber, candidates).ok()) {
        MessageBox::showStandard(this, 35,
                                 QString::fromStdString(m_workspace.db->lastError().describe()),
                                 QLatin1String(label::USERS));
        return;
    }
    std::vector<std::string> picked =
        picker() ? picker()(this, candidates) : pickUsers(this, m_workspace);
    // Users listed already are not added twice.
    std::erase_if(picked, [&](const std::string& user) {
        return std::find(candidates.begin(), candidates.end(), store::rtrim(user)) ==
               candidates.end();
    });
    addUsers(picked);
}

void LimitedPersonUsersDialog::addUsers(const std::vector<std::string>& users) {
    if (users.empty()) return;
    const Outcome outcome = addPersonUsers(*m_workspace.db, m_personNumber, users);
    if (!outcome.ok()) {
        showOutcome(this, outcome);
        m_list->refresh();
        return;
    }
    PeoUser stored;
    if (m_workspace.db
            ->fetch(key::PEU_PERSONNUMBER_KEY, {std::int64_t{m_personNumber}, users.front()},
                    stored)
            .ok())
        m_list->reloadAt(stored.toRow());
    else
        m_list->reload();
}

void LimitedPersonUsersDialog::deleteUser() {
    const store::Row* row = m_list->selectedRow();
    if (!row) return;
    PeoUser selected;
    selected.fromRow(*row);
    showOutcome(this, removePersonUser(*m_workspace.db, selected));
    m_list->refresh();
}

}  // namespace tko
