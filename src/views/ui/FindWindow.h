// "Find" (Edit > Find, Ctrl+F): one search over the office. The words typed
// are looked for as the user pauses; the hits show under their kind, best
// first, each with the words around the match. Enter or a double-click opens
// the hit's form with the rights its list gives (the form decides what may be
// changed). Own window; everything on the GUI thread.
#pragma once

#include <QDialog>

#include <vector>

#include "data/Workspace.h"
#include "views/Search.h"

class QLabel;
class QLineEdit;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace tko {

class FindWindow : public QDialog {
    Q_OBJECT
public:
    // The workspace outlives the window.
    explicit FindWindow(Workspace& workspace, QWidget* parent = nullptr);

    QLineEdit* findEdit() const { return m_findEdit; }
    QTreeWidget* resultsTree() const { return m_results; }
    const std::vector<SearchHit>& hits() const { return m_hits; }

    // Searches for the text in the entry now (typing waits a moment first).
    void search();
    // Opens the form of hit `index`; false when it is gone or not allowed.
    bool openHit(size_t index);

private:
    void openItem(QTreeWidgetItem* item);

    Workspace& m_workspace;
    QLineEdit* m_findEdit = nullptr;
    QTreeWidget* m_results = nullptr;
    QLabel* m_statusLabel = nullptr;
    QTimer* m_typingTimer = nullptr;
    std::vector<SearchHit> m_hits;
};

// Opens the Find window (own window).
void openFindWindow(QWidget* parent, Workspace& workspace);

}  // namespace tko
