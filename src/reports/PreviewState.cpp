#include "reports/PreviewState.h"

#include <algorithm>

#include "data/Messages.h"

namespace tko {

namespace {

QString tr(const char* source) {
    return QString::fromStdString(translateText(source));
}

QString merged(const char* source, int a, int b, int c = -1) {
    return QString::fromStdString(mergeParameters(translateText(source), std::to_string(a),
                                                  std::to_string(b),
                                                  c < 0 ? std::string() : std::to_string(c)));
}

}  // namespace

int PreviewState::pagesShown() const {
    return m_zoom == PreviewZoom::Off ? m_across * m_down : 1;
}

int PreviewState::pageInCell(int cell) const {
    if (cell < 1 || cell > pagesShown()) return 0;
    const int page = m_firstPage + cell - 1;
    return page <= m_pageCount ? page : 0;
}

int PreviewState::lastPageShown() const {
    return std::min(m_pageCount, m_firstPage + pagesShown() - 1);
}

void PreviewState::next() {
    if (m_firstPage + pagesShown() <= m_pageCount) m_firstPage += pagesShown();
}

void PreviewState::previous() {
    m_firstPage = std::max(1, m_firstPage - pagesShown());
}

void PreviewState::jumpTo(int page) {
    m_firstPage = std::clamp(page, 1, std::max(1, m_pageCount));
}

void PreviewState::setGrid(int across, int down) {
    m_across = std::clamp(across, 1, kMaxGrid);
    m_down = std::clamp(down, 1, kMaxGrid);
}

QString PreviewState::statusText() const {
    if (pagesShown() == 1 || lastPageShown() <= m_firstPage)
        return merged("Page %1 of %2", m_firstPage, m_pageCount);
    return merged("Pages %1-%2 of %3", m_firstPage, lastPageShown(), m_pageCount);
}

QString PreviewState::zoomText() const {
    switch (m_zoom) {
        case PreviewZoom::Off:
            return tr("No Zoom");
        case PreviewZoom::PageWidth:
            return tr("Zoom (Page Width)");
        case PreviewZoom::Percent50:
            return tr("Zoom (50%)");
        case PreviewZoom::Percent75:
            return tr("Zoom (75%)");
        case PreviewZoom::Percent100:
            return tr("Zoom (100%)");
        case PreviewZoom::Percent200:
            return tr("Zoom (200%)");
        case PreviewZoom::Percent300:
            return tr("Zoom (300%)");
    }
    return {};
}

double PreviewState::zoomFactor(double viewWidth, double pageWidth) const {
    switch (m_zoom) {
        case PreviewZoom::Off:
            return 0;
        case PreviewZoom::PageWidth:
            return pageWidth > 0 ? viewWidth / pageWidth : 1;
        case PreviewZoom::Percent50:
            return 0.5;
        case PreviewZoom::Percent75:
            return 0.75;
        case PreviewZoom::Percent100:
            return 1;
        case PreviewZoom::Percent200:
            return 2;
        case PreviewZoom::Percent300:
            return 3;
    }
    return 0;
}

const char* zoomEntryText(PreviewZoom zoom) {
    switch (zoom) {
        case PreviewZoom::Off:
            return "No Zoom";
        case PreviewZoom::PageWidth:
            return "Page Width";
        case PreviewZoom::Percent50:
            return "50%";
        case PreviewZoom::Percent75:
            return "75%";
        case PreviewZoom::Percent100:
            return "100%";
        case PreviewZoom::Percent200:
            return "200%";
        case PreviewZoom::Percent300:
            return "300%";
    }
    return "";
}

const char* zoomMenuText(PreviewZoom zoom) {
    switch (zoom) {
        case PreviewZoom::Off:
            return "No &Zoom";
        case PreviewZoom::PageWidth:
            return "Page &Width";
        case PreviewZoom::Percent50:
            return "&50 Percent";
        case PreviewZoom::Percent75:
            return "&75 Percent";
        case PreviewZoom::Percent100:
            return "&100 Percent";
        case PreviewZoom::Percent200:
            return "&200 Percent";
        case PreviewZoom::Percent300:
            return "&300 Percent";
    }
    return "";
}

QString savedPageName(const QString& chosen, int page, const QString& extension) {
    const qsizetype slash =
        std::max(chosen.lastIndexOf(QLatin1Char('/')), chosen.lastIndexOf(QLatin1Char('\\')));
    const QString folder = chosen.left(slash + 1);
    const QString name = chosen.mid(slash + 1);
    QString base;
    if (name.size() >= 11) {
        base = name.left(6);
    } else {
        // Cut at the first dot of the name itself, never of the folder.
        const qsizetype dot = name.indexOf(QLatin1Char('.'));
        base = dot < 0 ? name : name.left(dot);
    }
    QString suffix = extension;
    if (name.endsWith(extension.toUpper()) && name.size() > extension.size())
        suffix = extension.toUpper();
    const QString digits =
        page >= 1 && page <= 9 ? QLatin1Char('0') + QString::number(page) : QString::number(page);
    return folder + base + digits + suffix;
}

QSize thumbnailSize(QSize view, QSizeF page, int across, int down, int spacing, int cellExtra) {
    across = std::max(1, across);
    down = std::max(1, down);
    if (page.width() <= 0 || page.height() <= 0) return {1, 1};
    // The room one page has, each way, once the spacing and the cells' own
    // frames are taken off.
    const double width = (view.width() - spacing * (across + 1.0)) / across - cellExtra;
    const double height = (view.height() - spacing * (down + 1.0)) / down - cellExtra;
    const double scale = std::min(width / page.width(), height / page.height());
    // Rounded down, so that the cells never need more than the view.
    return {std::max(1, static_cast<int>(page.width() * scale)),
            std::max(1, static_cast<int>(page.height() * scale))};
}

}  // namespace tko
