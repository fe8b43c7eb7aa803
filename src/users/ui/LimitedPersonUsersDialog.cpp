#include "users/ui/LimitedPersonUsersDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Workspace.h"
#include "data/Keys.h"
#include "data/Records.h"
#include "data/Tables.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"
#include "users/LimitedPersonUsers.h"
#include "users/ui/LimitedUsersLayout.h"

namespace tko {

namespace {

// The default picker: a modal list of the candidates, several may be marked.
std::vector<std::string> pickFromList(QWidget* parent, const std::vector<std::string>& candidates) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("PickUsersDialog"));
    dialog.setWindowTitle(QStringLiteral("Select Users"));
    dialog.setWhatsThis(QStringLiteral("~Users_For_Limited_Person_Window"));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("userChoiceList"));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setToolTip(QStringLiteral("Users who may see this person"));
    for (const std::string& name : candidates) list->addItem(QString::fromStdString(name));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    std::vector<std::string> chosen;
    if (execTranslated(&dialog) != QDialog::Accepted) return chosen;
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->isSelected()) chosen.push_back(list->item(i)->text().toStdString());
    return chosen;
}

LimitedPersonUsersDialog::UserPicker& picker() {
    static LimitedPersonUsersDialog::UserPicker current = pickFromList;
    return current;
}

}  // namespace

void LimitedPersonUsersDialog::setUserPicker(UserPicker p) {
    picker() = p ? std::move(p) : pickFromList;
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
    addUsers(picker()(this, candidates));
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
