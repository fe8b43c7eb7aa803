#include "reports/CsvExport.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "data/Messages.h"
#include "data/Tables.h"
#include "platform/Date.h"
#include "platform/IsoDate.h"
#include "reports/DbaseExport.h"

namespace tko {

namespace {

constexpr int kPageRows = 2000;

// LONG fields that hold standard dates and times of day.
const std::set<std::string> kDateFields{"DATE",          "DUEDATE",     "ASSIGNEDDATE", "CLOSEDATE",
                                        "PREVCLOSE",     "PREVDUE",     "DATECHANGED",  "LFENDDATE",
                                        "HISTSTARTDATE", "HISTENDDATE", "BACKUPDATE"};
const std::set<std::string> kTimeFields{"TIMECHANGED", "BACKUPTIME"};

bool exported(const store::TableDef& table, const store::FieldDef& field) {
    if (field.type == store::FieldType::Memo) return false;
    // No hash of a password or of the office recovery key leaves the store.
    return !(table.label == "USERS" && field.name == "PASSWORD") &&
           !(table.label == "SECURITY" && field.name == "HASH");
}

std::string valueText(const store::FieldDef& field, const store::Value& value) {
    if (const auto* text = std::get_if<std::string>(&value)) return store::rtrim(*text);
    const std::int64_t number = std::get<std::int64_t>(value);
    if (field.type == store::FieldType::Long && kDateFields.count(field.name)) {
        return isoDateText(static_cast<Date>(number));
    }
    if (field.type == store::FieldType::Long && kTimeFields.count(field.name)) {
        const Hms t = toHms(static_cast<Time>(number));
        char text[16];
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hours, t.minutes, t.seconds);
        return text;
    }
    return std::to_string(number);
}

}  // namespace

bool looksLikeNumber(const std::string& text) {
    size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return false;
    if (text[i] == '+' || text[i] == '-') ++i;
    size_t digits = 0;
    bool separator = false, exponent = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            ++digits;
        } else if ((c == '.' || c == ',') && !separator && !exponent && digits > 0) {
            separator = true;
        } else if ((c == 'e' || c == 'E') && !exponent && digits > 0 && i + 1 < text.size()) {
            exponent = true;
            if (text[i + 1] == '+' || text[i + 1] == '-') ++i;
        } else {
            return false;
        }
    }
    return digits > 0;
}

std::string csvField(const std::string& text, bool isText) {
    bool quote = text.find_first_of(",\"\r\n") != std::string::npos;
    std::string value = text;
    if (isText && !text.empty() && std::string("=+-@\t\r").find(text[0]) != std::string::npos) {
        // A spreadsheet would run it as a formula: kept as text behind a quote mark.
        value = "'" + text;
        quote = true;
    } else if (isText && looksLikeNumber(text)) {
        quote = true;  // "0101010" is text, not the number 101010
    }
    if (!quote) return value;
    std::string out = "\"";
    for (char c : value) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

CsvExportResult exportCsv(Database& db, const Session& session, const std::string& tableLabel,
                          const std::string& path) {
    CsvExportResult result;
    if (!mayExportData(session)) {
        result.kind = CsvExportResult::NotPermitted;
        result.message = "Only a System Administrator may export the data files.";
        return result;
    }
    std::string upper = tableLabel;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    const store::TableDef* table = tableByLabel(upper);
    if (!table) {
        result.kind = CsvExportResult::UnknownTable;
        std::string labels;
        for (const store::TableDef* t : allTables())
            labels += (labels.empty() ? "" : ", ") + t->label;
        result.message = "There is no table " + tableLabel + ". The tables are " + labels + ".";
        return result;
    }
    std::vector<size_t> fields;
    for (size_t i = 0; i < table->fields.size(); ++i)
        if (exported(*table, table->fields[i])) fields.push_back(i);

    const std::string temp = path + ".part";
    std::ofstream file(temp, std::ios::binary | std::ios::trunc);
    if (!file) {
        result.message = "The file " + path + " cannot be written.";
        return result;
    }
    auto abandon = [&](const std::string& message) {
        file.close();
        std::error_code ec;
        std::filesystem::remove(temp, ec);
        result.kind = CsvExportResult::Failed;
        result.message = message;
        return result;
    };
    for (size_t i = 0; i < fields.size(); ++i)
        file << (i ? "," : "") << csvField(table->prefix + ":" + table->fields[fields[i]].name);
    file << "\r\n";

    store::ReadRequest request;
    request.limit = kPageRows;
    request.withMemos = false;
    std::vector<store::Row> rows;
    for (;;) {
        const Status s = db.engine().read(*table, request, rows);
        if (s.endOfRange()) break;
        if (!s.ok()) {
            db.track(s);
            return abandon(
                standardMessage(35, db.lastError().describe(), table->label, {}, kReadErrorStays)
                    .text);
        }
        for (const store::Row& row : rows) {
            for (size_t i = 0; i < fields.size(); ++i) {
                const store::Value& value = row.values[fields[i]];
                file << (i ? "," : "")
                     << csvField(valueText(table->fields[fields[i]], value),
                                 std::holds_alternative<std::string>(value));
            }
            file << "\r\n";
            ++result.rows;
        }
        if (static_cast<int>(rows.size()) < request.limit) break;
        request.from = store::KeyPosition{{}, rows.back().pos};
    }
    file.close();
    if (!file) return abandon("The file " + path + " cannot be written.");
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) return abandon("The file " + path + " cannot be written: " + ec.message());
    result.kind = CsvExportResult::Done;
    return result;
}

}  // namespace tko
