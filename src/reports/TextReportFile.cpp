#include "reports/TextReportFile.h"

namespace tko {

TextReportFile::TextReportFile(const QString& path) : m_file(path) {}

bool TextReportFile::fail() {
    m_error = m_file.errorString() + QLatin1Char(' ') + m_file.fileName();
    m_file.cancelWriting();
    return false;
}

bool TextReportFile::begin() {
    m_pages = 0;
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return fail();
    return true;
}

bool TextReportFile::addPage(const ReportPage& page) {
    QByteArray bytes;
    bytes.reserve(static_cast<qsizetype>(page.lines.size()) * (kPageColumns + 1) + 2);
    if (m_pages > 0) bytes += "\f\n";
    for (const PageLine& line : page.lines) {
        bytes += lineText(line).toUtf8();
        bytes += '\n';
    }
    ++m_pages;
    if (m_file.write(bytes) != bytes.size()) return fail();
    return true;
}

bool TextReportFile::finish() {
    if (!m_file.commit()) {
        m_error = m_file.errorString() + QLatin1Char(' ') + m_file.fileName();
        return false;
    }
    return true;
}

void TextReportFile::abort() {
    if (m_file.isOpen()) m_file.cancelWriting();
}

}  // namespace tko
