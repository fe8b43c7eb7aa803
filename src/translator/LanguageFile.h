// A language file: an SQLite database with the table LANGF, whose records pair
// a source text with its replacement, and the unique index LANGF_LOOKUPKEY on
// (LOOKUP, LUHOTKEY, ENTRYTYPE). Texts are stored clipped and cut to their
// field widths.
//
// Used by liblingua (loading, writing back the Not-Found texts, rebuilding)
// and by the command line (PO export and import). One object owns one SQLite
// connection; not thread-safe.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

struct sqlite3;

namespace lingua {

constexpr int kLookupWidth = 64;
constexpr int kHotKeyWidth = 1;
constexpr int kReplacementWidth = 64;
constexpr int kEntryTypeWidth = 8;

struct LanguageRecord {
    QString lookup;       // source text without '&'
    QString luHotKey;     // "" or one character
    QString replacement;  // "" when untranslated
    QString repHotKey;    // "" or one character
    QString entryType;    // "String", "MenuItem", ...
};

// Open results; the numbers are the translator's state codes.
enum OpenResult : std::uint16_t {
    kOpened = 0,
    kOpenTooManyFiles = 1,
    kOpenCannotCreate = 2,
    kOpenAccessDenied = 3,
    kOpenNotALanguageFile = 4,
    kOpenUnknownError = 5,
};

class LanguageFile {
public:
    LanguageFile() = default;
    ~LanguageFile();
    LanguageFile(const LanguageFile&) = delete;
    LanguageFile& operator=(const LanguageFile&) = delete;

    enum class Access { ReadWrite, ReadOnly };

    // Opens the file for reading and writing, holding it exclusively until
    // close(). A missing file is created with an empty LANGF table when
    // `create` is set. A file that is not an SQLite database or lacks the
    // LANGF layout gives kOpenNotALanguageFile and is left untouched. A file
    // without its key index gets it rebuilt (duplicate keys merged first).
    //
    // With Access::ReadOnly the file must exist; it is opened without any
    // write or lock that needs write access to the file or its folder (an
    // installed language file), `create` is ignored, an empty database reads
    // as an empty language file and a missing key index is left missing.
    // add() and the replacement setters then fail.
    OpenResult open(const QString& path, bool create = true, Access access = Access::ReadWrite);
    bool isOpen() const { return m_db != nullptr; }
    void close();

    // Absolute path of the open file.
    QString fullName() const { return m_fullName; }
    // Text of the last SQLite failure.
    QString lastError() const { return m_error; }

    // Calls `each` for every record in key order until it returns false.
    // False on a read error.
    bool forEach(const std::function<bool(const LanguageRecord&)>& each);
    // Number of records, -1 on error.
    int count();

    enum class AddResult { Added, Duplicate, Failed };
    // Adds a record (fields cut to their widths).
    AddResult add(const LanguageRecord& record);
    // Sets replacement and REPHOTKEY of the record with this key. False when
    // no such record exists or on error (lastError() tells which).
    bool setReplacement(const LanguageRecord& record);
    // The same for the records of this text and entry type whatever their
    // LUHOTKEY (which takes no part in translation lookups).
    bool setReplacementAnyHotKey(const LanguageRecord& record);

    bool begin();
    bool commit();
    void rollback();

    // Creates `path` as a language file without the key index (for copying
    // records in file order); createKey() adds the index afterwards.
    static bool createUnkeyed(const QString& path, QString* error);
    bool createKey();

private:
    // Sets the replacement of the entry with this lookup and entry type (and,
    // with `matchHotKey`, this lookup hot key); false when there is none.
    bool updateReplacement(const LanguageRecord& record, bool matchHotKey);
    bool exec(const char* sql);
    OpenResult checkLayout(bool readOnly);
    // Builds the key index of a file that lacks it.
    OpenResult ensureKey();

    sqlite3* m_db = nullptr;
    bool m_noTable = false;  // read-only empty database: no records
    QString m_fullName;
    QString m_error;
};

// Whether the language file at `path` can be written in place: the file and
// its folder (which takes SQLite's journal) are writable. A missing file
// counts as writable when its folder is.
bool languageFileWritable(const QString& path);

// The user's own file that takes the texts not found in a language file that
// cannot be written: "<stem>.notfound" (a language file of the same layout)
// in the user's data folder "taskorbit", shared by the program and the
// command line. Empty when the user has no writable data folder.
QString userNotFoundFile(const QString& languageFile);

// The key of a record as the language file's unique index compares it.
QString recordKey(const LanguageRecord& record);

// Cuts a text to a field width and removes trailing blanks.
QString fieldText(const QString& text, int width);

}  // namespace lingua
