// The Calendar window's Print: the month or week through the report engine,
// to the preview (which prints or saves a PDF) or straight to the printer.
#pragma once

#include <QString>

#include "data/Workspace.h"
#include "reports/ui/ReportOutput.h"
#include "views/Calendar.h"

class QWidget;

namespace tko {

ReportRunOutcome printCalendarPeriod(QWidget* parent, Workspace& workspace,
                                     const CalendarSettings& settings, Date from, Date to,
                                     const QString& title, bool preview);

}  // namespace tko
