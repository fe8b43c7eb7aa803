// Build tool: makes a language file from its PO source.
//   lingua_mkltf OUT.ltf SOURCE.po
#include "translator/PoFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream err(stderr);
    if (args.size() != 3) {
        err << "usage: lingua_mkltf OUT.ltf SOURCE.po\n";
        return 64;
    }
    QFile::remove(args.at(1));
    const lingua::PoResult result =
        lingua::importPo(args.at(1), args.at(2), lingua::PoImportMode::AddAll);
    if (!result.ok || !result.unplaced.isEmpty()) {
        err << "lingua_mkltf: " << result.error << '\n';
        for (const QString& line : result.unplaced) err << "  " << line << '\n';
        QFile::remove(args.at(1));
        return 1;
    }
    return 0;
}
