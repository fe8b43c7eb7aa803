// The catalogue of the program's texts against the program itself: every
// window is opened, and any text it shows that lang/taskorbit.pot lacks, that
// German leaves untranslated, or any hot key German gives twice in one window
// or menu fails the test with the text and the window it was met in.
#include "app/catalogue/TextCatalogue.h"
#include "translator/PoFile.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using tko::CatalogueEntry;
using tko::TextCatalogue;

namespace {

const QString kLangDir = QStringLiteral(TKO_LANG_DIR);
const QString kSourceDir = QStringLiteral(TKO_SOURCE_DIR);

QString describe(const CatalogueEntry& entry) {
    return QStringLiteral("  %1 \"%2\"%3%4")
        .arg(entry.entryType, entry.text,
             entry.hotKey.isEmpty() ? QString() : QStringLiteral(" (hot key %1)").arg(entry.hotKey),
             entry.places.isEmpty() ? QString()
                                    : QStringLiteral(" in: ") + entry.places.join(u"; "));
}

}  // namespace

class TextCatalogueTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QMap<QString, QString> m_catalogue;
    QMap<QString, CatalogueEntry> m_catalogueEntries;
    QMap<QString, QString> m_german;

    QString path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QString error;
        QVERIFY2(tko::readCatalogue(kLangDir + QStringLiteral("/taskorbit.pot"), m_catalogue,
                                    &m_catalogueEntries, &error),
                 qPrintable(error));
        QVERIFY2(
            tko::readCatalogue(kLangDir + QStringLiteral("/De_tkom.po"), m_german, nullptr, &error),
            qPrintable(error));
    }

    void everyTextOfEveryWindowIsInTheCatalogue() {
        QDir().mkpath(path(QStringLiteral("english")));
        const TextCatalogue met =
            tko::collectProgramTexts(path(QStringLiteral("english")), QString(), kSourceDir);
        QVERIFY2(met.ok, qPrintable(met.error));
        // The walk reached the windows: the main frame's menu and a form.
        QVERIFY(met.entries.contains(
            tko::catalogueKey(QStringLiteral("Menu"), QStringLiteral("File"))));
        QVERIFY(met.entries.size() > 300);
        QVERIFY(met.entries.contains(tko::catalogueKey(
            QStringLiteral("String"), QStringLiteral("Only a System Administrator may delete "
                                                     "assignments in batches."))));
        QStringList missing;
        for (const CatalogueEntry& entry : met.entries)
            if (!m_catalogue.contains(tko::catalogueKey(entry.entryType, entry.text)))
                missing << describe(entry);
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("%1 texts are missing from lang/taskorbit.pot; run "
                                           "`cmake --build build --target lang_catalogue` and "
                                           "translate them in De_tkom.po:\n")
                                .arg(missing.size()) +
                            missing.join(u'\n')));
        // Each window and menu bar gives a hot key to one control only, in
        // English as in German.
        QVERIFY2(met.hotKeyClashes.isEmpty(),
                 qPrintable(QStringLiteral("Hot keys used twice in English:\n") +
                            met.hotKeyClashes.join(u'\n')));
        // A screen reader can name every control that takes the focus.
        QVERIFY2(met.namelessControls.isEmpty(),
                 qPrintable(QStringLiteral("Controls without an accessible name:\n") +
                            met.namelessControls.join(u'\n')));
    }

    void germanTranslatesEveryEntryOfTheCatalogue() {
        QStringList untranslated, unknown;
        for (auto it = m_catalogueEntries.cbegin(); it != m_catalogueEntries.cend(); ++it)
            if (m_german.value(it.key()).isEmpty()) untranslated << describe(it.value());
        for (auto it = m_german.cbegin(); it != m_german.cend(); ++it)
            if (!m_catalogue.contains(it.key()))
                unknown << QString(it.key()).replace(u'\x1f', QStringLiteral(": "));
        QVERIFY2(untranslated.isEmpty(),
                 qPrintable(QStringLiteral("De_tkom.po leaves %1 texts untranslated:\n")
                                .arg(untranslated.size()) +
                            untranslated.join(u'\n')));
        QVERIFY2(unknown.isEmpty(),
                 qPrintable(QStringLiteral("De_tkom.po translates texts the program does not "
                                           "have:\n") +
                            unknown.join(u'\n')));
    }

    void germanWindowsAreCompleteWithUniqueHotKeys() {
        const QString german = path(QStringLiteral("De_tkom.ltf"));
        const lingua::PoResult made = lingua::importPo(
            german, kLangDir + QStringLiteral("/De_tkom.po"), lingua::PoImportMode::AddAll);
        QVERIFY2(made.ok, qPrintable(made.error));
        QDir().mkpath(path(QStringLiteral("german")));
        const TextCatalogue met =
            tko::collectProgramTexts(path(QStringLiteral("german")), german, kSourceDir);
        QVERIFY2(met.ok, qPrintable(met.error));
        QStringList untranslated;
        for (const CatalogueEntry& entry : met.entries) untranslated << describe(entry);
        QVERIFY2(untranslated.isEmpty(),
                 qPrintable(QStringLiteral("Shown untranslated in German:\n") +
                            untranslated.join(u'\n')));
        QVERIFY2(met.hotKeyClashes.isEmpty(),
                 qPrintable(QStringLiteral("Hot keys used twice in German:\n") +
                            met.hotKeyClashes.join(u'\n')));
    }

    // Run by ctest as recorded_texts_german, after every window test has
    // recorded the texts it met (TKO_CHECK_RECORDED_TEXTS names the folder):
    // each of those texts and each literal message text of the source must
    // have its German translation.
    void everyRecordedTextIsGerman() {
        const QString folder = qEnvironmentVariable("TKO_CHECK_RECORDED_TEXTS");
        if (folder.isEmpty()) QSKIP("runs as ctest's recorded_texts_german");
        QMap<QString, CatalogueEntry> met;
        QString error;
        QVERIFY2(tko::recordedTexts(folder, kSourceDir, met, &error), qPrintable(error));
        QStringList missing;
        for (auto it = met.cbegin(); it != met.cend(); ++it)
            if (m_german.value(it.key()).isEmpty()) missing << describe(it.value());
        // One line each: a failure message is cut after a few hundred characters.
        for (const QString& line : std::as_const(missing)) qWarning().noquote() << line;
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("German (lang/De_tkom.po) lacks the %1 texts above, "
                                           "met by the window tests")
                                .arg(missing.size())));
    }

    void shippedAndExportedPoFilesPassMsgfmt() {
        const QString msgfmt = QStandardPaths::findExecutable(QStringLiteral("msgfmt"));
        if (msgfmt.isEmpty()) QSKIP("msgfmt (Debian package gettext) is not installed");
        const QString german = path(QStringLiteral("De_export.ltf"));
        QVERIFY(lingua::importPo(german, kLangDir + QStringLiteral("/De_tkom.po"),
                                 lingua::PoImportMode::AddAll)
                    .ok);
        const QString exported = path(QStringLiteral("De_export.po"));
        QVERIFY(lingua::exportPo(german, exported).ok);
        const QStringList files = {kLangDir + QStringLiteral("/taskorbit.pot"),
                                   kLangDir + QStringLiteral("/De_tkom.po"), exported};
        for (const QString& po : files) {
            QProcess check;
            check.start(msgfmt, {QStringLiteral("--check"), QStringLiteral("-o"),
                                 QStringLiteral("/dev/null"), po});
            QVERIFY(check.waitForFinished(60000));
            QVERIFY2(check.exitCode() == 0,
                     qPrintable(po + QStringLiteral(": ") +
                                QString::fromUtf8(check.readAllStandardError())));
        }
    }
};

QTEST_MAIN(TextCatalogueTest)
#include "TextCatalogueTest.moc"
