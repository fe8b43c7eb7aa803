#include "platform/ui/CalendarPopup.h"

#include "platform/Translate.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace tko {

namespace {

constexpr int kGridRows = 6;

QString tr_(const std::string& source) {
    return QString::fromStdString(translateText(source));
}

Date usable(Date date) {
    return isSupportedDate(date) ? date : Clock::today();
}

}  // namespace

CalendarPopup::CalendarPopup(Date initial, QWidget* parent)
    : QDialog(parent), m_month(CalendarMonth::containing(initial)), m_date(usable(initial)) {
    setWindowTitle(tr_("Look Up Calendar"));
    setObjectName(QStringLiteral("lookUpCalendar"));

    auto* previous = new QToolButton(this);
    previous->setObjectName(QStringLiteral("previousMonthButton"));
    previous->setArrowType(Qt::LeftArrow);
    previous->setToolTip(tr_("Previous month"));
    auto* next = new QToolButton(this);
    next->setObjectName(QStringLiteral("nextMonthButton"));
    next->setArrowType(Qt::RightArrow);
    next->setToolTip(tr_("Next month"));

    m_monthEdit = new QComboBox(this);
    m_monthEdit->setObjectName(QStringLiteral("monthEdit"));
    for (int m = 1; m <= 12; ++m) m_monthEdit->addItem(tr_(CalendarMonth::monthAbbreviation(m)));
    m_monthEdit->setToolTip(tr_("Month"));
    m_yearEdit = new QSpinBox(this);
    m_yearEdit->setObjectName(QStringLiteral("yearEdit"));
    m_yearEdit->setRange(CalendarMonth::kFirstYear, CalendarMonth::kLastYear);
    m_yearEdit->setToolTip(tr_("Year"));

    auto* top = new QHBoxLayout;
    top->addWidget(previous);
    top->addStretch();
    top->addWidget(m_monthEdit);
    top->addWidget(m_yearEdit);
    top->addStretch();
    top->addWidget(next);

    m_grid = new QTableWidget(kGridRows, 7, this);
    m_grid->setObjectName(QStringLiteral("dayGrid"));
    const QString letters = tr_(CalendarMonth::dayLetters());
    QStringList headings;
    for (int d = 0; d < 7; ++d)
        headings << (d < letters.size() ? QString(letters.at(d)) : QString());
    m_grid->setHorizontalHeaderLabels(headings);
    m_grid->verticalHeader()->hide();
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setHighlightSections(false);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setShowGrid(false);
    const int cell = fontMetrics().horizontalAdvance(QStringLiteral("000")) + 10;
    const int rowHeight = fontMetrics().height() + 8;
    for (int c = 0; c < 7; ++c) m_grid->setColumnWidth(c, cell);
    for (int r = 0; r < kGridRows; ++r) m_grid->setRowHeight(r, rowHeight);
    m_grid->setFixedSize(cell * 7 + 2 * m_grid->frameWidth(),
                         rowHeight * kGridRows + m_grid->horizontalHeader()->sizeHint().height() +
                             2 * m_grid->frameWidth());
    m_grid->installEventFilter(this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(tr_("OK"));
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr_("Cancel"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancelButton"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 0, Qt::AlignHCenter);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(previous, &QToolButton::clicked, this,
            [this] { setDate(m_month.plusMonths(-1).dateOfDay(toYmd(m_date).day)); });
    connect(next, &QToolButton::clicked, this,
            [this] { setDate(m_month.plusMonths(1).dateOfDay(toYmd(m_date).day)); });
    connect(m_monthEdit, &QComboBox::currentIndexChanged, this, &CalendarPopup::onMonthEdited);
    connect(m_yearEdit, &QSpinBox::valueChanged, this, &CalendarPopup::onMonthEdited);
    connect(m_grid, &QTableWidget::cellClicked, this, &CalendarPopup::onCellClicked);
    connect(m_grid, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (m_month.dateAt(row, column) != kNoDate) {
            onCellClicked(row, column);
            accept();
        }
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    showMonth();
    m_grid->setFocus();
}

std::optional<Date> CalendarPopup::pick(QWidget* parent, Date initial) {
    CalendarPopup popup(initial, parent);
    if (popup.exec() != QDialog::Accepted) return std::nullopt;
    return popup.date();
}

void CalendarPopup::setDate(Date date) {
    if (!isSupportedDate(date)) return;
    m_date = date;
    m_month = CalendarMonth::containing(date);
    showMonth();
}

void CalendarPopup::showMonth() {
    m_updating = true;
    m_monthEdit->setCurrentIndex(m_month.month() - 1);
    m_yearEdit->setValue(m_month.year());
    const Date today = Clock::today();
    for (int r = 0; r < kGridRows; ++r) {
        for (int c = 0; c < 7; ++c) {
            const int day = m_month.dayAt(r, c);
            auto* item = new QTableWidgetItem(day ? QString::number(day) : QString());
            item->setTextAlignment(Qt::AlignCenter);
            if (!day) item->setFlags(Qt::NoItemFlags);
            if (day && m_month.dateAt(r, c) == today) {
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            m_grid->setItem(r, c, item);
        }
    }
    const int week = m_month.weekOf(m_date);
    if (week >= 0) m_grid->setCurrentCell(week, weekday(m_date));
    m_updating = false;
}

void CalendarPopup::onCellClicked(int row, int column) {
    const Date date = m_month.dateAt(row, column);
    if (date == kNoDate) {
        // A blank cell: the selection stays on the chosen day.
        showMonth();
        return;
    }
    m_date = date;
}

void CalendarPopup::onMonthEdited() {
    if (m_updating) return;
    const CalendarMonth month(m_yearEdit->value(), m_monthEdit->currentIndex() + 1);
    setDate(month.dateOfDay(toYmd(m_date).day));
}

bool CalendarPopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_grid || event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool ctrl = key->modifiers() & Qt::ControlModifier;
    const int day = toYmd(m_date).day;
    Date target = kNoDate;
    switch (key->key()) {
        case Qt::Key_Left:
            target = m_date - 1;
            break;
        case Qt::Key_Right:
            target = m_date + 1;
            break;
        case Qt::Key_Up:
            target = m_date - 7;
            break;
        case Qt::Key_Down:
            target = m_date + 7;
            break;
        case Qt::Key_PageUp:
            target = m_month.plusMonths(ctrl ? -12 : -1).dateOfDay(day);
            break;
        case Qt::Key_PageDown:
            target = m_month.plusMonths(ctrl ? 12 : 1).dateOfDay(day);
            break;
        case Qt::Key_Home:
            target = m_month.firstDay();
            break;
        case Qt::Key_End:
            target = m_month.lastDay();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            accept();
            return true;
        default:
            return QDialog::eventFilter(watched, event);
    }
    setDate(target);  // dates outside 1801..2099 are refused there
    return true;
}

}  // namespace tko
