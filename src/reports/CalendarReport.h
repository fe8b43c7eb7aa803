// The calendar printed: a week or a month of the calendar's entries, day by
// day under each day's long date, through the report pages (printer, PDF,
// preview). What is printed is what the Calendar window shows the same user:
// the entries come from calendarEntries(), which asks the access module.
//
// GUI-free; one thread at a time per Database.
#pragma once

#include "data/Database.h"
#include "data/Session.h"
#include "reports/ReportEngine.h"
#include "views/Calendar.h"

namespace tko {

// Prints the entries from `from` to `to` (a week or a month) under `title`.
// Every caption is translated and every date shown with the locale's
// pictures; a day without entries is left out, a period without any prints
// "No entries".
ReportResult printCalendar(Database& db, const Session& session, const CalendarSettings& settings,
                           Date from, Date to, const QString& title, Date today, PageSink& sink,
                           const ReportProgress& progress);

}  // namespace tko
