#include "reports/ui/CalendarPrint.h"

#include "reports/CalendarReport.h"

namespace tko {

ReportRunOutcome printCalendarPeriod(QWidget* parent, Workspace& workspace,
                                     const CalendarSettings& settings, Date from, Date to,
                                     const QString& title, bool preview) {
    ReportJob job;
    job.preview = preview;
    job.produce = [&workspace, settings, from, to, title](PageSink& sink,
                                                          const ReportProgress& progress) {
        return printCalendar(*workspace.db, workspace.session, settings, from, to, title,
                             Clock::today(), sink, progress);
    };
    return runReportJob(parent, job);
}

}  // namespace tko
