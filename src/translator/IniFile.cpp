#include "translator/IniFile.h"

#include <QFile>
#include <QSaveFile>

namespace lingua {
namespace {

QString unquoted(QString value) {
    value = value.trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        return value.mid(1, value.size() - 2);
    return value;
}

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

}  // namespace

bool IniFile::load(const QString& path) {
    m_sections.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    // Settings files are small; a huge file is not a settings file.
    constexpr qint64 kMaxSize = 4 * 1024 * 1024;
    const QByteArray data = file.read(kMaxSize);
    const QString text = QString::fromUtf8(data);
    Section* current = nullptr;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& rawLine : lines) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            const qsizetype close = line.indexOf(QLatin1Char(']'));
            if (close < 0) continue;
            const QString name = line.mid(1, close - 1).trimmed();
            current = nullptr;
            for (Section& section : m_sections)
                if (sameName(section.name, name)) current = &section;
            if (current == nullptr) {
                m_sections.push_back(Section{name, {}});
                current = &m_sections.back();
            }
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (current == nullptr || equals <= 0) continue;
        const QString key = line.left(equals).trimmed();
        const QString value = unquoted(line.mid(equals + 1));
        bool replaced = false;
        for (Entry& entry : current->entries) {
            if (sameName(entry.key, key)) {
                entry.value = value;
                replaced = true;
            }
        }
        if (!replaced) current->entries.push_back(Entry{key, value});
    }
    return true;
}

bool IniFile::save(const QString& path) const {
    QString text;
    for (const Section& section : m_sections) {
        text += QLatin1Char('[') + section.name + QStringLiteral("]\n");
        for (const Entry& entry : section.entries) {
            const bool quote = !entry.value.isEmpty() &&
                               (entry.value.front().isSpace() || entry.value.back().isSpace() ||
                                (entry.value.startsWith(QLatin1Char('"')) &&
                                 entry.value.endsWith(QLatin1Char('"'))));
            text += entry.key + QLatin1Char('=') +
                    (quote ? QLatin1Char('"') + entry.value + QLatin1Char('"') : entry.value) +
                    QLatin1Char('\n');
        }
        text += QLatin1Char('\n');
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(text.toUtf8());
    return file.commit();
}

const IniFile::Section* IniFile::find(QStringView section) const {
    for (const Section& candidate : m_sections)
        if (sameName(candidate.name, section)) return &candidate;
    return nullptr;
}

QString IniFile::value(const QString& section, const QString& key,
                       const QString& defaultValue) const {
    if (const Section* found = find(section)) {
        for (const Entry& entry : found->entries)
            if (sameName(entry.key, key)) return entry.value;
    }
    return defaultValue;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value) {
    // Values are single lines; line breaks would split the entry.
    QString flat = value;
    flat.replace(QLatin1Char('\n'), QLatin1Char(' ')).replace(QLatin1Char('\r'), QLatin1Char(' '));
    Section* target = nullptr;
    for (Section& candidate : m_sections)
        if (sameName(candidate.name, section)) target = &candidate;
    if (target == nullptr) {
        m_sections.push_back(Section{section, {}});
        target = &m_sections.back();
    }
    for (Entry& entry : target->entries) {
        if (sameName(entry.key, key)) {
            entry.value = flat;
            return;
        }
    }
    target->entries.push_back(Entry{key, flat});
}

}  // namespace lingua
