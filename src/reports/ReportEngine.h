// The report engine: reads a report's records along its key with its filter
// inside the store's query, lays them out on pages (ReportPage) and hands
// each full page to a PageSink. Progress is reported as a percentage of the
// records to read; the progress callback can cancel, after which the sink is
// aborted and nothing is kept.
//
// Every caption passes through translateText() and every date and number
// through the locale's pictures. Rights are checked here, whatever the
// caller, by the access module (access/Access.h): a report prints only what
// the user may see (the assignments given to or by them unless they see all,
// the projects, groups and people open to them), the comments of an
// assignment only where the user may open it (in a project report: where the
// project's window opens it), project names only of projects the user may
// see, and confidential comments only to those allowed to read them.
//
// One engine serves one report at a time on the thread that owns `db`.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

#include "data/Database.h"
#include "data/Session.h"
#include "reports/PageComposer.h"
#include "reports/ReportFilters.h"
#include "reports/ReportOptions.h"

namespace tko {

// Called as records are read with the percentage done (0..100); false
// cancels the report.
using ReportProgress = std::function<bool(int percent)>;

struct ReportResult {
    enum class Outcome {
        Done,       // every page went to the sink and it finished
        Cancelled,  // the user cancelled: the sink was aborted
        Refused,    // the parameters or the user's rights do not allow it
        Failed,     // a storage or output error: the sink was aborted
    };
    Outcome outcome = Outcome::Done;
    QString message;  // translated; empty when Done or Cancelled
    int pages = 0;
    std::int64_t records = 0;

    bool done() const { return outcome == Outcome::Done; }
};

// What the person information sheet includes.
struct PersonSheetOptions {
    bool comments = false;
    bool confidential = false;  // printed only where the user may read them
};

class ReportEngine {
public:
    ReportEngine(Database& db, const Session& session, Date today);

    // One of the ten report types of "Report Selection".
    ReportResult run(const ReportParams& params, PageSink& sink, const ReportProgress& progress);

    // "Person Information": the sheet of `shown`, the person as its form shows
    // it (changes not yet saved included). Refused unless the stored person of
    // that number is one the user may see.
    ReportResult runPersonSheet(const Person& shown, const PersonSheetOptions& options,
                                PageSink& sink, const ReportProgress& progress);
    // "TASKORBIT Address Book": the people the user may see, by short name or
    // by last name.
    ReportResult runAddressBook(bool byLastName, PageSink& sink, const ReportProgress& progress);
    // "People in Group List:": the members of a group the user may print.
    ReportResult runGroupList(std::int32_t groupNumber, PageSink& sink,
                              const ReportProgress& progress);
    // One assignment in full as its form shows it (`shown`). Refused unless
    // the stored assignment of that number is one the user may see;
    // confidential comments only where the stored one allows them.
    ReportResult runAssignment(const Assignment& shown, bool confidential, PageSink& sink,
                               const ReportProgress& progress);

    const ReportScope& scope() const { return m_scope; }

private:
    class Run;

    Database& m_db;
    Session m_session;
    ReportScope m_scope;
    Status m_scopeStatus;
};

// "List by" from the order name a list hands to its report ("Due Date",
// "Priority", "Person", "Alphabetically", "Date Assigned", "Date
// Concluded"); nothing for another name.
std::optional<ListBy> listByFromName(const QString& name);

}  // namespace tko
