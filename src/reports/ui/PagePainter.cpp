#include "reports/ui/PagePainter.h"

#include "data/Messages.h"
#include "platform/QtText.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <mutex>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tko {

namespace {

constexpr qreal kSvgMarginPoints = 36;  // half an inch around the page grid

QFont measuredGridFont(QPainter& painter, qreal cellWidth, qreal lineHeight) {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    // Measure the advance at a large size on this device, then scale the
    // font so that a character fits its cell and a line its height.
    font.setPixelSize(1000);
    const qreal advance = QFontMetricsF(font, painter.device()).horizontalAdvance(QLatin1Char('M'));
    const qreal ratio = advance > 0 ? advance / 1000.0 : 0.6;
    const qreal pixels = std::min(lineHeight * 0.8, cellWidth / ratio * 0.98);
    font.setPixelSize(std::max(1, static_cast<int>(std::floor(pixels))));
    return font;
}

// The grid font of the last device kind, resolution and cell size asked for:
// every page of a report has the same, so it is measured once per report
// rather than once per page.
QFont gridFont(QPainter& painter, qreal cellWidth, qreal lineHeight) {
    struct Measured {
        int deviceType = -1;
        int dpiX = 0;
        int dpiY = 0;
        qreal cellWidth = 0;
        qreal lineHeight = 0;
        QFont font;
    };
    thread_local Measured last;
    const QPaintDevice* device = painter.device();
    if (last.deviceType != device->devType() || last.dpiX != device->logicalDpiX() ||
        last.dpiY != device->logicalDpiY() || last.cellWidth != cellWidth ||
        last.lineHeight != lineHeight) {
        last = {device->devType(),
                device->logicalDpiX(),
                device->logicalDpiY(),
                cellWidth,
                lineHeight,
                measuredGridFont(painter, cellWidth, lineHeight)};
    }
    return last.font;
}

// The PDF engine takes two buffers of some megabytes for every page it
// compresses and frees them again. With glibc's default, sliding thresholds
// each of them is mapped, touched page by page and handed back to the kernel
// (or trimmed off the heap) once per page, which cost more than drawing the
// page. Fixed thresholds above that size let the same heap memory serve every
// page: the process keeps at most kKeptFree bytes unused, whatever the
// report's length, so memory stays flat.
void keepPageBuffersInHeap() {
#ifdef __GLIBC__
    static std::once_flag once;
    std::call_once(once, [] {
        constexpr int kMapped = 32 * 1024 * 1024;
        constexpr int kKeptFree = 64 * 1024 * 1024;
        mallopt(M_MMAP_THRESHOLD, kMapped);
        mallopt(M_TRIM_THRESHOLD, kKeptFree);
    });
#endif
}

QRectF paintArea(QPagedPaintDevice* device) {
    const QPageLayout layout = device->pageLayout();
    const QRect paint = layout.paintRectPixels(device->logicalDpiX());
    return QRectF(QPointF(0, 0), QSizeF(paint.size()));
}

}  // namespace

void PagePainter::draw(QPainter& painter, const QRectF& area, const ReportPage& page) {
    const qreal cellWidth = area.width() / kPageColumns;
    const qreal lineHeight = area.height() / kPageLines;
    QFont regular = gridFont(painter, cellWidth, lineHeight);
    QFont bold = regular;
    bold.setBold(true);
    painter.save();
    painter.setPen(QPen(Qt::black, std::max<qreal>(1.0, lineHeight / 20)));
    const QFont* current = nullptr;
    for (size_t i = 0; i < page.lines.size() && i < static_cast<size_t>(kPageLines); ++i) {
        const PageLine& line = page.lines[i];
        const qreal top = area.top() + static_cast<qreal>(i) * lineHeight;
        if (line.rule) {
            const qreal y = top + lineHeight / 2;
            painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
            continue;
        }
        const qreal baseline = top + lineHeight * 0.78;
        for (const PageSpan& span : line.spans) {
            // Setting a font resolves it again even when it is the one set.
            const QFont* font = span.bold ? &bold : &regular;
            if (font != current) {
                painter.setFont(*font);
                current = font;
            }
            painter.drawText(QPointF(area.left() + span.column * cellWidth, baseline), span.text);
        }
    }
    painter.restore();
}

// ---- PaintedPages ------------------------------------------------------------

PaintedPages::PaintedPages(QPagedPaintDevice* device) : m_device(device) {}

PaintedPages::~PaintedPages() {
    if (m_painter && m_painter->isActive()) m_painter->end();
}

bool PaintedPages::begin() {
    m_pages = 0;
    keepPageBuffersInHeap();
    m_painter = std::make_unique<QPainter>();
    if (!m_painter->begin(m_device)) {
        m_error = translated("The output device could not be opened.");
        return false;
    }
    return true;
}

bool PaintedPages::addPage(const ReportPage& page) {
    if (!m_painter || !m_painter->isActive()) return false;
    if (m_pages > 0 && !m_device->newPage()) {
        m_error = translated("The output device refused a new page.");
        return false;
    }
    PagePainter::draw(*m_painter, paintArea(m_device), page);
    ++m_pages;
    return true;
}

bool PaintedPages::finish() {
    if (m_painter && m_painter->isActive() && !m_painter->end()) {
        m_error = translated("The output could not be completed.");
        return false;
    }
    return true;
}

void PaintedPages::abort() {
    if (m_painter && m_painter->isActive()) m_painter->end();
}

// ---- PdfReportFile -------------------------------------------------------------

PdfReportFile::PdfReportFile(const QString& path) : m_file(path) {}

PdfReportFile::~PdfReportFile() {
    // The painter must end before the writer and the file go.
    m_pages.reset();
    m_writer.reset();
}

bool PdfReportFile::begin() {
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        m_error = m_file.errorString() + QLatin1Char(' ') + m_file.fileName();
        return false;
    }
    m_writer = std::make_unique<QPdfWriter>(&m_file);
    m_writer->setResolution(600);
    m_writer->setCreator(QStringLiteral("TASKORBIT Multi-User"));
    m_writer->setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                        QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
    m_pages = std::make_unique<PaintedPages>(m_writer.get());
    if (!m_pages->begin()) {
        m_error = m_pages->errorText();
        m_file.cancelWriting();
        return false;
    }
    return true;
}

bool PdfReportFile::addPage(const ReportPage& page) {
    if (!m_pages || !m_pages->addPage(page)) {
        m_error = m_pages ? m_pages->errorText() : QString();
        return false;
    }
    return true;
}

bool PdfReportFile::finish() {
    if (!m_pages || !m_pages->finish()) {
        m_error = m_pages ? m_pages->errorText() : QString();
        m_file.cancelWriting();
        return false;
    }
    if (!m_file.commit()) {
        m_error = m_file.errorString() + QLatin1Char(' ') + m_file.fileName();
        return false;
    }
    return true;
}

void PdfReportFile::abort() {
    if (m_pages) m_pages->abort();
    m_file.cancelWriting();
}

// ---- SvgPageFiles ----------------------------------------------------------------

QSizeF svgPageSize() {
    return QPageSize(QPageSize::A4).size(QPageSize::Point);
}

SvgPageFiles::SvgPageFiles(const QString& directory) : m_directory(directory) {}

bool SvgPageFiles::addPage(const ReportPage& page) {
    const QString path =
        QDir(m_directory)
            .filePath(QStringLiteral("page%1.svg").arg(page.number, 4, 10, QLatin1Char('0')));
    const QSizeF size = svgPageSize();
    QSvgGenerator generator;
    generator.setFileName(path);
    generator.setSize(size.toSize());
    generator.setViewBox(QRectF(QPointF(0, 0), size));
    generator.setResolution(72);
    generator.setTitle(QStringLiteral("Page %1").arg(page.number));
    QPainter painter;
    if (!painter.begin(&generator)) {
        m_error = translated("Cannot write %1").arg(path);
        return false;
    }
    painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    PagePainter::draw(
        painter,
        QRectF(kSvgMarginPoints, kSvgMarginPoints, size.width() - 2 * kSvgMarginPoints,
               size.height() - 2 * kSvgMarginPoints),
        page);
    painter.end();
    if (!QFile::exists(path) || !savePageData(page, pageDataPath(path))) {
        m_error = translated("Cannot write %1").arg(path);
        return false;
    }
    m_files << path;
    return true;
}

void SvgPageFiles::abort() {
    for (const QString& file : m_files) {
        QFile::remove(file);
        QFile::remove(pageDataPath(file));
    }
    m_files.clear();
}

}  // namespace tko
