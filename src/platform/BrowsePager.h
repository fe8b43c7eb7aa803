// A paged list over one key of a table: it holds one page of rows (the rows a
// list window shows) and moves that page along the key, reading only the rows
// it needs, so that a list over ten million rows costs what one over ten does.
//
// The page is always as full as the rows allow: moving past either end stops
// on the first or last row, and a reload whose row has gone fills the page
// from both sides. One row of the page is selected whenever the page is not
// empty.
//
// Scroll-bar position: counting the rows before the top row costs a scan of
// the range, so the pager estimates instead. position() is exactly 0 when no
// row precedes the page and exactly 1 when none follows it; in between it
// interpolates the top row's first free key component between the first and
// the last row of the range (numbers by value, texts by their first bytes
// after the prefix that first and last share). scrollTo() inverts the same
// mapping and locates the key value it gives. Evenly spread keys (numbers,
// dates, names) thus give a thumb that tracks the list; skewed keys still
// give a thumb that moves the right way and ends at the right ends.
//
// Not thread-safe; use from the thread that owns the engine.
#pragma once

#include "platform/store/Engine.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace tko {

class BrowsePager {
public:
    // The engine and table must outlive the pager.
    BrowsePager(store::Engine& engine, const store::TableDef& table);

    const store::TableDef& table() const { return m_table; }
    store::Engine& engine() const { return m_engine; }
    const store::KeyDef* key() const { return m_key; }

    // ---- configuration: takes effect with the next move (call top() or refresh())
    // The key to read along; nullptr reads in physical order. Clears the range.
    void setKey(const store::KeyDef* key);
    // Only rows whose first key components equal `prefix` are listed (a
    // person's assignments along a key that starts with the person).
    void setRange(std::vector<store::Value> prefix);
    const std::vector<store::Value>& range() const { return m_range; }
    void setFilter(store::Filter filter);
    // A further filter the user typed (a list's filter box), kept apart from
    // the screen's own, which setFilter() replaces on every reload.
    void setTextFilter(store::Filter filter);
    const store::Filter& textFilter() const { return m_textFilter; }
    // Rows per page, at least 1.
    void setPageSize(int rows);
    int pageSize() const { return m_pageSize; }
    void setWithMemos(bool withMemos) { m_withMemos = withMemos; }

    // ---- moves. Each returns the first failed storage call, or success;
    // on failure the page is left as it was. Reaching an end is not a failure.
    store::Status top();
    store::Status bottom();
    store::Status rowDown();
    store::Status rowUp();
    // The selection moves a page of rows (stopping on the last or first row);
    // the page follows it and stays full.
    store::Status pageDown();
    store::Status pageUp();
    // Scrolls the page by `rows` (negative: up) as far as rows allow; the
    // selection keeps its place in the page (wheel and scroll-bar arrows).
    store::Status scroll(int rows);
    // Positions on the first row whose first free key component is at or
    // after `value` (the nearest row when none is; the last row when every row
    // is before it); that row goes to the top of the page.
    store::Status locate(const store::Value& value);
    // Positions on the row with these key values and position; when it no
    // longer exists, on the nearest following one (or the last row). The row
    // keeps the place in the page that the selection had.
    store::Status reloadAt(const std::vector<store::Value>& keyValues, std::int64_t pos);
    store::Status reloadAt(const store::Row& row);
    // Re-reads the page on the selected row (top() when the page is empty).
    store::Status refresh();
    // The same, read into a fresh page: the rows of the page before stay where
    // they are, so that a reference to one of them (held by a dialog that is
    // still running) stays valid until releaseRetiredPages().
    store::Status refreshIntoFreshPage();
    void releaseRetiredPages() { m_retired.clear(); }
    size_t retiredPageCount() const { return m_retired.size(); }
    // Changes the key (sort tab) and stays on the selected row when it is
    // still listed; top() otherwise.
    store::Status switchKey(const store::KeyDef* key);
    // Page size change that keeps the selected row in view.
    store::Status resize(int rows);
    // Moves to the estimated place `fraction` (0 top .. 1 bottom) of the range.
    store::Status scrollTo(double fraction);

    // ---- the page
    const std::vector<store::Row>& rows() const { return m_rows; }
    bool isEmpty() const { return m_rows.empty(); }
    int selectedIndex() const { return m_selected; }
    const store::Row* selectedRow() const;
    // Selects a row of the page; false (nothing changed) outside the page.
    bool select(int index);
    // No row precedes (follows) the page.
    bool atTop() const { return !m_moreBefore; }
    bool atBottom() const { return !m_moreAfter; }
    // Estimated place of the page in the range, 0..1 (see above).
    double position();

    // The value to locate for a typed text on the first free key component:
    // texts as typed, integers parsed as numbers (dates by `datePicture` when
    // given). Nothing when the text does not fit the field.
    std::optional<store::Value> locateValue(const QString& typed,
                                            const QString& datePicture = QString()) const;
    // Index in table().fields of the first free key component; -1 if none.
    int locateField() const;

private:
    store::Status readRows(const store::KeyPosition& from, store::Direction direction, int limit,
                           std::vector<store::Row>& out);
    // Reads up to `wanted` rows beyond `edge` (a row of the page) in
    // `direction`; `more` tells whether still more lie beyond them.
    store::Status readBeyond(const store::Row& edge, store::Direction direction, int wanted,
                             std::vector<store::Row>& out, bool& more);
    store::KeyPosition after(const store::Row& row) const;
    store::KeyPosition inclusive(const std::vector<store::Value>& keyValues,
                                 std::int64_t pos) const;
    store::KeyPosition rangeStart() const;
    store::Status positionAt(const store::KeyPosition& from, int preferredIndex);
    // refresh() on the selected row of `page`, the page shown before.
    store::Status refreshFrom(const std::vector<store::Row>& page);
    void invalidateBounds() { m_bounds.reset(); }

    struct Bounds {
        bool usable = false;
        bool text = false;
        std::string commonPrefix;
        double first = 0;
        double last = 0;
    };
    double keyNumber(const store::Value& value, const Bounds& bounds) const;
    // First and last row of the range, read once per key, filter and range.
    const Bounds& bounds();

    store::Engine& m_engine;
    const store::TableDef& m_table;
    const store::KeyDef* m_key = nullptr;
    std::vector<store::Value> m_range;
    store::Filter m_filter;
    store::Filter m_textFilter;
    store::Filter m_effectiveFilter;
    int m_pageSize = 20;
    bool m_withMemos = false;

    std::vector<store::Row> m_rows;
    std::vector<std::vector<store::Row>> m_retired;  // pages replaced by refreshIntoFreshPage()
    int m_selected = -1;
    bool m_moreBefore = false;
    bool m_moreAfter = false;
    std::optional<Bounds> m_bounds;
};

// Locate-by-typing: the letters typed in quick succession form one prefix;
// a pause longer than kPauseMs starts a new one.
class TypeAhead {
public:
    static constexpr std::int64_t kPauseMs = 1000;
    // Adds `text` typed at `nowMs` and returns the prefix to locate.
    QString add(const QString& text, std::int64_t nowMs);
    // Removes the last character (within the pause) and returns the prefix.
    QString backspace(std::int64_t nowMs);
    void reset() { m_text.clear(); }
    const QString& text() const { return m_text; }

private:
    QString m_text;
    std::int64_t m_lastMs = 0;
};

}  // namespace tko
