#include "reports/CalendarReport.h"

#include "data/Messages.h"
#include "platform/Picture.h"

namespace tko {

namespace {

QString tr(const char* source) {
    return QString::fromStdString(translateText(source));
}

}  // namespace

ReportResult printCalendar(Database& db, const Session& session, const CalendarSettings& settings,
                           Date from, Date to, const QString& title, Date today, PageSink& sink,
                           const ReportProgress& progress) {
    ReportResult result;
    bool begun = false;
    auto fail = [&](ReportResult::Outcome outcome, const QString& message) {
        if (begun) sink.abort();
        result.outcome = outcome;
        result.message = message;
        return result;
    };
    std::vector<CalendarEntry> entries;
    if (!calendarEntries(db, session, settings, from, to, entries).ok())
        return fail(ReportResult::Outcome::Failed,
                    QString::fromStdString(db.lastError().describe()));
    if (progress && !progress(0)) return fail(ReportResult::Outcome::Cancelled, {});
    if (!sink.begin()) return fail(ReportResult::Outcome::Failed, sink.errorText());
    begun = true;
    PageHeading heading;
    heading.title = title;
    heading.subtitle = formatDate(from, u"@D18") + QStringLiteral(" - ") + formatDate(to, u"@D18");
    heading.printedOn = tr("Printed On") + QLatin1Char(' ') + formatDate(today, u"@D18");
    heading.pageCaption = tr("Page:");
    PageComposer composer(sink, heading);
    const std::vector<ReportColumn> columns{{4, kPageColumns - 4}};
    size_t i = 0;
    while (i < entries.size()) {
        const Date day = entries[i].date;
        std::vector<PageLine> block{PageLine::text(0, formatDate(day, u"@D18"), true)};
        for (; i < entries.size() && entries[i].date == day; ++i) {
            const std::vector<PageLine> row = tableRow(columns, {calendarEntryText(entries[i])});
            block.insert(block.end(), row.begin(), row.end());
            ++result.records;
        }
        block.push_back(PageLine::blank());
        if (!composer.addBlock(block))
            return fail(ReportResult::Outcome::Failed, composer.errorText());
        if (progress && !progress(static_cast<int>(i * 100 / entries.size())))
            return fail(ReportResult::Outcome::Cancelled, {});
    }
    if (!composer.finish(QString::fromStdString(translateText("No entries"))) || !sink.finish())
        return fail(ReportResult::Outcome::Failed, composer.errorText());
    result.pages = composer.pagesSent();
    return result;
}

}  // namespace tko
