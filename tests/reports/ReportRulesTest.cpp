// The rules behind "Report Selection", the page layout and "Report Preview"
// that need no store: when Print is enabled, what a change of type does to
// "List by", what is refused before a report runs, how text is wrapped and
// pages are broken, how the preview moves and how saved pages are named.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "reports/PageComposer.h"
#include "reports/PreviewState.h"
#include "reports/ReportFixture.h"
#include "reports/ReportOptions.h"

namespace tko::test {
namespace {

ReportParams ofType(ReportType type) {
    ReportParams p;
    p.type = type;
    return p;
}

TEST(ReportSelectionRules, HistoryNeedsBothDatesAndLookForwardTheEndDate) {
    for (ReportType t :
         {ReportType::HistoryGeneral, ReportType::HistoryPerson, ReportType::HistoryGroup}) {
        ReportParams p = ofType(t);
        EXPECT_FALSE(printEnabled(p));
        p.startDate = kToday;
        EXPECT_FALSE(printEnabled(p));
        p.startDate = 0;
        p.endDate = kToday;
        EXPECT_FALSE(printEnabled(p));
        p.startDate = kToday - 1;
        EXPECT_TRUE(printEnabled(p));
    }
    for (ReportType t : {ReportType::LookForwardGeneral, ReportType::LookForwardPerson,
                         ReportType::LookForwardGroup}) {
        ReportParams p = ofType(t);
        p.startDate = kToday;
        EXPECT_FALSE(printEnabled(p));
        p.endDate = kToday;
        EXPECT_TRUE(printEnabled(p));
    }
    for (ReportType t : {ReportType::AssignmentsDue, ReportType::CurrentReminders,
                         ReportType::ProjectSingle, ReportType::ProjectAll})
        EXPECT_TRUE(printEnabled(ofType(t)));
}

TEST(ReportSelectionRules, ChoosingATypeResetsListByExceptCurrentReminders) {
    EXPECT_EQ(listByAfterTypeChange(ReportType::HistoryGeneral, ListBy::Priority),
              ListBy::DateAssigned);
    EXPECT_EQ(listByAfterTypeChange(ReportType::HistoryGroup, ListBy::DueDate),
              ListBy::DateAssigned);
    EXPECT_EQ(listByAfterTypeChange(ReportType::LookForwardPerson, ListBy::Alphabetically),
              ListBy::DueDate);
    EXPECT_EQ(listByAfterTypeChange(ReportType::ProjectAll, ListBy::Person), ListBy::DueDate);
    EXPECT_EQ(listByAfterTypeChange(ReportType::CurrentReminders, ListBy::Person), ListBy::Person);
    EXPECT_EQ(listByAfterTypeChange(ReportType::CurrentReminders, ListBy::DateConcluded),
              ListBy::DateConcluded);
}

TEST(ReportSelectionRules, MissingOrTooLongNamesAndReversedPeriodsAreRefused) {
    ReportParams person = ofType(ReportType::LookForwardPerson);
    person.endDate = kToday;
    EXPECT_FALSE(checkReportParams(person).empty());
    person.person = "   ";
    EXPECT_FALSE(checkReportParams(person).empty());
    person.person = std::string(15, 'P');
    EXPECT_TRUE(checkReportParams(person).empty());
    person.person = std::string(16, 'P');
    EXPECT_FALSE(checkReportParams(person).empty());
    ReportParams group = ofType(ReportType::HistoryGroup);
    group.startDate = kToday;
    group.endDate = kToday;
    group.group = std::string(20, 'G');
    EXPECT_TRUE(checkReportParams(group).empty());
    group.group = std::string(21, 'G');
    EXPECT_FALSE(checkReportParams(group).empty());
    group.group = "TEAM";
    group.startDate = kToday + 1;
    EXPECT_FALSE(checkReportParams(group).empty());
    ReportParams project = ofType(ReportType::ProjectSingle);
    EXPECT_FALSE(checkReportParams(project).empty());
    project.project = std::string(30, 'x');
    EXPECT_TRUE(checkReportParams(project).empty());
    // A name the type does not use does not matter.
    ReportParams general = ofType(ReportType::AssignmentsDue);
    general.person = std::string(40, 'P');
    EXPECT_TRUE(checkReportParams(general).empty());
}

TEST(ReportSelectionRules, TypesAndTheirTitles) {
    ASSERT_EQ(reportTypeByNumber(0), nullptr);
    ASSERT_EQ(reportTypeByNumber(11), nullptr);
    for (int n = 1; n <= 10; ++n) {
        ASSERT_NE(reportTypeByNumber(n), nullptr);
        EXPECT_EQ(static_cast<int>(reportTypeByNumber(n)->type), n);
    }
    EXPECT_STREQ(reportTypeInfo(ReportType::LookForwardGeneral).title, "Look Forward (General)");
    EXPECT_TRUE(optionsUsedBy(ReportType::ProjectSingle).summary);
    EXPECT_FALSE(optionsUsedBy(ReportType::HistoryGeneral).summary);
    EXPECT_TRUE(optionsUsedBy(ReportType::LookForwardGroup).group);
}

TEST(PageLayout, WrappingKeepsEveryCharacterAndTheLineBreaks) {
    const QString text =
        QStringLiteral("alpha beta gamma\r\rdelta ") + QString(25, QLatin1Char('x'));
    const QStringList lines = wrapText(text, 10);
    for (const QString& line : lines) EXPECT_LE(line.size(), 10);
    EXPECT_EQ(lines,
              (strings({"alpha beta", "gamma", "", "delta", "xxxxxxxxxx", "xxxxxxxxxx", "xxxxx"})));
    EXPECT_EQ(wrapText(QString(), 10), QStringList{QString()});
    EXPECT_EQ(wrapText(QStringLiteral("a\r\nb"), 10), (strings({"a", "b"})));
    // Around the width, where a short cell is kept whole and a longer one is cut.
    const struct {
        const char* text;
        QStringList lines;
    } cases[] = {
        {"abcdefghij", strings({"abcdefghij"})},
        {"abcdefghijk", strings({"abcdefghij", "k"})},
        {"abc   ", strings({"abc"})},
        {"abcdefghi ", strings({"abcdefghi"})},
        {"abcdefghij ", strings({"abcdefghij"})},
        {"     ", QStringList{QString()}},
        {" abc", strings({" abc"})},
        {"ab\tcd", strings({"ab cd"})},
        {"ab\n", strings({"ab", ""})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(wrapText(QString::fromUtf8(c.text), 10), c.lines) << c.text;
}

TEST(PageLayout, TableRowsGrowWithTheirTallestCell) {
    const std::vector<ReportColumn> columns{{0, 5}, {6, 3, true}};
    const std::vector<PageLine> lines =
        tableRow(columns, {QStringLiteral("one two three"), QStringLiteral("7")});
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lineText(lines[0]), QStringLiteral("one     7"));
    EXPECT_EQ(lineText(lines[1]), QStringLiteral("two"));
    EXPECT_EQ(lineText(lines[2]), QStringLiteral("three"));
}

TEST(PageLayout, BlocksStayTogetherAndEveryPageHasItsHeading) {
    PageList sink;
    PageHeading heading{QStringLiteral("Title"),
                        {},
                        QStringLiteral("Printed On today"),
                        QStringLiteral("Page:"),
                        {}};
    // 10 lines a page: 4 of heading (title, stamp, blank, rule) leave 6 lines.
    PageComposer composer(sink, heading, 10);
    for (int block = 0; block < 4; ++block) {
        std::vector<PageLine> lines;
        for (int i = 0; i < 4; ++i)
            lines.push_back(PageLine::text(0, QStringLiteral("b%1l%2").arg(block).arg(i)));
        ASSERT_TRUE(composer.addBlock(lines));
    }
    ASSERT_TRUE(composer.finish(QStringLiteral("empty")));
    ASSERT_EQ(sink.pages.size(), 4u);
    for (size_t p = 0; p < sink.pages.size(); ++p) {
        const QStringList lines = [&] {
            QStringList out;
            for (const PageLine& l : sink.pages[p].lines) out << lineText(l);
            return out;
        }();
        EXPECT_TRUE(lines[0].contains(QStringLiteral("Title")));
        EXPECT_TRUE(lines[1].endsWith(QStringLiteral("Page: %1").arg(p + 1)));
        EXPECT_EQ(lines.filter(QStringLiteral("b%1l").arg(p)).size(), 4) << p;
    }
}

TEST(PageLayout, ABlockLongerThanAPageRunsOverAndAnEmptyReportStillPrintsItsHeading) {
    PageList sink;
    PageComposer composer(sink, {QStringLiteral("T"), {}, {}, QStringLiteral("Page:"), {}}, 10);
    std::vector<PageLine> block;
    for (int i = 0; i < 15; ++i) block.push_back(PageLine::text(0, QString::number(i)));
    ASSERT_TRUE(composer.addBlock(block));
    ASSERT_TRUE(composer.finish({}));
    EXPECT_EQ(sink.pages.size(), 3u);
    EXPECT_EQ(sink.lines().filter(QRegularExpression(QStringLiteral("^\\d+$"))).size(), 15);

    PageList empty;
    PageComposer nothing(empty, {QStringLiteral("T"), {}, {}, QStringLiteral("Page:"), {}});
    ASSERT_TRUE(nothing.finish(QStringLiteral("There is nothing to print.")));
    ASSERT_EQ(empty.pages.size(), 1u);
    EXPECT_NE(lineOf(empty.lines(), QStringLiteral("There is nothing to print.")), -1);
}

TEST(ReportPreviewRules, AOnePageReportLeavesNavigationAlone) {
    PreviewState state(1);
    EXPECT_FALSE(state.navigationApplies());
    EXPECT_EQ(state.statusText(), QStringLiteral("Page 1 of 1"));
    state.next();
    EXPECT_EQ(state.firstPage(), 1);
}

TEST(ReportPreviewRules, AGridLargerThanTheRemainingPagesHidesTheEmptyCells) {
    PreviewState state(5);
    state.setGrid(2, 2);
    EXPECT_EQ(state.statusText(), QStringLiteral("Pages 1-4 of 5"));
    EXPECT_FALSE(state.previousEnabled());
    EXPECT_TRUE(state.nextEnabled());
    state.next();
    EXPECT_EQ(state.firstPage(), 5);
    EXPECT_EQ(state.pageInCell(1), 5);
    EXPECT_EQ(state.pageInCell(2), 0);
    EXPECT_EQ(state.pageInCell(4), 0);
    EXPECT_EQ(state.pageInCell(5), 0);
    EXPECT_FALSE(state.nextEnabled());
    EXPECT_TRUE(state.previousEnabled());
    EXPECT_EQ(state.statusText(), QStringLiteral("Page 5 of 5"));
    state.previous();
    EXPECT_EQ(state.firstPage(), 1);
    state.setGrid(0, 120);
    EXPECT_EQ(state.across(), 1);
    EXPECT_EQ(state.down(), 99);
    state.jumpTo(42);
    EXPECT_EQ(state.firstPage(), 5);
    state.jumpTo(-3);
    EXPECT_EQ(state.firstPage(), 1);
}

TEST(ReportPreviewRules, ZoomShowsOnePageAtItsFactor) {
    PreviewState state(3);
    state.setGrid(3, 1);
    state.setZoom(PreviewZoom::Percent75);
    EXPECT_EQ(state.pagesShown(), 1);
    EXPECT_EQ(state.statusText(), QStringLiteral("Page 1 of 3"));
    EXPECT_EQ(state.zoomText(), QStringLiteral("Zoom (75%)"));
    EXPECT_DOUBLE_EQ(state.zoomFactor(800, 400), 0.75);
    state.setZoom(PreviewZoom::PageWidth);
    EXPECT_DOUBLE_EQ(state.zoomFactor(800, 400), 2.0);
    EXPECT_EQ(state.zoomText(), QStringLiteral("Zoom (Page Width)"));
    state.setZoom(PreviewZoom::Off);
    EXPECT_EQ(state.zoomText(), QStringLiteral("No Zoom"));
    EXPECT_EQ(state.statusText(), QStringLiteral("Pages 1-3 of 3"));
}

// Thumbnails fill the view without a scroll bar: cells, the spacing between
// and around them and each cell's frame all fit; the page keeps its shape.
TEST(ReportPreviewRules, ThumbnailsFitTheViewWhole) {
    const QSizeF a4(595, 842);
    struct Case {
        QSize view;
        int across, down;
    };
    for (const Case& c :
         {Case{{880, 620}, 1, 1}, Case{{880, 620}, 3, 2}, Case{{300, 900}, 2, 5},
          Case{{1200, 300}, 40, 1}, Case{{1200, 300}, 99, 1}, Case{{10, 10}, 4, 4}}) {
        SCOPED_TRACE(c.across * 100 + c.down);
        const QSize t = thumbnailSize(c.view, a4, c.across, c.down, 8, 4);
        ASSERT_GE(t.width(), 1);
        ASSERT_GE(t.height(), 1);
        if (t == QSize(1, 1)) continue;  // far too small: one pixel is all there is
        EXPECT_LE(c.across * (t.width() + 4) + 8 * (c.across + 1), c.view.width());
        EXPECT_LE(c.down * (t.height() + 4) + 8 * (c.down + 1), c.view.height());
        // It fills one of the two directions up to rounding.
        const bool fillsWidth = c.across * (t.width() + 5) + 8 * (c.across + 1) > c.view.width();
        const bool fillsHeight = c.down * (t.height() + 5) + 8 * (c.down + 1) > c.view.height();
        EXPECT_TRUE(fillsWidth || fillsHeight);
        EXPECT_NEAR(t.width(), t.height() * a4.width() / a4.height(), 1.0);
    }
}

TEST(ReportPreviewRules, SavedPagesFollowTheNamingRule) {
    QStringList names;
    for (int page = 1; page <= 11; ++page)
        names << savedPageName(QStringLiteral("/tmp/REPORT.SVG"), page, QStringLiteral(".svg"));
    EXPECT_EQ(names.front(), QStringLiteral("/tmp/REPORT01.SVG"));
    EXPECT_EQ(names[8], QStringLiteral("/tmp/REPORT09.SVG"));
    EXPECT_EQ(names[9], QStringLiteral("/tmp/REPORT10.SVG"));
    EXPECT_EQ(names[10], QStringLiteral("/tmp/REPORT11.SVG"));
    // A name part of 11 or more characters keeps its first six.
    EXPECT_EQ(savedPageName(QStringLiteral("/d/MONTHLYREPORT.svg"), 3, QStringLiteral(".svg")),
              QStringLiteral("/d/MONTHL03.svg"));
    EXPECT_EQ(savedPageName(QStringLiteral("/d/ABCDEFGHIJK"), 12, QStringLiteral(".pdf")),
              QStringLiteral("/d/ABCDEF12.pdf"));
    // A shorter one is cut at its first dot, never at a dot of the folder.
    EXPECT_EQ(savedPageName(QStringLiteral("/home/a.b/q.x.svg"), 1, QStringLiteral(".svg")),
              QStringLiteral("/home/a.b/q01.svg"));
    EXPECT_EQ(savedPageName(QStringLiteral("plain"), 100, QStringLiteral(".svg")),
              QStringLiteral("plain100.svg"));
}

}  // namespace
}  // namespace tko::test

namespace tko::test {
namespace {

TEST(PageData, APageComesBackAsItWasSavedAndOtherFilesAreRefused) {
    TempDir dir;
    ReportPage page;
    page.number = 12;
    page.lines.push_back(PageLine::text(3, QStringLiteral("Überschrift"), true));
    page.lines.push_back(PageLine::ruler());
    page.lines.push_back(PageLine::blank());
    page.lines.push_back(
        PageLine::text(0, QStringLiteral("a")).add(90, QStringLiteral("Page: 12")));
    const QString path = QString::fromStdString(dir.file("page0012.page"));
    ASSERT_TRUE(savePageData(page, path));
    ReportPage back;
    ASSERT_TRUE(loadPageData(path, back));
    EXPECT_EQ(back.number, 12);
    ASSERT_EQ(back.lines.size(), page.lines.size());
    for (size_t i = 0; i < page.lines.size(); ++i) {
        EXPECT_EQ(back.lines[i].rule, page.lines[i].rule);
        EXPECT_EQ(lineText(back.lines[i]), lineText(page.lines[i]));
    }
    EXPECT_TRUE(back.lines[0].spans.front().bold);
    EXPECT_EQ(pageDataPath(QStringLiteral("/x/y.z/page0012.svg")),
              QStringLiteral("/x/y.z/page0012.page"));

    const QString other = QString::fromStdString(dir.file("other.page"));
    QFile text(other);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a page at all");
    text.close();
    EXPECT_FALSE(loadPageData(other, back));
    EXPECT_FALSE(loadPageData(QString::fromStdString(dir.file("missing.page")), back));
}

}  // namespace
}  // namespace tko::test
