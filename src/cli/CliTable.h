// What the scripting commands print: rows with named columns, either as text
// aligned in columns under a heading line, or as a JSON array of objects
// (one per row, keyed by the columns' JSON names, numbers as numbers).
#pragma once

#include <QJsonValue>

#include <ostream>
#include <string>
#include <vector>

namespace tko::cli {

struct CliColumn {
    std::string heading;  // "Assign Number"
    std::string key;      // "assignNumber"
    bool rightAligned = false;
};

struct CliCell {
    std::string text;  // as shown in the text form
    QJsonValue json;   // as written in the JSON form
};

class CliTable {
public:
    explicit CliTable(std::vector<CliColumn> columns) : m_columns(std::move(columns)) {}

    void addRow(std::vector<CliCell> cells) { m_rows.push_back(std::move(cells)); }
    size_t rowCount() const { return m_rows.size(); }

    // Columns as wide as their widest cell (counted in characters), two
    // blanks between them, no trailing blanks; nothing but the heading line
    // when there are no rows.
    void printText(std::ostream& out) const;
    // A JSON array, one line.
    void printJson(std::ostream& out) const;

private:
    std::vector<CliColumn> m_columns;
    std::vector<std::vector<CliCell>> m_rows;
};

// Cells of the usual kinds.
CliCell textCell(const std::string& text);
CliCell numberCell(long long number);
// ISO 8601 (YYYY-MM-DD) in both forms; blank text and null for "no date".
CliCell dateCell(int date);

}  // namespace tko::cli
