// Build tool: writes the catalogue of every text of the program.
//   taskorbit_texts OUT.pot [SOURCE_DIR [RECORDED_DIR]]
// With RECORDED_DIR, the texts the window tests recorded there (ctest -R
// recorded_texts_german fills it) join the catalogue.
//   taskorbit_texts --shots DIR [LANGUAGE.ltf]
// opens every window in that language instead and saves a PNG of each in
// DIR, for a translator to look at; it names the texts the file lacks.
#include "app/catalogue/TextCatalogue.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 4) {
        err << "usage: taskorbit_texts OUT.pot [SOURCE_DIR [RECORDED_DIR]]\n";
        return 64;
    }
    QTemporaryDir work;
    if (args.at(1) == QLatin1String("--shots")) {
        if (args.size() < 3 || !QDir().mkpath(args.at(2))) {
            err << "usage: taskorbit_texts --shots DIR [LANGUAGE.ltf]\n";
            return 64;
        }
        const tko::TextCatalogue walk =
            tko::collectProgramTexts(work.path(), args.value(3), QString(), args.at(2));
        if (!walk.ok) {
            err << "taskorbit_texts: " << walk.error << '\n';
            return 1;
        }
        for (const tko::CatalogueEntry& entry : walk.entries)
            err << "not translated: " << entry.entryType << " \"" << entry.text << "\" in "
                << entry.places.join(QStringLiteral("; ")) << '\n';
        err << QDir(args.at(2)).entryList({QStringLiteral("*.png")}).size() << " windows in "
            << args.at(2) << '\n';
        return 0;
    }
    tko::TextCatalogue catalogue = tko::collectProgramTexts(work.path(), QString(), args.value(2));
    if (!catalogue.ok) {
        err << "taskorbit_texts: " << catalogue.error << '\n';
        return 1;
    }
    QString error;
    if (args.size() == 4) {
        QMap<QString, tko::CatalogueEntry> recorded;
        if (!tko::recordedTexts(args.at(3), args.at(2), recorded, &error)) {
            err << "taskorbit_texts: " << error << '\n';
            return 1;
        }
        for (auto it = recorded.cbegin(); it != recorded.cend(); ++it) {
            tko::CatalogueEntry& entry = catalogue.entries[it.key()];
            if (entry.text.isEmpty()) entry = it.value();
            for (const QString& place : it.value().places)
                if (!entry.places.contains(place)) entry.places << place;
        }
    }
    if (!tko::writeCatalogue(catalogue, args.at(1), &error)) {
        err << "taskorbit_texts: cannot write " << args.at(1) << ": " << error << '\n';
        return 1;
    }
    err << catalogue.entries.size() << " texts in " << args.at(1) << '\n';
    return 0;
}
