// What "Report Preview" shows and how it moves: the first page shown, the
// grid of thumbnails (across x down), the zoom, which cells hold a page, when
// "Next" and "Previous" are enabled and the status texts; and the names under
// which "Save" writes the pages. The window only draws what this says.
#pragma once

#include <QSize>
#include <QSizeF>
#include <QString>

namespace tko {

enum class PreviewZoom { Off, PageWidth, Percent50, Percent75, Percent100, Percent200, Percent300 };

// Zoom levels in the order of the zoom menu and drop list.
inline constexpr PreviewZoom kPreviewZooms[] = {PreviewZoom::Off,        PreviewZoom::PageWidth,
                                                PreviewZoom::Percent50,  PreviewZoom::Percent75,
                                                PreviewZoom::Percent100, PreviewZoom::Percent200,
                                                PreviewZoom::Percent300};

class PreviewState {
public:
    static constexpr int kMaxGrid = 99;

    explicit PreviewState(int pageCount = 0) : m_pageCount(pageCount) {}

    int pageCount() const { return m_pageCount; }
    int firstPage() const { return m_firstPage; }
    int across() const { return m_across; }
    int down() const { return m_down; }
    // Pages the grid shows at once (1 while zoomed).
    int pagesShown() const;
    PreviewZoom zoom() const { return m_zoom; }

    // The page in grid cell `cell` (1-based), or 0 when the cell lies past the
    // last page and is hidden.
    int pageInCell(int cell) const;
    // The last page on screen.
    int lastPageShown() const;

    // Next and Previous only change with more than one page; a one-page
    // report leaves the buttons as they are.
    bool navigationApplies() const { return m_pageCount > 1; }
    bool previousEnabled() const { return m_firstPage > 1; }
    bool nextEnabled() const { return m_pageCount >= m_firstPage + pagesShown(); }

    void next();
    void previous();
    // Shows `page` first, kept within 1 .. page count.
    void jumpTo(int page);
    // Across and down, each kept within 1 .. 99.
    void setGrid(int across, int down);
    void setZoom(PreviewZoom zoom) { m_zoom = zoom; }

    // "Page %1 of %2" or "Pages %1-%2 of %3", translated and merged.
    QString statusText() const;
    // "No Zoom", "Zoom (Page Width)", "Zoom (50%)" ..., translated.
    QString zoomText() const;
    // The zoom factor: Page Width fits the page to `viewWidth`, the
    // percentages are fixed; 0 while zoom is off.
    double zoomFactor(double viewWidth, double pageWidth) const;

private:
    int m_pageCount = 0;
    int m_firstPage = 1;
    int m_across = 1;
    int m_down = 1;
    PreviewZoom m_zoom = PreviewZoom::Off;
};

// The size of one page in a grid of `across` x `down` thumbnails that fits a
// view of `view` pixels without a scroll bar: `spacing` lies between the cells
// and at the view's edges, each cell takes `cellExtra` more pixels each way
// around its page (frame and margin), and the page keeps the proportions of
// `page`. At least 1 x 1, however small the view.
QSize thumbnailSize(QSize view, QSizeF page, int across, int down, int spacing, int cellExtra);

// Source texts of a zoom level: the drop list's entry ("50%") and the menu's
// ("&50 Percent").
const char* zoomEntryText(PreviewZoom zoom);
const char* zoomMenuText(PreviewZoom zoom);

// The file that "Save" writes page `page` to, for the name the user chose:
// the chosen name's base (its first six characters when the name part has 11
// or more, else the name part up to its first dot, in the chosen folder),
// then "0" and the page number for pages 1 to 9 or the page number alone,
// then `extension` (".svg", ".pdf"; in capitals when the chosen name ended in
// them so).
QString savedPageName(const QString& chosen, int page, const QString& extension);

}  // namespace tko
