// A small reader and writer of INI settings files (Ling.nls and the section
// Intl of locale settings files), with the usual profile rules: section and
// key names compare without regard to case, values are trimmed and lose one
// pair of surrounding double quotes, lines starting with ';' are comments.
// A damaged or binary file reads as whatever lines it holds; nothing throws.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace lingua {

class IniFile {
public:
    // Reads the file; false when it cannot be read (the object is then empty).
    bool load(const QString& path);
    // Writes all sections back (UTF-8); false on a write error.
    bool save(const QString& path) const;

    // The value of key in section, or `defaultValue` when absent.
    QString value(const QString& section, const QString& key, const QString& defaultValue) const;
    // Sets (or adds) key in section. Values with leading or trailing blanks
    // are written in double quotes so that they read back unchanged.
    void setValue(const QString& section, const QString& key, const QString& value);

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    const Section* find(QStringView section) const;

    std::vector<Section> m_sections;
};

}  // namespace lingua
