#include "translator/PoFile.h"

#include "platform/LineText.h"
#include "translator/LanguageFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>

namespace lingua {

bool takesHotKey(const QString& entryType) {
    const QString type = entryType.trimmed();
    return type.compare(QLatin1String("Text"), Qt::CaseInsensitive) == 0 ||
           type.compare(QLatin1String("Menu"), Qt::CaseInsensitive) == 0 ||
           type.compare(QLatin1String("MenuItem"), Qt::CaseInsensitive) == 0;
}

QString poQuoted(const QString& text) {
    QString out = QStringLiteral("\"");
    for (QChar c : text) {
        switch (c.unicode()) {
            case '\\':
                out += QStringLiteral("\\\\");
                break;
            case '"':
                out += QStringLiteral("\\\"");
                break;
            case '\n':
                out += QStringLiteral("\\n");
                break;
            case '\t':
                out += QStringLiteral("\\t");
                break;
            case '\r':
                out += QStringLiteral("\\r");
                break;
            default:
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

namespace {

// The string of a quoted PO line part; false on a malformed string.
bool poUnquoted(QStringView text, QString* out) {
    text = text.trimmed();
    if (text.size() < 2 || !text.startsWith(QLatin1Char('"')) || !text.endsWith(QLatin1Char('"')))
        return false;
    text = text.mid(1, text.size() - 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text.at(i);
        if (c == QLatin1Char('"')) return false;
        if (c == QLatin1Char('\\')) {
            if (++i >= text.size()) return false;
            switch (text.at(i).unicode()) {
                case 'n':
                    c = QLatin1Char('\n');
                    break;
                case 't':
                    c = QLatin1Char('\t');
                    break;
                case 'r':
                    c = QLatin1Char('\r');
                    break;
                case '\\':
                    c = QLatin1Char('\\');
                    break;
                case '"':
                    c = QLatin1Char('"');
                    break;
                default:
                    return false;
            }
        }
        *out += c;
    }
    return true;
}

struct PoEntry {
    int line = 0;
    bool fuzzy = false;
    bool plural = false;
    bool hasContext = false;
    QString context, id, str;
};

// Reads all entries; false with an error naming the line on a syntax error.
bool readPo(const QString& path, QList<PoEntry>& entries, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    PoEntry current;
    QString* target = nullptr;
    bool inEntry = false;
    bool fuzzyNext = false;
    bool seenStr = false;
    auto finish = [&] {
        if (inEntry) entries.append(current);
        current = PoEntry{};
        inEntry = false;
        seenStr = false;
        target = nullptr;
    };
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines.at(n).trimmed();
        const int lineNumber = static_cast<int>(n + 1);
        auto bad = [&](const QString& why) {
            *error = QStringLiteral("%1, line %2: %3").arg(path).arg(lineNumber).arg(why);
            return false;
        };
        if (line.isEmpty()) {
            finish();
            continue;
        }
        if (line.startsWith(QLatin1Char('#'))) {
            if (line.startsWith(QLatin1String("#,")) && line.contains(QLatin1String("fuzzy")))
                fuzzyNext = true;
            continue;  // comments and obsolete entries
        }
        QString keyword;
        QStringView rest;
        if (line.startsWith(QLatin1Char('"'))) {
            if (target == nullptr) return bad(QStringLiteral("string outside an entry"));
            if (!poUnquoted(line, target)) return bad(QStringLiteral("malformed string"));
            continue;
        }
        const qsizetype space = line.indexOf(QLatin1Char(' '));
        if (space < 0) return bad(QStringLiteral("unknown line"));
        keyword = line.left(space);
        rest = QStringView(line).mid(space + 1);
        if ((keyword == QLatin1String("msgctxt") || keyword == QLatin1String("msgid")) && seenStr)
            finish();
        if (!inEntry) {
            inEntry = true;
            current.line = lineNumber;
            current.fuzzy = fuzzyNext;
            fuzzyNext = false;
        }
        if (keyword == QLatin1String("msgctxt")) {
            current.hasContext = true;
            target = &current.context;
        } else if (keyword == QLatin1String("msgid")) {
            target = &current.id;
        } else if (keyword == QLatin1String("msgstr")) {
            target = &current.str;
            seenStr = true;
        } else if (keyword == QLatin1String("msgid_plural") ||
                   keyword.startsWith(QLatin1String("msgstr["))) {
            current.plural = true;
            seenStr = seenStr || keyword.startsWith(QLatin1String("msgstr["));
            target = nullptr;
            QString ignored;
            if (!poUnquoted(rest, &ignored)) return bad(QStringLiteral("malformed string"));
            continue;
        } else {
            return bad(QStringLiteral("unknown keyword %1").arg(keyword));
        }
        target->clear();
        if (!poUnquoted(rest, target)) return bad(QStringLiteral("malformed string"));
    }
    finish();
    return true;
}

}  // namespace

QString markHotKey(const QString& text, const QString& hotKey, bool caseInsensitive) {
    qsizetype at = -1;
    // A '&' hot key (a source text written "&&") cannot be told apart from a
    // literal '&' in PO text; it is written as the literal and found again on
    // import by text and entry type.
    if (!hotKey.isEmpty() && hotKey != QLatin1String(" ") && hotKey != QLatin1String("&")) {
        at = text.indexOf(hotKey.at(0));
        if (at < 0 && caseInsensitive) at = text.indexOf(hotKey.at(0), 0, Qt::CaseInsensitive);
    }
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i == at) out += QLatin1Char('&');
        out += text.at(i);
        if (text.at(i) == QLatin1Char('&')) out += QLatin1Char('&');
    }
    return out;
}

void splitHotKey(const QString& marked, QString* text, QString* hotKey) {
    text->clear();
    hotKey->clear();
    for (qsizetype i = 0; i < marked.size(); ++i) {
        const QChar c = marked.at(i);
        if (c != QLatin1Char('&')) {
            *text += c;
            continue;
        }
        if (i + 1 < marked.size() && marked.at(i + 1) == QLatin1Char('&')) {
            *text += c;
            ++i;
        } else if (i + 1 < marked.size() && marked.at(i + 1) != QLatin1Char(' ') &&
                   hotKey->isEmpty()) {
            *hotKey = marked.at(i + 1);
        } else {
            *text += c;
        }
    }
}

PoResult exportPo(const QString& languageFile, const QString& poFile) {
    PoResult result;
    if (!QFileInfo::exists(languageFile)) {
        result.error = QStringLiteral("language file %1 not found").arg(languageFile);
        return result;
    }
    // Only read: an installed language file may be read-only for the user.
    LanguageFile file;
    if (file.open(languageFile, false, LanguageFile::Access::ReadOnly) != kOpened) {
        result.error =
            QStringLiteral("%1 is not a language file: %2").arg(languageFile, file.lastError());
        return result;
    }
    QString text = QStringLiteral(
        "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n"
        "\"Content-Transfer-Encoding: 8bit\\n\"\n\n");
    QSet<QString> known;
    const auto write = [&](const LanguageRecord& record) {
        known.insert(recordKey(record));
        const bool hotKeys = takesHotKey(record.entryType);
        text += QStringLiteral("msgctxt ") + poQuoted(record.entryType) + QLatin1Char('\n');
        text +=
            QStringLiteral("msgid ") +
            poQuoted(hotKeys ? markHotKey(record.lookup, record.luHotKey, false) : record.lookup) +
            QLatin1Char('\n');
        text += QStringLiteral("msgstr ") +
                poQuoted(hotKeys ? markHotKey(record.replacement, record.repHotKey, true)
                                 : record.replacement) +
                QStringLiteral("\n\n");
        ++result.entries;
        return true;
    };
    if (!file.forEach(write)) {
        result.error = QStringLiteral("cannot read %1: %2").arg(languageFile, file.lastError());
        return result;
    }
    // The texts not found that the user recorded beside a language file he
    // could not write, after the file's own (those it holds left out).
    const QString userFile = userNotFoundFile(file.fullName());
    if (!userFile.isEmpty() && QFileInfo::exists(userFile)) {
        LanguageFile recorded;
        const bool read =
            recorded.open(userFile, false, LanguageFile::Access::ReadOnly) == kOpened &&
            recorded.forEach([&](const LanguageRecord& record) {
                return known.contains(recordKey(record)) || write(record);
            });
        if (!read) {
            result.error = QStringLiteral("cannot read %1: %2").arg(userFile, recorded.lastError());
            return result;
        }
    }
    QSaveFile out(poFile);
    if (!out.open(QIODevice::WriteOnly)) {
        result.error = QStringLiteral("cannot write %1: %2").arg(poFile, out.errorString());
        return result;
    }
    out.write(text.toUtf8());
    if (!out.commit()) {
        result.error = QStringLiteral("cannot write %1: %2").arg(poFile, out.errorString());
        return result;
    }
    result.ok = true;
    return result;
}

PoResult importPo(const QString& languageFile, const QString& poFile, PoImportMode mode) {
    PoResult result;
    QList<PoEntry> entries;
    if (!readPo(poFile, entries, &result.error)) return result;
    LanguageFile file;
    const OpenResult opened = file.open(languageFile, mode == PoImportMode::AddAll);
    if (opened != kOpened) {
        result.error =
            QStringLiteral("cannot open language file %1: %2").arg(languageFile, file.lastError());
        return result;
    }
    if (!file.begin()) {
        result.error = file.lastError();
        return result;
    }
    for (const PoEntry& entry : entries) {
        if (entry.id.isEmpty() && !entry.hasContext) continue;  // the header
        auto unplaced = [&](const QString& why) {
            result.unplaced
                << QStringLiteral("line %1: %2: %3").arg(entry.line).arg(poQuoted(entry.id), why);
        };
        if (entry.plural) {
            unplaced(QStringLiteral("plural forms are not used in language files"));
            continue;
        }
        if (entry.fuzzy || (entry.str.isEmpty() && mode == PoImportMode::FillExisting)) {
            ++result.skipped;
            continue;
        }
        const QString type = entry.hasContext ? entry.context : QStringLiteral("String");
        LanguageRecord record;
        record.entryType = type;
        if (takesHotKey(type)) {
            splitHotKey(entry.id, &record.lookup, &record.luHotKey);
            splitHotKey(entry.str, &record.replacement, &record.repHotKey);
        } else {
            record.lookup = entry.id;
            record.replacement = entry.str;
        }
        if (type.size() > kEntryTypeWidth) {
            unplaced(QStringLiteral("entry type longer than 8 characters"));
            continue;
        }
        if (record.lookup.size() > kLookupWidth) {
            unplaced(QStringLiteral("source text longer than 64 characters"));
            continue;
        }
        if (record.replacement.size() > kReplacementWidth) {
            unplaced(QStringLiteral("translation longer than 64 characters"));
            continue;
        }
        // A control or text-direction character the source text does not hold
        // itself would reorder or break the caption wherever it is shown. A
        // line break may stand in a message (source texts are kept to their
        // first 64 characters, so the source may not show its own).
        QString checked = record.replacement;
        checked.remove(QLatin1Char('\n'));
        if (const auto bad = tko::firstForbiddenInLine(checked.toStdString());
            bad && record.lookup.toStdU32String().find(*bad) == std::u32string::npos) {
            unplaced(QStringLiteral("the translation holds a control or direction character (%1)")
                         .arg(QString::fromStdString(tko::codePointName(*bad))));
            continue;
        }
        if (file.setReplacement(record) ||
            (takesHotKey(type) && file.setReplacementAnyHotKey(record))) {
            ++result.entries;
            continue;
        }
        if (mode == PoImportMode::AddAll && file.add(record) == LanguageFile::AddResult::Added) {
            ++result.entries;
            continue;
        }
        unplaced(QStringLiteral("not in the language file"));
    }
    if (!file.commit()) {
        file.rollback();
        result.error = file.lastError();
        result.entries = 0;
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace lingua
