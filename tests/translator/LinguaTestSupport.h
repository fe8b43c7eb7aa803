// Shared helpers of the translator tests: a scratch directory and language
// files written record by record.
#pragma once

#include "translator/LanguageFile.h"
#include "translator/Lingua.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <initializer_list>
#include <vector>

namespace linguatest {

// Writes a language file with the given records (replacing any old file).
inline bool writeLanguageFile(const QString& path,
                              std::initializer_list<lingua::LanguageRecord> records) {
    QFile::remove(path);
    lingua::LanguageFile file;
    if (file.open(path) != lingua::kOpened) return false;
    for (const lingua::LanguageRecord& record : records)
        if (file.add(record) != lingua::LanguageFile::AddResult::Added) return false;
    return true;
}

// Every record of a language file, in key order.
inline std::vector<lingua::LanguageRecord> readLanguageFile(const QString& path) {
    std::vector<lingua::LanguageRecord> records;
    lingua::LanguageFile file;
    if (file.open(path, false, lingua::LanguageFile::Access::ReadOnly) != lingua::kOpened)
        return records;
    file.forEach([&records](const lingua::LanguageRecord& record) {
        records.push_back(record);
        return true;
    });
    return records;
}

inline bool operator==(const lingua::LanguageRecord& a, const lingua::LanguageRecord& b) {
    return a.lookup == b.lookup && a.luHotKey == b.luHotKey && a.replacement == b.replacement &&
           a.repHotKey == b.repHotKey && a.entryType == b.entryType;
}

}  // namespace linguatest
