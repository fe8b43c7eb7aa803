// The part every list screen shares: a browse list over one table with its
// title, help topic, sort tabs, button row, right-button pop-up menu, keys,
// select mode and reloading positioned on a row.
//
// A list screen derives from ListWindow (or from a subsystem's specialisation
// such as AssignmentListWindow), sets its columns and filter on list(), and
// describes the rest with tables:
//
//     setSortTabs({{"By Due Date", "Sort assingments by due date", "ASS:DUEDATE_KEY", "Due
//     Date"}}); setButtons({{"changeButton", "&Change/View", "Change or view …", [this] { change();
//     },
//                  ListRole::Change, NeedsRow::Yes}, …});
//     setPopup({{"changePopupAction", "Change/View", [this] { change(); }}});
//     finish();   // Close and Help, layout, first reload
//
// A filter box above the list narrows it, as the user types, to the rows
// whose shown text columns hold every word typed (letter case and accents
// aside; BrowseList::setFilterWords()); Escape in the box clears it, and
// with the box empty closes the window as usual.
//
// Keys, wherever the focus is in the window: Up, Down, PgUp and PgDn scroll
// the list (except in an entry that uses them itself); Insert runs the button
// with the Insert role; Ctrl+Enter chooses the row in select mode and runs the
// Change role otherwise. In the list itself Enter and a double-click do the
// same, and Delete runs the Delete role.
//
// Select mode: a default "Select" button, every other button disabled unless
// it says it stays enabled, Enter/double-click/Select end the window with
// Accepted and the chosen row in chosenRow().
//
// Live lists: when the station's ChangeWatcher reports that the list's table
// (or a table named with watchTables()) changed, at another station or in
// another window of this one, the visible page is re-read on the highlighted
// row, which keeps its place; the focus stays where it was. That happens
// while a modal window (a form, a question) is up too: the page is read into
// a fresh one, and the rows of the page before are kept until the work of the
// button that opened the modal window has ended and no modal window is up,
// so that a row it still uses is never freed.
//
// Everything runs on the GUI thread.
#pragma once

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

#include "platform/store/Engine.h"

class QLineEdit;
class QMenu;
class QTimer;
class QPushButton;
class QVBoxLayout;

namespace tko {

class BrowseList;

// One sort tab: its caption and tool tip (source texts), the key it reads
// along, and the name of the same order in the reports (may be empty).
struct SortTab {
    const char* caption;
    const char* tip;
    const char* keyLabel;
    const char* reportOrder = "";
};

// Which list event a button answers besides its own click.
enum class ListRole { None, Change, Insert, Delete, Select };
enum class NeedsRow { No, Yes };

struct ListButton {
    const char* name;  // object name ("changeButton")
    const char* text;  // source caption with its hot key
    const char* tip;   // source tool tip; "" for none
    std::function<void()> run;
    ListRole role = ListRole::None;
    NeedsRow needsRow = NeedsRow::No;  // enabled only while a row is highlighted
    bool inSelectMode = false;         // stays enabled in select mode
};

struct PopupItem {
    const char* name;  // object name of the action
    const char* text;  // source text
    std::function<void()> run;
    NeedsRow needsRow = NeedsRow::Yes;  // greyed on an empty list
};

class ListWindow : public QDialog {
    Q_OBJECT
public:
    // The engine and table outlive the window.
    ListWindow(store::Engine& engine, const store::TableDef& table, QWidget* parent = nullptr);

    // What the window is: object names of the window and of its list, source
    // title, help keyword ("~Browse_Unseen_Assignments"), and whether it is an
    // own window (deletes itself when closed) or left to its caller.
    struct Identity {
        const char* objectName;
        const char* listName;
        QString title;
        QString helpKeyword;
        bool ownWindow = false;
    };
    void setIdentity(const Identity& identity);

    BrowseList* list() const { return m_list; }
    // Where a screen puts its controls above the list (check boxes, entries).
    QVBoxLayout* headerLayout() const { return m_header; }
    QLineEdit* filterEdit() const { return m_filterEdit; }

    void setSortTabs(std::vector<SortTab> tabs);
    // The tab shown; nullptr when the list has no tabs.
    const SortTab* currentTab() const;
    int currentTabIndex() const;

    // The row of buttons, left to right; Select (in select mode, when the
    // table has none), a stretch, "Close" and "&Help" are added by finish().
    void setButtons(std::vector<ListButton> buttons);
    void setPopup(std::vector<PopupItem> items);
    void setSelectMode(bool on);
    bool selectMode() const { return m_selectMode; }

    // Lays out the window, runs the first reload and enables the buttons.
    // `width` and `height` are the window's first size in pixels; the window
    // is made wider when its columns need it, as far as the screen allows.
    void finish(int width, int height);

    QPushButton* button(const QString& objectName) const;
    // The pop-up menu as it would show now (for the list and for tests).
    QMenu* buildPopup();

    // The highlighted row, nullptr on an empty list.
    const store::Row* selectedRow() const;
    // Copies the highlighted row (it outlives a reload) and reads it into
    // `record`; false on an empty list.
    template <class Record>
    bool highlightedRecord(store::Row& row, Record& record) const {
        const store::Row* selected = selectedRow();
        if (!selected) return false;
        row = *selected;
        record.fromRow(row);
        return true;
    }

    // The row chosen in select mode.
    const std::optional<store::Row>& chosenRow() const { return m_chosen; }

    // Runs before every reload: a screen refreshes its filter there (a new
    // day may have begun, an option may have changed).
    std::function<void()> beforeReload;

    // Re-reads the list: from its first row, positioned on `row` (or its
    // neighbour when that row is gone), or on the highlighted row.
    void reload();
    void reloadOn(const store::Row& row);
    void reloadKeeping();

    // Further tables whose changes alter what the list shows (the list's own
    // table is always watched).
    void watchTables(std::vector<std::string> labels) { m_watched = std::move(labels); }
    // Whether a change notice is waiting for the window to be free to reload.
    bool reloadPending() const { return m_reloadPending; }

    // Enables the buttons and pop-up items for the highlighted row.
    void updateActions();

    // Chooses the highlighted row (select mode) and closes the window.
    void choose();

protected:
    // Called with the chosen row before the window closes in select mode; a
    // screen may read the whole record here. False keeps the window open.
    virtual bool acceptChoice(const store::Row& row) {
        (void)row;
        return true;
    }
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The first time the window shows, it opens centred on the working area
    // of the window that opened it (WindowPlacement.h).
    void showEvent(QShowEvent* event) override;

private:
    void storeChanged(const store::ChangeNotice& notice);
    void followChanges();
    // Runs a button's or pop-up item's work.
    void runHandler(const std::function<void()>& run);
    // Frees the pages replaced while the window was busy, once nothing can use them.
    void releaseUnusedRows();
    void runRole(ListRole role);
    bool windowKey(QObject* watched, QKeyEvent* event);

    // Applies the filter box's words and reads the list again from its top.
    void applyFilterWords();

    BrowseList* m_list = nullptr;
    QLineEdit* m_filterEdit = nullptr;
    QTimer* m_filterTimer = nullptr;
    QVBoxLayout* m_header = nullptr;
    std::vector<SortTab> m_tabs;
    std::vector<ListButton> m_buttons;
    std::vector<QPushButton*> m_buttonWidgets;
    std::vector<PopupItem> m_popup;
    bool m_selectMode = false;
    std::optional<store::Row> m_chosen;
    std::vector<std::string> m_watched;
    bool m_reloadPending = false;
    QTimer* m_followTimer = nullptr;
    QTimer* m_releaseTimer = nullptr;
    int m_running = 0;  // button or pop-up work under way (nested through modal windows)
    bool m_placed = false;
};

}  // namespace tko
