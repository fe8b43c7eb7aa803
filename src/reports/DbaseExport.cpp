#include "reports/DbaseExport.h"

#include <QList>
#include <QString>

#include <fcntl.h>
#include <shapefil.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "data/Messages.h"
#include "data/Tables.h"

namespace tko {

namespace {

using V = DbaseValue;

constexpr int kPageRows = 2000;
constexpr int kProgressEvery = 500;
constexpr size_t kMaxAdjustedLines = 100;
// Windows ANSI (code page 1252) in the header's language-driver byte.
constexpr const char* kCodePage = "LDID/87";

// Code points 0x80..0x9F of code page 1252; 0 where the code page has a hole.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// One character in code page 1252, or 0 when it has none.
char toCp1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == c) return static_cast<char>(0x80 + i);
    return 0;
}

// The UTF-8 text in code page 1252; `replaced` is set when a character had
// to become "?".
std::string encode(const std::string& utf8, bool& replaced) {
    bool ascii = true;
    for (unsigned char c : utf8)
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) return utf8;
    std::string out;
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    for (char32_t c : text.toUcs4()) {
        const char b = toCp1252(c);
        if (b == 0 && c != 0) {
            out += '?';
            replaced = true;
        } else {
            out += b;
        }
    }
    return out;
}

const std::vector<DbaseTable> kTables = {
    {"ASSIGNME.DBF",
     "ADF",
     "ASSIGNMENT",
     " Assign",
     {
         {"ADF:ASSIGNNO", 13, "ASSIGNNUMBER", V::Number},
         {"ADF:PERSONNO", 13, "PERSONNUMBER", V::Number},
         {"ADF:NAME", 50, "NAME", V::Text},
         {"ADF:DUEDATE", 8, "DUEDATE", V::Date},
         {"ADF:PERSON", 15, "PERSON", V::Text},
         {"ADF:USERNAME", 15, "USERNAME", V::Text},
         {"ADF:SEEN", 1, "SEEN", V::SeenFlag},
         {"ADF:ASSIGNDATE", 8, "ASSIGNEDDATE", V::Date},
         {"ADF:CLOSEDATE", 8, "CLOSEDATE", V::Date},
         {"ADF:PREVCLOSE", 8, "PREVCLOSE", V::Date},
         {"ADF:PREVDUE", 8, "PREVDUE", V::Date},
         {"ADF:PRIORITY", 1, "PRIORITY", V::Digits},
         {"ADF:SECONDARY", 1, "SECONDARY", V::YesNoFlag},
         {"ADF:ASSIGNCL", 1, "ASSIGNEECONCLUDE", V::YesNoFlag},
         {"ADF:REPEATTYPE", 23, "REPEATTYPE", V::Text},
         {"ADF:REPNUMBER", 3, "REPNUMBER", V::Digits},
         {"ADF:SETDAYREPT", 1, "SETDAYREPT", V::AnyFlagSet},
         {"ADF:WEEKDAY", 9, "SETDAYREPT", V::WeekdayFlags},
         {"ADF:DAYNO", 1, "DAYNO", V::Digits},
         {"ADF:WEEKMONTH", 4, "WEEKINMONTH", V::Text},
     }},
    {"PEOPLE.DBF",
     "PDF",
     "PEOPLE",
     " People",
     {
         {"PDF:SHORTNAME", 15, "SHORTNAME", V::Text},
         {"PDF:PERSONNO", 13, "PERSONNUMBER", V::Number},
         {"PDF:USER", 15, "USER", V::Text},
         {"PDF:TYPE", 7, "TYPE", V::Text},
         {"PDF:LASTNAME", 25, "LASTNAME", V::Text},
         {"PDF:FIRSTNAME", 20, "FIRSTNAME", V::Text},
         {"PDF:POSITION", 30, "POSITIONHELD", V::Text},
         {"PDF:ORGAN", 30, "ORGANIZATION", V::Text},
         {"PDF:PHONENO", 100, "PHONENUMBER", V::Text},
         {"PDF:FAXNUMBER", 26, "FAXNUMBER", V::Text},
         {"PDF:EMAIL", 50, "EMAIL", V::Text},
         {"PDF:DATE", 8, "DATE", V::Date},
     }},
    {"PEOUSER.DBF",
     "PED",
     "PEOUSER",
     " People/User",
     {
         {"PED:PERSONNO", 13, "PERSONNUMBER", V::Number},
         {"PED:USER", 15, "USER", V::Text},
     }},
    {"USERSDBF",
     "UDF",
     "USERS",
     " User",
     {
         {"UDF:USERNAME", 15, "USERNAME", V::Text},
         {"UDF:LASTNAME", 20, "LASTNAME", V::Text},
         {"UDF:FIRSTNAME", 20, "FIRSTNAME", V::Text},
         {"UDF:DEPARTMENT", 40, "DEPARTMENT", V::Text},
     }},
    {"USERASSG.DBF",
     "UAD",
     "USERASSGN",
     " UserAssgn",
     {
         {"UAD:USERNAME", 15, "USERNAME", V::Text},
         {"UAD:USERNAME2", 15, "USERNAME2", V::Text},
     }},
    {"USERVIEW.DBF",
     "UVD",
     "USERVIEW",
     " UserView",
     {
         {"UVD:USERNAME", 15, "USERNAME", V::Text},
         {"UVD:USERNAME2", 15, "USERNAME2", V::Text},
     }},
    {"GROUPNA.DBF",
     "GDB",
     "GROUPNAME",
     " GroupName",
     {
         {"GDB:GROUPNAME", 20, "GROUPNAME", V::Text},
         {"GDB:GROUPNO", 13, "GROUPNUMBER", V::Number},
         {"GDB:USER", 15, "USER", V::Text},
     }},
    {"GROUPPEO.DBF",
     "GPD",
     "GROUPPEOPLE",
     " GroupPeople",
     {
         {"GPD:GROUPNAME", 20, "GROUPNAME", V::Text},
         {"GPD:SHORTNAME", 15, "SHORTNAME", V::Text},
         {"GPD:GROUPNO", 13, "GROUPNUMBER", V::Number},
         {"GPD:PERSONNO", 13, "PERSONNUMBER", V::Number},
     }},
    {"PROJECT.DBF",
     "PRD",
     "PROJECT",
     " Project",
     {
         {"PRD:NAME", 30, "NAME", V::Text},
         {"PRD:PROJNUMBER", 13, "PROJNUMBER", V::Number},
         {"PRD:USER", 15, "USER", V::Text},
         {"PRD:TYPE", 7, "TYPE", V::Text},
     }},
    {"PROJUSER.DBF",
     "PUD",
     "PROJUSER",
     " ProjUser",
     {
         {"PUD:NAME", 30, "NAME", V::Text},
         {"PUD:PROJNUMBER", 13, "PROJNUMBER", V::Number},
         {"PUD:USER", 15, "USER", V::Text},
     }},
    {"PROJASSN.DBF",
     "PAD",
     "PROJASSGN",
     " ProjAssgn",
     {
         {"PAD:NAME", 30, "NAME", V::Text},
         {"PAD:PROJNUMBER", 13, "PROJNUMBER", V::Number},
         {"PAD:ASSIGNNO", 13, "ASSIGNNUMBER", V::Number},
         {"PAD:USER", 15, "USER", V::Text},
     }},
    // The anniversaries are copied field by field: the date as YYYYMMDD text,
    // the numbers as text, never the raw bytes of the stored record.
    {"ANNIVERS.DBF",
     "ADB",
     "ANNIVERS",
     " Anniversary",
     {
         {"ADB:DATE", 12, "DATE", V::DateText},
         {"ADB:NOTE", 50, "NOTE", V::Text},
         {"ADB:SHORTNAME", 15, "SHORTNAME", V::Text},
         {"ADB:NUMBER", 13, "NUMBER", V::Number},
         {"ADB:DAYOFYEAR", 3, "DAYOFYEAR", V::Digits},
     }},
};

std::int64_t intOf(const store::Value& value) {
    if (const auto* i = std::get_if<std::int64_t>(&value)) return *i;
    return 0;
}

std::string textOf(const store::Value& value) {
    if (const auto* s = std::get_if<std::string>(&value)) return store::rtrim(*s);
    return std::to_string(std::get<std::int64_t>(value));
}

std::array<std::uint8_t, 7> flagsOf(const store::Value& value) {
    std::array<std::uint8_t, 7> flags{};
    const std::string digits = textOf(value);
    for (size_t i = 0; i < flags.size() && i < digits.size(); ++i)
        flags[i] = digits[i] != '0' && digits[i] != ' ' ? 1 : 0;
    return flags;
}

std::string rightAligned(const std::string& text, int width) {
    const size_t w = static_cast<size_t>(width);
    return text.size() >= w ? text : std::string(w - text.size(), ' ') + text;
}

// The dBase layer's file access, buffered: it writes each record and then
// the end-of-file mark after it, each at a position of its own, which through
// plain stdio costs two seeks and two writes per record. Here writes that
// continue or overwrite what is still pending join it in memory, and reach
// the file in large blocks; a read or a seek elsewhere writes them out first.
struct BufferedFile {
    int fd = -1;
    SAOffset pos = 0;     // where the next read or write goes
    std::string pending;  // bytes not yet written, starting at pendingAt
    SAOffset pendingAt = 0;
    int error = 0;  // errno of the first failed write, 0 while none
};

// errno of the last failed close on this thread (a failed final write).
thread_local int t_closeError = 0;

constexpr std::size_t kFlushAt = 1 << 20;

bool flushPending(BufferedFile& f) {
    std::size_t done = 0;
    while (done < f.pending.size() && f.error == 0) {
        const ssize_t n = ::pwrite(f.fd, f.pending.data() + done, f.pending.size() - done,
                                   static_cast<off_t>(f.pendingAt + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0)
            f.error = n < 0 ? errno : EIO;
        else
            done += static_cast<std::size_t>(n);
    }
    f.pending.clear();
    if (f.error) errno = f.error;
    return f.error == 0;
}

BufferedFile* asFile(SAFile file) {
    return reinterpret_cast<BufferedFile*>(file);
}

SAFile bufferedOpen(const char* name, const char* access) {
    const bool plus = std::strchr(access, '+') != nullptr;
    int flags = O_CLOEXEC;
    if (access[0] == 'w')
        flags |= (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
    else if (access[0] == 'a')
        flags |= (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
    else
        flags |= plus ? O_RDWR : O_RDONLY;
    const int fd = ::open(name, flags, 0666);
    if (fd < 0) return nullptr;
    auto* f = new BufferedFile;
    f->fd = fd;
    return reinterpret_cast<SAFile>(f);
}

SAOffset bufferedRead(void* p, SAOffset size, SAOffset nmemb, SAFile file) {
    BufferedFile& f = *asFile(file);
    if (!flushPending(f) || size == 0) return 0;
    const ssize_t n = ::pread(f.fd, p, size * nmemb, static_cast<off_t>(f.pos));
    if (n <= 0) return 0;
    f.pos += static_cast<SAOffset>(n);
    return static_cast<SAOffset>(n) / size;
}

SAOffset bufferedWrite(void* p, SAOffset size, SAOffset nmemb, SAFile file) {
    BufferedFile& f = *asFile(file);
    const std::size_t bytes = size * nmemb;
    if (f.error) return 0;
    if (!f.pending.empty() && (f.pos < f.pendingAt || f.pos > f.pendingAt + f.pending.size()) &&
        !flushPending(f))
        return 0;
    if (f.pending.empty()) f.pendingAt = f.pos;
    const std::size_t at = f.pos - f.pendingAt;
    if (f.pending.size() < at + bytes) f.pending.resize(at + bytes);
    std::memcpy(f.pending.data() + at, p, bytes);
    f.pos += bytes;
    if (f.pending.size() >= kFlushAt && !flushPending(f)) return 0;
    return nmemb;
}

SAOffset bufferedSeek(SAFile file, SAOffset offset, int whence) {
    BufferedFile& f = *asFile(file);
    if (whence == SEEK_SET) {
        f.pos = offset;
    } else if (whence == SEEK_CUR) {
        f.pos += offset;
    } else {
        struct stat st {};
        if (!flushPending(f) || ::fstat(f.fd, &st) != 0) return static_cast<SAOffset>(-1);
        f.pos = static_cast<SAOffset>(st.st_size) + offset;
    }
    return 0;
}

SAOffset bufferedTell(SAFile file) {
    return asFile(file)->pos;
}

int bufferedFlush(SAFile file) {
    return flushPending(*asFile(file)) ? 0 : EOF;
}

int bufferedClose(SAFile file) {
    BufferedFile* f = asFile(file);
    const bool written = flushPending(*f);
    const bool closed = ::close(f->fd) == 0;
    if (!written || !closed) t_closeError = f->error ? f->error : errno;
    delete f;
    return written && closed ? 0 : EOF;
}

int removeFile(const char* name) {
    return ::unlink(name);
}

void ignoreError(const char* /*message*/) {}

double toNumber(const char* text) {
    return std::atof(text);
}

SAHooks* bufferedHooks() {
    static SAHooks hooks{bufferedOpen,  bufferedRead,  bufferedWrite, bufferedSeek, bufferedTell,
                         bufferedFlush, bufferedClose, removeFile,    ignoreError,  toNumber};
    return &hooks;
}

// One table being written: the file, its record layout and a row buffer.
class DbaseWriter {
public:
    DbaseWriter(const DbaseTable& table, const store::TableDef& source) : m_table(table) {
        for (const DbaseField& field : table.fields) {
            m_offsets.push_back(m_recordLength);
            m_recordLength += field.width;
            m_sources.push_back(source.fieldIndex(field.source));
        }
        m_buffer.assign(static_cast<size_t>(m_recordLength), ' ');
    }
    ~DbaseWriter() {
        std::string ignored;
        close(ignored);
    }

    // The source field of each dBase field, or -1 when the source table lacks it.
    const std::vector<int>& sources() const { return m_sources; }

    bool create(const std::string& path, std::string& error) {
        errno = 0;
        m_handle = DBFCreateLL(path.c_str(), kCodePage, bufferedHooks());
        if (!m_handle) {
            error = errno ? std::strerror(errno) : "The file cannot be created";
            return false;
        }
        m_opened = true;
        // The header's date of last update is the day of the export (the
        // dBase layer would write a fixed date of its own otherwise).
        const Ymd today = toYmd(Clock::today());
        DBFSetLastModifiedDate(m_handle, today.year - 1900, today.month, today.day);
        for (const DbaseField& field : m_table.fields) {
            const std::string name = dbaseFieldName(field.label);
            const bool date = field.value == V::Date;
            const int index = date ? DBFAddNativeFieldType(m_handle, name.c_str(), 'D', 8, 0)
                                   : DBFAddField(m_handle, name.c_str(), FTString, field.width, 0);
            if (index < 0) {
                error = "The field " + name + " cannot be added";
                return false;
            }
        }
        return true;
    }

    // Fills the row buffer from a source row; notes values that had to change.
    void fill(const store::Row& row,
              const std::function<void(const DbaseField&, const char*)>& note) {
        std::fill(m_buffer.begin(), m_buffer.end(), ' ');
        for (size_t i = 0; i < m_table.fields.size(); ++i) {
            const DbaseField& field = m_table.fields[i];
            const int source = m_sources[i];
            const store::Value value = source >= 0 ? row.values[static_cast<size_t>(source)]
                                                   : store::Value{std::int64_t{0}};
            std::string text;
            switch (field.value) {
                case V::Text: {
                    bool replaced = false;
                    text = encode(textOf(value), replaced);
                    if (replaced) note(field, "character replaced");
                    break;
                }
                case V::Number:
                    text = numberText(intOf(value));
                    break;
                case V::Digits:
                    text = rightAligned(std::to_string(intOf(value)), field.width);
                    break;
                case V::Date:
                case V::DateText:
                    text = dbaseDateText(static_cast<Date>(intOf(value)));
                    break;
                case V::SeenFlag:
                    text = intOf(value) == 1 ? "Y" : "F";
                    break;
                case V::YesNoFlag:
                    text = intOf(value) == 1 ? "Y" : "N";
                    break;
                case V::AnyFlagSet: {
                    const auto flags = flagsOf(value);
                    text = std::any_of(flags.begin(), flags.end(), [](auto f) { return f != 0; })
                               ? "Y"
                               : "N";
                    break;
                }
                case V::WeekdayFlags:
                    text = weekdayFlagsText(flagsOf(value));
                    break;
            }
            if (static_cast<int>(text.size()) > field.width) {
                // A number too wide for its one- or three-character field gets the
                // picture's overflow form; a text longer than its field (which the
                // store's widths do not allow) is cut. Both are reported.
                if (field.value == V::Digits) {
                    text.assign(static_cast<size_t>(field.width), '#');
                    note(field, "number too wide");
                } else {
                    text.resize(static_cast<size_t>(field.width));
                    note(field, "text cut to the field's width");
                }
            }
            std::memcpy(m_buffer.data() + m_offsets[i], text.data(), text.size());
        }
    }

    // Appends the row buffer as record `index`.
    bool append(int index, std::string& error) {
        // The tuple starts with the deletion flag: blank for a live record.
        std::string tuple = " " + m_buffer;
        errno = 0;
        if (!DBFWriteTuple(m_handle, index, tuple.data())) {
            error = errno ? std::strerror(errno) : "The record cannot be written";
            return false;
        }
        return true;
    }

    // True once the file exists, even when adding its fields failed.
    bool opened() const { return m_opened; }

    // Writes what is still buffered and closes the file; false with `error`
    // when that fails (a full disk, say).
    bool close(std::string& error) {
        if (!m_handle) return true;
        t_closeError = 0;
        DBFClose(m_handle);
        m_handle = nullptr;
        if (t_closeError == 0) return true;
        error = std::strerror(t_closeError);
        return false;
    }

private:
    const DbaseTable& m_table;
    std::vector<int> m_offsets;
    std::vector<int> m_sources;
    int m_recordLength = 0;
    std::string m_buffer;
    DBFHandle m_handle = nullptr;
    bool m_opened = false;
};

// The file shapelib writes for a path: it puts ".dbf" in place of any
// extension.
std::string layerPath(const std::string& folder, const std::string& base) {
    return (std::filesystem::path(folder) / (base + ".dbf")).string();
}

std::string baseName(const DbaseTable& table) {
    const std::string name = table.fileName;
    const size_t dot = name.find('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// After closing, the file must hold the header, every record and the end
// mark: a shorter file means that a write failed (a full disk, say), which
// the dBase layer does not report on its own.
bool completeOnDisk(const std::string& path, const DbaseTable& table, std::int64_t rows,
                    std::string& error) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    std::int64_t recordLength = 1;
    for (const DbaseField& field : table.fields) recordLength += field.width;
    const std::int64_t header = 32 + 32 * static_cast<std::int64_t>(table.fields.size()) + 1;
    if (static_cast<std::int64_t>(size) < header + rows * recordLength) {
        error = "The file was not written completely";
        return false;
    }
    return true;
}

}  // namespace

const std::vector<DbaseTable>& dbaseTables() {
    return kTables;
}

std::string dbaseFieldName(const char* label) {
    const std::string text = label;
    const size_t colon = text.find(':');
    return colon == std::string::npos ? text : text.substr(colon + 1);
}

std::string dbaseFileName(const DbaseTable& table) {
    const std::string name = table.fileName;
    return name.find('.') == std::string::npos ? name + ".dbf" : name;
}

std::string dbaseExportSummary(const DbaseExportResult& result, const std::string& folder) {
    std::int64_t records = 0;
    for (std::int64_t rows : result.rows) records += rows;
    return mergeParameters(translateText("%1 records exported to %2 dBase files in %3."),
                           std::to_string(records), std::to_string(result.rows.size()), folder);
}

std::string numberText(std::int64_t number) {
    return rightAligned(std::to_string(number), 7);
}

std::string dbaseDateText(Date date) {
    if (date == kNoDate) return std::string(8, ' ');
    const Ymd ymd = toYmd(date);
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02d%02d", ymd.year, ymd.month, ymd.day);
    return text;
}

std::string weekdayFlagsText(const std::array<std::uint8_t, 7>& flags) {
    std::string text;
    for (std::uint8_t flag : flags) text += flag ? 'Y' : 'N';
    return text;
}

bool mayExportData(const Session& session) {
    return session.isSystemAdministrator();
}

DbaseExportResult exportToDbase(Database& db, const Session& session, const std::string& folder,
                                const DbaseProgressFn& progress) {
    DbaseExportResult result;
    if (!mayExportData(session)) {
        result.kind = DbaseExportResult::NotPermitted;
        result.message = "Only a System Administrator may export the data files.";
        return result;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) {
        result.message = "The folder " + folder + " does not exist.";
        return result;
    }

    std::vector<std::string> written;  // temporary files made so far
    auto fail = [&](const std::string& text, const DbaseTable& table) {
        for (const std::string& path : written) std::filesystem::remove(path, ec);
        result.kind = DbaseExportResult::Failed;
        result.message = text + table.failureLabel;
        return result;
    };

    for (size_t t = 0; t < kTables.size(); ++t) {
        const DbaseTable& table = kTables[t];
        const store::TableDef* source = tableByLabel(table.sourceLabel);
        if (!source) return fail("Unknown table " + std::string(table.sourceLabel), table);

        const std::string tempPath = layerPath(folder, "~" + baseName(table));
        DbaseWriter writer(table, *source);
        std::string error;
        const bool created = writer.create(tempPath, error);
        // Only a file this run made is removed on failure, never whatever
        // else may carry the working name.
        if (writer.opened()) written.push_back(tempPath);
        if (!created) return fail(error, table);

        DbaseProgress step;
        step.table = static_cast<int>(t);
        if (!db.engine().count(*source, store::all(), step.tableRows).ok()) step.tableRows = 0;
        if (progress) progress(step);

        auto note = [&](const DbaseField& field, const char* what) {
            ++result.adjustedValues;
            if (result.adjusted.size() < kMaxAdjustedLines)
                result.adjusted.push_back(dbaseFileName(table) + " row " +
                                          std::to_string(step.rows + 1) + " " +
                                          dbaseFieldName(field.label) + ": " + what);
        };

        // Every record in stored order, page by page, without memos.
        store::ReadRequest request;
        request.limit = kPageRows;
        request.withMemos = false;
        std::vector<store::Row> rows;
        for (;;) {
            const Status s = db.engine().read(*source, request, rows);
            if (s.endOfRange()) break;
            if (!s.ok()) {
                db.track(s);
                return fail(db.lastError().describe(), table);
            }
            for (const store::Row& row : rows) {
                writer.fill(row, note);
                if (!writer.append(static_cast<int>(step.rows), error)) return fail(error, table);
                ++step.rows;
                if (progress && step.rows % kProgressEvery == 0) progress(step);
            }
            if (static_cast<int>(rows.size()) < request.limit) break;
            request.from = store::KeyPosition{{}, rows.back().pos};
        }
        if (!writer.close(error)) return fail(error, table);
        if (!completeOnDisk(tempPath, table, step.rows, error)) return fail(error, table);
        result.rows[t] = step.rows;
        step.tableDone = true;
        if (progress) progress(step);
    }

    // All twelve are complete: put them in place of the previous export.
    for (size_t t = 0; t < kTables.size(); ++t) {
        const std::string target =
            (std::filesystem::path(folder) / dbaseFileName(kTables[t])).string();
        std::filesystem::rename(written[t], target, ec);
        if (ec) return fail(ec.message(), kTables[t]);
    }
    result.kind = DbaseExportResult::Done;
    return result;
}

}  // namespace tko
