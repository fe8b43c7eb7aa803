// Build tool: writes the catalogue of every text of the program.
//   taskorbit_texts OUT.pot [SOURCE_DIR]
#include "app/catalogue/TextCatalogue.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() != 2 && args.size() != 3) {
        err << "usage: taskorbit_texts OUT.pot [SOURCE_DIR]\n";
        return 64;
    }
    QTemporaryDir work;
    const tko::TextCatalogue catalogue =
        tko::collectProgramTexts(work.path(), QString(), args.value(2));
    if (!catalogue.ok) {
        err << "taskorbit_texts: " << catalogue.error << '\n';
        return 1;
    }
    QString error;
    if (!tko::writeCatalogue(catalogue, args.at(1), &error)) {
        err << "taskorbit_texts: cannot write " << args.at(1) << ": " << error << '\n';
        return 1;
    }
    err << catalogue.entries.size() << " texts in " << args.at(1) << '\n';
    return 0;
}
