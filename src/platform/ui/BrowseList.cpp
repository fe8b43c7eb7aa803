#include "platform/ui/BrowseList.h"

#include "platform/Date.h"

#include "platform/Translate.h"
#include "platform/store/FilterBox.h"
#include "platform/ui/MessageBox.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <cmath>

namespace tko {

namespace {

constexpr int kScrollRange = 1000;
const char* const kFormatProperty = "format";

Qt::Alignment alignmentOf(ColumnAlign align) {
    switch (align) {
        case ColumnAlign::Left:
            return Qt::AlignLeft | Qt::AlignVCenter;
        case ColumnAlign::Right:
            return Qt::AlignRight | Qt::AlignVCenter;
        case ColumnAlign::Center:
            return Qt::AlignHCenter | Qt::AlignVCenter;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

// The page of the pager as a table model. Headings may be replaced through
// setHeaderData (the window translator writes translated headings there).
class BrowseModel : public QAbstractTableModel {
public:
    BrowseModel(BrowsePager& pager, QObject* parent)
        : QAbstractTableModel(parent), m_pager(pager) {}

    void setColumns(std::vector<ListColumn> columns) {
        beginResetModel();
        m_columns = std::move(columns);
        m_fields.clear();
        for (const ListColumn& c : m_columns)
            m_fields.push_back(m_pager.table().fieldIndex(c.field.toStdString()));
        endResetModel();
    }
    const std::vector<ListColumn>& columns() const { return m_columns; }
    void pageChanged() {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_pager.rows().size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
            return {};
        const ListColumn& column = m_columns[static_cast<size_t>(index.column())];
        if (role == Qt::TextAlignmentRole) return QVariant::fromValue(alignmentOf(column.align));
        if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
        const int field = m_fields[static_cast<size_t>(index.column())];
        const store::Row& row = m_pager.rows()[static_cast<size_t>(index.row())];
        if (field < 0 || field >= static_cast<int>(row.values.size())) return QString();
        const QString text = formatCell(row.values[static_cast<size_t>(field)], column.picture);
        return m_display ? m_display(index.column(), text) : text;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
        const ListColumn& column = m_columns[static_cast<size_t>(section)];
        if (role == Qt::DisplayRole) return column.heading;
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(alignmentOf(column.headingAlign));
        return {};
    }
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant& value,
                       int role) override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= columnCount())
            return false;
        m_columns[static_cast<size_t>(section)].heading = value.toString();
        emit headerDataChanged(orientation, section, section);
        return true;
    }

    void setCellDisplay(BrowseList::CellDisplay display) {
        beginResetModel();
        m_display = std::move(display);
        endResetModel();
    }

private:
    BrowsePager& m_pager;
    BrowseList::CellDisplay m_display;
    std::vector<ListColumn> m_columns;
    std::vector<int> m_fields;
};

BrowseList::BrowseList(store::Engine& engine, const store::TableDef& table, QWidget* parent)
    : QWidget(parent), m_pager(engine, table) {
    m_clock.start();
    m_model = new BrowseModel(m_pager, this);

    m_tabs = new QTabBar(this);
    m_tabs->setObjectName(QStringLiteral("sortTabs"));
    m_tabs->setDrawBase(false);
    m_tabs->hide();

    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("browseView"));
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_view->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_view->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    m_view->horizontalHeader()->setHighlightSections(false);
    m_view->horizontalHeader()->setStretchLastSection(false);
    m_view->setShowGrid(false);
    m_view->setAlternatingRowColors(true);
    m_view->setWordWrap(false);
    m_view->setTabKeyNavigation(false);
    m_view->installEventFilter(this);
    m_view->viewport()->installEventFilter(this);
    setFocusProxy(m_view);

    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setObjectName(QStringLiteral("browseScrollBar"));
    m_scrollBar->setRange(0, kScrollRange);
    m_scrollBar->setPageStep(kScrollRange / 10);
    m_scrollBar->setSingleStep(1);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(m_view);
    row->addWidget(m_scrollBar);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tabs);
    layout->addLayout(row);

    connect(m_scrollBar, &QAbstractSlider::actionTriggered, this, &BrowseList::onScrollAction);
    connect(m_scrollBar, &QAbstractSlider::sliderReleased, this,
            [this] { run(m_pager.scrollTo(double(m_scrollBar->value()) / kScrollRange)); });
    connect(m_tabs, &QTabBar::currentChanged, this, &BrowseList::onSortTab);
    // Another column made wider or narrower by the user: the stretching one
    // gives or takes the difference.
    connect(m_view->horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column) {
        if (column != m_stretchColumn) fitColumns();
    });
    connect(m_view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (m_pager.select(index.row())) activate();
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (m_showing || !current.isValid()) return;
                if (m_pager.select(current.row())) emit selectionChanged();
            });
}

BrowseList::~BrowseList() = default;

// ---- columns --------------------------------------------------------------------

void BrowseList::setFormat(const QString& format) {
    setFormat(format, m_formatFields);
}

void BrowseList::setFilterWords(const QString& typed) {
    m_pager.setTextFilter(store::filterBoxFilter(m_pager.engine(), m_pager.table(), columnFields(),
                                                 typed.toStdString()));
}

std::vector<std::string> BrowseList::columnFields() const {
    std::vector<std::string> fields;
    for (const ListColumn& c : m_model->columns()) fields.push_back(c.field.toStdString());
    return fields;
}

void BrowseList::setFormat(const QString& format, const QStringList& fields) {
    m_format = format;
    m_formatFields = fields;
    // The view carries the format for the window translator, which writes the
    // translated format back; eventFilter() then re-reads the columns.
    if (m_view->property(kFormatProperty).toString() != format)
        m_view->setProperty(kFormatProperty, format);
    QString error;
    std::vector<ListColumn> columns = parseListFormat(format, fields, &error);
    if (!error.isEmpty()) qWarning("BrowseList: %s", qUtf8Printable(error));
    applyColumns(columns);
}

QString BrowseList::format() const {
    return m_format;
}

void BrowseList::setColumns(const std::vector<BrowseColumn>& columns) {
    std::vector<ListColumn> list;
    for (const BrowseColumn& c : columns) {
        ListColumn column;
        column.heading = QString::fromStdString(translateText(c.heading.toStdString()));
        column.field = c.field;
        column.picture = c.picture;
        column.width = c.width;
        column.align = column.headingAlign = c.align;
        list.push_back(column);
    }
    applyColumns(list);
}

void BrowseList::applyColumns(const std::vector<ListColumn>& columns) {
    m_model->setColumns(columns);
    m_naturalWidths.assign(columns.size(), 0);
    const int unit = std::max(1, m_view->fontMetrics().averageCharWidth());
    const QFontMetrics headerMetrics = m_view->horizontalHeader()->fontMetrics();
    for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
        const ListColumn& c = columns[static_cast<size_t>(i)];
        int width = c.width > 0 ? c.width * unit / 4 + c.indent * unit / 4 : 0;
        // Never narrower than the heading, nor than a date or time in the
        // column's picture: the format's widths assume a narrower font.
        width = std::max(width, headerMetrics.horizontalAdvance(c.heading) + 2 * unit);
        if (c.picture.startsWith(QLatin1String("@D"), Qt::CaseInsensitive) ||
            c.picture.startsWith(QLatin1String("@T"), Qt::CaseInsensitive)) {
            const QString sample = formatCell(
                store::Value{
                    std::int64_t{c.picture.startsWith(QLatin1String("@D"), Qt::CaseInsensitive)
                                     ? fromYmd(2026, 12, 28)
                                     : fromHms(23, 58)}},
                c.picture);
            width = std::max(width, m_view->fontMetrics().horizontalAdvance(sample) + 2 * unit);
        }
        m_naturalWidths[static_cast<size_t>(i)] = width;
        m_view->setColumnWidth(i, width);
    }
    fitColumns();
    showPage();
}

void BrowseList::setStretchColumn(int column) {
    m_stretchColumn = column;
    for (int i = 0; i < static_cast<int>(m_naturalWidths.size()); ++i)
        m_view->setColumnWidth(i, m_naturalWidths[static_cast<size_t>(i)]);
    fitColumns();
}

void BrowseList::fitColumns() {
    const int count = static_cast<int>(m_naturalWidths.size());
    if (m_stretchColumn < 0 || m_stretchColumn >= count) return;
    int others = 0;
    for (int i = 0; i < count; ++i)
        if (i != m_stretchColumn && !m_view->isColumnHidden(i)) others += m_view->columnWidth(i);
    const int room = m_view->viewport()->width() - others;
    const int width = std::max(m_naturalWidths[static_cast<size_t>(m_stretchColumn)], room);
    // Resizing this column signals sectionResized for it, which is ignored.
    if (m_view->columnWidth(m_stretchColumn) != width)
        m_view->setColumnWidth(m_stretchColumn, width);
}

int BrowseList::columnsWidth() const {
    int width = 2 * m_view->frameWidth() + m_scrollBar->sizeHint().width();
    for (int i = 0; i < static_cast<int>(m_naturalWidths.size()); ++i)
        if (!m_view->isColumnHidden(i)) width += m_naturalWidths[static_cast<size_t>(i)];
    return width;
}

int BrowseList::columnCount() const {
    return m_model->columnCount();
}

QString BrowseList::cellText(int row, int column) const {
    return m_model->data(m_model->index(row, column), Qt::DisplayRole).toString();
}

void BrowseList::setCellDisplay(CellDisplay display) {
    m_model->setCellDisplay(std::move(display));
}

// ---- keys and tabs --------------------------------------------------------------

void BrowseList::setKey(const store::KeyDef* key) {
    m_pager.setKey(key);
}

void BrowseList::setKey(const QString& keyLabel) {
    m_pager.setKey(m_pager.table().key(keyLabel.toStdString()));
}

void BrowseList::setSortTabs(const std::vector<std::pair<QString, const store::KeyDef*>>& tabs) {
    const QSignalBlocker blocker(m_tabs);
    while (m_tabs->count() > 0) m_tabs->removeTab(0);
    m_tabKeys.clear();
    for (const auto& [caption, key] : tabs) {
        m_tabs->addTab(QString::fromStdString(translateText(caption.toStdString())));
        m_tabKeys.push_back(key);
    }
    m_tabs->setVisible(!tabs.empty());
    if (!tabs.empty()) {
        m_tabs->setCurrentIndex(0);
        m_pager.setKey(m_tabKeys.front());
    }
}

void BrowseList::onSortTab(int index) {
    if (index < 0 || index >= static_cast<int>(m_tabKeys.size())) return;
    m_typeAhead.reset();
    const store::Status s = m_pager.switchKey(m_tabKeys[static_cast<size_t>(index)]);
    run(s);
}

// ---- positioning ----------------------------------------------------------------

int BrowseList::visibleRows() const {
    // Before the list is laid out on screen the page keeps its size.
    if (!m_view->isVisible()) return m_pager.pageSize();
    const int rowHeight = std::max(1, m_view->verticalHeader()->defaultSectionSize());
    const int height = m_view->viewport()->height();
    return std::max(1, height / rowHeight);
}

store::Status BrowseList::reload() {
    m_pager.setPageSize(visibleRows());
    const store::Status s = m_pager.top();
    run(s);
    return s;
}

store::Status BrowseList::reloadAt(const store::Row& row) {
    m_pager.setPageSize(visibleRows());
    const store::Status s = m_pager.reloadAt(row);
    run(s);
    return s;
}

store::Status BrowseList::refresh() {
    m_pager.setPageSize(visibleRows());
    const store::Status s = m_pager.refresh();
    run(s);
    return s;
}

store::Status BrowseList::refreshQuietly() {
    m_pager.setPageSize(visibleRows());
    const store::Status s = m_pager.refreshIntoFreshPage();
    if (s.ok() || s.endOfRange()) showPage();
    return s;
}

void BrowseList::run(store::Status status) {
    showPage();
    if (status.ok() || status.endOfRange()) return;
    MessageBox::showStandard(this, 35, QString::fromStdString(status.describe()),
                             QString::fromStdString(m_pager.table().label));
    emit storageError(status);
}

void BrowseList::showPage() {
    m_showing = true;
    m_model->pageChanged();
    const int selected = m_pager.selectedIndex();
    if (selected >= 0) {
        const QModelIndex index = m_model->index(selected, 0);
        m_view->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    m_showing = false;
    syncScrollBar();
    emit selectionChanged();
}

void BrowseList::syncScrollBar() {
    const QSignalBlocker blocker(m_scrollBar);
    m_scrollBar->setValue(static_cast<int>(std::lround(m_pager.position() * kScrollRange)));
    const bool everything = m_pager.atTop() && m_pager.atBottom();
    m_scrollBar->setEnabled(!everything);
    // Scroll bars only where there is something to scroll to.
    m_scrollBar->setVisible(!everything);
    m_view->setHorizontalScrollBarPolicy(m_pager.isEmpty() ? Qt::ScrollBarAlwaysOff
                                                           : Qt::ScrollBarAsNeeded);
}

void BrowseList::onScrollAction(int action) {
    store::Status s;
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd:
            s = m_pager.scroll(1);
            break;
        case QAbstractSlider::SliderSingleStepSub:
            s = m_pager.scroll(-1);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            s = m_pager.pageDown();
            break;
        case QAbstractSlider::SliderPageStepSub:
            s = m_pager.pageUp();
            break;
        case QAbstractSlider::SliderToMinimum:
            s = m_pager.top();
            break;
        case QAbstractSlider::SliderToMaximum:
            s = m_pager.bottom();
            break;
        case QAbstractSlider::SliderMove:
            // While the thumb is dragged nothing is read; sliderReleased locates.
            if (m_scrollBar->isSliderDown()) return;
            s = m_pager.scrollTo(double(m_scrollBar->sliderPosition()) / kScrollRange);
            break;
        default:
            return;
    }
    run(s);
    // The bar applies the action's own position after this signal; replace it
    // with the pager's estimate.
    m_scrollBar->setSliderPosition(
        static_cast<int>(std::lround(m_pager.position() * kScrollRange)));
}

void BrowseList::activate() {
    const store::Row* row = m_pager.selectedRow();
    if (!row) return;
    if (m_selectMode) {
        m_chosen = *row;
        emit rowChosen(*row);
    } else {
        emit changeRequested(*row);
    }
}

void BrowseList::typed(const QString& text, bool backspace) {
    const qint64 now = m_clock.elapsed();
    const QString prefix = backspace ? m_typeAhead.backspace(now) : m_typeAhead.add(text, now);
    if (prefix.isEmpty()) return;
    // A date key is located by a date typed as its column shows it.
    QString datePicture;
    const int field = m_pager.locateField();
    for (const ListColumn& c : m_model->columns()) {
        if (m_pager.table().fieldIndex(c.field.toStdString()) == field &&
            Picture::parse(c.picture).type == Picture::Type::Date)
            datePicture = c.picture;
    }
    const std::optional<store::Value> value = m_pager.locateValue(prefix, datePicture);
    if (!value) return;
    run(m_pager.locate(*value));
}

store::Status BrowseList::moveHighlight(RecordNavigation where) {
    m_pager.setPageSize(visibleRows());
    store::Status status = store::Status::success();
    switch (where) {
        case RecordNavigation::First:
            status = m_pager.top();
            break;
        case RecordNavigation::Previous:
            status = m_pager.rowUp();
            break;
        case RecordNavigation::Next:
            status = m_pager.rowDown();
            break;
        case RecordNavigation::Last:
            status = m_pager.bottom();
            break;
        case RecordNavigation::None:
        case RecordNavigation::Insert:
            return status;
    }
    m_typeAhead.reset();
    run(status);
    return status;
}

bool BrowseList::handleKey(QKeyEvent* event) {
    m_pager.setPageSize(visibleRows());
    switch (event->key()) {
        case Qt::Key_Down:
            run(m_pager.rowDown());
            break;
        case Qt::Key_Up:
            run(m_pager.rowUp());
            break;
        case Qt::Key_PageDown:
            run(m_pager.pageDown());
            break;
        case Qt::Key_PageUp:
            run(m_pager.pageUp());
            break;
        case Qt::Key_Home:
            run(m_pager.top());
            break;
        case Qt::Key_End:
            run(m_pager.bottom());
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            activate();
            break;
        case Qt::Key_Insert:
            emit insertRequested();
            break;
        case Qt::Key_Delete:
            if (const store::Row* row = m_pager.selectedRow()) emit deleteRequested(*row);
            break;
        case Qt::Key_Backspace:
            typed(QString(), true);
            return true;
        default: {
            const QString text = event->text();
            const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
            if (plain && !text.isEmpty() && text.at(0).isPrint()) {
                typed(text, false);
                return true;
            }
            return false;  // Escape, Tab and the rest go to the window
        }
    }
    // Any move ends the typed prefix.
    m_typeAhead.reset();
    return true;
}

bool BrowseList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view) {
        if (event->type() == QEvent::KeyPress) return handleKey(static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::DynamicPropertyChange &&
            static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == kFormatProperty) {
            const QString format = m_view->property(kFormatProperty).toString();
            if (format != m_format) setFormat(format, m_formatFields);
        }
    } else if (watched == m_view->viewport() && event->type() == QEvent::Resize) {
        fitColumns();
    } else if (watched == m_view->viewport() && event->type() == QEvent::Wheel) {
        const int steps = static_cast<QWheelEvent*>(event)->angleDelta().y() / 120;
        if (steps != 0) run(m_pager.scroll(-steps * QApplication::wheelScrollLines()));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void BrowseList::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int rows = visibleRows();
    if (rows != m_pager.pageSize() && !m_pager.isEmpty())
        run(m_pager.resize(rows));
    else
        m_pager.setPageSize(rows);
}

}  // namespace tko
