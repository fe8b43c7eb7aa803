#include "cli/CliTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstdio>

#include "platform/Date.h"
#include "platform/IsoDate.h"
#include "platform/store/Schema.h"

namespace tko::cli {

void CliTable::printText(std::ostream& out) const {
    std::vector<int> widths;
    for (const CliColumn& column : m_columns) widths.push_back(store::utf8Length(column.heading));
    for (const auto& row : m_rows)
        for (size_t c = 0; c < row.size() && c < widths.size(); ++c)
            widths[c] = std::max(widths[c], store::utf8Length(row[c].text));

    auto line = [&](auto cellText) {
        std::string text;
        for (size_t c = 0; c < m_columns.size(); ++c) {
            const std::string cell = cellText(c);
            const int gap = widths[c] - store::utf8Length(cell);
            std::string piece;
            if (m_columns[c].rightAligned)
                piece = std::string(static_cast<size_t>(gap), ' ') + cell;
            else
                piece = cell + std::string(static_cast<size_t>(gap), ' ');
            if (c > 0) text += "  ";
            text += piece;
        }
        out << store::rtrim(text) << '\n';
    };
    line([&](size_t c) { return m_columns[c].heading; });
    for (const auto& row : m_rows)
        line([&](size_t c) { return c < row.size() ? row[c].text : std::string(); });
}

void CliTable::printJson(std::ostream& out) const {
    QJsonArray rows;
    for (const auto& row : m_rows) {
        QJsonObject object;
        for (size_t c = 0; c < m_columns.size() && c < row.size(); ++c)
            object.insert(QString::fromStdString(m_columns[c].key), row[c].json);
        rows.append(object);
    }
    out << QJsonDocument(rows).toJson(QJsonDocument::Compact).toStdString() << '\n';
}

CliCell textCell(const std::string& text) {
    const std::string clipped = store::rtrim(text);
    return {clipped, QJsonValue(QString::fromStdString(clipped))};
}

CliCell numberCell(long long number) {
    return {std::to_string(number), QJsonValue(static_cast<qint64>(number))};
}

CliCell dateCell(int date) {
    if (date == kNoDate) return {std::string(), QJsonValue(QJsonValue::Null)};
    const std::string text = isoDateText(date);
    return {text, QJsonValue(QString::fromStdString(text))};
}

}  // namespace tko::cli
