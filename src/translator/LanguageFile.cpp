#include "translator/LanguageFile.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <sqlite3.h>

#include <cerrno>

namespace lingua {
namespace {

constexpr const char* kCreateTable =
    "CREATE TABLE LANGF ("
    " LOOKUP TEXT NOT NULL DEFAULT '',"
    " LUHOTKEY TEXT NOT NULL DEFAULT '',"
    " REPLACEMENT TEXT NOT NULL DEFAULT '',"
    " REPHOTKEY TEXT NOT NULL DEFAULT '',"
    " ENTRYTYPE TEXT COLLATE NOCASE NOT NULL DEFAULT '')";
constexpr const char* kCreateKey =
    "CREATE UNIQUE INDEX LANGF_LOOKUPKEY ON LANGF (LOOKUP, LUHOTKEY, ENTRYTYPE)";

QString columnText(sqlite3_stmt* stmt, int column, int width) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    if (text == nullptr) return QString();
    return fieldText(QString::fromUtf8(text, sqlite3_column_bytes(stmt, column)), width);
}

void bindText(sqlite3_stmt* stmt, int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt, index, utf8.constData(), static_cast<int>(utf8.size()),
                      SQLITE_TRANSIENT);
}

// A prepared statement finalised on every path.
struct Statement {
    sqlite3_stmt* stmt = nullptr;
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr); }
    ~Statement() { sqlite3_finalize(stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    explicit operator bool() const { return stmt != nullptr; }
};

}  // namespace

QString fieldText(const QString& text, int width) {
    QString result = text.left(width);
    qsizetype end = result.size();
    while (end > 0 && result.at(end - 1) == QLatin1Char(' ')) --end;
    result.truncate(end);
    return result;
}

LanguageFile::~LanguageFile() {
    close();
}

void LanguageFile::close() {
    if (m_db != nullptr) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

bool LanguageFile::exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    m_error = message != nullptr ? QString::fromUtf8(message) : QStringLiteral("SQLite error");
    sqlite3_free(message);
    return false;
}

bool languageFileWritable(const QString& path) {
    const QFileInfo info(path);
    const QFileInfo folder(info.absolutePath());
    if (!folder.isWritable()) return false;
    return !info.exists() || info.isWritable();
}

QString userNotFoundFile(const QString& languageFile) {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (data.isEmpty()) return QString();
    return data + QStringLiteral("/taskorbit/") + QFileInfo(languageFile).completeBaseName() +
           QStringLiteral(".notfound");
}

QString recordKey(const LanguageRecord& record) {
    // ENTRYTYPE compares without letter case.
    return fieldText(record.lookup, kLookupWidth) + QChar(0) +
           fieldText(record.luHotKey, kHotKeyWidth) + QChar(0) +
           fieldText(record.entryType, kEntryTypeWidth).toUpper();
}

OpenResult LanguageFile::open(const QString& path, bool create, Access access) {
    close();
    m_error.clear();
    m_noTable = false;
    const bool readOnly = access == Access::ReadOnly;
    const QFileInfo info(path);
    m_fullName = info.absoluteFilePath();
    const bool exists = info.exists();
    if (exists && info.isDir()) {
        m_error = QStringLiteral("is a directory");
        return kOpenUnknownError;
    }
    if (exists && (!info.isReadable() || (!readOnly && !info.isWritable()))) {
        m_error = QStringLiteral("access denied");
        return kOpenAccessDenied;
    }
    if (!exists && (!create || readOnly)) {
        m_error = QStringLiteral("file not found");
        return kOpenUnknownError;
    }

    int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    if (!exists && !readOnly) flags |= SQLITE_OPEN_CREATE;
    const QByteArray name = QFile::encodeName(m_fullName);
    const int rc = sqlite3_open_v2(name.constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const int sysErrno = m_db != nullptr ? sqlite3_system_errno(m_db) : 0;
        m_error = m_db != nullptr ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                  : QStringLiteral("out of memory");
        close();
        if (sysErrno == EMFILE || sysErrno == ENFILE) return kOpenTooManyFiles;
        if (!exists) return kOpenCannotCreate;
        if (sysErrno == EACCES || sysErrno == EPERM) return kOpenAccessDenied;
        return kOpenUnknownError;
    }
    sqlite3_busy_timeout(m_db, 500);
    // Hold the file exclusively from the first access until close, as other
    // stations must not write into a language file that is being updated. A
    // file only read takes shared locks, which need no write access.
    if (!readOnly) exec("PRAGMA locking_mode=EXCLUSIVE");

    const OpenResult layout = checkLayout(readOnly);
    if (layout != kOpened) {
        close();
        if (!exists) QFile::remove(m_fullName);
    }
    return layout;
}

OpenResult LanguageFile::checkLayout(bool readOnly) {
    Statement tables(m_db, "SELECT name FROM sqlite_master WHERE type = 'table'");
    if (!tables) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        const int code = sqlite3_errcode(m_db) & 0xff;
        if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT) return kOpenNotALanguageFile;
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED) return kOpenAccessDenied;
        return kOpenUnknownError;
    }
    int tableCount = 0;
    bool hasLangf = false;
    int rc;
    while ((rc = sqlite3_step(tables.stmt)) == SQLITE_ROW) {
        ++tableCount;
        const auto* name = reinterpret_cast<const char*>(sqlite3_column_text(tables.stmt, 0));
        if (name != nullptr && sqlite3_stricmp(name, "LANGF") == 0) hasLangf = true;
    }
    if (rc != SQLITE_DONE) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        const int code = rc & 0xff;
        if (code == SQLITE_NOTADB || code == SQLITE_CORRUPT) return kOpenNotALanguageFile;
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED) return kOpenAccessDenied;
        return kOpenUnknownError;
    }
    if (tableCount == 0 && readOnly) {
        m_noTable = true;
        return kOpened;
    }
    if (tableCount == 0) {
        // A new (or empty) database becomes an empty language file.
        if (!exec(kCreateTable) || !exec(kCreateKey)) return kOpenCannotCreate;
        return kOpened;
    }
    if (!hasLangf) {
        m_error = QStringLiteral("no LANGF table");
        return kOpenNotALanguageFile;
    }
    Statement columns(m_db, "SELECT name FROM pragma_table_info('LANGF')");
    if (!columns) return kOpenNotALanguageFile;
    QStringList names;
    while (sqlite3_step(columns.stmt) == SQLITE_ROW)
        names << QString::fromUtf8(
                     reinterpret_cast<const char*>(sqlite3_column_text(columns.stmt, 0)))
                     .toUpper();
    for (const char* needed : {"LOOKUP", "LUHOTKEY", "REPLACEMENT", "REPHOTKEY", "ENTRYTYPE"}) {
        if (!names.contains(QLatin1String(needed))) {
            m_error = QStringLiteral("LANGF lacks the field ") + QLatin1String(needed);
            return kOpenNotALanguageFile;
        }
    }
    // Reading needs no key: records are read in key order all the same.
    return readOnly ? kOpened : ensureKey();
}

OpenResult LanguageFile::ensureKey() {
    Statement index(m_db,
                    "SELECT 1 FROM sqlite_master WHERE type = 'index'"
                    " AND name = 'LANGF_LOOKUPKEY'");
    if (!index) return kOpenUnknownError;
    if (sqlite3_step(index.stmt) == SQLITE_ROW) return kOpened;
    // A file without its key gathers a second copy of every untranslated
    // text at each close, and duplicates keep the unique key from being
    // built. Keep one record per key (a translated one before an untranslated
    // one, else the first written) and build the key again.
    const bool rebuilt =
        exec("BEGIN IMMEDIATE") &&
        exec(
            "DELETE FROM LANGF WHERE EXISTS (SELECT 1 FROM LANGF AS other"
            " WHERE other.LOOKUP = LANGF.LOOKUP AND other.LUHOTKEY = LANGF.LUHOTKEY"
            " AND other.ENTRYTYPE = LANGF.ENTRYTYPE AND other.rowid <> LANGF.rowid"
            " AND ((other.REPLACEMENT <> '' AND LANGF.REPLACEMENT = '')"
            " OR ((other.REPLACEMENT <> '') = (LANGF.REPLACEMENT <> '')"
            " AND other.rowid < LANGF.rowid)))") &&
        exec(kCreateKey) && exec("COMMIT");
    if (!rebuilt) {
        exec("ROLLBACK");
        return kOpenNotALanguageFile;
    }
    return kOpened;
}

bool LanguageFile::forEach(const std::function<bool(const LanguageRecord&)>& each) {
    if (m_noTable) return true;
    Statement select(m_db,
                     "SELECT LOOKUP, LUHOTKEY, REPLACEMENT, REPHOTKEY, ENTRYTYPE FROM LANGF"
                     " ORDER BY LOOKUP, LUHOTKEY, ENTRYTYPE");
    if (!select) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(select.stmt)) == SQLITE_ROW) {
        const LanguageRecord record{
            columnText(select.stmt, 0, kLookupWidth), columnText(select.stmt, 1, kHotKeyWidth),
            columnText(select.stmt, 2, kReplacementWidth), columnText(select.stmt, 3, kHotKeyWidth),
            columnText(select.stmt, 4, kEntryTypeWidth)};
        if (!each(record)) return true;
    }
    if (rc != SQLITE_DONE) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    return true;
}

int LanguageFile::count() {
    if (m_noTable) return 0;
    Statement select(m_db, "SELECT COUNT(*) FROM LANGF");
    if (!select || sqlite3_step(select.stmt) != SQLITE_ROW) return -1;
    return sqlite3_column_int(select.stmt, 0);
}

LanguageFile::AddResult LanguageFile::add(const LanguageRecord& record) {
    Statement insert(m_db,
                     "INSERT INTO LANGF (LOOKUP, LUHOTKEY, REPLACEMENT, REPHOTKEY, ENTRYTYPE)"
                     " VALUES (?, ?, ?, ?, ?)");
    if (!insert) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return AddResult::Failed;
    }
    bindText(insert.stmt, 1, fieldText(record.lookup, kLookupWidth));
    bindText(insert.stmt, 2, fieldText(record.luHotKey, kHotKeyWidth));
    bindText(insert.stmt, 3, fieldText(record.replacement, kReplacementWidth));
    bindText(insert.stmt, 4, fieldText(record.repHotKey, kHotKeyWidth));
    bindText(insert.stmt, 5, fieldText(record.entryType, kEntryTypeWidth));
    const int rc = sqlite3_step(insert.stmt);
    if (rc == SQLITE_DONE) return AddResult::Added;
    m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
    if (sqlite3_extended_errcode(m_db) == SQLITE_CONSTRAINT_UNIQUE) return AddResult::Duplicate;
    return AddResult::Failed;
}

bool LanguageFile::setReplacement(const LanguageRecord& record) {
    return updateReplacement(record, true);
}

bool LanguageFile::setReplacementAnyHotKey(const LanguageRecord& record) {
    return updateReplacement(record, false);
}

bool LanguageFile::updateReplacement(const LanguageRecord& record, bool matchHotKey) {
    Statement update(m_db, matchHotKey ? "UPDATE LANGF SET REPLACEMENT = ?, REPHOTKEY = ?"
                                         " WHERE LOOKUP = ? AND LUHOTKEY = ? AND ENTRYTYPE = ?"
                                       : "UPDATE LANGF SET REPLACEMENT = ?, REPHOTKEY = ?"
                                         " WHERE LOOKUP = ? AND ENTRYTYPE = ?");
    if (!update) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    int column = 1;
    bindText(update.stmt, column++, fieldText(record.replacement, kReplacementWidth));
    bindText(update.stmt, column++, fieldText(record.repHotKey, kHotKeyWidth));
    bindText(update.stmt, column++, fieldText(record.lookup, kLookupWidth));
    if (matchHotKey) bindText(update.stmt, column++, fieldText(record.luHotKey, kHotKeyWidth));
    bindText(update.stmt, column, fieldText(record.entryType, kEntryTypeWidth));
    if (sqlite3_step(update.stmt) != SQLITE_DONE) {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        return false;
    }
    if (sqlite3_changes(m_db) == 0) {
        m_error = QStringLiteral("no such entry in the language file");
        return false;
    }
    return true;
}

bool LanguageFile::begin() {
    return exec("BEGIN IMMEDIATE");
}
bool LanguageFile::commit() {
    return exec("COMMIT");
}
void LanguageFile::rollback() {
    exec("ROLLBACK");
}

bool LanguageFile::createUnkeyed(const QString& path, QString* error) {
    QFile::remove(path);
    sqlite3* db = nullptr;
    const QByteArray name = QFile::encodeName(path);
    int rc =
        sqlite3_open_v2(name.constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK) rc = sqlite3_exec(db, kCreateTable, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && error != nullptr)
        *error =
            db != nullptr ? QString::fromUtf8(sqlite3_errmsg(db)) : QStringLiteral("out of memory");
    sqlite3_close_v2(db);
    return rc == SQLITE_OK;
}

bool LanguageFile::createKey() {
    return exec("DROP INDEX IF EXISTS LANGF_LOOKUPKEY") && exec(kCreateKey);
}

}  // namespace lingua
