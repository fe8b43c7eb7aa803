// Export of the main tables into twelve dBase III files that other programs
// read: assignments, people, their limited users, the user accounts, the
// assign and view rights, group lists and members, projects, project users,
// project links and anniversaries.
//
// Every field is a character field of fixed width except the date fields.
// A field's name is its label after the table prefix and colon
// ("ADF:ASSIGNDATE" gives "ASSIGNDATE"): every label is at most the ten
// characters a dBase header holds. Texts are written in the Windows ANSI code
// page (1252, language driver 0x57), one byte per character, so a field of
// width n holds the n characters its source field holds; a character that code
// page lacks is written as "?" and reported, never dropped silently.
//
// Files are written under temporary names and renamed into place only when
// all twelve are complete, so a failed run leaves the previous export as it
// was. Memos are not exported; nor are passwords.
//
// Not thread-safe: one export at a time per Database.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Session.h"
#include "platform/Date.h"

namespace tko {

// How a source value becomes the text of a dBase field.
enum class DbaseValue {
    Text,          // the source text
    Number,        // a record number in the "N7" form (see numberText)
    Digits,        // a small number, right-aligned in the field's width
    Date,          // a dBase date field (YYYYMMDD, blank for "no date")
    DateText,      // a date written into a character field as YYYYMMDD
    SeenFlag,      // "Y" for 1, otherwise "F"
    YesNoFlag,     // "Y" for 1, otherwise "N"
    AnyFlagSet,    // "Y" when any of the seven weekday flags is set, otherwise "N"
    WeekdayFlags,  // the seven weekday flags as "Y"/"N", Sunday first
};

struct DbaseField {
    const char* label;   // "ADF:ASSIGNNO"
    int width;           // characters; 8 for dates
    const char* source;  // the source field's label after the prefix ("ASSIGNNUMBER")
    DbaseValue value;
};

struct DbaseTable {
    const char* fileName;      // "ASSIGNME.DBF"
    const char* prefix;        // "ADF"
    const char* sourceLabel;   // "ASSIGNMENT"
    const char* failureLabel;  // appended to the file error when a row cannot be written
    std::vector<DbaseField> fields;
};

// The twelve tables in the order they are exported.
const std::vector<DbaseTable>& dbaseTables();

// The dBase field name of a label: the part after the colon.
std::string dbaseFieldName(const char* label);

// The name the file actually gets in the folder. The users' file "USERSDBF" is
// named without a dot and receives the extension the dBase layer gives it
// (".dbf"); every other file keeps its name as written.
std::string dbaseFileName(const DbaseTable& table);

// A record number as "N7" text: right-aligned in seven characters, no
// thousands separators. A number of more than seven digits is written in
// full (up to the 13 characters of its field) rather than as the picture's
// "#######", which would lose the record's identity in the export.
std::string numberText(std::int64_t number);

// "YYYYMMDD", or blanks for 0 (no date).
std::string dbaseDateText(Date date);

// The weekday flags of a repetition rule as seven letters, Sunday first:
// "Y" for a set flag, "N" otherwise ("NYNYNNN" is Monday and Wednesday).
std::string weekdayFlagsText(const std::array<std::uint8_t, 7>& flags);

// Only System Administrators export the data files.
bool mayExportData(const Session& session);

struct DbaseProgress {
    int table = 0;               // 0-based index into dbaseTables()
    std::int64_t rows = 0;       // rows written to this table so far
    std::int64_t tableRows = 0;  // rows the source table holds
    bool tableDone = false;
};
using DbaseProgressFn = std::function<void(const DbaseProgress&)>;

struct DbaseExportResult {
    enum Kind { Done, NotPermitted, Failed };
    Kind kind = Failed;
    // Failed: the file or store error followed by the table's label (" Assign").
    std::string message;
    std::array<std::int64_t, 12> rows{};  // rows written per table, in export order
    // Values that the files could not hold as they are: characters outside the
    // code page, numbers too wide for a one- or three-character field. One line
    // each ("ASSIGNME.DBF row 12 NAME: character replaced"), at most 100 lines;
    // `adjustedValues` counts them all.
    std::vector<std::string> adjusted;
    std::int64_t adjustedValues = 0;
    bool ok() const { return kind == Done; }
};

// What the window says when the export is done, translated: how many records
// went into how many files where ("57 records exported to 12 dBase files in
// /home/anna/export.").
std::string dbaseExportSummary(const DbaseExportResult& result, const std::string& folder);

// Writes the twelve files into `folder` (which must exist), replacing files of
// the same names. Reads every source record in stored order. `progress` is
// called every few hundred rows and at the end of each table.
DbaseExportResult exportToDbase(Database& db, const Session& session, const std::string& folder,
                                const DbaseProgressFn& progress = {});

}  // namespace tko
