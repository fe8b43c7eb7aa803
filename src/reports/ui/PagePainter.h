// Draws report pages with QPainter: the page grid of ReportPage laid over the
// printable area with a fixed-pitch font, rules as thin lines. Used by every
// painted output: PDF files, the printer and the preview's page files.
//
// GUI-less: needs QtGui (fonts, QPainter) but no widgets, so the command line
// can write PDF files too (with the offscreen platform when there is no
// display).
#pragma once

#include <QRectF>
#include <QSaveFile>
#include <QString>
#include <QStringList>

#include <memory>

#include "reports/ReportPage.h"

class QPainter;
class QPagedPaintDevice;
class QPdfWriter;

namespace tko {

class PagePainter {
public:
    // Draws `page` into `area` (painter coordinates).
    static void draw(QPainter& painter, const QRectF& area, const ReportPage& page);
};

// Pages onto any paged device (a QPrinter, a QPdfWriter): one device page per
// report page. The device must outlive the sink.
class PaintedPages : public PageSink {
public:
    explicit PaintedPages(QPagedPaintDevice* device);
    ~PaintedPages() override;

    bool begin() override;
    bool addPage(const ReportPage& page) override;
    bool finish() override;
    void abort() override;
    QString errorText() const override { return m_error; }

protected:
    QString m_error;

private:
    QPagedPaintDevice* m_device;
    std::unique_ptr<QPainter> m_painter;
    int m_pages = 0;
};

// A PDF file, A4 portrait. Written beside its final name and put in place by
// finish(): a cancelled or failed report leaves the chosen file as it was.
class PdfReportFile : public PageSink {
public:
    explicit PdfReportFile(const QString& path);
    ~PdfReportFile() override;

    bool begin() override;
    bool addPage(const ReportPage& page) override;
    bool finish() override;
    void abort() override;
    QString errorText() const override { return m_error; }

private:
    QSaveFile m_file;
    std::unique_ptr<QPdfWriter> m_writer;
    std::unique_ptr<PaintedPages> m_pages;
    QString m_error;
};

// One SVG file per page in `directory` ("page0001.svg", ...), for the
// preview: the report's page list. Each page's data is kept beside its
// picture (pageDataPath()), so that printing and saving as PDF draw the
// page's text again.
class SvgPageFiles : public PageSink {
public:
    explicit SvgPageFiles(const QString& directory);

    bool addPage(const ReportPage& page) override;
    bool finish() override { return true; }
    void abort() override;
    QString errorText() const override { return m_error; }

    const QStringList& files() const { return m_files; }

private:
    QString m_directory;
    QStringList m_files;
    QString m_error;
};

// The size of the preview's page files, in points (A4 portrait).
QSizeF svgPageSize();

}  // namespace tko
