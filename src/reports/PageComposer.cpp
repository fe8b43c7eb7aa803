#include "reports/PageComposer.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace tko {

QString lineText(const PageLine& line) {
    if (line.rule) return QString(kPageColumns, QLatin1Char('-'));
    QString text;
    for (const PageSpan& span : line.spans) {
        const int end = span.column + static_cast<int>(span.text.size());
        if (text.size() < end) text.resize(end, QLatin1Char(' '));
        text.replace(span.column, span.text.size(), span.text);
    }
    while (!text.isEmpty() && text.back() == QLatin1Char(' ')) text.chop(1);
    return text;
}

namespace {
constexpr quint32 kPageDataMagic = 0x544b5047;  // "TKPG"
}  // namespace

bool savePageData(const ReportPage& page, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QDataStream out(&file);
    out << kPageDataMagic << qint32(page.number) << quint32(page.lines.size());
    for (const PageLine& line : page.lines) {
        out << line.rule << quint32(line.spans.size());
        for (const PageSpan& span : line.spans)
            out << qint32(span.column) << span.bold << span.text;
    }
    return out.status() == QDataStream::Ok && file.flush();
}

bool loadPageData(const QString& path, ReportPage& page) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QDataStream in(&file);
    quint32 magic = 0, lines = 0;
    qint32 number = 0;
    in >> magic >> number >> lines;
    if (magic != kPageDataMagic || lines > 10000) return false;
    page = {};
    page.number = number;
    for (quint32 l = 0; l < lines && in.status() == QDataStream::Ok; ++l) {
        PageLine line;
        quint32 spans = 0;
        in >> line.rule >> spans;
        if (spans > 10000) return false;
        for (quint32 i = 0; i < spans && in.status() == QDataStream::Ok; ++i) {
            PageSpan span;
            qint32 column = 0;
            in >> column >> span.bold >> span.text;
            span.column = column;
            line.spans.push_back(std::move(span));
        }
        page.lines.push_back(std::move(line));
    }
    return in.status() == QDataStream::Ok;
}

QString pageDataPath(const QString& picturePath) {
    const QFileInfo info(picturePath);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".page");
}

namespace {

// True when `text` holds no line break or tab, which wrapText() changes.
bool isOneParagraph(const QString& text) {
    for (const QChar c : text)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t'))
            return false;
    return true;
}

}  // namespace

QStringList wrapText(const QString& text, int width) {
    QStringList lines;
    if (width < 1) width = 1;
    // Most cells of a report are one short line: kept as they are but for
    // their trailing blanks, without the copies the general case makes.
    if (text.size() <= width && isOneParagraph(text)) {
        qsizetype end = text.size();
        while (end > 0 && text[end - 1] == QLatin1Char(' ')) --end;
        lines << (end == text.size() ? text : text.left(end));
        return lines;
    }
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    normalised.replace(QLatin1Char('\t'), QLatin1Char(' '));
    const QStringList paragraphs = normalised.split(QLatin1Char('\n'));
    for (const QString& raw : paragraphs) {
        QString rest = raw;
        while (!rest.isEmpty() && rest.back() == QLatin1Char(' ')) rest.chop(1);
        if (rest.isEmpty()) {
            lines << QString();
            continue;
        }
        while (rest.size() > width) {
            // Break at the last blank that keeps the line within the width;
            // a word longer than the line is split where the line ends.
            qsizetype cut = rest.lastIndexOf(QLatin1Char(' '), width);
            qsizetype next = cut + 1;
            if (cut <= 0) {
                cut = width;
                next = width;
            }
            QString head = rest.left(cut);
            while (!head.isEmpty() && head.back() == QLatin1Char(' ')) head.chop(1);
            lines << head;
            rest = rest.mid(next);
            while (rest.startsWith(QLatin1Char(' ')) && rest.size() > width) rest.remove(0, 1);
        }
        lines << rest;
    }
    return lines;
}

std::vector<PageLine> tableRow(const std::vector<ReportColumn>& columns, const QStringList& values,
                               bool bold) {
    std::vector<QStringList> cells;
    size_t height = 1;
    for (size_t i = 0; i < columns.size(); ++i) {
        const QString value = i < static_cast<size_t>(values.size()) ? values[i] : QString();
        cells.push_back(value.isEmpty() ? QStringList{QString()}
                                        : wrapText(value, columns[i].width));
        height = std::max(height, static_cast<size_t>(cells.back().size()));
    }
    std::vector<PageLine> lines(height);
    for (size_t i = 0; i < columns.size(); ++i) {
        for (qsizetype l = 0; l < cells[i].size(); ++l) {
            const QString& part = cells[i][l];
            if (part.isEmpty()) continue;
            int column = columns[i].column;
            if (columns[i].alignRight)
                column += std::max(0, columns[i].width - static_cast<int>(part.size()));
            lines[static_cast<size_t>(l)].add(column, part, bold);
        }
    }
    return lines;
}

std::vector<PageLine> captionedText(int column, const QString& caption, const QString& value,
                                    int valueColumn) {
    const int start = std::max(valueColumn, column + static_cast<int>(caption.size()) + 1);
    const QStringList parts = wrapText(value, std::max(1, kPageColumns - start));
    std::vector<PageLine> lines;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        PageLine line;
        if (i == 0) line.add(column, caption, true);
        if (!parts[i].isEmpty()) line.add(start, parts[i]);
        lines.push_back(std::move(line));
    }
    return lines;
}

PageComposer::PageComposer(PageSink& sink, PageHeading heading, int linesPerPage)
    : m_sink(sink), m_heading(std::move(heading)), m_linesPerPage(linesPerPage) {}

void PageComposer::setColumnCaptions(std::vector<PageLine> captions) {
    m_heading.columns = std::move(captions);
    if (m_pageOpen && m_bodyCount == 0) m_pageOpen = false;  // rebuilt with the new captions
}

void PageComposer::startPage() {
    m_page = {};
    m_page.number = m_pagesSent + 1;
    auto centred = [](const QString& text, bool bold) {
        const int column = std::max(0, (kPageColumns - static_cast<int>(text.size())) / 2);
        return PageLine::text(column, text, bold);
    };
    m_page.lines.push_back(centred(m_heading.title, true));
    if (!m_heading.subtitle.isEmpty()) m_page.lines.push_back(centred(m_heading.subtitle, false));
    PageLine stamp = PageLine::text(0, m_heading.printedOn);
    const QString pageText =
        m_heading.pageCaption + QLatin1Char(' ') + QString::number(m_page.number);
    stamp.add(std::max(0, kPageColumns - static_cast<int>(pageText.size())), pageText);
    m_page.lines.push_back(stamp);
    m_page.lines.push_back(PageLine::blank());
    for (const PageLine& caption : m_heading.columns) m_page.lines.push_back(caption);
    m_page.lines.push_back(PageLine::ruler());
    m_headingLines = static_cast<int>(m_page.lines.size());
    m_bodyCount = 0;
    m_pageOpen = true;
}

int PageComposer::bodyLines() const {
    return std::max(1, m_linesPerPage - m_headingLines);
}

bool PageComposer::flush() {
    if (!m_pageOpen) return true;
    m_pageOpen = false;
    ++m_pagesSent;
    return m_sink.addPage(m_page);
}

void PageComposer::holdWithNext(const std::vector<PageLine>& lines) {
    m_held.insert(m_held.end(), lines.begin(), lines.end());
}

bool PageComposer::addBlock(const std::vector<PageLine>& block) {
    std::vector<PageLine> lines = std::move(m_held);
    m_held.clear();
    lines.insert(lines.end(), block.begin(), block.end());
    if (lines.empty()) return true;
    if (!m_pageOpen) startPage();
    const int size = static_cast<int>(lines.size());
    // A block that does not fit starts a new page, unless the page is still
    // empty (it would not fit on the next one either).
    if (m_bodyCount > 0 && m_bodyCount + std::min(size, bodyLines()) > bodyLines()) {
        if (!flush()) return false;
        startPage();
    }
    for (const PageLine& line : lines) {
        if (m_bodyCount >= bodyLines()) {
            if (!flush()) return false;
            startPage();
        }
        m_page.lines.push_back(line);
        ++m_bodyCount;
    }
    ++m_blocksAdded;
    return true;
}

bool PageComposer::finish(const QString& emptyText) {
    if (!m_held.empty()) {
        if (!addBlock({})) return false;
    }
    if (m_pagesSent == 0 && !m_pageOpen) {
        startPage();
        if (m_blocksAdded == 0 && !emptyText.isEmpty()) {
            m_page.lines.push_back(PageLine::text(0, emptyText));
            ++m_bodyCount;
        }
    }
    return flush();
}

}  // namespace tko
