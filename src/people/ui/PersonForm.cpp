#include "people/ui/PersonForm.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "data/Keys.h"
#include "data/Records.h"
#include "data/Tables.h"
#include "data/Workspace.h"
#include "people/Anniversaries.h"
#include "people/PeopleRules.h"
#include "people/ui/AnniversaryForm.h"
#include "people/ui/DesktopDialer.h"
#include "people/ui/PeopleBrowser.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/WindowTranslation.h"

namespace tko {

namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}
std::string stored(const QString& value) {
    return value.toStdString();
}

QLineEdit* lineEdit(QWidget* parent, const char* name, int width, const QString& tip) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaxLength(width);
    edit->setProperty("picture", QStringLiteral("@s%1").arg(width));
    edit->setToolTip(tip);
    return edit;
}

QPlainTextEdit* memoEdit(QWidget* parent, const char* name, const QString& tip) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setToolTip(tip);
    return edit;
}

}  // namespace

PersonForm::PersonForm(Workspace& workspace, Request request, const Person& person, QWidget* parent)
    : QDialog(parent), m_workspace(workspace), m_request(request), m_current(person) {
    setObjectName(QStringLiteral("PersonForm"));
    setWindowTitle(QStringLiteral("Update PEOPLE"));
    setWhatsThis(QStringLiteral("~Person_Information_Window"));
    m_scaffold = new FormScaffold(this, request, this);
    build();
    m_scaffold->setStatusLabel(m_status);
    m_scaffold->isChanged = [this] { return !collected().sameValues(m_original); };
    m_scaffold->save = [this] { return save(); };
    m_scaffold->watchRecord(m_workspace.db->engine(), Person::def(),
                            [this] { return collected().toRow(); });
    m_scaffold->keepEdits(
        [this] { return m_original.toRow(); },
        [this](const store::Row& stored, const store::Row& shown) {
            m_original.fromRow(stored);
            m_current.fromRow(shown);
            display(m_current);
        },
        [this] {
            std::vector<FieldView> views = {{"SHORTNAME", "Short Name", "", ""},
                                            {"TYPE", "Type", "", ""},
                                            {"USER", "By:", "", ""},
                                            {"LASTNAME", "Last Name", "", ""},
                                            {"FIRSTNAME", "First Name", "", ""},
                                            {"POSITIONHELD", "Position:", "", ""},
                                            {"ORGANIZATION", "Organization:", "", ""},
                                            {"PHONENUMBER", "Phone Number:", "", ""},
                                            {"FAXNUMBER", "Fax Number", "", ""},
                                            {"EMAIL", "E-mail", "", ""},
                                            {"MAILADDRESS", "Mailing Address", "", ""},
                                            {"COMMENTS", "Comments", "", ""}};
            // The confidential comments only for a user who sees their tab.
            if (m_tabs->isTabVisible(tabIndex(QStringLiteral("confCommentsEdit"))))
                views.push_back({"CONFCOMMENTS", "Confidential Comments", "", ""});
            return views;
        });
    m_scaffold->remove = [this] { return remove(); };
}

void PersonForm::build() {
    QFormLayout* head = buildHead();
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("personTabs"));
    m_tabs->addTab(buildGeneralPage(), QStringLiteral("General"));
    m_mailAddress = memoEdit(this, "mailAddressEdit", {});
    m_mailAddress->setObjectName(QStringLiteral("mailAddressEdit"));
    m_tabs->addTab(m_mailAddress, QStringLiteral("Mailing Address"));
    m_comments = memoEdit(this, "commentsEdit", QStringLiteral("General comments"));
    m_tabs->addTab(m_comments, QStringLiteral("Comments"));
    m_confComments = memoEdit(this, "confCommentsEdit", QStringLiteral("Confidential comments"));
    m_confidentialPage = m_confComments;
    m_tabs->addTab(m_confComments, QStringLiteral("Confidential Comments"));
    m_tabs->addTab(buildAnniversaryPage(), QStringLiteral("Anniversaries"));
    for (QPlainTextEdit* memo : {m_mailAddress, m_comments, m_confComments})
        memo->setTabChangesFocus(true);
    QHBoxLayout* buttons = buildButtonRow();

    connect(m_usersLimited, &QPushButton::clicked, this, &PersonForm::openUsersLimited);
    connect(m_typeGroup, &QButtonGroup::idToggled, this, [this](int, bool on) {
        if (on) applyRules();
    });
    connect(m_shortName, &QLineEdit::textChanged, this, &PersonForm::applyRules);
    for (QPlainTextEdit* memo : {m_comments, m_confComments})
        connect(memo, &QPlainTextEdit::textChanged, this, &PersonForm::markMemoTabs);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(buttons);
    resize(600, 430);
}

// The short name with its owner and the type of the entry.
QFormLayout* PersonForm::buildHead() {
    m_shortName = lineEdit(this, "shortNameEdit", Person::Width::SHORTNAME,
                           QStringLiteral("Short name of person"));

    auto* typeBox = new QGroupBox(QStringLiteral("Type"), this);
    typeBox->setObjectName(QStringLiteral("typeGroup"));
    auto* typeLayout = new QHBoxLayout(typeBox);
    m_typeGroup = new QButtonGroup(this);
    static const char* const names[] = {"userRadio", "openRadio", "limitedRadio", "privateRadio"};
    for (size_t i = 0; i < kPersonTypes.size(); ++i) {
        auto* radio = new QRadioButton(QLatin1String(kPersonTypes[i]), typeBox);
        radio->setObjectName(QLatin1String(names[i]));
        m_typeGroup->addButton(radio, static_cast<int>(i) + 1);
        typeLayout->addWidget(radio);
        m_typeButtons[i] = radio;
    }
    m_usersLimited = new QPushButton(QStringLiteral("Users - Limited"), typeBox);
    m_usersLimited->setObjectName(QStringLiteral("usersLimitedButton"));
    m_usersLimited->setAutoDefault(false);
    typeLayout->addWidget(m_usersLimited);
    m_by = new QLabel(this);
    m_by->setObjectName(QStringLiteral("byLabel"));

    auto* head = new QFormLayout;
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(m_shortName);
    nameRow->addStretch();
    nameRow->addWidget(new QLabel(QStringLiteral("By:"), this));
    nameRow->addWidget(m_by);
    head->addRow(QStringLiteral("Short Name"), nameRow);
    head->addRow(typeBox);
    return head;
}

// The person's anniversaries with their Insert, Change and Delete buttons.
QWidget* PersonForm::buildAnniversaryPage() {
    auto* anniversaryPage = new QWidget(this);
    anniversaryPage->setObjectName(QStringLiteral("anniversariesPage"));
    m_anniversaries = new BrowseList(m_workspace.db->engine(), Anniversary::def(), anniversaryPage);
    m_anniversaries->setObjectName(QStringLiteral("anniversaryList"));
    m_anniversaries->setFormat(
        QStringLiteral("72L(2)|M~Date~@D17b@#DATE#200L(2)|M~Note~@s50@#NOTE#"));
    m_anniversaries->setKey(QLatin1String(key::ANN_NUMBER_KEY));
    auto* anniversaryButtons = new QHBoxLayout;
    static const std::pair<const char*, const char*> anniversaryActions[] = {
        {"anniversaryInsertButton", "Insert"},
        {"anniversaryChangeButton", "Change"},
        {"anniversaryDeleteButton", "Delete"}};
    static const Request anniversaryRequests[] = {Request::Insert, Request::Change,
                                                  Request::Delete};
    for (size_t i = 0; i < std::size(anniversaryActions); ++i) {
        const auto& [name, caption] = anniversaryActions[i];
        auto* b = new QPushButton(QLatin1String(caption), anniversaryPage);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        const Request request = anniversaryRequests[i];
        connect(b, &QPushButton::clicked, this, [this, request] { openAnniversary(request); });
        anniversaryButtons->addWidget(b);
    }
    anniversaryButtons->addStretch();
    connect(m_anniversaries, &BrowseList::insertRequested, this,
            [this] { openAnniversary(Request::Insert); });
    connect(m_anniversaries, &BrowseList::changeRequested, this,
            [this](const store::Row&) { openAnniversary(Request::Change); });
    connect(m_anniversaries, &BrowseList::deleteRequested, this,
            [this](const store::Row&) { openAnniversary(Request::Delete); });
    auto* anniversaryLayout = new QVBoxLayout(anniversaryPage);
    anniversaryLayout->addWidget(m_anniversaries, 1);
    anniversaryLayout->addLayout(anniversaryButtons);
    return anniversaryPage;
}

// Dial, Print, the status line, OK, Cancel and Help.
QHBoxLayout* PersonForm::buildButtonRow() {
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("statusLabel"));
    auto* buttons = new QHBoxLayout;
    auto addButton = [this, buttons](const char* name, const QString& caption, const QString& tip) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setAutoDefault(false);
        if (!tip.isEmpty()) b->setToolTip(tip);
        buttons->addWidget(b);
        return b;
    };
    QPushButton* dialButton =
        addButton("dialButton", QStringLiteral("Dial"), QStringLiteral("Dial phone number"));
    QPushButton* printButton = addButton("printButton", QStringLiteral("Print"),
                                         QStringLiteral("Print person information"));
    buttons->addWidget(m_status, 1);
    QPushButton* ok = addButton("okButton", QStringLiteral("OK"), {});
    ok->setDefault(true);
    QPushButton* cancel = addButton("cancelButton", QStringLiteral("Cancel"), {});
    QPushButton* help = addButton("helpButton", QStringLiteral("Help"), {});

    connect(dialButton, &QPushButton::clicked, this, &PersonForm::dial);
    connect(printButton, &QPushButton::clicked, this, &PersonForm::print);
    connect(ok, &QPushButton::clicked, m_scaffold, &FormScaffold::ok);
    connect(cancel, &QPushButton::clicked, m_scaffold, &FormScaffold::cancel);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    return buttons;
}

QWidget* PersonForm::buildGeneralPage() {
    auto* page = new QWidget(this);
    page->setObjectName(QStringLiteral("generalPage"));
    auto* form = new QFormLayout(page);
    form->addRow(QStringLiteral("Last Name"),
                 lineEdit(page, "lastNameEdit", Person::Width::LASTNAME,
                          QStringLiteral("Last name of person")));
    form->addRow(QStringLiteral("First Name"),
                 lineEdit(page, "firstNameEdit", Person::Width::FIRSTNAME,
                          QStringLiteral("First name of person")));
    form->addRow(QStringLiteral("Position:"),
                 lineEdit(page, "positionEdit", Person::Width::POSITIONHELD,
                          QStringLiteral("Title or postion held")));
    form->addRow(QStringLiteral("Organization:"),
                 lineEdit(page, "organizationEdit", Person::Width::ORGANIZATION,
                          QStringLiteral("Employer or department")));
    form->addRow(QStringLiteral("Phone Number:"),
                 lineEdit(page, "phoneEdit", Person::Width::PHONENUMBER,
                          QStringLiteral("Telephone number")));
    // The form types 20 characters, but the field holds 26: a longer stored
    // number must survive opening and saving the form.
    form->addRow(QStringLiteral("Fax Number"),
                 lineEdit(page, "faxEdit", Person::Width::FAXNUMBER, QStringLiteral("Fax number")));
    form->addRow(QStringLiteral("E-mail"), lineEdit(page, "emailEdit", Person::Width::EMAIL,
                                                    QStringLiteral("E-mail address")));
    return page;
}

QLineEdit* PersonForm::edit(const QString& objectName) const {
    return findChild<QLineEdit*>(objectName);
}
QPlainTextEdit* PersonForm::memo(const QString& objectName) const {
    return findChild<QPlainTextEdit*>(objectName);
}
QPushButton* PersonForm::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}
QRadioButton* PersonForm::typeButton(int position) const {
    return position >= 1 && position <= 4 ? m_typeButtons[static_cast<size_t>(position - 1)]
                                          : nullptr;
}
int PersonForm::tabIndex(const QString& objectName) const {
    for (int i = 0; i < m_tabs->count(); ++i)
        if (m_tabs->widget(i)->objectName() == objectName) return i;
    return -1;
}
bool PersonForm::completed() const {
    return m_scaffold->completed();
}

bool PersonForm::start() {
    if (!m_scaffold->start()) return false;
    Database& db = *m_workspace.db;
    if (!readSystemPref(db, m_sys).ok()) {
        MessageBox::showText(this, QStringLiteral("%1 System Preferences"), windowTitle(),
                             MessageButtons::Ok, {text(db.lastError().describe())},
                             MessageBox::Icon::Critical);
        return false;
    }
    if (!access::loadViewer(db, m_workspace.session, m_viewer).ok()) {
        MessageBox::showStandard(this, 35, text(db.lastError().describe()),
                                 QLatin1String(label::SYSTEMPREF));
        return false;
    }
    TypeChoices choices;
    if (m_request == Request::Insert) {
        const InsertRules rules = insertRules(m_workspace.session, m_sys);
        if (rules.refusal) {
            showLines(this, {*rules.refusal}, windowTitle());
            return false;
        }
        NewPerson added =
            startNewPerson(db, m_workspace.session, rules.types.initial, Clock::today());
        // After three numbering failures the user may ask for three more attempts.
        while (!added.ok) {
            if (MessageBox::show(this, *added.message) != Answer::Yes || !added.retry) return false;
            added = startNewPerson(db, m_workspace.session, rules.types.initial, Clock::today());
        }
        m_current = added.record;
        m_added = true;
        choices = rules.types;
    } else {
        const Status s = m_current.rowPos != 0
                             ? db.reread(m_current)
                             : db.fetch(key::PEO_PERSONNUMBER_KEY,
                                        {std::int64_t{m_current.PERSONNUMBER}}, m_current);
        if (!s.ok()) {
            MessageBox::showStandard(this, 35, text(db.lastError().describe()),
                                     QLatin1String(label::PEOPLE));
            return false;
        }
        choices = changeTypeChoices(m_workspace.session, m_sys, m_current);
        if (m_request == Request::Change &&
            !mayEditStoredPerson(db, m_viewer, m_current, m_mayEdit).ok()) {
            MessageBox::showStandard(this, 35, text(db.lastError().describe()),
                                     QLatin1String(label::PEOUSER));
            return false;
        }
    }
    m_original = m_current;
    m_openedShortName = m_current.SHORTNAME;
    m_openedType = m_current.TYPE;
    display(m_current);
    const bool editable = m_request != Request::Delete && m_mayEdit;
    for (size_t i = 0; i < m_typeButtons.size(); ++i)
        m_typeButtons[i]->setEnabled(editable && choices.enabled[i]);
    for (QLineEdit* e : findChildren<QLineEdit*>()) e->setReadOnly(!editable);
    // A user's person is renamed with the user, on the user form.
    m_shortName->setReadOnly(!editable || !access::mayRenamePerson(m_current));
    if (m_request == Request::Change) button(QStringLiteral("okButton"))->setEnabled(editable);
    if (m_request == Request::Change && !editable)
        m_status->setText(QString::fromStdString(translateText("Record can only be Viewed")));
    for (QPlainTextEdit* e : {m_mailAddress, m_comments, m_confComments}) e->setReadOnly(!editable);
    for (const char* name :
         {"anniversaryInsertButton", "anniversaryChangeButton", "anniversaryDeleteButton"})
        button(QLatin1String(name))->setEnabled(editable);
    return true;
}

void PersonForm::display(const Person& person) {
    m_shortName->setText(text(person.SHORTNAME));
    edit(QStringLiteral("lastNameEdit"))->setText(text(person.LASTNAME));
    edit(QStringLiteral("firstNameEdit"))->setText(text(person.FIRSTNAME));
    edit(QStringLiteral("positionEdit"))->setText(text(person.POSITIONHELD));
    edit(QStringLiteral("organizationEdit"))->setText(text(person.ORGANIZATION));
    edit(QStringLiteral("phoneEdit"))->setText(text(person.PHONENUMBER));
    edit(QStringLiteral("faxEdit"))->setText(text(person.FAXNUMBER));
    edit(QStringLiteral("emailEdit"))->setText(text(person.EMAIL));
    m_mailAddress->setPlainText(text(person.MAILADDRESS));
    m_comments->setPlainText(text(person.COMMENTS));
    m_confComments->setPlainText(text(person.CONFCOMMENTS));
    m_by->setText(text(person.USER));
    const int position = typePosition(person.TYPE);
    if (position > 0) {
        m_typeButtons[static_cast<size_t>(position - 1)]->setChecked(true);
    } else {
        // A type outside the four: no radio shows it, and saving keeps it.
        m_typeGroup->setExclusive(false);
        for (QRadioButton* radio : m_typeButtons) radio->setChecked(false);
        m_typeGroup->setExclusive(true);
    }
    m_anniversaries->setRange({std::int64_t{person.PERSONNUMBER}});
    m_anniversaries->setFilter(anniversariesOfPerson(person));
    m_anniversaries->reload();
    applyRules();
    markMemoTabs();
}

std::string PersonForm::chosenType() const {
    const int id = m_typeGroup->checkedId();
    return id >= 1 && id <= 4 ? std::string(kPersonTypes[static_cast<size_t>(id - 1)])
                              : m_current.TYPE;
}

Person PersonForm::collected() const {
    Person p = m_current;
    p.SHORTNAME = stored(m_shortName->text());
    p.TYPE = chosenType();
    p.LASTNAME = stored(edit(QStringLiteral("lastNameEdit"))->text());
    p.FIRSTNAME = stored(edit(QStringLiteral("firstNameEdit"))->text());
    p.POSITIONHELD = stored(edit(QStringLiteral("positionEdit"))->text());
    p.ORGANIZATION = stored(edit(QStringLiteral("organizationEdit"))->text());
    p.PHONENUMBER = stored(edit(QStringLiteral("phoneEdit"))->text());
    p.FAXNUMBER = stored(edit(QStringLiteral("faxEdit"))->text());
    p.EMAIL = stored(edit(QStringLiteral("emailEdit"))->text());
    p.MAILADDRESS = stored(m_mailAddress->toPlainText());
    p.COMMENTS = stored(m_comments->toPlainText());
    p.CONFCOMMENTS = stored(m_confComments->toPlainText());
    // Stored texts are clipped; compare and write them the same way.
    for (std::string* field :
         {&p.SHORTNAME, &p.LASTNAME, &p.FIRSTNAME, &p.POSITIONHELD, &p.ORGANIZATION, &p.PHONENUMBER,
          &p.FAXNUMBER, &p.EMAIL, &p.MAILADDRESS, &p.COMMENTS, &p.CONFCOMMENTS})
        *field = store::rtrim(*field);
    return p;
}

void PersonForm::applyRules() {
    const std::string type = chosenType();
    m_tabs->setTabVisible(tabIndex(QStringLiteral("confCommentsEdit")),
                          confidentialAllowed(m_workspace.session, m_sys, type, m_current.USER));
    m_usersLimited->setEnabled(m_request != Request::Delete && m_mayEdit &&
                               usersLimitedAllowed(m_workspace.session, type,
                                                   stored(m_shortName->text()), m_current.USER));
}

void PersonForm::markMemoTabs() {
    const std::pair<QPlainTextEdit*, const char*> memos[] = {{m_comments, "commentsEdit"},
                                                             {m_confComments, "confCommentsEdit"}};
    for (const auto& [memo, name] : memos) {
        const bool filled = !memo->toPlainText().trimmed().isEmpty();
        m_tabs->tabBar()->setTabTextColor(tabIndex(QLatin1String(name)),
                                          filled ? QColor(255, 0, 0) : QColor());
    }
}

bool PersonForm::save() {
    Person candidate = collected();
    if (const auto tooLong = findTooLong(candidate)) {
        MessageBox::showText(this, QStringLiteral("%1 can hold at most %2 characters."),
                             windowTitle(), MessageButtons::Ok,
                             {text(translateText(tooLong->field)), QString::number(tooLong->width)},
                             MessageBox::Icon::Warning);
        return false;
    }
    const ShortNameCheck check =
        checkShortName(*m_workspace.db, candidate, m_openedShortName, m_openedType);
    if (check.kind != ShortNameCheck::Accepted) {
        showLines(this, check.lines, windowTitle());
        m_tabs->setCurrentIndex(0);
        m_shortName->setFocus();
        m_shortName->selectAll();
        return false;
    }
    const Outcome outcome = savePerson(*m_workspace.db, m_viewer, candidate, m_original);
    showOutcome(this, outcome);
    if (outcome.kind == Outcome::ChangedElsewhere) {
        // The form now shows the other station's values.
        m_current = candidate;
        m_original = candidate;
        display(m_current);
        return false;
    }
    if (!outcome.ok()) return false;
    m_current = candidate;
    m_original = candidate;
    m_kept = true;
    return true;
}

bool PersonForm::remove() {
    const Outcome outcome = deleteRecord(*m_workspace.db, m_current);
    showOutcome(this, outcome);
    return outcome.ok();
}

void PersonForm::reject() {
    if (m_scaffold->closeRequested()) QDialog::reject();
}

void PersonForm::done(int result) {
    if (m_added && !m_kept) {
        // The insert was not completed: the record added at opening goes again.
        m_added = false;
        const Outcome outcome = deleteRecord(*m_workspace.db, m_original);
        showOutcome(this, outcome);
    }
    QDialog::done(result);
}

void PersonForm::dial() {
    const DialRequest request = dialRequestFor(collected());
    if (telUrl(request).isEmpty()) {
        showLines(this, {"There is no phone number to dial."}, windowTitle());
        return;
    }
    activeDialer().dial(request);
}

void PersonForm::print() {
    const Person person = collected();
    const bool comments =
        showLines(this, {"Include Comments?"}, windowTitle(), MessageButtons::YesNo) == Answer::Yes;
    bool confidential = false;
    if (confidentialAllowed(m_workspace.session, m_sys, person.TYPE, person.USER))
        confidential = showLines(this, {"Include Confidential Comments?"}, windowTitle(),
                                 MessageButtons::YesNo) == Answer::Yes;
    if (m_workspace.services.printPerson)
        m_workspace.services.printPerson(this, m_workspace, person, comments, confidential);
}

void PersonForm::openUsersLimited() {
    if (!m_usersLimited->isEnabled()) return;
    if (!m_workspace.services.editLimitedPersonUsers) return;
    Person person = m_current;
    person.SHORTNAME = stored(m_shortName->text());
    m_workspace.services.editLimitedPersonUsers(this, m_workspace, person);
}

void PersonForm::openAnniversary(Request request) {
    // Nothing to add to or change while the form only shows the person.
    if (m_request == Request::Delete || !m_mayEdit) return;
    Anniversary anniversary;
    if (request == Request::Insert) {
        // The stored short name: a rename that is not saved yet reaches the
        // anniversaries through the change of the person.
        anniversary = newAnniversaryFor(m_original);
    } else {
        const store::Row* row = m_anniversaries->selectedRow();
        if (!row) return;
        anniversary.fromRow(*row);
    }
    // After a delete the list stands on the row that followed the deleted one.
    if (runAnniversaryForm(this, m_workspace, request, anniversary,
                           m_shortName->text().toStdString()))
        m_anniversaries->reloadAt(anniversary.toRow());
}

void PersonForm::notDefined(const char* procedure) {
    MessageBox::showStandard(this, 6, QLatin1String(procedure));
}

bool runPersonForm(QWidget* parent, Workspace& workspace, Request request, Person& person) {
    PersonForm form(workspace, request, request == Request::Insert ? Person{} : person, parent);
    if (!form.start()) return false;
    execTranslated(&form);
    if (!form.completed()) return false;
    person = form.record();
    return true;
}

}  // namespace tko
