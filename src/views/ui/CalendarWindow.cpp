#include "views/ui/CalendarWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include "access/Access.h"
#include "assign/lists/ui/AssignmentListScreens.h"
#include "data/Keys.h"
#include "data/Messages.h"
#include "platform/ChangeWatcher.h"
#include "platform/LocaleFormat.h"
#include "platform/Picture.h"
#include "platform/ui/MessageBox.h"
#include "translator/Lingua.h"

namespace tko {

namespace {

QString translated(const char* source) {
    return QString::fromStdString(translateText(source));
}

}  // namespace

CalendarWindow::CalendarWindow(Workspace& workspace, ListActions actions, CalendarPrint print,
                               QWidget* parent)
    : QWidget(parent, Qt::Window),
      m_workspace(workspace),
      m_actions(std::move(actions)),
      m_print(std::move(print)) {
    setObjectName(QStringLiteral("CalendarWindow"));
    setWindowTitle(QStringLiteral("Calendar"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(980, 680);
    buildControls();
    m_view->setFirstWeekday(LocaleFormat::active()->firstWeekday);
    m_view->setToday(Clock::today());
    UserPref prefs;
    if (loadUserPref(*m_workspace.db, m_workspace.session.GlobalUser, prefs).ok())
        m_secondary->setChecked(prefs.SECONDARY == 1);
    m_view->setSelectedDate(Clock::today());
    reload();

    // Other stations' changes are read again once the current event is
    // handled, however many notices arrive together.
    m_reloadTimer = new QTimer(this);
    m_reloadTimer->setSingleShot(true);
    m_reloadTimer->setInterval(0);
    connect(m_reloadTimer, &QTimer::timeout, this, &CalendarWindow::reload);
    if (ChangeWatcher* watcher = ChangeWatcher::of(m_workspace.db->engine()))
        connect(watcher, &ChangeWatcher::changed, this, [this](const store::ChangeNotice& notice) {
            if (notice.touches(label::ASSIGNMENT) || notice.touches(label::REMINDER) ||
                notice.touches(label::ANNIVERS))
                m_reloadTimer->start();
        });
}

void CalendarWindow::buildControls() {
    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    layout->addLayout(bar);

    m_pages = new QTabBar(this);
    m_pages->setObjectName(QStringLiteral("pageTabs"));
    m_pages->addTab(QStringLiteral("Month"));
    m_pages->addTab(QStringLiteral("Week"));
    m_pages->addTab(QStringLiteral("Day"));
    m_pages->setDrawBase(false);
    bar->addWidget(m_pages);

    auto* previous = new QToolButton(this);
    previous->setObjectName(QStringLiteral("previousButton"));
    previous->setArrowType(Qt::LeftArrow);
    previous->setToolTip(QStringLiteral("Previous"));
    auto* today = new QPushButton(QStringLiteral("&Today"), this);
    today->setObjectName(QStringLiteral("todayButton"));
    auto* next = new QToolButton(this);
    next->setObjectName(QStringLiteral("nextButton"));
    next->setArrowType(Qt::RightArrow);
    next->setToolTip(QStringLiteral("Next"));
    bar->addWidget(previous);
    bar->addWidget(today);
    bar->addWidget(next);

    m_title = new QLabel(this);
    m_title->setObjectName(QStringLiteral("periodLabel"));
    QFont big = m_title->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    big.setBold(true);
    m_title->setFont(big);
    bar->addWidget(m_title, 1);

    m_screen = new QComboBox(this);
    m_screen->setObjectName(QStringLiteral("screenCombo"));
    m_screen->addItem(QStringLiteral("General"));
    m_screen->addItem(QStringLiteral("Person"));
    m_screen->addItem(QStringLiteral("Group"));
    m_subject = new QLineEdit(this);
    m_subject->setObjectName(QStringLiteral("subjectEdit"));
    m_subject->setMaxLength(Assignment::Width::PERSON > GroupName::Width::GROUPNAME
                                ? Assignment::Width::PERSON
                                : GroupName::Width::GROUPNAME);
    m_subject->setEnabled(false);
    m_subject->setMaximumWidth(160);
    m_secondary = new QCheckBox(QStringLiteral("&Secondary"), this);
    m_secondary->setObjectName(QStringLiteral("secondaryCheck"));
    bar->addWidget(m_screen);
    bar->addWidget(m_subject);
    bar->addWidget(m_secondary);

    auto* printButton = new QToolButton(this);
    printButton->setObjectName(QStringLiteral("printButton"));
    printButton->setText(QStringLiteral("&Print"));
    printButton->setPopupMode(QToolButton::InstantPopup);
    auto* printMenu = new QMenu(printButton);
    QAction* previewAction = printMenu->addAction(QStringLiteral("Print Pre&view"));
    previewAction->setObjectName(QStringLiteral("printPreviewAction"));
    QAction* printerAction = printMenu->addAction(QStringLiteral("&Print..."));
    printerAction->setObjectName(QStringLiteral("printAction"));
    printButton->setMenu(printMenu);
    bar->addWidget(printButton);

    m_view = new CalendarView(this);
    layout->addWidget(m_view, 1);
    auto* legend = new QLabel(this);
    legend->setObjectName(QStringLiteral("legendLabel"));
    legend->setText(QStringLiteral(
        "\u2022 due  ! overdue  \u21bb repeat  ~ projected  \u266a reminder  * yearly"));
    layout->addWidget(legend);

    connect(m_pages, &QTabBar::currentChanged, this, [this](int index) {
        m_view->setPage(static_cast<CalendarPage>(index));
        reload();
    });
    connect(previous, &QToolButton::clicked, this, [this] { step(-1); });
    connect(next, &QToolButton::clicked, this, [this] { step(1); });
    connect(today, &QPushButton::clicked, this, [this] {
        m_view->setSelectedDate(Clock::today());
        m_view->setFocus();
    });
    connect(m_screen, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_subject->setEnabled(index != 0);
        if (index == 0 || !m_subject->text().trimmed().isEmpty()) reload();
    });
    connect(m_subject, &QLineEdit::editingFinished, this, &CalendarWindow::reload);
    connect(m_secondary, &QCheckBox::toggled, this, &CalendarWindow::reload);
    connect(previewAction, &QAction::triggered, this, [this] { print(true); });
    connect(printerAction, &QAction::triggered, this, [this] { print(false); });
    connect(m_view, &CalendarView::selectedDateChanged, this, [this](Date) {
        if (m_view->firstShown() != m_loadedFirst || m_view->lastShown() != m_loadedLast)
            reload();
        else
            showTitle();
    });
    connect(m_view, &CalendarView::openRequested, this, &CalendarWindow::openEntry);
    connect(m_view, &CalendarView::moveRequested, this, &CalendarWindow::moveEntry);
    connect(m_view, &CalendarView::undoRequested, this, &CalendarWindow::undoLast);
    auto* undo = new QShortcut(QKeySequence::Undo, this);
    connect(undo, &QShortcut::activated, this, &CalendarWindow::undoLast);
}

CalendarSettings CalendarWindow::settings() const {
    CalendarSettings s;
    s.screen = static_cast<ScheduleScreen>(m_screen->currentIndex());
    const std::string subject = m_subject->text().trimmed().toStdString();
    if (s.screen == ScheduleScreen::Person) s.person = subject;
    if (s.screen == ScheduleScreen::Group) s.group = subject;
    s.includeSecondary = m_secondary->isChecked();
    s.today = Clock::today();
    return s;
}

void CalendarWindow::reload() {
    const Date first = m_view->firstShown(), last = m_view->lastShown();
    std::vector<CalendarEntry> entries;
    std::vector<Assignment> records;
    m_view->setToday(Clock::today());
    const Status s = calendarEntries(*m_workspace.db, m_workspace.session, settings(), first, last,
                                     entries, &records);
    if (!s.ok()) {
        MessageBox::show(this, standardMessage(35, s.describe(), label::ASSIGNMENT));
        return;
    }
    m_records.clear();
    for (Assignment& a : records) m_records.emplace(a.ASSIGNNUMBER, std::move(a));
    m_loadedFirst = first;
    m_loadedLast = last;
    m_view->setEntries(std::move(entries));
    showTitle();
}

void CalendarWindow::showTitle() {
    const Date selected = m_view->selectedDate();
    QString text;
    switch (m_view->page()) {
        case CalendarPage::Month:
            text = calendarMonthTitle(selected);
            break;
        case CalendarPage::Week:
            text = formatDate(m_view->firstShown(), u"@D17") + QStringLiteral(" \u2013 ") +
                   formatDate(m_view->lastShown(), u"@D17");
            break;
        case CalendarPage::Day:
            text = formatDate(selected, u"@D18");
            break;
    }
    m_title->setText(text);
}

void CalendarWindow::step(int direction) {
    const Date selected = m_view->selectedDate();
    switch (m_view->page()) {
        case CalendarPage::Month:
            m_view->setSelectedDate(shiftMonths(selected, direction));
            break;
        case CalendarPage::Week:
            m_view->setSelectedDate(selected + 7 * direction);
            break;
        case CalendarPage::Day:
            m_view->setSelectedDate(selected + direction);
            break;
    }
}

void CalendarWindow::openEntry(const CalendarEntry& entry) {
    if (!m_actions.openForm || entry.assignNumber == 0) return;
    Assignment record;
    const auto shown = m_records.find(entry.assignNumber);
    if (shown != m_records.end()) {
        record = shown->second;
        // The calendar reads no memos; the form gets the whole stored record.
        if (!m_workspace.db->reread(record).ok()) {
            reload();
            return;
        }
    } else {
        // A reminder's assignment the calendar did not list: opened only
        // where the user may see it.
        if (!m_workspace.db->fetch(key::ASS_NUMBER_KEY, {std::int64_t{entry.assignNumber}}, record)
                 .ok())
            return;
        access::Viewer viewer;
        if (!access::loadViewer(*m_workspace.db, m_workspace.session, viewer).ok() ||
            !access::maySeeAssignment(record, viewer)) {
            showOutcome(this, Outcome::refused("You may not open this assignment."));
            return;
        }
    }
    m_actions.openForm(this, m_workspace, Request::Change, record);
    reload();
}

void CalendarWindow::moveEntry(const CalendarEntry& entry, Date to) {
    const auto shown = m_records.find(entry.assignNumber);
    CalendarMove move;
    Outcome out;
    if (shown == m_records.end() ||
        (entry.kind != CalendarKind::Due && entry.kind != CalendarKind::Repeat))
        out = Outcome::refused("Only an assignment can be moved.");
    else
        out = moveDueDate(*m_workspace.db, m_workspace.session, shown->second, entry, to,
                          Clock::today(), Clock::now(), move);
    if (out.ok() && move.assignNumber != 0) m_undo.push_back(move);
    if (!out.ok()) showOutcome(this, out, windowTitle());
    reload();
}

void CalendarWindow::undoLast() {
    if (m_undo.empty()) return;
    const CalendarMove move = m_undo.back();
    m_undo.pop_back();
    const Outcome out =
        undoMove(*m_workspace.db, m_workspace.session, move, Clock::today(), Clock::now());
    if (!out.ok()) showOutcome(this, out, windowTitle());
    reload();
}

void CalendarWindow::print(bool preview) {
    if (!m_print) {
        MessageBox::showStandard(this, 6, translated("Print"));
        return;
    }
    Date from = weekStart(m_view->selectedDate(), LocaleFormat::active()->firstWeekday);
    Date to = from + 6;
    QString title = QString::fromStdString(translateText("Calendar (Week)"));
    if (m_view->page() == CalendarPage::Month) {
        const Ymd ymd = toYmd(m_view->selectedDate());
        from = fromYmd(ymd.year, ymd.month, 1);
        to = fromYmd(ymd.year, ymd.month, daysInMonth(ymd.year, ymd.month));
        title = QString::fromStdString(translateText("Calendar (Month)"));
    }
    m_print(this, m_workspace, settings(), from, to, title, preview);
}

CalendarWindow* openCalendarWindow(QWidget* parent, Workspace& workspace, CalendarPrint print) {
    auto* window = new CalendarWindow(workspace, programListActions(), std::move(print), parent);
    Translate(window);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void registerCalendarScreen(Procedures& procedures, CalendarPrint print) {
    procedures.add(QStringLiteral("Calendar"), [print](QWidget* parent, Workspace& workspace) {
        openCalendarWindow(parent, workspace, print);
    });
}

}  // namespace tko
