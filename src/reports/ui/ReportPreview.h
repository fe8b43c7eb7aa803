// "Report Preview": the report's page files as one zoomed page or a grid of
// thumbnails (across x down), moving through them, saving them, and the
// answer Print or Exit for the report that called it. What is shown and
// enabled follows PreviewState; this window only draws it.
//
// GUI thread only.
#pragma once

#include <QDialog>
#include <QStringList>

#include <vector>

#include "reports/PreviewState.h"

class QAction;
class QComboBox;
class QFrame;
class QGridLayout;
class QLabel;
class QScrollArea;
class QSpinBox;

namespace tko {

class ReportPreview : public QDialog {
    Q_OBJECT
public:
    explicit ReportPreview(const QStringList& pages, QWidget* parent = nullptr);

    // Shows the preview modally; true when the user chose Print (Exit, the
    // toolbar's exit and closing the window answer do not print).
    static bool run(QWidget* parent, const QStringList& pages);

    const PreviewState& state() const { return m_state; }
    QAction* action(const QString& objectName) const;
    QSpinBox* pageEdit() const { return m_pageEdit; }
    QSpinBox* acrossEdit() const { return m_acrossEdit; }
    QSpinBox* downEdit() const { return m_downEdit; }
    QComboBox* zoomList() const { return m_zoomList; }
    QLabel* pagesStatus() const { return m_pagesStatus; }
    QLabel* zoomStatus() const { return m_zoomStatus; }
    // Grid cell `cell` (1-based): its frame and its image, or nullptr.
    QFrame* cellFrame(int cell) const;
    QLabel* cellImage(int cell) const;
    QLabel* zoomImage() const { return m_zoomImage; }
    bool printChosen() const { return m_print; }

    // The actions, for the menus, the toolbar and tests.
    void nextPages();
    void previousPages();
    void jumpToPage(int page);
    void setGrid(int across, int down);
    void setZoom(PreviewZoom zoom);
    void choosePrint();
    void chooseExit();
    // "Jump to a Report Page" and "Change the Report Display".
    void askJump();
    void askDisplay();
    // "Save": asks for a name and writes every page under it.
    void save();
    // Writes page n to savedPageName(chosen, n, extension): a copy of the
    // page file for ".svg", a one-page PDF for ".pdf". Stops at the first
    // failure with a message naming the error and the file; pages saved
    // before it stay. Returns the number of pages written.
    int saveAs(const QString& chosen, const QString& extension);

protected:
    // The pages are scaled to the view they are shown in: drawn again when
    // the window is shown and whenever that view changes its size.
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void buildControls();
    void redraw();
    void redrawLater();
    void ensureCells(int count);
    QPixmap renderPage(int page, const QSize& size) const;

    QStringList m_pages;
    PreviewState m_state;
    bool m_print = false;
    bool m_updating = false;
    bool m_redrawPending = false;

    QScrollArea* m_gridArea = nullptr;
    QWidget* m_gridHost = nullptr;
    QGridLayout* m_grid = nullptr;
    std::vector<QFrame*> m_frames;
    std::vector<QLabel*> m_images;
    QScrollArea* m_zoomArea = nullptr;
    QLabel* m_zoomImage = nullptr;
    QSpinBox* m_pageEdit = nullptr;
    QSpinBox* m_acrossEdit = nullptr;
    QSpinBox* m_downEdit = nullptr;
    QComboBox* m_zoomList = nullptr;
    QLabel* m_pagesStatus = nullptr;
    QLabel* m_middleStatus = nullptr;
    QLabel* m_zoomStatus = nullptr;
};

// "Jump to a Report Page": the page field limited to 1 .. page count.
class JumpToPageDialog : public QDialog {
    Q_OBJECT
public:
    JumpToPageDialog(int current, int pageCount, QWidget* parent = nullptr);
    QSpinBox* pageEdit() const { return m_page; }
    int page() const;

private:
    QSpinBox* m_page = nullptr;
};

// "Change the Report Display": "Across" and "Down" under "Pages Displayed".
class ChangeDisplayDialog : public QDialog {
    Q_OBJECT
public:
    ChangeDisplayDialog(int across, int down, QWidget* parent = nullptr);
    QSpinBox* acrossEdit() const { return m_across; }
    QSpinBox* downEdit() const { return m_down; }

private:
    QSpinBox* m_across = nullptr;
    QSpinBox* m_down = nullptr;
};

}  // namespace tko
