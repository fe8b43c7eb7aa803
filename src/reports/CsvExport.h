// One table of the shared data as a CSV file (RFC 4180: comma-separated,
// CRLF line ends, fields quoted when they hold a comma, a quote or a line
// break), UTF-8, with a header row of the fields' labels ("ASS:DUEDATE").
//
// Dates are written as YYYY-MM-DD (blank for "no date"), times of day as
// HH:MM:SS, weekday flags as their seven digits, other numbers in decimal.
// Text fields that look like numbers or formulas are guarded (csvField()).
// Memos and the users' password hashes are not exported. Only System
// Administrators export tables.
#pragma once

#include <string>

#include "data/Database.h"
#include "data/Session.h"

namespace tko {

struct CsvExportResult {
    enum Kind { Done, NotPermitted, UnknownTable, Failed };
    Kind kind = Failed;
    std::string message;
    std::int64_t rows = 0;
};

// Writes table `tableLabel` ("ASSIGNMENT", any letter case) to `path`, in
// stored order, through a temporary file.
CsvExportResult exportCsv(Database& db, const Session& session, const std::string& tableLabel,
                          const std::string& path);

// One CSV field: quoted when it holds a comma, a quote or a line break. A
// text field (`isText`) is quoted also when it looks like a number ("0101010",
// "12.5"), so that it is read as text, and one that begins with "=", "+", "-",
// "@", a tab or a carriage return gets a leading "'" and quotes, so that a
// spreadsheet shows it rather than running it as a formula.
std::string csvField(const std::string& text, bool isText = false);

// Whether a spreadsheet would read `text` as a number: digits with an
// optional sign, one decimal point or comma and an exponent.
bool looksLikeNumber(const std::string& text);

}  // namespace tko
