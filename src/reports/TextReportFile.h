// The text printer ("Generic / Text Only" of the report options): writes report pages into a plain
// text file, one page after the other, each page's lines as the page grid
// holds them and a form feed between pages, in UTF-8.
//
// The file is written beside its final name and put in place by finish(), so
// a cancelled or failed report leaves the chosen file as it was.
#pragma once

#include <QSaveFile>
#include <QString>

#include "reports/ReportPage.h"

namespace tko {

class TextReportFile : public PageSink {
public:
    explicit TextReportFile(const QString& path);

    bool begin() override;
    bool addPage(const ReportPage& page) override;
    bool finish() override;
    void abort() override;
    QString errorText() const override { return m_error; }

private:
    bool fail();

    QSaveFile m_file;
    QString m_error;
    int m_pages = 0;
};

}  // namespace tko
