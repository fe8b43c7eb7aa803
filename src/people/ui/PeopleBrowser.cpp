#include "people/ui/PeopleBrowser.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/Tables.h"
#include "people/PeopleRules.h"
#include "people/ui/DesktopDialer.h"
#include "people/ui/PersonForm.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"
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
    : QDialog(parent), m_workspace(workspace), m_kind(list), m_selectMode(selectMode) {
    setObjectName(QStringLiteral("PeopleBrowser"));
    setWindowTitle(titleOf(list));
    setWhatsThis(helpKeyword(list));
    setSizeGripEnabled(true);

    const store::TableDef& people = Person::def();
    m_list = new BrowseList(workspace.db->engine(), people, this);
    m_list->setObjectName(QStringLiteral("peopleList"));
    QString format = QLatin1String(kColumns);
    if (list != PeopleList::Assignable) format += QLatin1String(kNumberColumn);
    m_list->setFormat(format);
    m_list->setSortTabs({{QStringLiteral("By Short Name"), people.key("PEO:SHORT_KEY")},
                         {QStringLiteral("By Last Name"), people.key("PEO:LASTNAME_KEY")},
                         {QStringLiteral("By Organization"), people.key("PEO:ORGANIZATION_KEY")}});
    SystemPref sys;
    const bool viewAll = readSystemPref(*workspace.db, sys).ok() && sys.VIEWALL != 0;
    m_list->setFilter(peopleListFilter(list, workspace.session, viewAll));
    m_list->setSelectMode(selectMode);

    auto* buttons = new QHBoxLayout;
    QPushButton* select =
        addButton("selectButton", QStringLiteral("Select"), QStringLiteral("Select person"));
    select->setEnabled(selectMode);
    connect(select, &QPushButton::clicked, this, &PeopleBrowser::selectPerson);
    buttons->addWidget(select);
    if (list != PeopleList::Viewable) {
        QPushButton* insert =
            addButton("insertButton", QStringLiteral("Insert"), QStringLiteral("Add new person"));
        connect(insert, &QPushButton::clicked, this, &PeopleBrowser::insertPerson);
        buttons->addWidget(insert);
    }
    QPushButton* change = list == PeopleList::Viewable
                              ? addButton("changeButton", QStringLiteral("View"),
                                          QStringLiteral("View or change person information"))
                              : addButton("changeButton", QStringLiteral("Change/View"),
                                          QStringLiteral("View or change person information"));
    connect(change, &QPushButton::clicked, this, &PeopleBrowser::changePerson);
    buttons->addWidget(change);
    if (list == PeopleList::Edit) {
        QPushButton* remove = addButton("deleteButton", QStringLiteral("Delete"),
                                        QStringLiteral("Delete person from TASKORBIT"));
        connect(remove, &QPushButton::clicked, this, &PeopleBrowser::deletePerson);
        buttons->addWidget(remove);
    }
    QPushButton* dial =
        addButton("dialButton", QStringLiteral("Dial"), QStringLiteral("Dial phone number"));
    connect(dial, &QPushButton::clicked, this, &PeopleBrowser::dialPerson);
    buttons->addWidget(dial);
    buttons->addStretch();
    QPushButton* close = addButton("closeButton", QStringLiteral("Close"), {});
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(close);
    QPushButton* help = addButton("helpButton", QStringLiteral("Help"), {});
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    buttons->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(720, 420);

    connect(m_list, &BrowseList::rowChosen, this, [this](const store::Row&) { selectPerson(); });
    connect(m_list, &BrowseList::changeRequested, this,
            [this](const store::Row&) { changePerson(); });
    if (list != PeopleList::Viewable)
        connect(m_list, &BrowseList::insertRequested, this, &PeopleBrowser::insertPerson);
    if (list == PeopleList::Edit)
        connect(m_list, &BrowseList::deleteRequested, this,
                [this](const store::Row&) { deletePerson(); });
    m_list->reload();
}

QPushButton* PeopleBrowser::addButton(const char* name, const QString& text, const QString& tip) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    if (!tip.isEmpty()) button->setToolTip(tip);
    return button;
}

QPushButton* PeopleBrowser::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

std::optional<Person> PeopleBrowser::highlighted() const {
    const store::Row* row = m_list->selectedRow();
    if (!row) return std::nullopt;
    Person person;
    person.fromRow(*row);
    return person;
}

void PeopleBrowser::reloadOn(const Person& person) {
    if (person.rowPos != 0)
        m_list->reloadAt(person.toRow());
    else
        m_list->refresh();
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
        m_list->refresh();
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
    m_list->refresh();
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
    if (!m_selectMode) return;
    std::optional<Person> person = highlighted();
    if (!person) return;
    // The list reads without memos; the caller gets the whole record.
    if (m_workspace.db->reread(*person).ok())
        m_chosen = person;
    else
        m_chosen = highlighted();
    accept();
}

}  // namespace tko
