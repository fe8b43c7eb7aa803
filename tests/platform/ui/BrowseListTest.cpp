// The browse list on the offscreen platform: keyboard paging over 10 000
// rows shows the right rows, typing locates, the signals reach the window.
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabBar>
#include <QTableView>
#include <QTest>

#include "PagerFixture.h"
#include "platform/ui/BrowseList.h"
#include "platform/ui/MessageBox.h"

using tko::test::PagerStore;

class BrowseListTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<PagerStore> m_store;
    std::unique_ptr<tko::BrowseList> m_list;

    int shownNumber(int row) const { return m_list->cellText(row, 0).toInt(); }
    int selectedNumber() const {
        return m_list->selectedRow() ? PagerStore::numberOf(*m_list->selectedRow()) : -1;
    }
    QList<int> shownNumbers() const {
        QList<int> out;
        for (int r = 0; r < m_list->view()->model()->rowCount(); ++r) out << shownNumber(r);
        return out;
    }
    static QList<int> span(int first, int count) {
        QList<int> out;
        for (int i = 0; i < count; ++i) out << first + i;
        return out;
    }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(m_list->view(), key, modifiers);
    }

private slots:
    void initTestCase() {
        tko::MessageBox::setTestMode(true);
        m_store = std::make_unique<PagerStore>(10000);
        QVERIFY(m_store->ok());
    }

    void init() {
        m_list = std::make_unique<tko::BrowseList>(m_store->engine(), tko::Assignment::def());
        m_list->setFormat(
            QStringLiteral("40R(2)~Number~@n_6@#ASSIGNNUMBER#120L(2)~Name~@s50@#NAME#"
                           "60R(2)~Due~@D17b@#DUEDATE#"));
        m_list->setSortTabs(
            {{QStringLiteral("By Number"), tko::Assignment::def().key("ASS:NUMBER_KEY")},
             {QStringLiteral("By Name"), tko::Assignment::def().key("ASS:NAME_KEY")}});
        m_list->resize(500, 400);
        m_list->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_list.get()));
        QVERIFY(m_list->reload().ok());
        tko::MessageBox::clearShown();
    }

    void cleanup() { m_list.reset(); }

    void pageFitsTheViewAndColumnsFollowTheFormat() {
        const int rows = m_list->pager().pageSize();
        QVERIFY(rows > 5);
        QCOMPARE(m_list->view()->model()->rowCount(), rows);
        QCOMPARE(m_list->columnCount(), 3);
        QCOMPARE(m_list->view()->model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("Name"));
        QCOMPARE(shownNumbers(), span(1, rows));
        QCOMPARE(m_list->cellText(0, 1), QString::fromStdString(PagerStore::nameOf(1)));
        QVERIFY(!m_list->cellText(0, 2).isEmpty());
        // Every row is visible: the page is what the view shows.
        const QRect last = m_list->view()->visualRect(m_list->view()->model()->index(rows - 1, 0));
        QVERIFY(last.bottom() <= m_list->view()->viewport()->height());
    }

    void keyboardPagesThroughTenThousandRows() {
        const int rows = m_list->pager().pageSize();
        press(Qt::Key_PageDown);
        QCOMPARE(shownNumbers(), span(1 + rows, rows));
        QCOMPARE(selectedNumber(), 1 + rows);
        for (int i = 0; i < 10; ++i) press(Qt::Key_PageDown);
        QCOMPARE(shownNumbers(), span(1 + 11 * rows, rows));
        press(Qt::Key_Down);
        QCOMPARE(selectedNumber(), 2 + 11 * rows);
        press(Qt::Key_PageUp);
        QCOMPARE(shownNumbers(), span(1 + 10 * rows, rows));
        QCOMPARE(selectedNumber(), 2 + 10 * rows);

        press(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(shownNumbers(), span(10001 - rows, rows));
        QCOMPARE(selectedNumber(), 10000);
        QCOMPARE(m_list->view()->currentIndex().row(), rows - 1);
        QCOMPARE(m_list->scrollBar()->value(), m_list->scrollBar()->maximum());
        press(Qt::Key_Down);
        QCOMPARE(selectedNumber(), 10000);
        press(Qt::Key_Up);
        QCOMPARE(selectedNumber(), 9999);

        press(Qt::Key_Home);
        QCOMPARE(shownNumbers(), span(1, rows));
        QCOMPARE(selectedNumber(), 1);
        QCOMPARE(m_list->scrollBar()->value(), 0);
        press(Qt::Key_Up);
        QCOMPARE(selectedNumber(), 1);
        for (int i = 0; i < rows; ++i) press(Qt::Key_Down);
        QCOMPARE(shownNumbers(), span(2, rows));
        QCOMPARE(selectedNumber(), rows + 1);
    }

    void wheelAndScrollBarScroll() {
        const int rows = m_list->pager().pageSize();
        QWheelEvent down(QPointF(20, 20), m_list->view()->viewport()->mapToGlobal(QPointF(20, 20)),
                         QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                         false);
        QApplication::sendEvent(m_list->view()->viewport(), &down);
        const int step = QApplication::wheelScrollLines();
        QCOMPARE(shownNumbers(), span(1 + step, rows));

        m_list->scrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
        QCOMPARE(shownNumber(0), 1 + step + rows);
        m_list->scrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
        QCOMPARE(shownNumber(rows - 1), 10000);
        QCOMPARE(m_list->scrollBar()->value(), m_list->scrollBar()->maximum());
        m_list->scrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        QCOMPARE(shownNumber(rows - 1), 9999);
        QVERIFY(m_list->scrollBar()->value() < m_list->scrollBar()->maximum());
        // A drag released half-way lands about half-way.
        m_list->scrollBar()->setSliderDown(true);
        m_list->scrollBar()->setSliderPosition(500);
        m_list->scrollBar()->setSliderDown(false);
        QVERIFY(qAbs(shownNumber(0) - 5000) <= 10);
    }

    void typingLocatesOnTheSortTabsKey() {
        // Number tab: digits locate the number.
        QTest::keyClicks(m_list->view(), QStringLiteral("4711"));
        QCOMPARE(selectedNumber(), 4711);
        QCOMPARE(m_list->view()->currentIndex().row(), 0);

        m_list->sortTabs()->setCurrentIndex(1);
        QCOMPARE(selectedNumber(), 4711);  // the selected row stays
        QTest::qWait(static_cast<int>(tko::TypeAhead::kPauseMs) + 50);
        QTest::keyClicks(m_list->view(), QStringLiteral("Q task 0"));
        QVERIFY(m_list->cellText(m_list->view()->currentIndex().row(), 1)
                    .startsWith(QStringLiteral("Q task 0")));
        // Backspace takes back a letter and locates again on what is left.
        press(Qt::Key_Backspace);
        QVERIFY(m_list->cellText(m_list->view()->currentIndex().row(), 1)
                    .startsWith(QStringLiteral("Q task ")));
    }

    void keysAskTheWindowForFormsAndSelectModeChooses() {
        QSignalSpy change(m_list.get(), &tko::BrowseList::changeRequested);
        QSignalSpy insert(m_list.get(), &tko::BrowseList::insertRequested);
        QSignalSpy remove(m_list.get(), &tko::BrowseList::deleteRequested);
        QSignalSpy chosen(m_list.get(), &tko::BrowseList::rowChosen);
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QCOMPARE(change.count(), 1);
        QCOMPARE(PagerStore::numberOf(change.at(0).at(0).value<tko::store::Row>()), 2);
        press(Qt::Key_Insert);
        QCOMPARE(insert.count(), 1);
        press(Qt::Key_Delete);
        QCOMPARE(remove.count(), 1);
        QCOMPARE(chosen.count(), 0);

        m_list->setSelectMode(true);
        const QModelIndex third = m_list->view()->model()->index(2, 0);
        const QPoint at = m_list->view()->visualRect(third).center();
        // An item view takes a double-click on the item that the first click pressed.
        QTest::mouseClick(m_list->view()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(selectedNumber(), 3);
        QTest::mouseDClick(m_list->view()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(chosen.count(), 1);
        QVERIFY(m_list->chosenRow().has_value());
        QCOMPARE(PagerStore::numberOf(*m_list->chosenRow()), 3);
        QCOMPARE(change.count(), 1);
    }

    void reloadAfterADeleteKeepsThePlace() {
        for (int i = 0; i < 4; ++i) press(Qt::Key_Down);
        const tko::store::Row gone = *m_list->selectedRow();
        QCOMPARE(PagerStore::numberOf(gone), 5);
        QVERIFY(m_store->remove(5));
        QVERIFY(m_list->reloadAt(gone).ok());
        QCOMPARE(selectedNumber(), 6);
        QCOMPARE(m_list->view()->currentIndex().row(), 4);
        QCOMPARE(shownNumber(3), 4);
    }

    void translatedFormatReplacesHeadings() {
        // The window translator writes the translated format into the view.
        m_list->view()->setProperty("format", QStringLiteral("40R(2)~Nummer~@n_6@#ASSIGNNUMBER#"
                                                             "120L(2)~Bezeichnung~@s50@#NAME#"));
        QCOMPARE(m_list->columnCount(), 2);
        QCOMPARE(m_list->view()->model()->headerData(1, Qt::Horizontal).toString(),
                 QStringLiteral("Bezeichnung"));
        QCOMPARE(m_list->format(), m_list->view()->property("format").toString());
    }
};

QTEST_MAIN(BrowseListTest)
#include "BrowseListTest.moc"
