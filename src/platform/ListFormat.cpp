#include "platform/ListFormat.h"

namespace tko {

namespace {

bool readAlign(const QString& s, qsizetype& i, ColumnAlign& align) {
    if (i >= s.size()) return false;
    switch (s.at(i).toUpper().unicode()) {
        case 'L':
            align = ColumnAlign::Left;
            break;
        case 'R':
        case 'D':
            align = ColumnAlign::Right;
            break;
        case 'C':
            align = ColumnAlign::Center;
            break;
        default:
            return false;
    }
    ++i;
    return true;
}

int readNumber(const QString& s, qsizetype& i) {
    int n = 0;
    while (i < s.size() && s.at(i).isDigit() && n < 100000) n = n * 10 + s.at(i++).digitValue();
    return n;
}

// "(n)" at i, if present.
bool readIndent(const QString& s, qsizetype& i, int& indent, QString* error) {
    if (i >= s.size() || s.at(i) != QLatin1Char('(')) return true;
    ++i;
    indent = readNumber(s, i);
    if (i >= s.size() || s.at(i) != QLatin1Char(')')) {
        *error = QStringLiteral("Unclosed '(' in list format");
        return false;
    }
    ++i;
    return true;
}

// Text between `mark` at i and the next `mark`; i moves past the closing one.
bool readDelimited(const QString& s, qsizetype& i, QChar mark, QString& out, QString* error) {
    const qsizetype end = s.indexOf(mark, i + 1);
    if (end < 0) {
        *error = QStringLiteral("Unclosed '%1' in list format").arg(mark);
        return false;
    }
    out = s.mid(i + 1, end - i - 1);
    i = end + 1;
    return true;
}

}  // namespace

std::vector<ListColumn> parseListFormat(const QString& format, const QStringList& fields,
                                        QString* error) {
    QString ignored;
    if (!error) error = &ignored;
    error->clear();
    std::vector<ListColumn> columns;
    qsizetype i = 0;
    const QString& s = format;
    while (i < s.size()) {
        if (s.at(i).isSpace()) {
            ++i;
            continue;
        }
        ListColumn column;
        column.width = readNumber(s, i);
        if (readAlign(s, i, column.align)) {
            if (!readIndent(s, i, column.indent, error)) return {};
        }
        column.headingAlign = column.align;
        while (i < s.size() && QStringLiteral("|M_/?").contains(s.at(i).toUpper())) ++i;
        if (i >= s.size() || s.at(i) != QLatin1Char('~')) {
            *error = QStringLiteral("Column %1 of the list format has no heading")
                         .arg(columns.size() + 1);
            return {};
        }
        if (!readDelimited(s, i, QLatin1Char('~'), column.heading, error)) return {};
        int headingIndent = 0;
        if (readAlign(s, i, column.headingAlign)) {
            if (!readIndent(s, i, headingIndent, error)) return {};
        }
        if (i < s.size() && s.at(i) == QLatin1Char('@')) {
            QString picture;
            if (!readDelimited(s, i, QLatin1Char('@'), picture, error)) return {};
            column.picture = QLatin1Char('@') + picture.trimmed();
        }
        if (i < s.size() && s.at(i) == QLatin1Char('#')) {
            if (!readDelimited(s, i, QLatin1Char('#'), column.field, error)) return {};
            column.field = column.field.trimmed();
        }
        if (column.field.isEmpty() && columns.size() < static_cast<size_t>(fields.size()))
            column.field = fields.at(static_cast<qsizetype>(columns.size()));
        columns.push_back(column);
    }
    return columns;
}

QString formatCell(const store::Value& value, const QString& pictureText) {
    const Picture picture = Picture::parse(pictureText);
    if (const auto* number = std::get_if<std::int64_t>(&value)) {
        switch (picture.type) {
            case Picture::Type::Date:
                return formatDate(static_cast<Date>(*number), pictureText);
            case Picture::Type::Time:
                return formatTime(static_cast<Time>(*number), pictureText);
            case Picture::Type::Number:
                return formatNumber(static_cast<double>(*number), pictureText).trimmed();
            case Picture::Type::String:
            case Picture::Type::Invalid:
                return QString::number(*number);
        }
        return QString::number(*number);
    }
    const QString text = QString::fromStdString(std::get<std::string>(value));
    if (picture.type == Picture::Type::String) return formatText(text, pictureText);
    return text;
}

}  // namespace tko
