// The list-window scaffold on the offscreen platform: keys pressed anywhere in
// the window reach the list, select mode hands back the chosen row, the
// pop-up greys its row items on an empty list, and a reload lands on the
// neighbour of a row that vanished.
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QToolBar>
#include <QVBoxLayout>

#include "PagerFixture.h"
#include "platform/store/Filter.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/ListWindow.h"
#include "platform/ui/MessageBox.h"

using tko::test::PagerStore;

namespace {

// A list screen as the program's screens build one: an entry and a choice
// above the list, one button per role, a pop-up with a row item and an item
// that needs none.
class SampleList : public tko::ListWindow {
public:
    SampleList(PagerStore& store, bool selectMode)
        : tko::ListWindow(store.engine(), tko::Assignment::def()) {
        setIdentity(
            {"SampleList", "sampleList", QStringLiteral("Sample"), QStringLiteral("~Sample")});
        entry = new QLineEdit(this);
        choice = new QComboBox(this);
        choice->addItems({QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three")});
        headerLayout()->addWidget(entry);
        headerLayout()->addWidget(choice);
        list()->setFormat(
            QStringLiteral("40R(2)~Number~@n_6@#ASSIGNNUMBER#120L(2)~Name~@s50@#NAME#"));
        setSortTabs({{"By Number", "Sort by number", "ASS:NUMBER_KEY", "Number"},
                     {"By Name", "Sort by name", "ASS:NAME_KEY", "Name"}});
        setSelectMode(selectMode);
        using tko::ListRole;
        using tko::NeedsRow;
        setButtons({
            {"changeButton", "&Change", "", [this] { changed << highlighted(); }, ListRole::Change,
             NeedsRow::Yes},
            {"insertButton", "&Insert", "", [this] { ++inserts; }, ListRole::Insert, NeedsRow::No,
             true},
            {"deleteButton", "&Delete", "", [this] { deleted << highlighted(); }, ListRole::Delete,
             NeedsRow::Yes},
        });
        setPopup({{"changeItem", "Change", [this] { changed << highlighted(); }},
                  {"insertItem", "Insert", [this] { ++inserts; }, NeedsRow::No}});
        beforeReload = [this] {
            ++reloads;
            if (empty) list()->setFilter(tko::store::lt("ASSIGNNUMBER", std::int64_t{0}));
        };
    }

    int highlighted() const {
        return list()->selectedRow() ? PagerStore::numberOf(*list()->selectedRow()) : -1;
    }

    QLineEdit* entry = nullptr;
    QComboBox* choice = nullptr;
    QList<int> changed;
    QList<int> deleted;
    int inserts = 0;
    int reloads = 0;
    bool empty = false;
    bool refuseChoice = false;

protected:
    bool acceptChoice(const tko::store::Row&) override { return !refuseChoice; }
};

}  // namespace

class ListWindowTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PagerStore> m_store;

    std::unique_ptr<SampleList> open(bool selectMode = false, bool empty = false) {
        auto window = std::make_unique<SampleList>(*m_store, selectMode);
        window->empty = empty;
        window->finish(500, 400);
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get())) return nullptr;
        return window;
    }

private slots:
    void initTestCase() {
        tko::MessageBox::setTestMode(true);
        m_store = std::make_unique<PagerStore>(500);
        QVERIFY(m_store->ok());
    }

    void keysAnywhereInTheWindowReachTheList() {
        auto window = open();
        QVERIFY(window);
        QCOMPARE(window->highlighted(), 1);
        window->entry->setFocus();
        QTest::keyClick(window->entry, Qt::Key_Down);
        QTest::keyClick(window->entry, Qt::Key_Down);
        QCOMPARE(window->highlighted(), 3);
        QTest::keyClick(window->entry, Qt::Key_Up);
        QCOMPARE(window->highlighted(), 2);
        // A page further on, then back.
        QTest::keyClick(window->entry, Qt::Key_PageDown);
        const int afterPage = window->highlighted();
        QVERIFY(afterPage > 3);
        QTest::keyClick(window->entry, Qt::Key_PageUp);
        QVERIFY(window->highlighted() < afterPage);

        // The choice keeps its own arrows.
        const int before = window->highlighted();
        QTest::keyClick(window->choice, Qt::Key_Down);
        QCOMPARE(window->highlighted(), before);
        QCOMPARE(window->choice->currentIndex(), 1);

        // Insert and Ctrl+Enter from the entry run the roles on the highlight.
        QTest::keyClick(window->entry, Qt::Key_Insert);
        QCOMPARE(window->inserts, 1);
        QTest::keyClick(window->entry, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(window->changed, QList<int>{before});
        // Keys in the list itself are handled once, not twice.
        QTest::keyClick(window->list()->view(), Qt::Key_Down);
        QCOMPARE(window->highlighted(), before + 1);
        QTest::keyClick(window->list()->view(), Qt::Key_Delete);
        QCOMPARE(window->deleted, QList<int>{before + 1});
    }

    void selectModeHandsBackTheChosenRow() {
        auto window = open(true);
        QVERIFY(window);
        QPushButton* select = window->button(QStringLiteral("selectButton"));
        QVERIFY(select);
        QVERIFY(select->isDefault());
        QVERIFY(select->isEnabled());
        QVERIFY(!window->button(QStringLiteral("changeButton"))->isEnabled());
        QVERIFY(!window->button(QStringLiteral("deleteButton"))->isEnabled());
        // A button that says so stays usable while picking.
        QVERIFY(window->button(QStringLiteral("insertButton"))->isEnabled());

        // Enter on the list chooses instead of changing.
        QTest::keyClick(window->list()->view(), Qt::Key_Down);
        window->refuseChoice = true;
        QTest::keyClick(window->list()->view(), Qt::Key_Return);
        QVERIFY(!window->chosenRow());
        QVERIFY(window->isVisible());
        window->refuseChoice = false;
        QTest::keyClick(window->list()->view(), Qt::Key_Return);
        QVERIFY(window->chosenRow());
        QCOMPARE(PagerStore::numberOf(*window->chosenRow()), 2);
        QCOMPARE(window->result(), int(QDialog::Accepted));
        QVERIFY(window->changed.isEmpty());

        // Outside select mode there is no Select button.
        auto plain = open(false);
        QVERIFY(plain);
        QVERIFY(!plain->button(QStringLiteral("selectButton")));
        QTest::keyClick(plain->entry, Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(!plain->chosenRow());
        QCOMPARE(plain->changed, QList<int>{1});
    }

    void anEmptyListGreysItsRowActionsButInsertStillWorks() {
        auto window = open(false, true);
        QVERIFY(window);
        QVERIFY(window->list()->pager().isEmpty());
        QVERIFY(!window->button(QStringLiteral("changeButton"))->isEnabled());
        QVERIFY(!window->button(QStringLiteral("deleteButton"))->isEnabled());
        QVERIFY(window->button(QStringLiteral("insertButton"))->isEnabled());
        // The window owns its pop-up menus.
        QMenu* menu = window->buildPopup();
        QCOMPARE(menu->actions().size(), 2);
        QVERIFY(!menu->actions().at(0)->isEnabled());
        QVERIFY(menu->actions().at(1)->isEnabled());
        menu->actions().at(1)->trigger();
        QCOMPARE(window->inserts, 1);
        // Ctrl+Enter and Delete on nothing do nothing.
        QTest::keyClick(window->entry, Qt::Key_Return, Qt::ControlModifier);
        QTest::keyClick(window->list()->view(), Qt::Key_Delete);
        QVERIFY(window->changed.isEmpty());
        QVERIFY(window->deleted.isEmpty());

        auto full = open();
        QVERIFY(full);
        QMenu* fullMenu = full->buildPopup();
        QVERIFY(fullMenu->actions().at(0)->isEnabled());
        fullMenu->actions().at(0)->trigger();
        QCOMPARE(full->changed, QList<int>{1});
    }

    // The first column (the name in most lists) takes the room of a wider
    // window; the others keep their widths.
    void theFirstColumnTakesTheRoomOfAWiderWindow() {
        auto window = open();
        QVERIFY(window);
        QTableView* view = window->list()->view();
        // At its first size the columns fill the list: no gap after the last.
        const int name = view->columnWidth(1);
        QCOMPARE(view->columnWidth(0) + name, view->viewport()->width());
        const int first = view->columnWidth(0);
        window->resize(window->width() + 200, window->height());
        QTRY_COMPARE(view->columnWidth(0), first + 200);
        QCOMPARE(view->columnWidth(1), name);
        // Narrower: the column gives back what it took.
        window->resize(300, window->height());
        QTRY_VERIFY(view->columnWidth(0) < first);
        QCOMPARE(view->columnWidth(1), name);

        // A list may name another column: that one now fills the list.
        window->resize(800, window->height());
        window->list()->setStretchColumn(1);
        QTRY_COMPARE(view->columnWidth(0) + view->columnWidth(1), view->viewport()->width());
        QVERIFY(view->columnWidth(1) > name);
        const int number = view->columnWidth(0);
        window->resize(900, window->height());
        QTRY_COMPARE(view->columnWidth(0) + view->columnWidth(1), view->viewport()->width());
        QCOMPARE(view->columnWidth(0), number);
    }

    void anEmptyListShowsNoScrollBars() {
        auto empty = open(false, true);
        QVERIFY(empty);
        // Its columns wider than the list (the window stops at its minimum
        // width, which its columns fit): once the view has laid them out,
        // there is something to scroll sideways, yet no scroll bar shows.
        empty->resize(150, empty->height());
        QTableView* emptyView = empty->list()->view();
        emptyView->setColumnWidth(0, emptyView->viewport()->width() + 200);
        QTRY_VERIFY(emptyView->horizontalScrollBar()->maximum() > 0);
        QVERIFY(!empty->list()->scrollBar()->isVisible());
        QVERIFY(!empty->list()->view()->horizontalScrollBar()->isVisible());

        // 500 rows: there is something to scroll to.
        auto full = open();
        QVERIFY(full);
        QVERIFY(full->list()->scrollBar()->isVisible());
    }

    // The window opens centred on its opener's working area: below the menu
    // bar and toolbar of a main window, not over them.
    void aListOpensCentredOnTheMainFramesWorkingArea() {
        QMainWindow frame;
        frame.menuBar()->addMenu(QStringLiteral("File"));
        frame.addToolBar(QStringLiteral("Tools"))->addAction(QStringLiteral("Add"));
        auto* work = new QWidget;
        frame.setCentralWidget(work);
        frame.setGeometry(40, 40, 700, 420);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        SampleList window(*m_store, false);
        window.setParent(&frame, window.windowFlags());
        window.finish(400, 380);  // taller than the working area
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect area(work->mapToGlobal(QPoint(0, 0)), work->size());
        QCOMPARE(window.frameGeometry().top(), area.top());
        QVERIFY(area.height() < 380);
        QVERIFY(qAbs(window.frameGeometry().center().x() - area.center().x()) <= 1);

        SampleList small(*m_store, false);
        small.setParent(&frame, small.windowFlags());
        small.finish(300, 200);
        small.show();
        QVERIFY(QTest::qWaitForWindowExposed(&small));
        QVERIFY(qAbs(small.frameGeometry().center().y() - area.center().y()) <= 1);
    }

    // Opened narrower than its columns, a window widens to show them all.
    void aWindowOpensWideEnoughForItsColumns() {
        SampleList window(*m_store, false);
        window.finish(100, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTableView* view = window.list()->view();
        QVERIFY(view->columnWidth(0) + view->columnWidth(1) <= view->viewport()->width());
        QVERIFY(!view->horizontalScrollBar()->isVisible());
    }

    void reloadLandsOnTheNeighbourOfAVanishedRow() {
        auto window = open();
        QVERIFY(window);
        for (int i = 0; i < 9; ++i) QTest::keyClick(window->entry, Qt::Key_Down);
        QCOMPARE(window->highlighted(), 10);
        const tko::store::Row row = *window->list()->selectedRow();
        QVERIFY(m_store->remove(10));
        const int reloads = window->reloads;
        window->reloadKeeping();
        QCOMPARE(window->reloads, reloads + 1);
        QCOMPARE(window->highlighted(), 11);
        // Positioned on a row that is still there, the reload keeps it.
        window->reloadOn(row);
        QCOMPARE(window->highlighted(), 11);
        QTest::keyClick(window->entry, Qt::Key_Up);
        QCOMPARE(window->highlighted(), 9);
    }

    void sortTabsCarryTheirTipsAndReportOrders() {
        auto window = open();
        QVERIFY(window);
        QTabBar* tabs = window->list()->sortTabs();
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabToolTip(1), QStringLiteral("Sort by name"));
        QCOMPARE(QLatin1String(window->currentTab()->reportOrder), QLatin1String("Number"));
        tabs->setCurrentIndex(1);
        QCOMPARE(QLatin1String(window->currentTab()->reportOrder), QLatin1String("Name"));
        QCOMPARE(window->list()->pager().key()->label, std::string("ASS:NAME_KEY"));
    }
};

QTEST_MAIN(ListWindowTest)
#include "ListWindowTest.moc"
