#include "views/ui/ScheduleWindow.h"

#include <algorithm>

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

#include "data/Messages.h"
#include "data/Records.h"
#include "people/ui/GroupScreens.h"
#include "people/ui/PeopleBrowser.h"
#include "platform/Picture.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/CalendarPopup.h"
#include "platform/ui/MessageBox.h"

namespace tko {

namespace {

constexpr char16_t kDatePicture[] = u"@D18b";

const char* screenWord(ScheduleScreen screen) {
    switch (screen) {
        case ScheduleScreen::Person:
            return "Person";
        case ScheduleScreen::Group:
            return "Group";
        default:
            return "General";
    }
}

// A file error while reading or writing the preferences or the settings: the
// error text followed by the table's label.
void showFileError(QWidget* parent, Database& db, const char* table) {
    MessageBox::showText(parent, QStringLiteral("%1 %2"), {}, MessageButtons::Ok,
                         {QString::fromStdString(db.lastError().describe()), QLatin1String(table)},
                         MessageBox::Icon::Warning);
}

}  // namespace

ScheduleWindow::ScheduleWindow(Workspace& workspace, ScheduleKind kind, ScheduleScreen screen,
                               ListActions actions, ProjectsForAssignment projects, bool selectMode,
                               QWidget* parent)
    : AssignmentListWindow(workspace, std::move(actions), parent),
      m_kind(kind),
      m_screen(screen),
      m_projects(std::move(projects)) {
    const bool lf = kind == ScheduleKind::LookForward;
    const QString word = QLatin1String(screenWord(screen));
    const QByteArray objectName =
        ((lf ? QStringLiteral("LookForward") : QStringLiteral("History")) + word +
         QStringLiteral("Window"))
            .toLatin1();
    setIdentity(
        {objectName.constData(), "scheduleList",
         (lf ? QStringLiteral("Look Forward (") : QStringLiteral("History (")) + word +
             QStringLiteral(")"),
         (lf ? QStringLiteral("~Look_Forward_Window_") : QStringLiteral("~History_Window_")) + word,
         !selectMode});
    setSelectMode(selectMode);

    if (!loadViewScope(*m_workspace.db, m_workspace.session, m_scope).ok()) {
        // Without the settings the user sees what is theirs only.
        m_scope = ViewScope{
            store::rtrim(m_workspace.session.GlobalUser),
            atLeast(m_workspace.session.GlobalUserAccess, AccessLevel::SystemAdministrator)};
        showFileError(this, *m_workspace.db, "SYSTEMPREF");
    }
    if (!loadUserPref(*m_workspace.db, m_workspace.session.GlobalUser, m_prefs).ok()) {
        m_prefs = UserPref{};
        m_prefs.USERNAME = m_workspace.session.GlobalUser;
        showFileError(this, *m_workspace.db, "USERPREF");
    }
    m_openedPrefs = m_prefs;

    buildHeader();
    buildColumns();
    std::vector<SortTab> tabs;
    for (const ScheduleTab& tab : lf ? lookForwardTabs(screen) : historyTabs(screen))
        tabs.push_back({tab.caption, tab.tip, tab.keyLabel});
    setSortTabs(std::move(tabs));
    setButtons({changeButton(), insertButton(), concludeButton()});
    setPopup({
        // Picking an assignment for another screen changes nothing here.
        {"insertPopupAction", "Insert",
         [this] {
             if (!this->selectMode()) insertAssignment();
         },
         NeedsRow::No},
        {"changePopupAction", "Change/View",
         [this] {
             if (!this->selectMode()) changeSelected();
         }},
        {"projectsPopupAction", "Projects", [this] { openProjects(); }},
    });
    // The filter follows the options, the person or group and the tab.
    beforeReload = [this] { applyFilter(); };
    // The list re-reads along the new key first; the filter of some tabs
    // differs (the exact person, the conclusion date), so read again with it.
    connect(list()->sortTabs(), &QTabBar::currentChanged, this, [this] { reloadKeeping(); });
    // Letters typed in the list reach eventFilter() (the window watches the
    // whole application's keys) before the list's own locate-by-typing.
    finish(780, 440);
}

void ScheduleWindow::buildHeader() {
    const bool lf = m_kind == ScheduleKind::LookForward;
    auto* top = new QHBoxLayout;
    headerLayout()->addLayout(top);
    if (m_screen != ScheduleScreen::General) {
        const bool person = m_screen == ScheduleScreen::Person;
        m_selector = new QLineEdit(this);
        m_selector->setObjectName(person ? QStringLiteral("personEdit")
                                         : QStringLiteral("groupEdit"));
        m_selector->setMaxLength(person ? Person::Width::SHORTNAME : GroupName::Width::GROUPNAME);
        m_selector->setMinimumWidth(m_selector->fontMetrics().averageCharWidth() *
                                    (m_selector->maxLength() + 2));
        auto* look = new QPushButton(QStringLiteral("..."), this);
        look->setObjectName(QStringLiteral("lookUpButton"));
        look->setAutoDefault(false);
        look->setToolTip(
            person ? (lf ? QStringLiteral("Look up person") : QStringLiteral("Look up people"))
                   : (lf ? QStringLiteral("Look up group") : QStringLiteral("Look up groups")));
        top->addWidget(
            new QLabel(person ? QStringLiteral("Person:") : QStringLiteral("Group:"), this));
        top->addWidget(m_selector);
        top->addWidget(look);
        connect(look, &QPushButton::clicked, this, &ScheduleWindow::lookUp);
        connect(m_selector, &QLineEdit::editingFinished, this, &ScheduleWindow::onSelectorAccepted);
    }
    if (lf) {
        auto* include = new QGroupBox(QStringLiteral("Include"), this);
        include->setObjectName(QStringLiteral("includeGroup"));
        auto* includeLayout = new QHBoxLayout(include);
        m_secondary = new QCheckBox(QStringLiteral("secondary"), include);
        m_secondary->setToolTip(QStringLiteral("Include secondary assignments"));
        m_dueNow = new QCheckBox(QStringLiteral("due now"), include);
        m_dueNow->setObjectName(QStringLiteral("dueNowCheck"));
        m_dueNow->setToolTip(QStringLiteral("Include assignments due now"));
        includeLayout->addWidget(m_secondary);
        includeLayout->addWidget(m_dueNow);
        top->addWidget(include);
        addDateEntry(top, QStringLiteral("End Date:"), "endDateEdit", m_endDate);
        showListedEndDate(lookForwardEndDate(m_workspace.session));
        m_secondary->setChecked(m_prefs.SECONDARY != 0);
        m_dueNow->setChecked(m_prefs.CURRENTDUE != 0);
        connect(m_dueNow, &QCheckBox::toggled, this, [this](bool on) {
            m_prefs.CURRENTDUE = on ? 1 : 0;
            reloadKeeping();
        });
    } else {
        m_secondary = new QCheckBox(QStringLiteral("Include secondary"), this);
        m_secondary->setToolTip(QStringLiteral("Include secondary assignments"));
        top->addWidget(m_secondary);
        // The period on a row of its own: two whole long dates beside the
        // selector would make the window wider than many screens.
        auto* period = new QHBoxLayout;
        headerLayout()->addLayout(period);
        addDateEntry(period, QStringLiteral("Period Start:"), "startDateEdit", m_startDate);
        addDateEntry(period, QStringLiteral("Period End:"), "endDateEdit", m_endDate);
        period->addStretch();
        m_startDate->setText(formatDate(m_prefs.HISTSTARTDATE, kDatePicture));
        m_endDate->setText(formatDate(m_prefs.HISTENDDATE, kDatePicture));
        m_secondary->setChecked(m_prefs.HISTSECONDARY != 0);
    }
    m_secondary->setObjectName(QStringLiteral("secondaryCheck"));
    connect(m_secondary, &QCheckBox::toggled, this, [this](bool on) {
        (m_kind == ScheduleKind::LookForward ? m_prefs.SECONDARY : m_prefs.HISTSECONDARY) =
            on ? 1 : 0;
        reloadKeeping();
    });
    top->addStretch();
}

void ScheduleWindow::buildColumns() {
    struct Col {
        const char* heading;
        const char* field;
        const char* picture;
        int width;
        ColumnAlign align;
    };
    const Col name{"Assignment", "NAME", "@s50", 129, ColumnAlign::Left};
    const Col shortName{"Name", "NAME", "@s50", 129, ColumnAlign::Left};
    const Col person{"Person", "PERSON", "@s15", 71, ColumnAlign::Left};
    const Col priority{"Priority", "PRIORITY", "@n1", 24, ColumnAlign::Center};
    const Col due{"Due Date", "DUEDATE", "@D17b", 64, ColumnAlign::Right};
    const Col secondary{"Secondary", "SECONDARY", "@n3", 12, ColumnAlign::Center};
    const Col concluded{"Concluded:", "CLOSEDATE", "@D17b", 64, ColumnAlign::Right};
    const Col user{"User Name", "USERNAME", "@s15", 60, ColumnAlign::Left};
    const Col number{"Assign Number", "ASSIGNNUMBER", "@n-13", 52, ColumnAlign::Right};
    const Col assigned{"Assigned", "ASSIGNEDDATE", "@D17b", 64, ColumnAlign::Right};
    const Col assignedDate{"Assigned Date", "ASSIGNEDDATE", "@D17b", 64, ColumnAlign::Right};

    std::vector<Col> cols;
    int visible = 0;  // 0: all
    if (m_kind == ScheduleKind::LookForward) {
        switch (m_screen) {
            case ScheduleScreen::General:
                cols = {name, person, priority, due, secondary, concluded, user, number};
                visible = 4;
                break;
            case ScheduleScreen::Person:
                cols = {shortName, priority, due, secondary, concluded, number};
                visible = 3;
                break;
            case ScheduleScreen::Group:
                cols = {shortName, person, priority, due, secondary, concluded, number};
                visible = 4;
                break;
        }
    } else {
        switch (m_screen) {
            case ScheduleScreen::General:
                cols = {name, person, priority, assignedDate, due, concluded, secondary, number};
                break;
            case ScheduleScreen::Person:
                cols = {shortName, priority, assigned, due, concluded, secondary, number};
                break;
            case ScheduleScreen::Group:
                cols = {name, person, priority, assigned, due, concluded, number, secondary};
                break;
        }
    }
    std::vector<BrowseColumn> columns;
    for (const Col& c : cols)
        columns.push_back({QLatin1String(c.heading), QLatin1String(c.field),
                           QLatin1String(c.picture), c.width, c.align});
    list()->setColumns(columns);
    for (int i = visible; visible > 0 && i < static_cast<int>(cols.size()); ++i)
        list()->view()->setColumnHidden(i, true);
}

void ScheduleWindow::addDateEntry(QLayout* layout, const QString& label, const char* name,
                                  QLineEdit*& edit) {
    edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setProperty("picture", QString::fromUtf16(kDatePicture));
    // Wide enough for the longest date of the picture (a long month name),
    // so that a date shows whole instead of scrolled.
    int widest = 0;
    for (int month = 1; month <= 12; ++month)
        widest = std::max(widest, edit->fontMetrics().horizontalAdvance(
                                      formatDate(fromYmd(2028, month, 28), kDatePicture)));
    edit->setFixedWidth(widest + 2 * edit->fontMetrics().averageCharWidth() + 8);
    auto* cal = new QPushButton(QStringLiteral("Cal"), this);
    cal->setObjectName(
        QString(QLatin1String(name)).replace(QLatin1String("Edit"), QLatin1String("Cal")));
    cal->setAutoDefault(false);
    layout->addWidget(new QLabel(label, this));
    layout->addWidget(edit);
    layout->addWidget(cal);
    QLineEdit* entry = edit;
    connect(entry, &QLineEdit::editingFinished, this, [this, entry] { onDateAccepted(entry); });
    connect(cal, &QPushButton::clicked, this, [this, entry] {
        const Parsed<Date> now = parseDate(entry->text().trimmed(), kDatePicture, u"Date");
        if (const auto date = CalendarPopup::pick(this, now.ok() ? now.value : kNoDate)) {
            entry->setText(formatDate(*date, kDatePicture));
            onDateAccepted(entry);
        }
    });
}

void ScheduleWindow::onDateAccepted(QLineEdit* edit) {
    const QString field = edit == m_startDate                   ? QStringLiteral("Period Start")
                          : m_kind == ScheduleKind::LookForward ? QStringLiteral("End Date")
                                                                : QStringLiteral("Period End");
    const Parsed<Date> date = parseDate(edit->text().trimmed(), kDatePicture, field);
    if (!date.ok()) {
        // The typed text stays for the user to mend; nothing is applied.
        MessageBox::showText(this, date.error, {}, MessageButtons::Ok, {},
                             MessageBox::Icon::Warning);
        edit->setFocus();
        return;
    }
    Date* target = m_kind == ScheduleKind::LookForward ? &m_workspace.session.EndDate
                   : edit == m_startDate               ? &m_prefs.HISTSTARTDATE
                                                       : &m_prefs.HISTENDDATE;
    edit->setText(formatDate(date.value, kDatePicture));
    if (*target == date.value) return;
    *target = date.value;
    reloadKeeping();
}

void ScheduleWindow::showListedEndDate(Date date) {
    m_listedEndDate = date;
    // An entry the user is still typing in keeps what was typed; accepting it
    // sets the shared date and reads the list again.
    if (!m_endDate->isModified()) m_endDate->setText(formatDate(date, kDatePicture));
}

void ScheduleWindow::changeEvent(QEvent* event) {
    AssignmentListWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() &&
        m_kind == ScheduleKind::LookForward &&
        lookForwardEndDateMoved(m_listedEndDate, m_workspace.session))
        reloadKeeping();
}

void ScheduleWindow::onSelectorAccepted() {
    const std::string typed = store::rtrim(m_selector->text().toStdString());
    std::string& current = m_screen == ScheduleScreen::Person ? m_subject.person : m_subject.group;
    if (typed == current) return;
    current = typed;
    if (m_screen == ScheduleScreen::Group) m_subject.groupNumber = 0;
    reload();
}

void ScheduleWindow::lookUp() {
    if (m_screen == ScheduleScreen::Person) {
        PeopleBrowser browser(m_workspace, PeopleList::Viewable, true, this);
        if (browser.exec() != QDialog::Accepted || !browser.chosen()) return;
        m_selector->setText(QString::fromStdString(store::rtrim(browser.chosen()->SHORTNAME)));
        onSelectorAccepted();
    } else if (m_screen == ScheduleScreen::Group) {
        const std::optional<GroupName> group = selectGroupList(this, m_workspace);
        if (!group) return;
        m_selector->setText(QString::fromStdString(store::rtrim(group->GROUPNAME)));
        onSelectorAccepted();
        if (m_subject.groupNumber != group->GROUPNUMBER) {
            m_subject.groupNumber = group->GROUPNUMBER;  // the very list picked
            reload();
        }
    }
}

void ScheduleWindow::applyFilter() {
    const int tab = std::max(0, currentTabIndex());
    Status s;
    store::Filter filter;
    if (m_kind == ScheduleKind::LookForward) {
        s = loadLookForwardSubject(*m_workspace.db, m_screen, m_subject, tab, &m_scope);
        LookForwardOptions options;
        options.includeSecondary = m_prefs.SECONDARY != 0;
        options.includeDueNow = m_prefs.CURRENTDUE != 0;
        options.endDate = lookForwardEndDate(m_workspace.session);
        options.today = Clock::today();
        showListedEndDate(options.endDate);
        filter = lookForwardFilter(m_screen, tab, m_subject, options, m_scope);
    } else {
        s = loadHistorySubject(*m_workspace.db, m_screen, m_subject, tab, &m_scope);
        const HistoryOptions options{m_prefs.HISTSECONDARY != 0, m_prefs.HISTSTARTDATE,
                                     m_prefs.HISTENDDATE};
        filter = historyFilter(m_screen, tab, m_subject, options, m_scope);
    }
    if (!s.ok())
        MessageBox::showStandard(this, 35,
                                 QString::fromStdString(m_workspace.db->lastError().describe()),
                                 QStringLiteral("ASSIGNMENT"));
    list()->setFilter(std::move(filter));
}

bool ScheduleWindow::acceptChoice(const store::Row& row) {
    Assignment record;
    record.fromRow(row);
    // The page holds no memos; whoever gets the record gets all of it.
    if (!m_workspace.db->reread(record).ok()) {
        reloadOn(row);
        return false;
    }
    m_chosen = std::move(record);
    return true;
}

void ScheduleWindow::openProjects() {
    store::Row row;
    Assignment record;
    if (!highlightedRecord(row, record)) return;
    if (!m_workspace.db->reread(record).ok()) return reloadOn(row);
    if (m_projects)
        m_projects(this, m_workspace, record);
    else
        MessageBox::showStandard(this, 6, QStringLiteral("ProjectsForAssignment"));
}

bool ScheduleWindow::typedLetter(const QString& text) {
    if (m_kind != ScheduleKind::History || !historyTabTakesLetters(m_screen, currentTabIndex()))
        return false;
    if (text.size() != 1 || !text.front().isLetter()) return false;
    const store::Row* selected = selectedRow();
    BrowsePager& pager = list()->pager();
    if (selected) {
        Assignment current;
        current.fromRow(*selected);
        if (letterMovesToNextRow(current.NAME, text.toStdString())) {
            pager.rowDown();
            list()->refresh();
            updateActions();
            return true;
        }
    }
    pager.locate(store::Value(upperName(text.toStdString())));
    list()->refresh();
    updateActions();
    return true;
}

bool ScheduleWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list()->view() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
            typedLetter(key->text()))
            return true;
    }
    return AssignmentListWindow::eventFilter(watched, event);
}

void ScheduleWindow::writeBack() {
    if (m_written) return;
    m_written = true;
    const ScheduleSettings which = m_kind == ScheduleKind::LookForward
                                       ? ScheduleSettings::LookForward
                                       : ScheduleSettings::History;
    // Nothing changed here writes nothing, so it cannot undo another screen.
    UserPref probe = m_openedPrefs;
    if (!applyChangedSettings(which, m_openedPrefs, m_prefs, probe)) return;
    const Status s = writeBackUserPref(
        *m_workspace.db, m_workspace.session.GlobalUser,
        [&](UserPref& stored) { applyChangedSettings(which, m_openedPrefs, m_prefs, stored); });
    if (!s.ok()) showFileError(this, *m_workspace.db, "USERPREF");
}

void ScheduleWindow::done(int result) {
    // Every way of closing (Close, Escape, the title bar, Select) ends here.
    writeBack();
    AssignmentListWindow::done(result);
}

}  // namespace tko
