// The translator library's one state per process, its state codes and error
// table, and the lookup shared by every translation. Internal to liblingua;
// used from the GUI thread only.
#pragma once

#include "translator/Lingua.h"

#include <QHash>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

namespace lingua {

enum StateCode : std::uint16_t {
    kNoError = 0,
    kTooManyErr = 1,
    kCannotCreate = 2,
    kNoAccessErr = 3,
    kTypeDescErr = 4,
    kUnknownErr = 5,
    kUnableToSort = 6,
    kUnableToAdd = 7,
    kCannotGet = 8,
    kCannotAdd = 9,
    kNotInitialised = 10,
    kOutOfMemory = 11,
    kBadQueueGet = 12,
    kCannotAddNotFound = 13,
    kBadConfigStr = 14,
    kSelectCancelled = 15,
    kNlsFileNotFound = 16,
    kLcidNotInstalled = 17,
    kLcidNotSupported = 18,
    kInvalidParameter = 19,
    kBadRegistryFile = 20,
    kDateOutOfRange = 21,
    kPicsNotInitialized = 22,
};

// Name (at most 25 characters) and message (at most 64) of a state code;
// both empty for an unknown code.
QString errorName(std::uint16_t code);
QString errorMessage(std::uint16_t code);

// Entry types with their codes; names are matched in upper case, unknown
// names count as String.
enum class EntryType : int {
    String = 1,
    Text = 2,
    Message = 3,
    ToolTip = 4,
    Menu = 5,
    MenuItem = 6,
    WinTitle = 7,
    HelpItem = 8,
    LBoxFmt = 9,
};
constexpr int kEntryTypeCount = 9;
EntryType entryTypeFromName(QStringView name);
// The mixed-case name written for not-found texts ("String", "ToolTip", ...).
QString entryTypeName(EntryType type);

// Window kinds.
constexpr int kFrameWindow = 24;
constexpr int kPlainWindow = 25;
constexpr int kReportWindow = 26;

struct Translation {
    QChar luHotKey;
    QString replacement;  // clipped, without '&'
    QChar repHotKey;      // blank when none
};

// The translation table of one entry type: open addressing over texts with a
// cheap 64-bit hash kept beside each key, so that a fetch costs one hash of
// the text and, almost always, one comparison. Lookups take a view, so a
// clipped or cut text needs no copy.
class TextTable {
public:
    const Translation* find(QStringView key) const {
        if (m_slots.empty()) return nullptr;
        const std::uint64_t hash = hashOf(key);
        for (std::size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            const Slot& slot = m_slots[i];
            if (!slot.used) return nullptr;
            if (slot.hash == hash && QStringView(slot.key) == key) return &slot.value;
        }
    }
    bool contains(QStringView key) const { return find(key) != nullptr; }
    // Adds an entry; an existing one of the same text stays as it is.
    void insert(const QString& key, const Translation& value) {
        if ((m_count + 1) * 4 > m_slots.size() * 3) grow();
        const std::uint64_t hash = hashOf(key);
        for (std::size_t i = hash & m_mask;; i = (i + 1) & m_mask) {
            Slot& slot = m_slots[i];
            if (!slot.used) {
                slot = Slot{true, hash, key, value};
                ++m_count;
                return;
            }
            if (slot.hash == hash && slot.key == key) return;
        }
    }
    void clear() {
        m_slots.clear();
        m_mask = 0;
        m_count = 0;
    }
    std::size_t size() const { return m_count; }

    static std::uint64_t hashOf(QStringView text) {
        // Four UTF-16 units at a time, mixed by multiplication.
        const auto* units = reinterpret_cast<const char16_t*>(text.data());
        const qsizetype size = text.size();
        std::uint64_t hash = 0x9E3779B97F4A7C15ull ^ static_cast<std::uint64_t>(size);
        qsizetype i = 0;
        for (; i + 4 <= size; i += 4) {
            std::uint64_t chunk;
            std::memcpy(&chunk, units + i, sizeof chunk);
            hash = (hash ^ chunk) * 0xFF51AFD7ED558CCDull;
            hash ^= hash >> 32;
        }
        for (; i < size; ++i) hash = (hash ^ units[i]) * 0xC4CEB9FE1A85EC53ull;
        hash ^= hash >> 29;
        return hash;
    }

private:
    struct Slot {
        bool used = false;
        std::uint64_t hash = 0;
        QString key;
        Translation value;
    };
    void grow() {
        std::vector<Slot> old;
        old.swap(m_slots);
        m_slots.resize(old.empty() ? 64 : old.size() * 2);
        m_mask = m_slots.size() - 1;
        m_count = 0;
        for (Slot& slot : old)
            if (slot.used) insert(slot.key, slot.value);
    }
    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
    std::size_t m_count = 0;
};

struct NotFoundEntry {
    QString text;
    QChar hotKey;
    QString typeName;
};

struct LibraryState {
    QString fileName;  // as given, never cut: it is a path that is opened
    QString fullName;  // resolved absolute path
    bool initialised = false;
    bool fileOpen = false;
    // The language file cannot be written: texts not found go to the user's
    // own file, except those the language file holds untranslated already.
    bool readOnly = false;
    QSet<QString> fileUntranslated;  // recordKey() of those
    bool picturesInitialised = false;
    std::uint16_t code = kNoError;

    // The translation table, one hash per entry type code (index code - 1).
    std::array<TextTable, kEntryTypeCount> table;
    // The Not-Found table in order of arrival; a text in it also has an
    // untranslated entry in the translation table (no second record).
    // Every replacement of the loaded file: a window text that already is a
    // translation (set through TranslateString before the window was
    // translated) is not recorded as a text the file lacks.
    QSet<QString> replacements;
    std::vector<NotFoundEntry> notFound;

    QPointer<QWidget> window;
    int windowKind = kPlainWindow;

    IntlGroup group{};    // the active Intl group (InitPictures)
    QString groupSource;  // settings file of the last GetIntlGroup, "" for a locale
    std::uint32_t sourceLcid = 0;

    TranslatorStopHandler stopHandler = nullptr;
    TranslatorHelpHandler helpHandler = nullptr;
    TranslatorMessageHandler messageHandler = nullptr;
    PictureSettingsHandler pictureHandler = nullptr;
    LanguageFileWritableCheck writableCheck = nullptr;

    void freeTables();
};

LibraryState& state();

// Whether the language file may be written in place (the program's check or
// the default one).
bool mayWriteLanguageFile(const QString& path);

inline void setCode(std::uint16_t code) {
    state().code = code;
}

// Texts are fixed-width fields: trailing blanks never count.
QString clipped(const QString& text);

// The lookup of every translation. Returns true and sets `result` to the
// replacement (with '&' marked before the hot key when asked) when found.
// A text not found is recorded in the Not-Found table.
bool lookup(const QString& text, EntryType type, bool hotKeys, QString& result);

// Shows a message through the program's handler or a message box.
void showMessage(const QString& title, const QString& text);

// The library's own texts from Ling.nls (section "<LL> <section>").
QString nlsText(const QString& section, const QString& key, const QString& defaultText);

// Runs an export body; no exception leaves it. An allocation failure sets
// state 11, any other failure state 5; `fallback` is returned then.
template <typename Fn, typename R>
R guarded(Fn&& body, R fallback) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        state().code = kOutOfMemory;
    } catch (...) {
        state().code = kUnknownErr;
    }
    return fallback;
}

template <typename Fn>
void guardedVoid(Fn&& body) noexcept {
    try {
        body();
    } catch (const std::bad_alloc&) {
        state().code = kOutOfMemory;
    } catch (...) {
        state().code = kUnknownErr;
    }
}

}  // namespace lingua
