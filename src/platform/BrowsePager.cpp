#include "platform/BrowsePager.h"

#include "platform/Picture.h"

#include <algorithm>
#include <cmath>

namespace tko {

using store::Direction;
using store::KeyPosition;
using store::Row;
using store::Status;
using store::Value;

BrowsePager::BrowsePager(store::Engine& engine, const store::TableDef& table)
    : m_engine(engine), m_table(table) {}

void BrowsePager::setKey(const store::KeyDef* key) {
    m_key = key;
    m_range.clear();
    setFilter(m_filter);
}

void BrowsePager::setRange(std::vector<Value> prefix) {
    if (!m_key) prefix.clear();
    if (m_key && prefix.size() > m_key->components.size()) prefix.resize(m_key->components.size());
    m_range = std::move(prefix);
    setFilter(m_filter);
}

void BrowsePager::setFilter(store::Filter filter) {
    m_filter = std::move(filter);
    // The range becomes part of the filter, so that reads continuing from a
    // row stop where the range ends.
    std::vector<store::Filter> parts{m_filter, m_textFilter};
    for (size_t i = 0; i < m_range.size(); ++i) {
        const int field = m_key->components[i].field;
        parts.push_back(store::eq(m_table.fields[static_cast<size_t>(field)].name, m_range[i]));
    }
    m_effectiveFilter = store::allOf(std::move(parts));
    invalidateBounds();
}

void BrowsePager::setTextFilter(store::Filter filter) {
    m_textFilter = std::move(filter);
    setFilter(m_filter);
}

void BrowsePager::setPageSize(int rows) {
    m_pageSize = std::max(1, rows);
}

const Row* BrowsePager::selectedRow() const {
    return m_selected >= 0 && m_selected < static_cast<int>(m_rows.size())
               ? &m_rows[static_cast<size_t>(m_selected)]
               : nullptr;
}

bool BrowsePager::select(int index) {
    if (index < 0 || index >= static_cast<int>(m_rows.size())) return false;
    m_selected = index;
    return true;
}

Status BrowsePager::readRows(const KeyPosition& from, Direction direction, int limit,
                             std::vector<Row>& out) {
    out.clear();
    if (limit <= 0) return Status::success();
    store::ReadRequest request;
    request.key = m_key;
    request.from = from;
    request.direction = direction;
    request.filter = m_effectiveFilter;
    request.limit = limit;
    request.withMemos = m_withMemos;
    Status s = m_engine.read(m_table, request, out);
    if (s.endOfRange()) {
        out.clear();
        return Status::success();
    }
    if (!s.ok()) out.clear();
    return s;
}

Status BrowsePager::readBeyond(const Row& edge, Direction direction, int wanted,
                               std::vector<Row>& out, bool& more) {
    // One row more than wanted tells whether rows lie beyond, without a
    // second read: on a database server each read is a round trip.
    more = false;
    Status s = readRows(after(edge), direction, wanted + 1, out);
    if (!s.ok()) return s;
    if (static_cast<int>(out.size()) > wanted) {
        more = true;
        out.resize(static_cast<size_t>(wanted));
    }
    return s;
}

KeyPosition BrowsePager::after(const Row& row) const {
    if (!m_key) return KeyPosition{{}, row.pos};
    return KeyPosition::continuing(store::keyValuesOf(*m_key, row), row.pos);
}

KeyPosition BrowsePager::inclusive(const std::vector<Value>& keyValues, std::int64_t pos) const {
    // Row positions are integers: "after pos - 1" is "at pos or after".
    if (!m_key) return KeyPosition{{}, pos - 1};
    return KeyPosition::continuing(keyValues, pos - 1);
}

KeyPosition BrowsePager::rangeStart() const {
    return m_range.empty() ? KeyPosition::start() : KeyPosition::at(m_range);
}

Status BrowsePager::top() {
    // One row more than a page tells whether rows follow, without a second
    // read: on a database server each read is a round trip.
    std::vector<Row> rows;
    Status s = readRows(rangeStart(), Direction::Forward, m_pageSize + 1, rows);
    if (!s.ok()) return s;
    const bool more = static_cast<int>(rows.size()) > m_pageSize;
    if (more) rows.pop_back();
    m_rows = std::move(rows);
    m_selected = m_rows.empty() ? -1 : 0;
    m_moreBefore = false;
    m_moreAfter = more;
    return s;
}

Status BrowsePager::bottom() {
    std::vector<Row> rows;
    Status s = readRows(rangeStart(), Direction::Backward, m_pageSize + 1, rows);
    if (!s.ok()) return s;
    const bool more = static_cast<int>(rows.size()) > m_pageSize;
    if (more) rows.pop_back();
    std::reverse(rows.begin(), rows.end());
    m_rows = std::move(rows);
    m_selected = static_cast<int>(m_rows.size()) - 1;
    m_moreBefore = more;
    m_moreAfter = false;
    return s;
}

Status BrowsePager::rowDown() {
    if (m_rows.empty()) return top();
    if (m_selected < static_cast<int>(m_rows.size()) - 1) {
        ++m_selected;
        return Status::success();
    }
    std::vector<Row> next;
    bool more = false;
    Status s = readBeyond(m_rows.back(), Direction::Forward, 1, next, more);
    if (!s.ok()) return s;
    m_moreAfter = more;
    if (next.empty()) return s;
    if (static_cast<int>(m_rows.size()) >= m_pageSize) {
        m_rows.erase(m_rows.begin());
        m_moreBefore = true;
    }
    m_rows.push_back(std::move(next.front()));
    m_selected = static_cast<int>(m_rows.size()) - 1;
    return s;
}

Status BrowsePager::rowUp() {
    if (m_rows.empty()) return top();
    if (m_selected > 0) {
        --m_selected;
        return Status::success();
    }
    std::vector<Row> previous;
    bool more = false;
    Status s = readBeyond(m_rows.front(), Direction::Backward, 1, previous, more);
    if (!s.ok()) return s;
    m_moreBefore = more;
    if (previous.empty()) return s;
    if (static_cast<int>(m_rows.size()) >= m_pageSize) {
        m_rows.pop_back();
        m_moreAfter = true;
    }
    m_rows.insert(m_rows.begin(), std::move(previous.front()));
    m_selected = 0;
    return s;
}

Status BrowsePager::pageDown() {
    if (m_rows.empty()) return top();
    std::vector<Row> next;
    bool more = false;
    Status s = readBeyond(m_rows.back(), Direction::Forward, m_pageSize, next, more);
    if (!s.ok()) return s;
    const int oldSelected = m_selected;
    m_rows.insert(m_rows.end(), std::make_move_iterator(next.begin()),
                  std::make_move_iterator(next.end()));
    const int dropped = std::max(0, static_cast<int>(m_rows.size()) - m_pageSize);
    m_rows.erase(m_rows.begin(), m_rows.begin() + dropped);
    const int last = static_cast<int>(m_rows.size()) - 1;
    m_selected = std::clamp(oldSelected - dropped + m_pageSize, 0, last);
    // The rows that left the page precede it now; the first row, when it
    // stayed, keeps what was known before it.
    m_moreAfter = more;
    if (dropped > 0) m_moreBefore = true;
    return s;
}

Status BrowsePager::pageUp() {
    if (m_rows.empty()) return top();
    std::vector<Row> previous;
    bool more = false;
    Status s = readBeyond(m_rows.front(), Direction::Backward, m_pageSize, previous, more);
    if (!s.ok()) return s;
    const int added = static_cast<int>(previous.size());
    std::reverse(previous.begin(), previous.end());
    m_rows.insert(m_rows.begin(), std::make_move_iterator(previous.begin()),
                  std::make_move_iterator(previous.end()));
    if (static_cast<int>(m_rows.size()) > m_pageSize) {
        m_rows.resize(static_cast<size_t>(m_pageSize));
        m_moreAfter = true;
    }
    const int last = static_cast<int>(m_rows.size()) - 1;
    m_selected = std::clamp(m_selected + added - m_pageSize, 0, last);
    m_moreBefore = more;
    return s;
}

Status BrowsePager::scroll(int rows) {
    if (m_rows.empty()) return top();
    if (rows == 0) return Status::success();
    const bool down = rows > 0;
    std::vector<Row> more;
    bool beyond = false;
    Status s = readBeyond(down ? m_rows.back() : m_rows.front(),
                          down ? Direction::Forward : Direction::Backward,
                          std::min(std::abs(rows), m_pageSize), more, beyond);
    if (!s.ok()) return s;
    (down ? m_moreAfter : m_moreBefore) = beyond;
    if (more.empty()) return s;
    if (down) {
        m_rows.insert(m_rows.end(), std::make_move_iterator(more.begin()),
                      std::make_move_iterator(more.end()));
        const int dropped = std::max(0, static_cast<int>(m_rows.size()) - m_pageSize);
        m_rows.erase(m_rows.begin(), m_rows.begin() + dropped);
        if (dropped > 0) m_moreBefore = true;
    } else {
        std::reverse(more.begin(), more.end());
        m_rows.insert(m_rows.begin(), std::make_move_iterator(more.begin()),
                      std::make_move_iterator(more.end()));
        if (static_cast<int>(m_rows.size()) > m_pageSize) {
            m_rows.resize(static_cast<size_t>(m_pageSize));
            m_moreAfter = true;
        }
    }
    m_selected = std::clamp(m_selected, 0, static_cast<int>(m_rows.size()) - 1);
    return s;
}

Status BrowsePager::positionAt(const KeyPosition& from, int preferredIndex) {
    // Two reads, each one row longer than it keeps, so that both ends are
    // known without probing.
    std::vector<Row> forward;
    Status s = readRows(from, Direction::Forward, m_pageSize + 1, forward);
    if (!s.ok()) return s;
    if (forward.empty()) return bottom();
    bool moreAfter = static_cast<int>(forward.size()) > m_pageSize;
    if (moreAfter) forward.pop_back();
    const int wanted = std::max(std::clamp(preferredIndex, 0, m_pageSize - 1),
                                m_pageSize - static_cast<int>(forward.size()));
    std::vector<Row> backward;
    bool moreBefore = false;
    s = readBeyond(forward.front(), Direction::Backward, wanted, backward, moreBefore);
    if (!s.ok()) return s;
    std::reverse(backward.begin(), backward.end());
    m_selected = static_cast<int>(backward.size());
    backward.insert(backward.end(), std::make_move_iterator(forward.begin()),
                    std::make_move_iterator(forward.end()));
    if (static_cast<int>(backward.size()) > m_pageSize) {
        backward.resize(static_cast<size_t>(m_pageSize));
        moreAfter = true;
    }
    m_rows = std::move(backward);
    m_moreBefore = moreBefore;
    m_moreAfter = moreAfter;
    return s;
}

Status BrowsePager::locate(const Value& value) {
    if (!m_key || m_range.size() >= m_key->components.size()) return Status::success();
    std::vector<Value> prefix = m_range;
    prefix.push_back(value);
    return positionAt(KeyPosition::at(std::move(prefix)), 0);
}

Status BrowsePager::reloadAt(const std::vector<Value>& keyValues, std::int64_t pos) {
    invalidateBounds();
    return positionAt(inclusive(keyValues, pos), std::max(0, m_selected));
}

Status BrowsePager::reloadAt(const Row& row) {
    return reloadAt(m_key ? store::keyValuesOf(*m_key, row) : std::vector<Value>{}, row.pos);
}

Status BrowsePager::refresh() {
    invalidateBounds();
    if (const Row* row = selectedRow()) {
        const Row copy = *row;
        return reloadAt(copy);
    }
    return top();
}

Status BrowsePager::refreshIntoFreshPage() {
    // Moving a vector keeps its elements where they are.
    m_retired.push_back(std::move(m_rows));
    m_rows = {};
    const Status s = refreshFrom(m_retired.back());
    if (!s.ok()) {
        // Left as it was: the page before is the page again.
        m_rows = std::move(m_retired.back());
        m_retired.pop_back();
    }
    return s;
}

Status BrowsePager::refreshFrom(const std::vector<Row>& page) {
    invalidateBounds();
    if (m_selected >= 0 && m_selected < static_cast<int>(page.size())) {
        const Row copy = page[static_cast<size_t>(m_selected)];
        return reloadAt(copy);
    }
    return top();
}

Status BrowsePager::switchKey(const store::KeyDef* key) {
    const Row* row = selectedRow();
    std::optional<Row> keep;
    if (row) keep = *row;
    setKey(key);
    if (!keep) return top();
    return positionAt(
        inclusive(m_key ? store::keyValuesOf(*m_key, *keep) : std::vector<Value>{}, keep->pos),
        std::max(0, m_selected));
}

Status BrowsePager::resize(int rows) {
    setPageSize(rows);
    return refresh();
}

int BrowsePager::locateField() const {
    if (!m_key || m_range.size() >= m_key->components.size()) return -1;
    return m_key->components[m_range.size()].field;
}

std::optional<Value> BrowsePager::locateValue(const QString& typed,
                                              const QString& datePicture) const {
    const int field = locateField();
    if (field < 0) return std::nullopt;
    const store::FieldDef& def = m_table.fields[static_cast<size_t>(field)];
    switch (def.type) {
        case store::FieldType::String:
        case store::FieldType::ByteArray:
        case store::FieldType::Memo:
            return Value{typed.toStdString()};
        case store::FieldType::Long:
        case store::FieldType::Short:
        case store::FieldType::Byte: {
            if (!datePicture.isEmpty()) {
                const Parsed<Date> date = parseDate(typed, datePicture, QString());
                if (!date.ok()) return std::nullopt;
                return Value{std::int64_t{date.value}};
            }
            bool ok = false;
            const qlonglong n = typed.trimmed().toLongLong(&ok);
            if (!ok) return std::nullopt;
            return Value{std::int64_t{n}};
        }
    }
    return std::nullopt;
}

// ---- scroll position estimate ---------------------------------------------------

namespace {

constexpr int kTextBytes = 4;

double textNumber(const std::string& text, size_t from) {
    double n = 0;
    for (int i = 0; i < kTextBytes; ++i) {
        const size_t at = from + static_cast<size_t>(i);
        n = n * 256 + (at < text.size() ? static_cast<unsigned char>(text[at]) : 0);
    }
    return n;
}

std::string textOf(double n, const std::string& prefix) {
    std::int64_t v = std::llround(std::max(0.0, n));
    unsigned char bytes[kTextBytes];
    for (int i = kTextBytes - 1; i >= 0; --i) {
        bytes[i] = static_cast<unsigned char>(v % 256);
        v /= 256;
    }
    std::string out = prefix;
    // Only plain ASCII bytes: a cut multi-byte character is no valid text.
    for (unsigned char b : bytes) {
        if (b == 0 || b >= 0x80) break;
        out += static_cast<char>(b);
    }
    return out;
}

}  // namespace

double BrowsePager::keyNumber(const Value& value, const Bounds& bounds) const {
    if (const auto* n = std::get_if<std::int64_t>(&value)) return static_cast<double>(*n);
    return textNumber(std::get<std::string>(value), bounds.commonPrefix.size());
}

const BrowsePager::Bounds& BrowsePager::bounds() {
    if (m_bounds) return *m_bounds;
    Bounds b;
    const int field = locateField();
    std::vector<Row> first, last;
    if (field >= 0 && readRows(rangeStart(), Direction::Forward, 1, first).ok() &&
        readRows(rangeStart(), Direction::Backward, 1, last).ok() && !first.empty() &&
        !last.empty()) {
        const Value& a = first.front().values[static_cast<size_t>(field)];
        const Value& z = last.front().values[static_cast<size_t>(field)];
        b.text = std::holds_alternative<std::string>(a);
        if (b.text) {
            const std::string& sa = std::get<std::string>(a);
            const std::string& sz = std::get<std::string>(z);
            size_t common = 0;
            while (common < sa.size() && common < sz.size() && sa[common] == sz[common]) ++common;
            // Stay on a character boundary.
            while (common > 0 && common < sa.size() &&
                   (static_cast<unsigned char>(sa[common]) & 0xC0) == 0x80)
                --common;
            b.commonPrefix = sa.substr(0, common);
        }
        b.first = keyNumber(a, b);
        b.last = keyNumber(z, b);
        b.usable = b.first != b.last;
    }
    m_bounds = b;
    return *m_bounds;
}

double BrowsePager::position() {
    if (m_rows.empty() || !m_moreBefore) return 0.0;
    if (!m_moreAfter) return 1.0;
    const int field = locateField();
    const Bounds& b = bounds();
    if (field < 0 || !b.usable) return 0.5;
    const Value& v = m_rows.front().values[static_cast<size_t>(field)];
    const double f = (keyNumber(v, b) - b.first) / (b.last - b.first);
    return std::clamp(f, 0.01, 0.99);
}

Status BrowsePager::scrollTo(double fraction) {
    if (fraction <= 0.0) return top();
    if (fraction >= 1.0) return bottom();
    const Bounds& b = bounds();
    if (!b.usable) return Status::success();
    const double n = b.first + fraction * (b.last - b.first);
    const Value target =
        b.text ? Value{textOf(n, b.commonPrefix)} : Value{std::int64_t{std::llround(n)}};
    return locate(target);
}

// ---- type-ahead -----------------------------------------------------------------

QString TypeAhead::add(const QString& text, std::int64_t nowMs) {
    if (nowMs - m_lastMs > kPauseMs) m_text.clear();
    m_lastMs = nowMs;
    m_text += text;
    return m_text;
}

QString TypeAhead::backspace(std::int64_t nowMs) {
    if (nowMs - m_lastMs > kPauseMs) m_text.clear();
    m_lastMs = nowMs;
    m_text.chop(1);
    return m_text;
}

}  // namespace tko
