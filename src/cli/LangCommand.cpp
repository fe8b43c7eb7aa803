#include "cli/LangCommand.h"

#include "translator/PoFile.h"

namespace {

void usage(QTextStream& err) {
    err << "usage: taskorbit-cli lang export LANGFILE FILE.po\n"
           "       taskorbit-cli lang import LANGFILE FILE.po\n";
}

}  // namespace

int runLangCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.size() != 3) {
        usage(err);
        return 64;
    }
    const QString& command = args.at(0);
    const QString& languageFile = args.at(1);
    const QString& poFile = args.at(2);
    if (command == QLatin1String("export")) {
        const lingua::PoResult result = lingua::exportPo(languageFile, poFile);
        if (!result.ok) {
            err << "lang export: " << result.error << '\n';
            return 1;
        }
        out << "Exported " << result.entries << " entries to " << poFile << '\n';
        return 0;
    }
    if (command == QLatin1String("import")) {
        const lingua::PoResult result = lingua::importPo(languageFile, poFile);
        if (!result.ok) {
            err << "lang import: " << result.error << '\n';
            return 1;
        }
        out << "Filled " << result.entries << " entries; " << result.skipped
            << " untranslated or fuzzy entries left as they were\n";
        if (result.unplaced.isEmpty()) return 0;
        err << result.unplaced.size() << " entries could not be placed:\n";
        for (const QString& line : result.unplaced) err << "  " << line << '\n';
        return 2;
    }
    usage(err);
    return 64;
}
