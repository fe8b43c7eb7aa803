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

    // Opens the file for reading and writing, holding it exclusively until
    // close(). A missing file is created with an empty LANGF table when
    // `create` is set. A file that is not an SQLite database or lacks the
    // LANGF layout gives kOpenNotALanguageFile and is left untouched. A file
    // without its key index gets it rebuilt (duplicate keys merged first).
    OpenResult open(const QString& path, bool create = true);
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
    OpenResult checkLayout();
    // Builds the key index of a file that lacks it.
    OpenResult ensureKey();

    sqlite3* m_db = nullptr;
    QString m_fullName;
    QString m_error;
};

// Cuts a text to a field width and removes trailing blanks.
QString fieldText(const QString& text, int width);

}  // namespace lingua
