// Fills report pages: the heading every page repeats (title, "Printed On" with
// the date, "Page:" with the number, column captions), then blocks of lines
// kept together on one page where they fit. Full pages go to the sink at once.
//
// Texts given here are shown as given: callers translate them first.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

#include "reports/ReportPage.h"

namespace tko {

// A column of a tabular report: where it starts and how wide it is.
struct ReportColumn {
    int column = 0;
    int width = 0;
    bool alignRight = false;
};

// Cuts `text` into lines of at most `width` characters at blanks where it can,
// splitting a longer word over several lines; line breaks in the text (CR, LF
// or both) start new lines and empty lines are kept. Nothing is dropped except
// the blanks at which lines are broken.
QStringList wrapText(const QString& text, int width);

// One row of a table: each value wrapped within its column, the row as many
// lines high as its tallest cell.
std::vector<PageLine> tableRow(const std::vector<ReportColumn>& columns, const QStringList& values,
                               bool bold = false);

// A caption followed by its value on the same line, the value wrapped within
// the rest of the line and continued under itself.
std::vector<PageLine> captionedText(int column, const QString& caption, const QString& value,
                                    int valueColumn);

struct PageHeading {
    QString title;
    QString subtitle;               // a second heading line; empty for none
    QString printedOn;              // "Printed On" and the date, translated and formatted
    QString pageCaption;            // "Page:", translated
    std::vector<PageLine> columns;  // column captions, repeated on every page
};

class PageComposer {
public:
    PageComposer(PageSink& sink, PageHeading heading, int linesPerPage = kPageLines);

    // Adds lines that belong together: they start a new page when they do not
    // fit on the current one (a block longer than a page runs over pages).
    // False when the sink refused a page.
    bool addBlock(const std::vector<PageLine>& block);
    bool addLine(const PageLine& line) { return addBlock({line}); }
    // Lines that introduce the next block (a group's caption): kept on one
    // page with the start of that block.
    void holdWithNext(const std::vector<PageLine>& lines);
    // Column captions for the pages from the next one on (and the current
    // page when nothing is on it yet).
    void setColumnCaptions(std::vector<PageLine> captions);
    // Sends the last page; a report with nothing on it still gets one page
    // with its heading and `emptyText`. False when the sink refused it.
    bool finish(const QString& emptyText);

    int pagesSent() const { return m_pagesSent; }
    QString errorText() const { return m_sink.errorText(); }

private:
    bool flush();
    void startPage();
    int bodyLines() const;

    PageSink& m_sink;
    PageHeading m_heading;
    int m_linesPerPage;
    ReportPage m_page;
    bool m_pageOpen = false;
    int m_headingLines = 0;
    int m_bodyCount = 0;    // body lines on the current page
    int m_blocksAdded = 0;  // blocks on every page so far
    int m_pagesSent = 0;
    std::vector<PageLine> m_held;
};

}  // namespace tko
