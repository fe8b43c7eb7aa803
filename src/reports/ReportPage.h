// A report page as the report engine lays it out: a grid of lines and
// character columns holding runs of text and horizontal rules. The same page
// is written to a text file character for character and drawn by the page
// painter with a fixed-pitch font, so both outputs show the same layout.
//
// Pages are handed to a PageSink one at a time as they are filled; a sink
// that keeps nothing in memory lets a report of any length run in constant
// memory.
#pragma once

#include <QString>

#include <vector>

namespace tko {

// The page grid: every page has this many lines of this many characters.
inline constexpr int kPageColumns = 100;
inline constexpr int kPageLines = 64;

struct PageSpan {
    int column = 0;  // 0-based character column
    QString text;
    bool bold = false;
};

struct PageLine {
    std::vector<PageSpan> spans;
    bool rule = false;  // a horizontal rule across the page instead of text

    static PageLine blank() { return {}; }
    static PageLine ruler() { return {{}, true}; }
    static PageLine text(int column, const QString& text, bool bold = false) {
        return {{{column, text, bold}}, false};
    }
    PageLine& add(int column, const QString& text, bool bold = false) {
        spans.push_back({column, text, bold});
        return *this;
    }
};

struct ReportPage {
    int number = 0;  // 1-based
    std::vector<PageLine> lines;
};

// The characters of a line as a text file holds them: each span at its
// column (later spans overwrite earlier ones where they overlap), a rule as
// dashes across the page, trailing blanks removed.
QString lineText(const PageLine& line);

// A page kept in a file beside its picture, so that the preview can print or
// save it as text and rules again rather than as a drawing of them.
bool savePageData(const ReportPage& page, const QString& path);
// False when the file is missing or is not a page file.
bool loadPageData(const QString& path, ReportPage& page);
// The page data file that goes with a page picture ("page0001.svg" ->
// "page0001.page").
QString pageDataPath(const QString& picturePath);

// Where pages go. begin() is called before the first page, then addPage()
// once per page in order, then finish() or, when the report is cancelled or
// failed, abort() (which must leave nothing behind). A false return stops
// the report; errorText() says why.
class PageSink {
public:
    virtual ~PageSink() = default;
    virtual bool begin() { return true; }
    virtual bool addPage(const ReportPage& page) = 0;
    virtual bool finish() = 0;
    virtual void abort() = 0;
    virtual QString errorText() const { return {}; }
};

}  // namespace tko
