// Library state, error table, language-file loading and writing back, the
// shared lookup, TranslateString and MergeString.
#include "translator/LanguageFile.h"
#include "translator/LinguaState.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include <cstdlib>

namespace lingua {
namespace {

struct ErrorText {
    const char* name;
    const char* message;
};

// Names and messages of the state codes 0..22.
constexpr ErrorText kErrors[] = {
    {"NoError", "No Error"},
    {"TooManyErr", "Too few file handles"},
    {"CannotCreate", "Cannot create language file"},
    {"NoAccessErr", "Access denied to language file"},
    {"TypeDescErr", "Type descriptor error in language file"},
    {"UnknownErr", "Unknown error opening language file"},
    {"UnableToSort", "Unable to sort language queue"},
    {"UnableToAdd", "Unable to add to language queue"},
    {"LTT_CannotGet", "Could not get entry from memory"},
    {"CannotAdd", "Could not add to language file"},
    {"NotInitialised", "Language translation not initialised"},
    {"OutOfMenory", "Out of memory"},
    {"BadQueueGet", "Error accessing memory file"},
    {"CannotAddNF", "Cannot add to Not-Found table"},
    {"BadConfigStr", "Bad configuration string"},
    {"SelectCancelled", "Language select cancelled"},
    {"NLSFileNotFound", "NLS file not found"},
    {"LCIDNotInstalled", "Locale (LCID) not installed"},
    {"LCIDNotSuported", "Locale (LCID) not supported"},
    {"InvalidParameter", "Invalid parameter to Win32 API"},
    {"BadRegistryFile", "Bad Windows Registry"},
    {"DateOutOfRange", "Date outside Orvane range"},
    {"PicsNotInitialized", "NLS formats not initialized"},
};
constexpr int kErrorCount = sizeof(kErrors) / sizeof(kErrors[0]);

constexpr const char* kTypeNames[kEntryTypeCount] = {
    "String", "Text", "Message", "ToolTip", "Menu", "MenuItem", "WinTitle", "HelpItem", "LBoxFmt",
};

constexpr int kMergeLimit = 255;

void defaultStop(const QString& text) {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        QMessageBox::critical(nullptr, QStringLiteral("Translator"), text);
    else
        qCritical("%s", qPrintable(text));
    std::exit(EXIT_FAILURE);
}

}  // namespace

QString errorName(std::uint16_t code) {
    return code < kErrorCount ? QLatin1String(kErrors[code].name) : QString();
}

QString errorMessage(std::uint16_t code) {
    return code < kErrorCount ? QLatin1String(kErrors[code].message) : QString();
}

EntryType entryTypeFromName(QStringView name) {
    const QStringView trimmed = name.trimmed();
    for (int i = 0; i < kEntryTypeCount; ++i)
        if (trimmed.compare(QLatin1String(kTypeNames[i]), Qt::CaseInsensitive) == 0)
            return static_cast<EntryType>(i + 1);
    return EntryType::String;
}

QString entryTypeName(EntryType type) {
    return QLatin1String(kTypeNames[static_cast<int>(type) - 1]);
}

void LibraryState::freeTables() {
    for (auto& hash : table) hash.clear();
    replacements.clear();
    notFound.clear();
    fileUntranslated.clear();
}

bool mayWriteLanguageFile(const QString& path) {
    const LanguageFileWritableCheck check = state().writableCheck;
    return check != nullptr ? check(path) : languageFileWritable(path);
}

namespace {

// Adds the texts not found to `file` in one transaction. A duplicate key
// means the text is already in the file, translated or not. False (and
// nothing added) on a failure.
bool writeNotFound(LanguageFile& file, const std::vector<NotFoundEntry>& entries) {
    if (!file.begin()) return false;
    for (const NotFoundEntry& entry : entries) {
        const LanguageRecord record{
            entry.text, entry.hotKey == QLatin1Char(' ') ? QString() : QString(entry.hotKey),
            QString(), QString(), entry.typeName};
        if (file.add(record) == LanguageFile::AddResult::Failed) {
            file.rollback();
            return false;
        }
    }
    if (file.commit()) return true;
    file.rollback();
    return false;
}

// Writes the texts not found of a language file that cannot be written into
// the user's own file for it, created when first needed.
std::uint16_t writeUserNotFound(LibraryState& s) {
    std::vector<NotFoundEntry> entries;
    for (const NotFoundEntry& entry : s.notFound) {
        const LanguageRecord record{
            entry.text, entry.hotKey == QLatin1Char(' ') ? QString() : QString(entry.hotKey),
            QString(), QString(), entry.typeName};
        if (!s.fileUntranslated.contains(recordKey(record))) entries.push_back(entry);
    }
    if (entries.empty()) return kNoError;
    const QString name = userNotFoundFile(s.fullName);
    if (name.isEmpty() || !QDir().mkpath(QFileInfo(name).absolutePath())) return kCannotCreate;
    LanguageFile file;
    const OpenResult opened = file.open(name);
    if (opened != kOpened) return opened;
    return writeNotFound(file, entries) ? kNoError : kCannotAdd;
}

}  // namespace

LibraryState& state() {
    static LibraryState instance;
    return instance;
}

QString clipped(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && text.at(end - 1) == QLatin1Char(' ')) --end;
    return end == text.size() ? text : text.left(end);
}

bool lookup(const QString& text, EntryType type, bool hotKeys, QString& result) {
    LibraryState& s = state();
    QString work = clipped(text);
    if (work.isEmpty() || !s.initialised) return false;

    QChar hotKey = QLatin1Char(' ');
    // A source text holding '&' anywhere gets the translation's hot key
    // marked, also when the '&' itself marks no hot key ("Fish & Chips").
    bool markReplacement = false;
    if (hotKeys) {
        markReplacement = work.contains(QLatin1Char('&'));
        // The first '&' marks the hot key unless it ends the text or stands
        // before a blank; then the text is looked up as written.
        const qsizetype amp = work.indexOf(QLatin1Char('&'));
        if (amp >= 0 && amp + 1 < work.size() && work.at(amp + 1) != QLatin1Char(' ')) {
            hotKey = work.at(amp + 1);
            work.remove(amp, 1);
        }
    }
    const QString key = fieldText(work, kLookupWidth);
    auto& table = s.table[static_cast<int>(type) - 1];
    const Translation* found = table.find(key);
    if (found == nullptr) {
        // The first miss of a text records it in the Not-Found table and
        // leaves an untranslated entry in the translation table, so that
        // every later lookup of it, hit or miss, costs one fetch.
        try {
            if (type == EntryType::String || !s.replacements.contains(key))
                s.notFound.push_back(NotFoundEntry{key, hotKey, entryTypeName(type)});
            table.insert(key, Translation{hotKey, QString(), QLatin1Char(' ')});
        } catch (const std::bad_alloc&) {
            s.code = kCannotAddNotFound;
        }
        return false;
    }

    QString replacement = found->replacement;
    if (hotKeys && !replacement.isEmpty()) {
        // Texts with hot keys go where '&' marks a hot key, so a literal '&'
        // of the translation is written "&&"; a '&' hot key is then shown by
        // that doubled mark itself.
        const QChar mark = found->repHotKey;
        qsizetype at = -1;
        if (markReplacement && !mark.isNull() && mark != QLatin1Char(' ') &&
            mark != QLatin1Char('&') && replacement.size() < kReplacementWidth)
            at = replacement.indexOf(mark, 0, Qt::CaseInsensitive);
        if (at >= 0 || replacement.contains(QLatin1Char('&'))) {
            QString marked;
            marked.reserve(replacement.size() + 4);
            for (qsizetype i = 0; i < replacement.size(); ++i) {
                if (i == at) marked += QLatin1Char('&');
                marked += replacement.at(i);
                if (replacement.at(i) == QLatin1Char('&')) marked += QLatin1Char('&');
            }
            replacement = marked;
        }
    }
    s.code = kNoError;
    if (replacement.isEmpty()) return false;
    result = replacement;
    return true;
}

void showMessage(const QString& title, const QString& text) {
    if (state().messageHandler != nullptr) {
        state().messageHandler(title, text);
        return;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        QMessageBox::warning(nullptr, title, text);
    else
        qWarning("%s: %s", qPrintable(title), qPrintable(text));
}

}  // namespace lingua

using namespace lingua;

std::uint16_t InitTranslator(const QString& languageFile) {
    return guarded(
        [&]() -> std::uint16_t {
            LibraryState& s = state();
            if (s.initialised) {
                CloseTranslator();
                s.initialised = false;
            }
            s.freeTables();
            // The name is kept whole: a path cut to a field width would open
            // (and create) a different file.
            s.fileName = languageFile;

            // An installed language file that the user may not write is
            // only read.
            s.readOnly = QFileInfo::exists(s.fileName) && !mayWriteLanguageFile(s.fileName);
            LanguageFile file;
            const OpenResult opened = file.open(
                s.fileName, true,
                s.readOnly ? LanguageFile::Access::ReadOnly : LanguageFile::Access::ReadWrite);
            if (opened != kOpened) {
                s.fullName.clear();
                s.code = opened;
                return 0;
            }
            s.fileOpen = true;
            s.fullName = file.fullName();
            const bool read = file.forEach([&s](const LanguageRecord& record) {
                if (record.replacement.isEmpty()) {
                    if (s.readOnly) s.fileUntranslated.insert(recordKey(record));
                    return true;
                }
                auto& table = s.table[static_cast<int>(entryTypeFromName(record.entryType)) - 1];
                // Two records may differ only in LUHOTKEY; the first in key
                // order wins, as the lookup takes no hot key into account.
                s.replacements.insert(record.replacement);
                if (!table.contains(record.lookup))
                    table.insert(record.lookup,
                                 Translation{record.luHotKey.isEmpty() ? QChar(QLatin1Char(' '))
                                                                       : record.luHotKey.at(0),
                                             record.replacement,
                                             record.repHotKey.isEmpty() ? QChar(QLatin1Char(' '))
                                                                        : record.repHotKey.at(0)});
                return true;
            });
            file.close();
            s.fileOpen = false;
            if (!read) {
                // A damaged file: run untranslated rather than half-translated.
                s.freeTables();
                s.fullName.clear();
                s.code = kTypeDescErr;
                return 0;
            }
            s.initialised = true;
            s.code = kNoError;
            return 1;
        },
        std::uint16_t{0});
}

void CloseTranslator() {
    guardedVoid([] {
        LibraryState& s = state();
        if (!s.fileName.trimmed().isEmpty() && s.readOnly) {
            if (!s.fullName.isEmpty()) {
                const std::uint16_t code = writeUserNotFound(s);
                if (code != kNoError) s.code = code;
            }
            s.picturesInitialised = false;
        } else if (!s.fileName.trimmed().isEmpty()) {
            // The resolved name, so a change of the current folder since
            // InitTranslator cannot send the texts to another file.
            LanguageFile file;
            const OpenResult opened = file.open(s.fullName.isEmpty() ? s.fileName : s.fullName);
            if (opened == kOpened) {
                s.fileOpen = true;
                if (!writeNotFound(file, s.notFound)) s.code = kCannotAdd;
                file.close();
                s.initialised = false;
                s.fileOpen = false;
                s.picturesInitialised = false;
            } else {
                s.code = opened;
            }
        }
        s.readOnly = false;
        s.initialised = false;
        s.freeTables();
        s.fullName.clear();
    });
}

QString TranslateString(const QString& text) {
    return guarded(
        [&]() -> QString {
            LibraryState& s = state();
            if (!s.initialised) {
                s.code = kNotInitialised;
                return clipped(text);
            }
            s.code = kNoError;
            // Most program texts carry no trailing blank and fit the lookup
            // width: they are fetched as they are, without a copy.
            if (!text.isEmpty() && text.size() <= kLookupWidth && text.back() != QLatin1Char(' ')) {
                const auto& table = s.table[static_cast<int>(EntryType::String) - 1];
                if (const Translation* found = table.find(text))
                    return found->replacement.isEmpty() ? text : found->replacement;
            }
            const QString input = clipped(text);
            if (input.isEmpty()) return QString();
            QString result;
            if (lookup(input, EntryType::String, false, result)) return result;
            return input;
        },
        text);
}

QString MergeString(const QString& templateText, const QString& value1, const QString& value2,
                    const QString& value3, const QString& value4) {
    return guarded(
        [&]() -> QString {
            const QString* values[4] = {&value1, &value2, &value3, &value4};
            QString work = templateText.left(kMergeLimit);
            for (int n = 1; n <= 4; ++n) {
                const QString placeholder = QLatin1Char('%') + QString::number(n);
                const qsizetype at = work.indexOf(placeholder);
                if (at < 0) continue;
                const QString value = clipped(*values[n - 1]);
                // A placeholder starting at position 254 or 255 has nothing
                // after it within the work text.
                if (at + 1 >= kMergeLimit - 1)
                    work = work.left(at) + value;
                else
                    work = work.left(at) + value + work.mid(at + 2);
                work.truncate(kMergeLimit);
            }
            return clipped(work);
        },
        QString());
}

QString CurrentLangFile() {
    return guarded([]() -> QString { return state().initialised ? state().fullName : QString(); },
                   QString());
}

QString TranslatorVersion() {
    return QStringLiteral("2.1002");
}

std::uint16_t TranslatorErrorcode() {
    return state().code;
}

QString TranslatorError() {
    return guarded(
        []() -> QString {
            const std::uint16_t code = state().code;
            const QString name = errorName(code);
            if (name.isEmpty()) return QString();
            return nlsText(QStringLiteral("Translator Errors"), name, errorMessage(code));
        },
        QString());
}

void ShowTranError() {
    guardedVoid([] {
        const std::uint16_t code = state().code;
        if (code == kNoError) return;
        const QString text = QString::number(code) + QLatin1Char(' ') + TranslatorError();
        if (state().stopHandler != nullptr)
            state().stopHandler(text);
        else
            defaultStop(text);
    });
}

void SetTranslatorStopHandler(TranslatorStopHandler handler) {
    state().stopHandler = handler;
}
void SetTranslatorHelpHandler(TranslatorHelpHandler handler) {
    state().helpHandler = handler;
}
void SetTranslatorMessageHandler(TranslatorMessageHandler handler) {
    state().messageHandler = handler;
}
void SetPictureSettingsHandler(PictureSettingsHandler handler) {
    state().pictureHandler = handler;
}
void SetLanguageFileWritableCheck(LanguageFileWritableCheck check) {
    state().writableCheck = check;
}
