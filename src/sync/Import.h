// Import of tasks from other programs as assignments: iCalendar to-dos
// (Thunderbird, KOrganizer, Nextcloud, and this program's own export), CSV
// with a header row (this program's own ASSIGNMENT export, or any other with
// a column mapping) and Taskwarrior's JSON (`task export`).
//
// Reading a file gives one ImportItem per task, each remembering where in the
// file it stood. Saving them goes through the assignment form's own rules:
// the record is primed from the importing user's preferences, every person
// is looked up as the form's typed person is (only people the user may give
// assignments to), the priority is checked as the form checks it, the log
// gets the form's "Created" line, and numbers are given as the form gives
// them. A task that breaks a rule is refused with the reason and nothing of
// it is written; the others are written in batches of one transaction each.
//
// Concluded tasks (iCalendar COMPLETED, Taskwarrior completed or deleted, a
// CSV row with a conclusion date) are not imported, only counted: the
// import brings open work.
//
// GUI-free; one thread at a time per Database.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Session.h"
#include "platform/Date.h"
#include "sync/Vtodo.h"

namespace tko::sync {

enum class ImportFormat { Ics, Csv, Taskwarrior };
// "ics", "csv", "taskwarrior"; false for any other word.
bool importFormatOf(const std::string& word, ImportFormat& format);

struct ImportItem {
    int source = 0;             // the to-do, row or task number in the file (1 = first)
    std::string name;           // as the file gives it, whole
    std::string comments;       // general comments, line breaks as "\n"
    Date due = kNoDate;         // kNoDate: today, as the form primes it
    int priority = 0;           // 0: the user's preferred priority
    std::string person;         // empty: the default person of the import
    int secondary = -1;         // -1: as primed (no), else 0 or 1
    int assigneeConclude = -1;  // -1: from the user's preferences
    RepeatRule rule;
    std::vector<TodoAlarm> alarms;
    bool concluded = false;  // not imported
    std::string problem;     // what the file got wrong; refused with this reason
};

// The CSV columns of the fields: field word ("name", "due", "priority",
// "person", "comments", "secondary", "assigneeconclude", "repeat", "every",
// "weekdays", "occurrence", "dayno", "concluded") to the header text of its
// column. Empty: the columns are recognised by their headers, this program's
// own labels ("ASS:NAME") or plain words ("Name", "Title", "Due", "Due
// Date", "Priority", "Person", "Comments", "Notes" ...), letter case ignored.
using CsvMapping = std::map<std::string, std::string>;
// Reads "name=Title,due=Due Date" into `mapping`; false with `error` for an
// unknown field word or a pair without "=".
bool parseCsvMapping(const std::string& text, CsvMapping& mapping, std::string& error);
// The field words parseCsvMapping() knows, for messages.
std::string csvFieldWords();

// Reads the tasks of `text`. False, with `error`, when the file as a whole
// cannot be read (no calendar, no header row, a mapped column missing, not
// JSON); a single bad task is an item with `problem` set.
bool readImportFile(ImportFormat format, const std::string& text, const CsvMapping& mapping,
                    std::vector<ImportItem>& items, std::string& error);

struct ImportLine {
    int source = 0;
    std::string name;
    std::string person;
    Date due = kNoDate;
    std::int32_t number = 0;  // the assignment number given (0 in a preview)
    std::string note;         // what was done with it, or why it was refused
};

struct ImportReport {
    std::vector<ImportLine> created;  // in a preview: would be created
    std::vector<ImportLine> refused;
    int concluded = 0;  // concluded tasks left out
    bool failed = false;
    std::string failure;  // the store's error; the batch that met it is not written
};

struct ImportOptions {
    std::string person;  // default person (short name); empty: the user himself
    // Tasks per transaction. The default takes most files whole: a batch
    // larger than the table's rows has its keys sorted once after the rows
    // are in (Database::addAll()), where smaller batches place every row in
    // every key, several times the cost; other stations' writes wait for it.
    int batchSize = 100000;
    bool preview = false;  // check everything, write nothing
};

// Saves `items` as assignments given by the session's user, as of `today`
// and `now`. A batch is written whole or not at all, with the mail notices
// the form's save would queue for its assignments; after a failed batch
// nothing more is written, and the report says which were created before.
ImportReport importAssignments(Database& db, const Session& session,
                               const std::vector<ImportItem>& items, const ImportOptions& options,
                               Date today, Time now);

}  // namespace tko::sync
