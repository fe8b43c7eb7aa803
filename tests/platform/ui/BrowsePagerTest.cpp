// The paged list over a real store: moving through 10 000 rows, both ends,
// locating, reloading after deletes, switching keys, filters and ranges.
#include <gtest/gtest.h>

#include "PagerFixture.h"
#include "platform/BrowsePager.h"

#include <algorithm>

namespace tko {
namespace {

using test::PagerStore;

constexpr int kRows = 10000;
constexpr int kPage = 20;

std::vector<int> numbers(const BrowsePager& pager) {
    std::vector<int> out;
    for (const store::Row& row : pager.rows()) out.push_back(PagerStore::numberOf(row));
    return out;
}

std::vector<int> range(int first, int last) {
    std::vector<int> out;
    for (int i = first; i <= last; ++i) out.push_back(i);
    return out;
}

int selectedNumber(const BrowsePager& pager) {
    return pager.selectedRow() ? PagerStore::numberOf(*pager.selectedRow()) : -1;
}

const store::KeyDef* key(const char* label) {
    return Assignment::def().key(label);
}

// Read-only tests share one store of 10 000 rows.
class BrowsePagerLarge : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_store = new PagerStore(kRows); }
    static void TearDownTestSuite() {
        delete s_store;
        s_store = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(s_store && s_store->ok());
        m_pager = std::make_unique<BrowsePager>(s_store->engine(), Assignment::def());
        m_pager->setKey(key("ASS:NUMBER_KEY"));
        m_pager->setPageSize(kPage);
    }
    BrowsePager& pager() { return *m_pager; }

    static PagerStore* s_store;
    std::unique_ptr<BrowsePager> m_pager;
};
PagerStore* BrowsePagerLarge::s_store = nullptr;

TEST_F(BrowsePagerLarge, PagesDownAndUpThroughEveryRowWithFullPages) {
    ASSERT_TRUE(pager().top().ok());
    EXPECT_EQ(numbers(pager()), range(1, 20));
    EXPECT_TRUE(pager().atTop());
    EXPECT_FALSE(pager().atBottom());
    for (int page = 1; page < kRows / kPage; ++page) {
        ASSERT_TRUE(pager().pageDown().ok());
        ASSERT_EQ(numbers(pager()), range(page * kPage + 1, page * kPage + kPage)) << page;
        ASSERT_EQ(pager().selectedIndex(), 0);
    }
    EXPECT_TRUE(pager().atBottom());
    EXPECT_FALSE(pager().atTop());
    // At the bottom PgDn only moves the selection to the last row.
    ASSERT_TRUE(pager().pageDown().ok());
    EXPECT_EQ(numbers(pager()), range(9981, 10000));
    EXPECT_EQ(selectedNumber(pager()), 10000);
    for (int page = kRows / kPage - 2; page >= 0; --page) {
        ASSERT_TRUE(pager().pageUp().ok());
        ASSERT_EQ(numbers(pager()), range(page * kPage + 1, page * kPage + kPage)) << page;
    }
    EXPECT_EQ(selectedNumber(pager()), 20);
    ASSERT_TRUE(pager().pageUp().ok());
    EXPECT_EQ(numbers(pager()), range(1, 20));
    EXPECT_EQ(selectedNumber(pager()), 1);
    EXPECT_TRUE(pager().atTop());
}

TEST_F(BrowsePagerLarge, RowMovesScrollOnlyAtThePageEdgeAndStopAtTheEnds) {
    ASSERT_TRUE(pager().top().ok());
    ASSERT_TRUE(pager().rowUp().ok());
    EXPECT_EQ(numbers(pager()), range(1, 20));
    EXPECT_EQ(selectedNumber(pager()), 1);
    for (int i = 0; i < 19; ++i) ASSERT_TRUE(pager().rowDown().ok());
    EXPECT_EQ(numbers(pager()), range(1, 20));
    EXPECT_EQ(selectedNumber(pager()), 20);
    ASSERT_TRUE(pager().rowDown().ok());
    EXPECT_EQ(numbers(pager()), range(2, 21));
    EXPECT_EQ(selectedNumber(pager()), 21);
    EXPECT_FALSE(pager().atTop());

    ASSERT_TRUE(pager().bottom().ok());
    EXPECT_EQ(numbers(pager()), range(9981, 10000));
    EXPECT_EQ(selectedNumber(pager()), 10000);
    ASSERT_TRUE(pager().rowDown().ok());
    EXPECT_EQ(numbers(pager()), range(9981, 10000));
    EXPECT_EQ(selectedNumber(pager()), 10000);
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(pager().rowUp().ok());
    EXPECT_EQ(numbers(pager()), range(9980, 9999));
    EXPECT_EQ(selectedNumber(pager()), 9980);
}

TEST_F(BrowsePagerLarge, APageMoveNearAnEndMovesTheSelectionAPageAndKeepsThePageFull) {
    // Page 9974..9993: only seven rows follow it.
    ASSERT_TRUE(pager().reloadAt({store::Value{std::int64_t{9974}}}, 9974).ok());
    ASSERT_EQ(selectedNumber(pager()), 9974);
    ASSERT_EQ(pager().selectedIndex(), 0);
    ASSERT_TRUE(pager().pageDown().ok());
    EXPECT_EQ(numbers(pager()), range(9981, 10000));
    EXPECT_EQ(selectedNumber(pager()), 9994);

    // Page 4..23 with the selection on 23: only three rows precede it.
    ASSERT_TRUE(pager().top().ok());
    for (int i = 0; i < 22; ++i) ASSERT_TRUE(pager().rowDown().ok());
    ASSERT_EQ(numbers(pager()), range(4, 23));
    ASSERT_TRUE(pager().pageUp().ok());
    EXPECT_EQ(numbers(pager()), range(1, 20));
    EXPECT_EQ(selectedNumber(pager()), 3);
}

TEST_F(BrowsePagerLarge, ScrollingKeepsTheSelectionsPlaceInThePage) {
    ASSERT_TRUE(pager().top().ok());
    ASSERT_TRUE(pager().select(4));
    ASSERT_TRUE(pager().scroll(3).ok());
    EXPECT_EQ(numbers(pager()), range(4, 23));
    EXPECT_EQ(pager().selectedIndex(), 4);
    ASSERT_TRUE(pager().scroll(-10).ok());
    EXPECT_EQ(numbers(pager()), range(1, 20));
    ASSERT_TRUE(pager().bottom().ok());
    ASSERT_TRUE(pager().scroll(5).ok());
    EXPECT_EQ(numbers(pager()), range(9981, 10000));
}

TEST_F(BrowsePagerLarge, LocatesOnTheFirstKeyComponentAsTyped) {
    pager().setKey(key("ASS:NAME_KEY"));
    std::vector<std::string> names;
    for (int i = 1; i <= kRows; ++i) names.push_back(PagerStore::nameOf(i));
    std::sort(names.begin(), names.end());
    auto firstAtOrAfter = [&](const std::string& prefix) {
        return *std::lower_bound(names.begin(), names.end(), prefix);
    };

    const auto m = pager().locateValue(QStringLiteral("M"));
    ASSERT_TRUE(m.has_value());
    ASSERT_TRUE(pager().locate(*m).ok());
    EXPECT_EQ(PagerStore::nameOf(*pager().selectedRow()), firstAtOrAfter("M"));
    EXPECT_EQ(pager().selectedIndex(), 0);
    EXPECT_EQ(static_cast<int>(pager().rows().size()), kPage);

    ASSERT_TRUE(pager().locate(store::Value{std::string("M task 05")}).ok());
    EXPECT_EQ(PagerStore::nameOf(*pager().selectedRow()), firstAtOrAfter("M task 05"));

    // Names compare without regard to case: "m" finds the first name with M,
    // not the end of the list.
    ASSERT_TRUE(pager().locate(store::Value{std::string("m")}).ok());
    EXPECT_EQ(PagerStore::nameOf(*pager().selectedRow()), firstAtOrAfter("M"));
    EXPECT_EQ(static_cast<int>(pager().rows().size()), kPage);
    EXPECT_FALSE(pager().atBottom());

    // Near the end the page is filled from before the located row.
    const std::string late = names[names.size() - 3];
    ASSERT_TRUE(pager().locate(store::Value{late}).ok());
    EXPECT_EQ(PagerStore::nameOf(*pager().selectedRow()), late);
    EXPECT_EQ(pager().selectedIndex(), kPage - 3);
    EXPECT_EQ(static_cast<int>(pager().rows().size()), kPage);
}

TEST_F(BrowsePagerLarge, LocateValuesFollowTheFieldType) {
    EXPECT_FALSE(pager().locateValue(QStringLiteral("abc")).has_value());  // number key
    const auto n = pager().locateValue(QStringLiteral("4711"));
    ASSERT_TRUE(n.has_value());
    ASSERT_TRUE(pager().locate(*n).ok());
    EXPECT_EQ(selectedNumber(pager()), 4711);
    pager().setKey(nullptr);  // physical order has nothing to locate on
    EXPECT_FALSE(pager().locateValue(QStringLiteral("1")).has_value());
}

TEST_F(BrowsePagerLarge, SwitchingKeysKeepsTheSelectedRow) {
    ASSERT_TRUE(pager().reloadAt({store::Value{std::int64_t{500}}}, 500).ok());
    ASSERT_TRUE(pager().select(7));
    const int chosen = selectedNumber(pager());
    ASSERT_TRUE(pager().switchKey(key("ASS:NAME_KEY")).ok());
    EXPECT_EQ(selectedNumber(pager()), chosen);
    EXPECT_EQ(pager().selectedIndex(), 7);
    std::vector<std::string> shown;
    for (const store::Row& row : pager().rows()) shown.push_back(PagerStore::nameOf(row));
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_EQ(static_cast<int>(shown.size()), kPage);

    ASSERT_TRUE(pager().switchKey(key("ASS:DUEDATE_KEY")).ok());
    EXPECT_EQ(selectedNumber(pager()), chosen);
}

TEST_F(BrowsePagerLarge, AFilterListsOnlyMatchingRowsInEveryPage) {
    pager().setFilter(store::eq("PRIORITY", store::Value{std::int64_t{3}}));
    std::vector<int> expected;
    for (int i = 1; i <= kRows; ++i)
        if (1 + i % 9 == 3) expected.push_back(i);
    ASSERT_TRUE(pager().top().ok());
    std::vector<int> seen = numbers(pager());
    while (!pager().atBottom()) {
        ASSERT_TRUE(pager().pageDown().ok());
        const std::vector<int> page = numbers(pager());
        ASSERT_EQ(static_cast<int>(page.size()), kPage);
        for (int n : page)
            if (n > seen.back()) seen.push_back(n);
    }
    EXPECT_EQ(seen, expected);
    ASSERT_TRUE(pager().bottom().ok());
    EXPECT_EQ(selectedNumber(pager()), expected.back());
}

TEST_F(BrowsePagerLarge, TheScrollEstimateIsExactAtTheEndsAndNearOnEvenKeys) {
    ASSERT_TRUE(pager().top().ok());
    EXPECT_EQ(pager().position(), 0.0);
    ASSERT_TRUE(pager().bottom().ok());
    EXPECT_EQ(pager().position(), 1.0);
    ASSERT_TRUE(pager().reloadAt({store::Value{std::int64_t{5000}}}, 5000).ok());
    EXPECT_NEAR(pager().position(), 0.5, 0.01);

    ASSERT_TRUE(pager().scrollTo(0.25).ok());
    EXPECT_NEAR(PagerStore::numberOf(pager().rows().front()), 2500, 5);
    ASSERT_TRUE(pager().scrollTo(1.0).ok());
    EXPECT_EQ(selectedNumber(pager()), 10000);
    ASSERT_TRUE(pager().scrollTo(0.0).ok());
    EXPECT_EQ(selectedNumber(pager()), 1);

    // Names: the first letters spread evenly from A to Z.
    pager().setKey(key("ASS:NAME_KEY"));
    ASSERT_TRUE(pager().scrollTo(0.5).ok());
    const char letter = PagerStore::nameOf(pager().rows().front()).at(0);
    EXPECT_GE(letter, 'L');
    EXPECT_LE(letter, 'N');
    EXPECT_GT(pager().position(), 0.4);
    EXPECT_LT(pager().position(), 0.6);
}

TEST_F(BrowsePagerLarge, ResizingKeepsTheSelectedRowInView) {
    ASSERT_TRUE(pager().reloadAt({store::Value{std::int64_t{300}}}, 300).ok());
    ASSERT_TRUE(pager().select(15));
    const int chosen = selectedNumber(pager());
    ASSERT_TRUE(pager().resize(5).ok());
    EXPECT_EQ(static_cast<int>(pager().rows().size()), 5);
    EXPECT_EQ(selectedNumber(pager()), chosen);
    ASSERT_TRUE(pager().resize(40).ok());
    EXPECT_EQ(static_cast<int>(pager().rows().size()), 40);
    EXPECT_EQ(selectedNumber(pager()), chosen);
}

// Tests that change rows get a store of their own.
TEST(BrowsePagerChanges, ReloadOnADeletedRowLandsOnTheNextOne) {
    PagerStore s(100);
    ASSERT_TRUE(s.ok());
    BrowsePager pager(s.engine(), Assignment::def());
    pager.setKey(Assignment::def().key("ASS:NUMBER_KEY"));
    pager.setPageSize(10);
    ASSERT_TRUE(pager.top().ok());
    ASSERT_TRUE(pager.pageDown().ok());
    ASSERT_TRUE(pager.select(5));
    const store::Row gone = *pager.selectedRow();
    ASSERT_EQ(PagerStore::numberOf(gone), 16);
    ASSERT_TRUE(s.remove(16));
    ASSERT_TRUE(pager.reloadAt(gone).ok());
    EXPECT_EQ(selectedNumber(pager), 17);
    EXPECT_EQ(pager.selectedIndex(), 5);
    EXPECT_EQ(numbers(pager), (std::vector<int>{11, 12, 13, 14, 15, 17, 18, 19, 20, 21}));

    // The last row gone: the page ends on the new last row, still full.
    ASSERT_TRUE(pager.bottom().ok());
    const store::Row last = *pager.selectedRow();
    ASSERT_TRUE(s.remove(100));
    ASSERT_TRUE(pager.reloadAt(last).ok());
    EXPECT_EQ(numbers(pager), range(90, 99));
    EXPECT_EQ(selectedNumber(pager), 99);

    // Every row gone: an empty page, no selection, and moves do no harm.
    for (int i = 1; i <= 99; ++i) s.remove(i);
    ASSERT_TRUE(pager.refresh().ok());
    EXPECT_TRUE(pager.isEmpty());
    EXPECT_EQ(pager.selectedRow(), nullptr);
    EXPECT_TRUE(pager.rowDown().ok());
    EXPECT_TRUE(pager.pageUp().ok());
    EXPECT_TRUE(pager.scroll(3).ok());
    EXPECT_EQ(pager.position(), 0.0);
}

TEST(BrowsePagerChanges, TheEndsAreKnownFromTheFirstAndLastPageAlone) {
    // The first and last pages read one row more than they show: exactly a
    // page of rows is at both ends, one row more is not.
    for (int rows : {20, 21}) {
        PagerStore s(rows);
        ASSERT_TRUE(s.ok());
        BrowsePager pager(s.engine(), Assignment::def());
        pager.setKey(Assignment::def().key("ASS:NUMBER_KEY"));
        pager.setPageSize(20);
        ASSERT_TRUE(pager.top().ok());
        EXPECT_EQ(numbers(pager), range(1, 20)) << rows;
        EXPECT_TRUE(pager.atTop());
        EXPECT_EQ(pager.atBottom(), rows == 20) << rows;
        ASSERT_TRUE(pager.bottom().ok());
        EXPECT_EQ(numbers(pager), range(rows - 19, rows)) << rows;
        EXPECT_EQ(selectedNumber(pager), rows);
        EXPECT_TRUE(pager.atBottom());
        EXPECT_EQ(pager.atTop(), rows == 20) << rows;
    }
}

TEST(BrowsePagerChanges, EveryMoveKnowsBothEndsFromItsOwnRead) {
    // A move reads one row more than it shows instead of probing each end
    // afterwards; the ends must still be exact, also when exactly a page (or
    // one row more) lies beyond.
    for (int rows : {40, 41, 45}) {
        PagerStore s(rows);
        ASSERT_TRUE(s.ok());
        BrowsePager pager(s.engine(), Assignment::def());
        pager.setKey(Assignment::def().key("ASS:NUMBER_KEY"));
        pager.setPageSize(20);
        int step = 0;
        auto check = [&](store::Status status) {
            ++step;
            ASSERT_TRUE(status.ok()) << status.describe();
            const std::vector<int> shown = numbers(pager);
            ASSERT_EQ(shown.size(), 20u) << rows << " step " << step;
            EXPECT_EQ(shown.back() - shown.front(), 19) << rows << " step " << step;
            EXPECT_EQ(pager.atTop(), shown.front() == 1) << rows << " step " << step;
            EXPECT_EQ(pager.atBottom(), shown.back() == rows) << rows << " step " << step;
        };
        check(pager.top());
        for (int i = 0; i < 3; ++i) check(pager.pageDown());
        for (int i = 0; i < 3; ++i) check(pager.pageUp());
        for (int i = 0; i < rows - 19; ++i) check(pager.rowDown());
        check(pager.bottom());
        for (int i = 0; i < rows - 19; ++i) check(pager.rowUp());
        for (int by : {7, -3, 25, -40, 19, 1}) check(pager.scroll(by));
        for (int at : {1, 2, 21, rows - 19, rows - 20, rows}) {
            check(pager.reloadAt({store::Value{std::int64_t{at}}}, at));
            EXPECT_EQ(selectedNumber(pager), at) << rows;
        }
        for (int at : {1, 20, rows - 19, rows}) check(pager.locate(std::int64_t{at}));
    }
}

TEST(BrowsePagerChanges, AListShorterThanAPageIsAtBothEnds) {
    PagerStore s(5);
    ASSERT_TRUE(s.ok());
    BrowsePager pager(s.engine(), Assignment::def());
    pager.setKey(Assignment::def().key("ASS:NUMBER_KEY"));
    pager.setPageSize(20);
    ASSERT_TRUE(pager.top().ok());
    EXPECT_EQ(numbers(pager), range(1, 5));
    EXPECT_TRUE(pager.atTop());
    EXPECT_TRUE(pager.atBottom());
    ASSERT_TRUE(pager.pageDown().ok());
    EXPECT_EQ(selectedNumber(pager), 5);
    ASSERT_TRUE(pager.pageUp().ok());
    EXPECT_EQ(selectedNumber(pager), 1);
    // A row added by another station appears when the selection walks past the end.
    Assignment added;
    added.ASSIGNNUMBER = 6;
    added.NAME = "late";
    ASSERT_TRUE(s.db().add(added).ok());
    ASSERT_TRUE(pager.bottom().ok());
    EXPECT_EQ(numbers(pager), range(1, 6));
}

TEST(BrowsePagerChanges, ARangeKeepsTheListToOneKeyPrefix) {
    PagerStore s(30);
    ASSERT_TRUE(s.ok());
    for (int i = 31; i <= 35; ++i) {
        Assignment a;
        a.ASSIGNNUMBER = i;
        a.PERSON = "ANN";
        a.DUEDATE = PagerStore::kFirstDue + 500 - i;
        ASSERT_TRUE(s.db().add(a).ok());
    }
    BrowsePager pager(s.engine(), Assignment::def());
    pager.setKey(Assignment::def().key("ASS:PERSONDATE_KEY"));
    pager.setRange({store::Value{std::string("ANN")}});
    pager.setPageSize(3);
    ASSERT_TRUE(pager.top().ok());
    EXPECT_EQ(numbers(pager), (std::vector<int>{35, 34, 33}));
    ASSERT_TRUE(pager.bottom().ok());
    EXPECT_EQ(numbers(pager), (std::vector<int>{33, 32, 31}));
    EXPECT_TRUE(pager.atBottom());
    // Locating goes on the next component: the due date.
    ASSERT_TRUE(pager.locate(store::Value{std::int64_t{PagerStore::kFirstDue + 467}}).ok());
    EXPECT_EQ(selectedNumber(pager), 33);
    pager.setRange({store::Value{std::string("NOBODY")}});
    ASSERT_TRUE(pager.top().ok());
    EXPECT_TRUE(pager.isEmpty());
}

TEST(TypeAhead, LettersTypedQuicklyFormOnePrefix) {
    TypeAhead typing;
    EXPECT_EQ(typing.add(QStringLiteral("S"), 5000), QStringLiteral("S"));
    EXPECT_EQ(typing.add(QStringLiteral("m"), 5400), QStringLiteral("Sm"));
    EXPECT_EQ(typing.add(QStringLiteral("i"), 6400), QStringLiteral("Smi"));  // exactly the pause
    EXPECT_EQ(typing.backspace(6500), QStringLiteral("Sm"));
    EXPECT_EQ(typing.add(QStringLiteral("J"), 7501), QStringLiteral("J"));  // after the pause
    EXPECT_EQ(typing.backspace(9000), QString());
}

}  // namespace
}  // namespace tko
