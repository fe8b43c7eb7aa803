#include "cli/ImportCommand.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cli/ScriptCommands.h"
#include "platform/Date.h"
#include "platform/IsoDate.h"
#include "sync/CalDav.h"
#include "sync/Import.h"

namespace tko::cli {

namespace {

constexpr int kMaxBatch = 100000;

QJsonObject lineObject(const sync::ImportLine& line) {
    QJsonObject o;
    o[QStringLiteral("source")] = line.source;
    o[QStringLiteral("name")] = QString::fromStdString(line.name);
    o[QStringLiteral("person")] = QString::fromStdString(line.person);
    o[QStringLiteral("due")] = QString::fromStdString(isoDateText(line.due));
    if (line.number) o[QStringLiteral("assignNumber")] = line.number;
    o[QStringLiteral("note")] = QString::fromStdString(line.note);
    return o;
}

}  // namespace

int runImportCommand(Database& db, const Session& session, const ImportRequest& request,
                     std::ostream& out, std::ostream& err) {
    sync::ImportFormat format;
    if (!sync::importFormatOf(request.format, format)) {
        err << "taskorbit-cli: import is one of ics, csv, taskwarrior\n";
        return kExitUsage;
    }
    sync::CsvMapping mapping;
    std::string error;
    if (!request.map.empty()) {
        if (format != sync::ImportFormat::Csv) {
            err << "taskorbit-cli: --map is for CSV files\n";
            return kExitUsage;
        }
        if (!sync::parseCsvMapping(request.map, mapping, error)) {
            err << "taskorbit-cli: --map: " << error << "\n";
            return kExitUsage;
        }
    }
    sync::ImportOptions options;
    options.person = request.person;
    options.preview = request.preview;
    if (!request.batch.empty()) {
        const std::string& b = request.batch;
        if (b.size() > 6 || b.find_first_not_of("0123456789") != std::string::npos ||
            std::stoi(b) < 1 || std::stoi(b) > kMaxBatch) {
            err << "taskorbit-cli: --batch takes a number from 1 to " << kMaxBatch << "\n";
            return kExitUsage;
        }
        options.batchSize = std::stoi(b);
    }
    std::ifstream file(request.file, std::ios::binary);
    if (!file) {
        err << "taskorbit-cli: cannot read " << request.file << "\n";
        return kExitUsage;
    }
    std::stringstream text;
    text << file.rdbuf();
    std::vector<sync::ImportItem> items;
    if (!sync::readImportFile(format, text.str(), mapping, items, error)) {
        err << "taskorbit-cli: " << request.file << ": " << error << "\n";
        return kExitUsage;
    }
    const sync::ImportReport report =
        sync::importAssignments(db, session, items, options, Clock::today(), Clock::now());
    if (request.json) {
        QJsonArray created, refused;
        for (const auto& line : report.created) created.append(lineObject(line));
        for (const auto& line : report.refused) refused.append(lineObject(line));
        QJsonObject o;
        o[QStringLiteral("preview")] = request.preview;
        o[QStringLiteral("created")] = created;
        o[QStringLiteral("refused")] = refused;
        o[QStringLiteral("concluded")] = report.concluded;
        if (report.failed) o[QStringLiteral("failure")] = QString::fromStdString(report.failure);
        out << QJsonDocument(o).toJson(QJsonDocument::Indented).toStdString();
    } else {
        for (const auto& line : report.created)
            if (!line.note.empty())
                out << "note: " << line.source << " \"" << line.name << "\": " << line.note << "\n";
        for (const auto& line : report.refused)
            out << "refused: " << line.source << " \"" << line.name << "\": " << line.note << "\n";
        out << (request.preview ? "Would create " : "Created ") << report.created.size()
            << " assignments; refused " << report.refused.size() << "; left out "
            << report.concluded << " concluded.\n";
    }
    if (report.failed) {
        err << "taskorbit-cli: " << report.failure << "\n";
        return kExitFailed;
    }
    return report.refused.empty() ? kExitOk : kExitSomeRefused;
}

int runSyncCommand(Database& db, const Session& session, const std::string& url,
                   const std::optional<std::string>& caldavUser, std::ostream& out,
                   std::ostream& err) {
    sync::CalDavAccount account;
    const Status stored = sync::loadCalDavAccount(db, session.GlobalUser, account);
    if (!stored.ok() && stored.code != store::kRecordNotFound) {
        err << "taskorbit-cli: the calendar account cannot be read: " << stored.describe() << "\n";
        return kExitFailed;
    }
    const char* password = std::getenv(kCalDavPasswordVariable);
    if (password) account.password = password;
    if (!url.empty() || caldavUser) {
        if (!url.empty()) account.url = url;
        if (caldavUser) account.login = *caldavUser;
        const Status saved = sync::storeCalDavAccount(db, session.GlobalUser, account);
        if (!saved.ok()) {
            err << "taskorbit-cli: the calendar account cannot be stored: " << saved.describe()
                << "\n";
            return saved.code == store::kInvalidArgument ? kExitUsage : kExitFailed;
        }
    } else if (!stored.ok()) {
        err << "taskorbit-cli: " << session.GlobalUser
            << " has no calendar account yet: give --url URL (and --caldav-user NAME, the "
               "password in "
            << kCalDavPasswordVariable << ")\n";
        return kExitUsage;
    }
    const sync::CalDavReport report =
        sync::syncCalDav(db, session, account, Clock::today(), Clock::now());
    for (const std::string& note : report.notes) out << "note: " << note << "\n";
    if (!report.ok) {
        err << "taskorbit-cli: " << report.failure << "\n";
        return kExitFailed;
    }
    out << "Wrote " << report.written << " to-dos, concluded " << report.concluded
        << " assignments, took " << report.changed << " changes, removed " << report.deleted
        << " to-dos; " << report.declined << " kept off the calendar by the user.\n";
    return kExitOk;
}

}  // namespace tko::cli
