#include "views/ui/CalendarView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "platform/LocaleFormat.h"
#include "platform/Picture.h"

namespace tko {

namespace {

constexpr int kCellPadding = 3;

// Colours of the kinds, and of the priorities' bar (1-3 urgent, 4-6 normal,
// 7 and up low).
QColor kindColour(const CalendarEntry& e) {
    if (e.overdue) return QColor(0xb0, 0x00, 0x00);
    switch (e.kind) {
        case CalendarKind::Due:
            return QColor(0x10, 0x10, 0x10);
        case CalendarKind::Repeat:
            return e.projected ? QColor(0x70, 0x70, 0x90) : QColor(0x40, 0x40, 0x60);
        case CalendarKind::Reminder:
            return QColor(0x00, 0x70, 0x30);
        case CalendarKind::Anniversary:
            return QColor(0x80, 0x20, 0x90);
    }
    return Qt::black;
}

QColor priorityColour(int priority) {
    if (priority <= 3) return QColor(0xd0, 0x30, 0x20);
    if (priority <= 6) return QColor(0xe0, 0x90, 0x10);
    return QColor(0x90, 0xa0, 0xb0);
}

}  // namespace

CalendarView::CalendarView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("calendarView"));
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(560, 380);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CalendarView::setEntries(std::vector<CalendarEntry> entries) {
    m_entries = std::move(entries);
    m_selectedEntry = -1;
    rebuildDays();
    update();
}

void CalendarView::setPage(CalendarPage page) {
    m_page = page;
    rebuildDays();
    update();
}

void CalendarView::setFirstWeekday(int firstWeekday) {
    m_firstWeekday = ((firstWeekday % 7) + 7) % 7;
    rebuildDays();
    update();
}

void CalendarView::setToday(Date today) {
    m_today = today;
    update();
}

void CalendarView::setSelectedDate(Date date) {
    select(date);
}

void CalendarView::select(Date date, int entry) {
    date = std::clamp(date, kFirstDate, kLastDate);
    const bool moved = date != m_selected;
    m_selected = date;
    m_selectedEntry = entry;
    if (moved) {
        rebuildDays();
        emit selectedDateChanged(date);
    }
    update();
}

const CalendarEntry* CalendarView::selectedEntry() const {
    if (m_selectedEntry < 0 || m_selectedEntry >= static_cast<int>(m_entries.size()))
        return nullptr;
    return &m_entries[static_cast<size_t>(m_selectedEntry)];
}

Date CalendarView::firstShown() const {
    switch (m_page) {
        case CalendarPage::Month:
            return monthGridStart(m_selected, m_firstWeekday);
        case CalendarPage::Week:
            return weekStart(m_selected, m_firstWeekday);
        case CalendarPage::Day:
            break;
    }
    return m_selected;
}

Date CalendarView::lastShown() const {
    return firstShown() + dayCount() - 1;
}

int CalendarView::columns() const {
    return m_page == CalendarPage::Day ? 1 : 7;
}

int CalendarView::rows() const {
    return m_page == CalendarPage::Month ? kMonthGridDays / 7 : 1;
}

int CalendarView::dayCount() const {
    return columns() * rows();
}

int CalendarView::lineHeight() const {
    return fontMetrics().height() + 1;
}

int CalendarView::headerHeight() const {
    return fontMetrics().height() + 2 * kCellPadding;
}

void CalendarView::rebuildDays() {
    m_daysFirst = firstShown();
    m_days.assign(static_cast<size_t>(dayCount()), {});
    for (size_t i = 0; i < m_entries.size(); ++i) {
        const Date offset = m_entries[i].date - m_daysFirst;
        if (offset >= 0 && offset < dayCount()) m_days[static_cast<size_t>(offset)].push_back(i);
    }
}

std::vector<size_t> CalendarView::entriesOn(Date date) const {
    const Date offset = date - m_daysFirst;
    if (offset < 0 || offset >= static_cast<Date>(m_days.size())) return {};
    return m_days[static_cast<size_t>(offset)];
}

QRect CalendarView::cellRect(Date date) const {
    const Date offset = date - firstShown();
    if (offset < 0 || offset >= dayCount()) return {};
    const int column = offset % columns(), row = offset / columns();
    const int top = headerHeight();
    const int x0 = column * width() / columns(), x1 = (column + 1) * width() / columns();
    const int y0 = top + row * (height() - top) / rows();
    const int y1 = top + (row + 1) * (height() - top) / rows();
    return QRect(x0, y0, x1 - x0, y1 - y0);
}

QRect CalendarView::entryRect(Date date, int line) const {
    const QRect cell = cellRect(date);
    if (cell.isEmpty()) return {};
    const int y = cell.top() + kCellPadding + lineHeight() * (line + 1);
    return QRect(cell.left() + kCellPadding, y, cell.width() - 2 * kCellPadding, lineHeight());
}

Date CalendarView::dateAt(const QPoint& point) const {
    const int top = headerHeight();
    if (point.y() < top || width() <= 0 || height() <= top) return kNoDate;
    const int column = std::clamp(point.x() * columns() / width(), 0, columns() - 1);
    const int row = std::clamp((point.y() - top) * rows() / (height() - top), 0, rows() - 1);
    return firstShown() + row * columns() + column;
}

int CalendarView::entryAt(const QPoint& point) const {
    const Date date = dateAt(point);
    if (date == kNoDate) return -1;
    const std::vector<size_t> day = entriesOn(date);
    const QRect cell = cellRect(date);
    const int line = (point.y() - cell.top() - kCellPadding) / lineHeight() - 1;
    if (line < 0 || line >= static_cast<int>(day.size())) return -1;
    if (!entryRect(date, line).contains(point)) return -1;
    return static_cast<int>(day[static_cast<size_t>(line)]);
}

void CalendarView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& pal = palette();
    painter.fillRect(rect(), pal.color(QPalette::Base));
    const auto locale = LocaleFormat::active();
    const int top = headerHeight();
    const int lh = lineHeight();
    const QFontMetrics metrics = fontMetrics();

    // The heading: the day names, the locale's first day first; a day page
    // shows its long date.
    painter.fillRect(QRect(0, 0, width(), top), pal.color(QPalette::Button));
    painter.setPen(pal.color(QPalette::ButtonText));
    for (int c = 0; c < columns(); ++c) {
        const QRect r(c * width() / columns(), 0, width() / columns(), top);
        const QString text = m_page == CalendarPage::Day
                                 ? formatDate(m_selected, u"@D18")
                                 : locale->dayNames[static_cast<size_t>((m_firstWeekday + c) % 7)];
        painter.drawText(r, Qt::AlignCenter, metrics.elidedText(text, Qt::ElideRight, r.width()));
    }

    const int month = toYmd(m_selected).month;
    QFont bold = font();
    bold.setBold(true);
    for (int d = 0; d < dayCount(); ++d) {
        const Date date = m_daysFirst + d;
        const QRect cell = cellRect(date);
        if (cell.isEmpty()) continue;
        const bool otherMonth = m_page == CalendarPage::Month && toYmd(date).month != month;
        QColor background = pal.color(QPalette::Base);
        if (otherMonth) background = pal.color(QPalette::AlternateBase).darker(103);
        if (date == m_today) background = QColor(0xff, 0xf6, 0xc8);
        painter.fillRect(cell, background);
        painter.setPen(pal.color(QPalette::Mid));
        painter.drawRect(cell.adjusted(0, 0, -1, -1));

        // The day's number (the month's first day with its month's name).
        const Ymd ymd = toYmd(date);
        QString caption = QString::number(ymd.day);
        if (ymd.day == 1 || m_page != CalendarPage::Month)
            caption = m_page == CalendarPage::Day
                          ? QString()
                          : caption + QLatin1Char(' ') +
                                locale->monthAbbrevs[static_cast<size_t>(ymd.month - 1)];
        painter.setFont(date == m_today ? bold : font());
        painter.setPen(otherMonth ? pal.color(QPalette::PlaceholderText)
                                  : pal.color(QPalette::Text));
        const QRect captionRect(cell.left() + kCellPadding, cell.top() + kCellPadding,
                                cell.width() - 2 * kCellPadding, lh);
        painter.drawText(captionRect, Qt::AlignRight | Qt::AlignVCenter, caption);
        painter.setFont(font());

        // As many entries as fit, then "+N more".
        const std::vector<size_t>& day = m_days[static_cast<size_t>(d)];
        const int room = std::max(0, (cell.height() - 2 * kCellPadding) / lh - 1);
        const int shown = static_cast<int>(day.size()) > room ? std::max(0, room - 1)
                                                              : static_cast<int>(day.size());
        for (int line = 0; line < shown; ++line) {
            const size_t index = day[static_cast<size_t>(line)];
            const CalendarEntry& e = m_entries[index];
            const QRect r = entryRect(date, line);
            if (static_cast<int>(index) == m_selectedEntry)
                painter.fillRect(r, pal.color(QPalette::Highlight).lighter(160));
            if (e.kind == CalendarKind::Due || e.kind == CalendarKind::Repeat)
                painter.fillRect(QRect(r.left(), r.top() + 1, 3, r.height() - 2),
                                 priorityColour(e.priority));
            QFont f = font();
            f.setItalic(e.kind == CalendarKind::Repeat);
            f.setBold(e.overdue);
            painter.setFont(f);
            QColor colour = kindColour(e);
            if (e.secondary) colour.setAlpha(150);
            painter.setPen(colour);
            const QRect textRect = r.adjusted(5, 0, 0, 0);
            painter.drawText(
                textRect, Qt::AlignLeft | Qt::AlignVCenter,
                QFontMetrics(f).elidedText(calendarEntryText(e), Qt::ElideRight, textRect.width()));
        }
        painter.setFont(font());
        if (shown < static_cast<int>(day.size())) {
            painter.setPen(pal.color(QPalette::Text));
            const QRect r = entryRect(date, shown);
            painter.drawText(r.adjusted(5, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             QString::fromStdString(translateText("+%1 more"))
                                 .arg(static_cast<int>(day.size()) - shown));
        }
        if (date == m_selected) {
            QPen pen(pal.color(QPalette::Highlight));
            pen.setWidth(2);
            painter.setPen(pen);
            painter.drawRect(cell.adjusted(1, 1, -2, -2));
        }
    }
}

void CalendarView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Undo)) {
        emit undoRequested();
        return;
    }
    switch (event->key()) {
        case Qt::Key_Left:
            select(m_selected - 1);
            return;
        case Qt::Key_Right:
            select(m_selected + 1);
            return;
        case Qt::Key_Up:
            select(m_selected - 7);
            return;
        case Qt::Key_Down:
            select(m_selected + 7);
            return;
        case Qt::Key_PageUp:
            select(shiftMonths(m_selected, -1));
            return;
        case Qt::Key_PageDown:
            select(shiftMonths(m_selected, 1));
            return;
        case Qt::Key_Home:
            select(m_today);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            // The selected entry, or else the day's first assignment.
            const CalendarEntry* entry = selectedEntry();
            if (!entry) {
                for (size_t index : entriesOn(m_selected))
                    if (m_entries[index].assignNumber != 0) {
                        entry = &m_entries[index];
                        break;
                    }
            }
            if (entry && entry->assignNumber != 0) emit openRequested(*entry);
            return;
        }
        default:
            QWidget::keyPressEvent(event);
    }
}

void CalendarView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) return;
    const Date date = dateAt(event->position().toPoint());
    if (date == kNoDate) return;
    m_pressedEntry = entryAt(event->position().toPoint());
    m_pressPoint = event->position().toPoint();
    m_dragging = false;
    select(date, m_pressedEntry);
}

void CalendarView::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressedEntry < 0 || !(event->buttons() & Qt::LeftButton)) return;
    if ((event->position().toPoint() - m_pressPoint).manhattanLength() >=
        QApplication::startDragDistance()) {
        m_dragging = true;
        setCursor(Qt::ClosedHandCursor);
    }
}

void CalendarView::mouseReleaseEvent(QMouseEvent* event) {
    const int pressed = m_pressedEntry;
    const bool dragging = m_dragging;
    m_pressedEntry = -1;
    m_dragging = false;
    unsetCursor();
    if (!dragging || pressed < 0 || event->button() != Qt::LeftButton) return;
    const Date to = dateAt(event->position().toPoint());
    const CalendarEntry entry = m_entries[static_cast<size_t>(pressed)];
    if (to != kNoDate && to != entry.date) emit moveRequested(entry, to);
}

void CalendarView::mouseDoubleClickEvent(QMouseEvent* event) {
    const int index = entryAt(event->position().toPoint());
    if (index < 0) return;
    const CalendarEntry& entry = m_entries[static_cast<size_t>(index)];
    if (entry.assignNumber != 0) emit openRequested(entry);
}

}  // namespace tko
