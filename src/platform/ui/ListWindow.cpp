#include "platform/ui/ListWindow.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/ChangeWatcher.h"
#include "platform/QtText.h"
#include "platform/Translate.h"
#include "platform/WindowPlacement.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"

namespace tko {

namespace {

// Entries that use Up, Down, PgUp and PgDn themselves keep them.
bool usesScrollKeys(const QObject* widget) {
    return qobject_cast<const QComboBox*>(widget) ||
           qobject_cast<const QAbstractSpinBox*>(widget) ||
           qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
           qobject_cast<const QAbstractItemView*>(widget);
}

bool isScrollKey(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
           key == Qt::Key_PageDown;
}

}  // namespace

ListWindow::ListWindow(store::Engine& engine, const store::TableDef& table, QWidget* parent)
    : QDialog(parent) {
    setSizeGripEnabled(true);
    m_list = new BrowseList(engine, table, this);
    m_header = new QVBoxLayout;
    m_filterEdit = new QLineEdit(this);
    m_filterEdit->setObjectName(QStringLiteral("filterEdit"));
    m_filterEdit->setPlaceholderText(QStringLiteral("Filter"));
    m_filterEdit->setToolTip(QStringLiteral("Show only the rows that hold these words"));
    m_filterEdit->setClearButtonEnabled(true);
    // Typing waits a moment, so that a quick word reads the list once.
    m_filterTimer = new QTimer(this);
    m_filterTimer->setSingleShot(true);
    m_filterTimer->setInterval(200);
    connect(m_filterTimer, &QTimer::timeout, this, &ListWindow::applyFilterWords);
    connect(m_filterEdit, &QLineEdit::textEdited, this, [this] { m_filterTimer->start(); });
    connect(m_filterEdit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty()) applyFilterWords();  // the clear button, Escape
    });
    m_list->view()->setContextMenuPolicy(Qt::CustomContextMenu);

    connect(m_list, &BrowseList::changeRequested, this, [this] { runRole(ListRole::Change); });
    connect(m_list, &BrowseList::insertRequested, this, [this] { runRole(ListRole::Insert); });
    connect(m_list, &BrowseList::deleteRequested, this, [this] { runRole(ListRole::Delete); });
    connect(m_list, &BrowseList::rowChosen, this, &ListWindow::choose);
    connect(m_list, &BrowseList::selectionChanged, this, &ListWindow::updateActions);
    connect(m_list, &BrowseList::storageError, this, &QWidget::close);
    if (ChangeWatcher* watcher = ChangeWatcher::of(engine))
        connect(watcher, &ChangeWatcher::changed, this, &ListWindow::storeChanged);
    m_followTimer = new QTimer(this);
    m_followTimer->setSingleShot(true);
    m_followTimer->setInterval(250);
    connect(m_followTimer, &QTimer::timeout, this, &ListWindow::followChanges);
    m_releaseTimer = new QTimer(this);
    m_releaseTimer->setSingleShot(true);
    m_releaseTimer->setInterval(250);
    connect(m_releaseTimer, &QTimer::timeout, this, &ListWindow::releaseUnusedRows);
    connect(m_list->view(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu* menu = buildPopup();
        menu->exec(m_list->view()->viewport()->mapToGlobal(at));
        menu->deleteLater();
    });
    // Keys pressed anywhere in the window reach the list (eventFilter).
    qApp->installEventFilter(this);
}

void ListWindow::setIdentity(const Identity& identity) {
    setObjectName(QLatin1String(identity.objectName));
    m_list->setObjectName(QLatin1String(identity.listName));
    setWindowTitle(identity.title);
    setWhatsThis(identity.helpKeyword);
    setAttribute(Qt::WA_DeleteOnClose, identity.ownWindow);
}

void ListWindow::setSortTabs(std::vector<SortTab> tabs) {
    m_tabs = std::move(tabs);
    std::vector<std::pair<QString, const store::KeyDef*>> keyed;
    for (const SortTab& tab : m_tabs)
        keyed.emplace_back(QLatin1String(tab.caption), m_list->pager().table().key(tab.keyLabel));
    m_list->setSortTabs(keyed);
    for (size_t i = 0; i < m_tabs.size(); ++i)
        if (*m_tabs[i].tip)
            m_list->sortTabs()->setTabToolTip(static_cast<int>(i), translated(m_tabs[i].tip));
}

int ListWindow::currentTabIndex() const {
    if (m_tabs.empty()) return -1;
    return std::clamp(m_list->sortTabs()->currentIndex(), 0, static_cast<int>(m_tabs.size()) - 1);
}

const SortTab* ListWindow::currentTab() const {
    const int index = currentTabIndex();
    return index < 0 ? nullptr : &m_tabs[static_cast<size_t>(index)];
}

void ListWindow::setButtons(std::vector<ListButton> buttons) {
    m_buttons = std::move(buttons);
}

void ListWindow::setPopup(std::vector<PopupItem> items) {
    m_popup = std::move(items);
}

void ListWindow::setSelectMode(bool on) {
    m_selectMode = on;
    m_list->setSelectMode(on);
}

void ListWindow::finish(int width, int height) {
    const bool hasSelect = std::any_of(m_buttons.begin(), m_buttons.end(), [](const ListButton& b) {
        return b.role == ListRole::Select;
    });
    if (m_selectMode && !hasSelect)
        m_buttons.insert(m_buttons.begin(), {"selectButton", "&Select", "", [this] { choose(); },
                                             ListRole::Select, NeedsRow::Yes});

    auto* row = new QHBoxLayout;
    for (const ListButton& entry : m_buttons) {
        auto* button = new QPushButton(QLatin1String(entry.text), this);
        button->setObjectName(QLatin1String(entry.name));
        if (*entry.tip) button->setToolTip(QLatin1String(entry.tip));
        const bool isDefault = m_selectMode && entry.role == ListRole::Select;
        button->setAutoDefault(isDefault);
        button->setDefault(isDefault);
        connect(button, &QPushButton::clicked, this, [this, run = entry.run] { runHandler(run); });
        row->addWidget(button);
        m_buttonWidgets.push_back(button);
    }
    row->addStretch();
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    row->addWidget(close);
    auto* help = new QPushButton(QStringLiteral("&Help"), this);
    help->setObjectName(QStringLiteral("helpButton"));
    help->setAutoDefault(false);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    row->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_filterEdit);
    layout->addLayout(m_header);
    layout->addWidget(m_list, 1);
    layout->addLayout(row);
    // Wide enough to show every column without scrolling sideways.
    const int columns = m_list->columnsWidth() + layout->contentsMargins().left() +
                        layout->contentsMargins().right();
    int fitting = std::max(width, columns);
    if (const QScreen* screen = (parentWidget() ? parentWidget() : this)->screen())
        fitting = std::min(fitting, screen->availableGeometry().width());
    resize(std::max(width, fitting), height);
    // The list, not the filter box above it, has the focus when the window opens.
    setTabOrder(m_filterEdit, m_list);
    m_list->view()->setFocus();
    reload();
}

void ListWindow::showEvent(QShowEvent* event) {
    if (!m_placed && !isMaximized()) {
        m_placed = true;
        QRect area;
        QWidget* opener = parentWidget() ? parentWidget()->window() : nullptr;
        if (auto* frame = qobject_cast<QMainWindow*>(opener); frame && frame->centralWidget()) {
            QWidget* work = frame->centralWidget();
            area = QRect(work->mapToGlobal(QPoint(0, 0)), work->size());
        } else if (opener) {
            area = opener->geometry();
        }
        const QScreen* screen = (opener ? opener : this)->screen();
        const QRect bounds = screen ? screen->availableGeometry() : QRect();
        if (area.isEmpty()) area = bounds;
        // The frame's decorations count, so that the title bar stays on screen.
        const QSize outer = frameGeometry().size().expandedTo(size());
        if (!area.isEmpty()) move(centredPlacement(area, outer, bounds));
    }
    QDialog::showEvent(event);
}

QPushButton* ListWindow::button(const QString& objectName) const {
    return findChild<QPushButton*>(objectName);
}

QMenu* ListWindow::buildPopup() {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("listPopup"));
    const bool any = m_list->selectedRow() != nullptr;
    for (const PopupItem& item : m_popup) {
        QAction* action = menu->addAction(translated(item.text));
        action->setObjectName(QLatin1String(item.name));
        action->setEnabled(item.needsRow == NeedsRow::No || any);
        connect(action, &QAction::triggered, this, [this, run = item.run] { runHandler(run); });
    }
    return menu;
}

const store::Row* ListWindow::selectedRow() const {
    return m_list->selectedRow();
}

void ListWindow::reload() {
    if (beforeReload) beforeReload();
    m_list->reload();
    updateActions();
}

void ListWindow::applyFilterWords() {
    m_filterTimer->stop();
    m_list->setFilterWords(m_filterEdit->text());
    reload();
}

void ListWindow::reloadOn(const store::Row& row) {
    if (beforeReload) beforeReload();
    m_list->reloadAt(row);
    updateActions();
}

void ListWindow::reloadKeeping() {
    if (const store::Row* row = m_list->selectedRow()) {
        const store::Row copy = *row;
        reloadOn(copy);
    } else {
        reload();
    }
}

void ListWindow::storeChanged(const store::ChangeNotice& notice) {
    bool shown = notice.touches(m_list->pager().table().label);
    for (const std::string& label : m_watched) shown = shown || notice.touches(label);
    if (!shown) return;
    m_reloadPending = true;
    followChanges();
}

void ListWindow::followChanges() {
    if (!m_reloadPending) return;
    // The page is read into a fresh one even while a modal window is up: the
    // rows shown before stay until no work of this window can still use them.
    if (beforeReload) beforeReload();
    const store::Status s = m_list->refreshQuietly();
    releaseUnusedRows();
    if (!s.ok() && !s.endOfRange()) {
        m_followTimer->start(ChangeWatcher::kIdleIntervalMs);
        return;
    }
    m_reloadPending = false;
    updateActions();
}

void ListWindow::runHandler(const std::function<void()>& run) {
    ++m_running;
    run();
    --m_running;
    releaseUnusedRows();
}

void ListWindow::releaseUnusedRows() {
    // A button's work (and the form or question it opened) may hold a row of
    // an earlier page; so may a modal window opened from here some other way.
    if (m_running > 0 || m_list->pager().retiredPageCount() == 0) return;
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && modal != this) {
        m_releaseTimer->start();
        return;
    }
    m_list->pager().releaseRetiredPages();
}

void ListWindow::updateActions() {
    const bool any = m_list->selectedRow() != nullptr;
    for (size_t i = 0; i < m_buttonWidgets.size(); ++i) {
        const ListButton& entry = m_buttons[i];
        bool enabled = entry.needsRow == NeedsRow::No || any;
        if (entry.role == ListRole::Select)
            enabled = enabled && m_selectMode;
        else if (m_selectMode && !entry.inSelectMode)
            enabled = false;
        m_buttonWidgets[i]->setEnabled(enabled);
    }
}

void ListWindow::choose() {
    if (!m_selectMode) return;
    const store::Row* row = m_list->selectedRow();
    if (!row) return;
    const store::Row chosen = *row;
    if (!acceptChoice(chosen)) return;
    m_chosen = chosen;
    accept();
}

void ListWindow::runRole(ListRole role) {
    if (role == ListRole::Select) return choose();
    for (size_t i = 0; i < m_buttonWidgets.size(); ++i) {
        if (m_buttons[i].role != role) continue;
        if (m_buttonWidgets[i]->isEnabled() && m_buttons[i].run) runHandler(m_buttons[i].run);
        return;
    }
}

bool ListWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    // The list handles the keys pressed in it; other windows are not ours.
    if (widget->window() != this || widget == m_list || m_list->isAncestorOf(widget)) return false;
    return windowKey(watched, static_cast<QKeyEvent*>(event));
}

bool ListWindow::windowKey(QObject* watched, QKeyEvent* event) {
    const int key = event->key();
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
    if (isScrollKey(key) && mods == Qt::NoModifier && !usesScrollKeys(watched))
        return m_list->keyFromWindow(event);
    if (key == Qt::Key_Escape && watched == m_filterEdit && !m_filterEdit->text().isEmpty()) {
        m_filterEdit->clear();
        return true;
    }
    if (key == Qt::Key_Insert && mods == Qt::NoModifier) {
        runRole(ListRole::Insert);
        return true;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter) && mods == Qt::ControlModifier) {
        runRole(m_selectMode ? ListRole::Select : ListRole::Change);
        return true;
    }
    return false;
}

}  // namespace tko
