#include "people/ui/PeopleBrowser.h"

#include "data/Keys.h"
#include "data/Messages.h"
#include "data/Tables.h"
#include "people/PeopleRules.h"
#include "people/ui/DesktopDialer.h"
#include "people/ui/PersonForm.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/MessageBox.h"

namespace tko {

namespace {

const char* const kColumns =
    "64L(2)|M~Short Name~@s15@#SHORTNAME#"
    "100L(2)|M~Last Name~@s25@#LASTNAME#"
    "80L(2)|M~First Name~@s20@#FIRSTNAME#"
    "120L(2)|M~Organization~@s30@#ORGANIZATION#";
const char* const kNumberColumn = "56R(2)|M~Person Number~@n-13@#PERSONNUMBER#";

QString helpKeyword(PeopleList list) {
    switch (list) {
        case PeopleList::Edit:
            return QStringLiteral("~Browse_People_Edit_Window");
        case PeopleList::Assignable:
            return QStringLiteral("~Browse_People_Assign_Window");
        case PeopleList::Viewable:
            return QStringLiteral("~Browse_People_View_Window");
    }
    return {};
}

}  // namespace

Answer showLines(QWidget* parent, const std::vector<std::string>& lines, const QString& title,
                 MessageButtons buttons) {
    QStringList translated;
    for (const std::string& line : lines) translated << QString::fromStdString(translateText(line));
    return MessageBox::showText(
        parent, QStringLiteral("%1"), title, buttons, {translated.join(QLatin1Char('\n'))},
        buttons == MessageButtons::Ok ? MessageBox::Icon::Information : MessageBox::Icon::Question);
}

QString PeopleBrowser::titleOf(PeopleList list) {
    switch (list) {
        case PeopleList::Edit:
            return QStringLiteral("Browse People (Edit)");
        case PeopleList::Assignable:
            return QStringLiteral("Browse People Who Can Be Assigned");
        case PeopleList::Viewable:
            return QStringLiteral("Browse People Who Can Be Viewed");
    }
    return {};
}

PeopleBrowser::PeopleBrowser(Workspace& workspace, PeopleList list, bool selectMode,
                             QWidget* parent)
    : ListWindow(workspace.db->engine(), Person::def(), parent),
      m_workspace(workspace),
      m_kind(list) {
    setIdentity({"PeopleBrowser", "peopleList", titleOf(list), helpKeyword(list)});

    QString format = QLatin1String(kColumns);
    if (list != PeopleList::Assignable) format += QLatin1String(kNumberColumn);
    this->list()->setFormat(format);
    setSortTabs({{"By Short Name", "", key::PEO_SHORT_KEY},
                 {"By Last Name", "", key::PEO_LASTNAME_KEY},
                 {"By Organization", "", key::PEO_ORGANIZATION_KEY}});
    SystemPref sys;
    const bool viewAll = readSystemPref(*workspace.db, sys).ok() && sys.VIEWALL != 0;
    this->list()->setFilter(peopleListFilter(list, workspace.session, viewAll));
    setSelectMode(selectMode);

    // Picking a person, the user may still add, view and dial one.
    std::vector<ListButton> buttons{
        {"selectButton", "Select", "Select person", [this] { selectPerson(); }, ListRole::Select}};
    if (list != PeopleList::Viewable)
        buttons.push_back({"insertButton", "Insert", "Add new person", [this] { insertPerson(); },
                           ListRole::Insert, NeedsRow::No, true});
    buttons.push_back({"changeButton", list == PeopleList::Viewable ? "View" : "Change/View",
                       "View or change person information", [this] { changePerson(); },
                       ListRole::Change, NeedsRow::Yes, true});
    if (list == PeopleList::Edit)
        buttons.push_back({"deleteButton", "Delete", "Delete person from TASKORBIT",
                           [this] { deletePerson(); }, ListRole::Delete, NeedsRow::Yes});
    buttons.push_back({"dialButton", "Dial", "Dial phone number", [this] { dialPerson(); },
                       ListRole::None, NeedsRow::Yes, true});
    setButtons(std::move(buttons));
    finish(720, 420);
}

std::optional<Person> PeopleBrowser::highlighted() const {
    const store::Row* row = list()->selectedRow();
    if (!row) return std::nullopt;
    Person person;
    person.fromRow(*row);
    return person;
}

void PeopleBrowser::reloadOn(const Person& person) {
    if (person.rowPos != 0)
        list()->reloadAt(person.toRow());
    else
        list()->refresh();
}

void PeopleBrowser::insertPerson() {
    Person person;
    if (runPersonForm(this, m_workspace, Request::Insert, person)) reloadOn(person);
}

void PeopleBrowser::changePerson() {
    std::optional<Person> person = highlighted();
    if (!person) return;
    if (runPersonForm(this, m_workspace, Request::Change, *person))
        reloadOn(*person);
    else
        list()->refresh();
}

void PeopleBrowser::deletePerson() {
    std::optional<Person> person = highlighted();
    if (!person) return;
    const DeleteDecision decision = deleteDecision(m_workspace.session, *person);
    switch (decision.kind) {
        case DeleteDecision::Refuse:
            showLines(this, decision.lines, windowTitle());
            return;
        case DeleteDecision::Confirm: {
            if (showLines(this, {kConcludeQuestion1, kConcludeQuestion2}, windowTitle(),
                          MessageButtons::YesNo) != Answer::Yes)
                return;
            int concluded = 0;
            if (!concludeOpenAssignments(*m_workspace.db, person->PERSONNUMBER, Clock::today(),
                                         concluded)
                     .ok()) {
                MessageBox::show(this, standardMessage(15, m_workspace.db->lastError().describe(),
                                                       label::ASSIGNMENT));
                return;
            }
            break;
        }
        case DeleteDecision::Direct:
            break;
    }
    runPersonForm(this, m_workspace, Request::Delete, *person);
    list()->refresh();
}

void PeopleBrowser::dialPerson() {
    std::optional<Person> person = highlighted();
    if (!person) return;
    const DialRequest request = dialRequestFor(*person);
    if (telUrl(request).isEmpty()) {
        showLines(this, {"There is no phone number to dial."}, windowTitle());
        return;
    }
    activeDialer().dial(request);
}

void PeopleBrowser::selectPerson() {
    choose();
}

bool PeopleBrowser::acceptChoice(const store::Row& row) {
    Person person;
    person.fromRow(row);
    // The list reads without memos; the caller gets the whole record.
    if (!m_workspace.db->reread(person).ok()) person.fromRow(row);
    m_chosen = person;
    return true;
}

}  // namespace tko
