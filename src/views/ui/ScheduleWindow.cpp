#include "views/ui/ScheduleWindow.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

#include "data/Messages.h"
#include "people/ui/GroupScreens.h"
#include "people/ui/PeopleBrowser.h"
#include "platform/Picture.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/CalendarPopup.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"

namespace tko {

namespace {

constexpr char16_t kDatePicture[] = u"@D18b";

QPushButton* addButton(QWidget* parent, QLayout* layout, const char* name, const QString& text,
                       const QString& tip = {}) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    if (!tip.isEmpty()) button->setToolTip(tip);
    button->setAutoDefault(false);
    layout->addWidget(button);
    return button;
}

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
    : QDialog(parent),
      m_workspace(workspace),
      m_kind(kind),
      m_screen(screen),
      m_actions(std::move(actions)),
      m_projects(std::move(projects)),
      m_selectMode(selectMode) {
    const bool lf = kind == ScheduleKind::LookForward;
    const QString word = QLatin1String(screenWord(screen));
    setObjectName((lf ? QStringLiteral("LookForward") : QStringLiteral("History")) + word +
                  QStringLiteral("Window"));
    setWindowTitle((lf ? QStringLiteral("Look Forward (") : QStringLiteral("History (")) + word +
                   QStringLiteral(")"));
    setWhatsThis(
        (lf ? QStringLiteral("~Look_Forward_Window_") : QStringLiteral("~History_Window_")) + word);
    if (!selectMode) {
        setWindowFlag(Qt::Window);
        setAttribute(Qt::WA_DeleteOnClose);
    }

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

    buildControls();
    applyFilter();
    m_list->reload();
    updateButtons();
}

void ScheduleWindow::buildControls() {
    const bool lf = m_kind == ScheduleKind::LookForward;
    auto* top = new QHBoxLayout;
    if (m_screen != ScheduleScreen::General) {
        const bool person = m_screen == ScheduleScreen::Person;
        m_selector = new QLineEdit(this);
        m_selector->setObjectName(person ? QStringLiteral("personEdit")
                                         : QStringLiteral("groupEdit"));
        m_selector->setMaxLength(person ? 15 : 20);
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
        m_endDate->setText(formatDate(m_workspace.session.EndDate, kDatePicture));
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
        addDateEntry(top, QStringLiteral("Period Start:"), "startDateEdit", m_startDate);
        addDateEntry(top, QStringLiteral("Period End:"), "endDateEdit", m_endDate);
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

    m_list = new BrowseList(m_workspace.db->engine(), Assignment::def(), this);
    m_list->setObjectName(QStringLiteral("scheduleList"));
    m_list->setSelectMode(m_selectMode);
    buildColumns();
    const auto& tabs = lf ? lookForwardTabs(m_screen) : historyTabs(m_screen);
    std::vector<std::pair<QString, const store::KeyDef*>> sortTabs;
    for (const ScheduleTab& tab : tabs)
        sortTabs.emplace_back(QLatin1String(tab.caption), Assignment::def().key(tab.keyLabel));
    m_list->setSortTabs(sortTabs);
    for (int i = 0; i < static_cast<int>(tabs.size()); ++i)
        m_list->sortTabs()->setTabToolTip(
            i, QString::fromStdString(translateText(tabs[static_cast<size_t>(i)].tip)));

    auto* buttons = new QHBoxLayout;
    m_select = addButton(this, buttons, "selectButton", QStringLiteral("&Select"));
    m_change = addButton(this, buttons, "changeButton", QStringLiteral("&Change/View"),
                         QStringLiteral("Change or view details of assignment"));
    m_insert = addButton(this, buttons, "insertButton", QStringLiteral("&Insert"),
                         QStringLiteral("Add new assignment"));
    m_conclude = addButton(this, buttons, "concludeButton", QStringLiteral("C&onclude"),
                           QStringLiteral("Conclude assignment"));
    buttons->addStretch();
    QPushButton* close = addButton(this, buttons, "closeButton", QStringLiteral("Close"));
    QPushButton* help = addButton(this, buttons, "helpButton", QStringLiteral("&Help"));
    m_select->setVisible(m_selectMode);
    if (m_selectMode) m_select->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(780, 440);

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("popupMenu"));
    m_popupInsert =
        m_popup->addAction(QStringLiteral("Insert"), this, &ScheduleWindow::insertAssignment);
    m_popupChange =
        m_popup->addAction(QStringLiteral("Change/View"), this, &ScheduleWindow::changeSelected);
    m_popupProjects =
        m_popup->addAction(QStringLiteral("Projects"), this, &ScheduleWindow::openProjects);
    m_list->view()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_list->view(), &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { showPopup(m_list->view()->viewport()->mapToGlobal(pos)); });

    connect(m_select, &QPushButton::clicked, this, &ScheduleWindow::selectHighlighted);
    connect(m_change, &QPushButton::clicked, this, &ScheduleWindow::changeSelected);
    connect(m_insert, &QPushButton::clicked, this, &ScheduleWindow::insertAssignment);
    connect(m_conclude, &QPushButton::clicked, this, &ScheduleWindow::concludeSelected);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    connect(m_list, &BrowseList::changeRequested, this, &ScheduleWindow::changeSelected);
    connect(m_list, &BrowseList::insertRequested, this, &ScheduleWindow::insertAssignment);
    connect(m_list, &BrowseList::rowChosen, this, &ScheduleWindow::selectHighlighted);
    connect(m_list, &BrowseList::selectionChanged, this, &ScheduleWindow::updateButtons);
    connect(m_list, &BrowseList::storageError, this, &QDialog::reject);
    // The list re-reads along the new key first; the filter of some tabs
    // differs (the exact person, the conclusion date), so read again with it.
    connect(m_list->sortTabs(), &QTabBar::currentChanged, this, [this] {
        applyFilter();
        reloadKeeping();
    });
    auto* ctrlEnter = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), this);
    connect(ctrlEnter, &QShortcut::activated, this, &ScheduleWindow::changeSelected);
    auto* ctrlEnterPad = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Enter), this);
    connect(ctrlEnterPad, &QShortcut::activated, this, &ScheduleWindow::changeSelected);
    // Installed after the list's own filter, so it sees the letters first.
    m_list->view()->installEventFilter(this);
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
    m_list->setColumns(columns);
    for (int i = visible; visible > 0 && i < static_cast<int>(cols.size()); ++i)
        m_list->view()->setColumnHidden(i, true);
}

void ScheduleWindow::addDateEntry(QLayout* layout, const QString& label, const char* name,
                                  QLineEdit*& edit) {
    edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setProperty("picture", QString::fromUtf16(kDatePicture));
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

void ScheduleWindow::onSelectorAccepted() {
    const std::string typed = store::rtrim(m_selector->text().toStdString());
    std::string& current = m_screen == ScheduleScreen::Person ? m_subject.person : m_subject.group;
    if (typed == current) return;
    current = typed;
    if (m_screen == ScheduleScreen::Group) m_subject.groupNumber = 0;
    applyFilter();
    m_list->reload();
    updateButtons();
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
            applyFilter();
            m_list->reload();
            updateButtons();
        }
    }
}

int ScheduleWindow::currentTab() const {
    return std::max(0, m_list->sortTabs()->currentIndex());
}

void ScheduleWindow::applyFilter() {
    const int tab = currentTab();
    Status s;
    store::Filter filter;
    if (m_kind == ScheduleKind::LookForward) {
        s = loadLookForwardSubject(*m_workspace.db, m_screen, m_subject);
        LookForwardOptions options;
        options.includeSecondary = m_prefs.SECONDARY != 0;
        options.includeDueNow = m_prefs.CURRENTDUE != 0;
        options.endDate = m_workspace.session.EndDate;
        options.today = Clock::today();
        filter = lookForwardFilter(m_screen, tab, m_subject, options, m_scope);
    } else {
        s = loadHistorySubject(*m_workspace.db, m_screen, m_subject);
        const HistoryOptions options{m_prefs.HISTSECONDARY != 0, m_prefs.HISTSTARTDATE,
                                     m_prefs.HISTENDDATE};
        filter = historyFilter(m_screen, tab, m_subject, options, m_scope);
    }
    if (!s.ok())
        MessageBox::showStandard(this, 35,
                                 QString::fromStdString(m_workspace.db->lastError().describe()),
                                 QStringLiteral("ASSIGNMENT"));
    m_list->setFilter(std::move(filter));
}

void ScheduleWindow::reloadKeeping() {
    applyFilter();
    if (const store::Row* row = m_list->selectedRow())
        m_list->reloadAt(*row);
    else
        m_list->reload();
    updateButtons();
}

void ScheduleWindow::reloadOn(const store::Row& row) {
    applyFilter();
    m_list->reloadAt(row);
    updateButtons();
}

void ScheduleWindow::updateButtons() {
    const bool any = m_list->selectedRow() != nullptr;
    m_select->setEnabled(any);
    m_change->setEnabled(any && !m_selectMode);
    m_conclude->setEnabled(any && !m_selectMode);
    m_insert->setEnabled(!m_selectMode);
    updatePopup();
}

void ScheduleWindow::updatePopup() {
    const bool any = m_list->selectedRow() != nullptr;
    m_popupInsert->setEnabled(!m_selectMode);
    m_popupChange->setEnabled(any && !m_selectMode);
    m_popupProjects->setEnabled(any);
}

void ScheduleWindow::showPopup(const QPoint& globalPos) {
    updatePopup();
    m_popup->popup(globalPos);
}

std::optional<Assignment> ScheduleWindow::highlighted() {
    const store::Row* selected = m_list->selectedRow();
    if (!selected) return std::nullopt;
    Assignment record;
    record.fromRow(*selected);
    // The page holds no memos; whoever gets the record gets all of it.
    if (!m_workspace.db->reread(record).ok()) {
        reloadKeeping();
        return std::nullopt;
    }
    return record;
}

void ScheduleWindow::changeSelected() {
    if (m_selectMode || !m_actions.openForm) return;
    const store::Row* selected = m_list->selectedRow();
    if (!selected) return;
    const store::Row row = *selected;
    std::optional<Assignment> record = highlighted();
    if (!record) return;
    m_workspace.session.GlobalRequest = Request::Change;
    const bool done = m_actions.openForm(this, m_workspace, Request::Change, *record);
    reloadOn(done ? record->toRow() : row);
}

void ScheduleWindow::insertAssignment() {
    if (m_selectMode || !m_actions.openForm) return;
    Assignment record;
    m_workspace.session.GlobalRequest = Request::Insert;
    if (m_actions.openForm(this, m_workspace, Request::Insert, record))
        reloadOn(record.toRow());
    else
        reloadKeeping();
}

void ScheduleWindow::concludeSelected() {
    if (m_selectMode || !m_actions.conclude) return;
    const store::Row* selected = m_list->selectedRow();
    if (!selected) return;
    const store::Row row = *selected;
    Assignment record;
    record.fromRow(row);
    const ConcludeOutcome outcome =
        m_actions.conclude(*m_workspace.db, m_workspace.session, record, Clock::today());
    if (outcome.kind == ConcludeOutcome::Failed)
        MessageBox::showText(this, QStringLiteral("%1"), QStringLiteral("Information Safeguard"),
                             MessageButtons::Ok, {QString::fromStdString(outcome.message)},
                             MessageBox::Icon::Warning);
    else if (!outcome.message.empty())
        MessageBox::showText(this, QStringLiteral("%1"), {}, MessageButtons::Ok,
                             {QString::fromStdString(outcome.message)});
    reloadOn(row);
}

void ScheduleWindow::selectHighlighted() {
    if (!m_selectMode) return;
    std::optional<Assignment> record = highlighted();
    if (!record) return;
    m_chosen = std::move(record);
    accept();
}

void ScheduleWindow::openProjects() {
    std::optional<Assignment> record = highlighted();
    if (!record) return;
    if (m_projects)
        m_projects(this, m_workspace, *record);
    else
        MessageBox::showStandard(this, 6, QStringLiteral("ProjectsForAssignment"));
}

bool ScheduleWindow::typedLetter(const QString& text) {
    if (m_kind != ScheduleKind::History || !historyTabTakesLetters(m_screen, currentTab()))
        return false;
    if (text.size() != 1 || !text.front().isLetter()) return false;
    const store::Row* selected = m_list->selectedRow();
    BrowsePager& pager = m_list->pager();
    if (selected) {
        Assignment current;
        current.fromRow(*selected);
        if (letterMovesToNextRow(current.NAME, text.toStdString())) {
            pager.rowDown();
            m_list->refresh();
            updateButtons();
            return true;
        }
    }
    pager.locate(store::Value(upperName(text.toStdString())));
    m_list->refresh();
    updateButtons();
    return true;
}

bool ScheduleWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list->view() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
            typedLetter(key->text()))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

void ScheduleWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown: {
            // Scroll the list wherever the focus is.
            QKeyEvent copy(QEvent::KeyPress, event->key(), event->modifiers());
            QCoreApplication::sendEvent(m_list->view(), &copy);
            return;
        }
        case Qt::Key_Insert:
            insertAssignment();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}

void ScheduleWindow::writeBack() {
    if (m_written) return;
    m_written = true;
    const UserPref chosen = m_prefs;
    const bool lf = m_kind == ScheduleKind::LookForward;
    const Status s =
        writeBackUserPref(*m_workspace.db, m_workspace.session.GlobalUser, [&](UserPref& stored) {
            if (lf) {
                stored.SECONDARY = chosen.SECONDARY;
                stored.CURRENTDUE = chosen.CURRENTDUE;
            } else {
                stored.HISTSECONDARY = chosen.HISTSECONDARY;
                stored.HISTSTARTDATE = chosen.HISTSTARTDATE;
                stored.HISTENDDATE = chosen.HISTENDDATE;
            }
        });
    if (!s.ok()) showFileError(this, *m_workspace.db, "USERPREF");
}

void ScheduleWindow::done(int result) {
    // Every way of closing (Close, Escape, the title bar, Select) ends here.
    writeBack();
    QDialog::done(result);
}

QPushButton* ScheduleWindow::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

}  // namespace tko
