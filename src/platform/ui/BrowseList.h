// The browse list: a table of one page of rows of a BrowsePager, with its own
// scroll bar, optional sort tabs, locate-by-typing, and the signals with which
// the owning window opens forms.
//
// Columns come from a list-box format string (ListFormat.h), which is also the
// "format" property of the inner view so that the window translator
// translates its headings and pictures, or from column objects whose headings
// are translated here.
//
// Keys: Up, Down, PgUp, PgDn move the selection and the page; Home and
// Ctrl+Home go to the first row of the list, End and Ctrl+End to the last;
// Enter chooses the row (select mode) or asks to change it; Insert and Delete
// ask to insert and delete; letters and digits typed in quick succession
// locate on the first free key component; Backspace takes back a letter.
// The wheel and the scroll-bar arrows scroll; the scroll-bar thumb jumps to
// the estimated place (BrowsePager::position()). The scroll bars show only
// while there is something to scroll to: none on an empty list.
//
// Columns keep the widths their format gives them, except one (the first, or
// the one setStretchColumn() names), which takes whatever room is left when
// the list is wider than its columns.
//
// Storage failures while reading show standard message 35 and are signalled
// with storageError(); the page stays as it was.
#pragma once

#include "platform/BrowsePager.h"
#include "platform/FormRequest.h"
#include "platform/ListFormat.h"

#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QScrollBar;
class QTabBar;
class QTableView;

namespace tko {

class BrowseModel;

struct BrowseColumn {
    QString heading;  // source text, translated when set
    QString field;    // field label ("DUEDATE" or "ASS:DUEDATE")
    QString picture;  // display picture; empty: the stored value
    int width = 0;    // dialog units; 0 fits the heading
    ColumnAlign align = ColumnAlign::Left;
};

class BrowseList : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString format READ format WRITE setFormat)
public:
    // The engine and table must outlive the list.
    BrowseList(store::Engine& engine, const store::TableDef& table, QWidget* parent = nullptr);
    ~BrowseList() override;

    BrowsePager& pager() { return m_pager; }
    QTableView* view() const { return m_view; }
    QScrollBar* scrollBar() const { return m_scrollBar; }
    QTabBar* sortTabs() const { return m_tabs; }

    // ---- columns
    void setFormat(const QString& format);
    // Format plus the fields of the columns that name none (in order).
    void setFormat(const QString& format, const QStringList& fields);
    QString format() const;
    void setColumns(const std::vector<BrowseColumn>& columns);
    int columnCount() const;
    // The column that takes the room a wider list gives (the first by
    // default); the others keep their widths. -1: none does.
    void setStretchColumn(int column);
    // The width the list needs to show every visible column at its own width,
    // its scroll bar and frame included.
    int columnsWidth() const;
    // The text shown at a cell of the page (for tests and reports).
    QString cellText(int row, int column) const;
    // Replaces the text shown for a column's stored value (a name stored in
    // one fixed form and shown translated); null shows the stored value.
    using CellDisplay = std::function<QString(int column, const QString& text)>;
    void setCellDisplay(CellDisplay display);

    // ---- what is listed; call reload() afterwards
    void setKey(const store::KeyDef* key);
    void setKey(const QString& keyLabel);
    void setRange(std::vector<store::Value> prefix) { m_pager.setRange(std::move(prefix)); }
    void setFilter(store::Filter filter) { m_pager.setFilter(std::move(filter)); }
    // Narrows the list to rows whose shown text columns hold every word of
    // `typed` (store::wordsFilter()); empty shows every row again.
    void setFilterWords(const QString& typed);
    // The fields of the columns shown, in order.
    std::vector<std::string> columnFields() const;
    // One sort tab per key, with its (source) caption; the first tab's key
    // becomes the list's key. No tabs are shown when the list is empty.
    void setSortTabs(const std::vector<std::pair<QString, const store::KeyDef*>>& tabs);

    // Select mode: Enter and double-click choose the row (rowChosen) instead
    // of asking to change it.
    void setSelectMode(bool on) { m_selectMode = on; }
    bool selectMode() const { return m_selectMode; }
    // The row chosen in select mode, if any.
    const std::optional<store::Row>& chosenRow() const { return m_chosen; }

    // ---- positioning
    store::Status reload();                         // to the first row
    store::Status reloadAt(const store::Row& row);  // after an insert, change or delete
    store::Status refresh();                        // the same row, re-read
    // The same row, re-read because the table changed underneath: the row
    // keeps its place on the screen, the focus stays where it is, and a
    // failure leaves the page as it was without a message (the next change
    // notice tries again). The page is read into a fresh one: rows of the page
    // before stay valid until pager().releaseRetiredPages().
    store::Status refreshQuietly();
    const store::Row* selectedRow() const { return m_pager.selectedRow(); }
    // Moves the highlight to the first, previous, next or last row, as a
    // form's record navigation asks; at either end it stays where it is.
    store::Status moveHighlight(RecordNavigation where);

    // A key pressed elsewhere in the owning window (Up, Down, PgUp, PgDn),
    // handled as if pressed in the list; true when it was used.
    bool keyFromWindow(QKeyEvent* event) { return handleKey(event); }

signals:
    void changeRequested(const tko::store::Row& row);
    void insertRequested();
    void deleteRequested(const tko::store::Row& row);
    void rowChosen(const tko::store::Row& row);
    void selectionChanged();
    void storageError(const tko::store::Status& status);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool handleKey(QKeyEvent* event);
    void activate();
    void typed(const QString& text, bool backspace);
    void applyColumns(const std::vector<ListColumn>& columns);
    void run(store::Status status);
    void showPage();
    void syncScrollBar();
    void fitColumns();
    void onScrollAction(int action);
    void onSortTab(int index);
    int visibleRows() const;

    BrowsePager m_pager;
    BrowseModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    QScrollBar* m_scrollBar = nullptr;
    QTabBar* m_tabs = nullptr;
    std::vector<const store::KeyDef*> m_tabKeys;
    QString m_format;
    QStringList m_formatFields;
    std::vector<int> m_naturalWidths;  // each column's width before stretching
    int m_stretchColumn = 0;
    bool m_selectMode = false;
    bool m_showing = false;
    std::optional<store::Row> m_chosen;
    TypeAhead m_typeAhead;
    QElapsedTimer m_clock;
};

}  // namespace tko
