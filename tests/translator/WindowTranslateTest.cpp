// Translate() over real Qt windows, the language selection window and the
// rebuild window, against a small German language file.
#include "LinguaTestSupport.h"
#include "translator/IntlGroupFormat.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <unicode/uloc.h>

using lingua::LanguageRecord;

namespace {

LanguageRecord rec(const char* lookup, const char* luHotKey, const char* replacement,
                   const char* repHotKey, const char* type) {
    return LanguageRecord{QString::fromUtf8(lookup), QString::fromUtf8(luHotKey),
                          QString::fromUtf8(replacement), QString::fromUtf8(repHotKey),
                          QString::fromUtf8(type)};
}

// The window under test: a frame with a menu, a prompt and its field, a
// plain label, buttons, an option group, a tab widget and a list.
struct TestWindow {
    QMainWindow window;
    QMenu* fileMenu = nullptr;
    QAction* openAction = nullptr;
    QAction* plainAction = nullptr;
    QLabel* prompt = nullptr;
    QLineEdit* dueEdit = nullptr;
    QLabel* plainLabel = nullptr;
    QPushButton* cancelButton = nullptr;
    QPushButton* fishButton = nullptr;
    QCheckBox* secondaryCheck = nullptr;
    QGroupBox* priorityGroup = nullptr;
    QRadioButton* highRadio = nullptr;
    QTabWidget* tabs = nullptr;
    QTableWidget* list = nullptr;

    TestWindow() {
        window.setWindowTitle(QStringLiteral("Assignments"));
        fileMenu = window.menuBar()->addMenu(QStringLiteral("&File"));
        openAction = fileMenu->addAction(QStringLiteral("&Open"));
        openAction->setStatusTip(QStringLiteral("Open a file"));
        openAction->setToolTip(QStringLiteral("Opens a file"));
        fileMenu->addSeparator();
        plainAction = fileMenu->addAction(QStringLiteral("E&xit"));
        auto* central = new QWidget;
        auto* layout = new QVBoxLayout(central);
        prompt = new QLabel(QStringLiteral("&Due date:"));
        dueEdit = new QLineEdit;
        dueEdit->setProperty("picture", QStringLiteral("@D2"));
        dueEdit->setToolTip(QStringLiteral("When the work is due"));
        prompt->setBuddy(dueEdit);
        plainLabel = new QLabel(QStringLiteral("Due date:"));
        cancelButton = new QPushButton(QStringLiteral("&Cancel"));
        cancelButton->setToolTip(QStringLiteral("Close without saving"));
        cancelButton->setStatusTip(QStringLiteral("Closes the window"));
        cancelButton->setWhatsThis(QStringLiteral("CancelHelp"));
        fishButton = new QPushButton(QStringLiteral("Fish & Chips"));
        secondaryCheck = new QCheckBox(QStringLiteral("&Secondary"));
        priorityGroup = new QGroupBox(QStringLiteral("&Priority"));
        priorityGroup->setToolTip(QStringLiteral("Opens a file"));  // option groups get no tool tip
        auto* groupLayout = new QVBoxLayout(priorityGroup);
        highRadio = new QRadioButton(QStringLiteral("&High"));
        groupLayout->addWidget(highRadio);
        tabs = new QTabWidget;
        tabs->addTab(new QWidget, QStringLiteral("&General"));
        tabs->addTab(new QWidget, QStringLiteral("&Notes"));
        tabs->setTabToolTip(1, QStringLiteral("Opens a file"));
        list = new QTableWidget(0, 2);
        list->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Due date")});
        list->setProperty("format", QStringLiteral("80L(2)|M~Name~@s20@  60R(2)|M~Due date~@D2@"));
        for (QWidget* w : {static_cast<QWidget*>(prompt), static_cast<QWidget*>(dueEdit),
                           static_cast<QWidget*>(plainLabel), static_cast<QWidget*>(cancelButton),
                           static_cast<QWidget*>(fishButton), static_cast<QWidget*>(secondaryCheck),
                           static_cast<QWidget*>(priorityGroup), static_cast<QWidget*>(tabs),
                           static_cast<QWidget*>(list)})
            layout->addWidget(w);
        window.setCentralWidget(central);
    }
};

int g_messages = 0;

}  // namespace

class WindowTranslateTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_german;

    // Windows with pictures need active locale settings (the program sets
    // them at start-up); English (United States) leaves @D2 as it is.
    static void useEnglishPictures() {
        IntlGroup group;
        ClearIntlGroup(group);
        QCOMPARE(GetIntlGroup(group, 0x0409, true, QString()), std::uint16_t{0});
        InitPictures(&group);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        UErrorCode status = U_ZERO_ERROR;
        uloc_setDefault("en_US", &status);
        SetTranslatorMessageHandler([](const QString&, const QString&) { ++g_messages; });
        m_german = m_dir.filePath(QStringLiteral("De_test.ltf"));
        QVERIFY(linguatest::writeLanguageFile(
            m_german, {rec("File", "F", "Datei", "D", "Menu"),
                       rec("Open", "O", "Öffnen", "f", "MenuItem"),
                       rec("Exit", "x", "Beenden", "", "MenuItem"),
                       rec("Open a file", "", "Eine Datei öffnen", "", "Message"),
                       rec("Opens a file", "", "Öffnet eine Datei", "", "ToolTip"),
                       rec("Assignments", "", "Aufträge", "", "WinTitle"),
                       rec("Due date:", "D", "Fällig am:", "A", "Text"),
                       rec("Cancel", "C", "Abbrechen", "a", "Text"),
                       rec("Close without saving", "", "Schließen ohne Speichern", "", "ToolTip"),
                       rec("Closes the window", "", "Schließt das Fenster", "", "Message"),
                       rec("CancelHelp", "", "AbbrechenHilfe", "", "HelpItem"),
                       rec("Fish & Chips", "", "Fisch & Pommes", "P", "Text"),
                       rec("Secondary", "S", "Zweitrangig", "Z", "Text"),
                       rec("Priority", "P", "Priorität", "P", "Text"),
                       rec("High", "H", "Hoch", "H", "Text"),
                       rec("General", "G", "Allgemein", "A", "Text"),
                       rec("Notes", "N", "Notizen", "N", "Text"),
                       rec("Due date", "", "Fällig", "", "LBoxFmt"),
                       rec("When the work is due", "", "Wann die Arbeit fällig ist", "", "ToolTip"),
                       rec("Add", "", "Neu", "", "Text"),
                       rec("Add new assignment", "", "Neuen Auftrag anlegen", "", "ToolTip"),
                       rec("Adds an assignment", "", "Legt einen Auftrag an", "", "Message"),
                       rec("Save &", "", "Sichern &", "S", "Text"),
                       rec("More", "M", "Mehr", "M", "Text"),
                       rec("Print", "P", "Drucken", "D", "MenuItem")}));
    }

    void init() { CloseTranslator(); }
    void cleanup() { CloseTranslator(); }

    void translatesMenuTitleAndControls() {
        QCOMPARE(InitTranslator(m_german), std::uint16_t{1});
        useEnglishPictures();
        TestWindow w;
        Translate(&w.window);
        QCOMPARE(TranslatorErrorcode(), std::uint16_t{0});
        QCOMPARE(w.window.windowTitle(), QStringLiteral("Aufträge"));
        QCOMPARE(w.fileMenu->title(), QStringLiteral("&Datei"));
        QCOMPARE(w.openAction->text(), QStringLiteral("Ö&ffnen"));
        QCOMPARE(w.openAction->statusTip(), QStringLiteral("Eine Datei öffnen"));
        QCOMPARE(w.openAction->toolTip(), QStringLiteral("Öffnet eine Datei"));
        QCOMPARE(w.plainAction->text(), QStringLiteral("Beenden"));  // blank REPHOTKEY: no mark
        // A prompt takes the hot key (REPHOTKEY "A" marks the first "a");
        // a plain label of the same text does not.
        QCOMPARE(w.prompt->text(), QStringLiteral("Fällig &am:"));
        QCOMPARE(w.plainLabel->text(), QStringLiteral("Fällig am:"));
        QCOMPARE(w.cancelButton->text(), QStringLiteral("&Abbrechen"));
        QCOMPARE(w.cancelButton->toolTip(), QStringLiteral("Schließen ohne Speichern"));
        QCOMPARE(w.cancelButton->statusTip(), QStringLiteral("Schließt das Fenster"));
        QCOMPARE(w.cancelButton->whatsThis(), QStringLiteral("AbbrechenHilfe"));
        // "&" before a blank is no hot key: looked up as written; as the
        // source holds "&", the translation's hot key is marked, and its own
        // literal "&" is doubled so that it shows as "&" and not as a mark.
        QCOMPARE(w.fishButton->text(), QStringLiteral("Fisch && &Pommes"));
        QCOMPARE(w.secondaryCheck->text(), QStringLiteral("&Zweitrangig"));
        QCOMPARE(w.priorityGroup->title(), QStringLiteral("&Priorität"));
        QCOMPARE(w.priorityGroup->toolTip(), QStringLiteral("Opens a file"));
        QCOMPARE(w.highRadio->text(), QStringLiteral("&Hoch"));
        QCOMPARE(w.tabs->tabText(0), QStringLiteral("&Allgemein"));
        QCOMPARE(w.tabs->tabText(1), QStringLiteral("&Notizen"));
        QCOMPARE(w.tabs->tabToolTip(1), QStringLiteral("Öffnet eine Datei"));
        QCOMPARE(w.dueEdit->toolTip(), QStringLiteral("Wann die Arbeit fällig ist"));
        QCOMPARE(w.list->property("format").toString(),
                 QStringLiteral("80L(2)|M~Name~@s20@  60R(2)|M~Fällig~@D2@"));
        QCOMPARE(w.list->horizontalHeaderItem(1)->text(), QStringLiteral("Fällig"));

        // Texts not found are written back for the translator, once each.
        CloseTranslator();
        bool nameRecorded = false;
        for (const LanguageRecord& r : linguatest::readLanguageFile(m_german))
            if (r.lookup == QStringLiteral("Name") && r.entryType == QStringLiteral("LBoxFmt"))
                nameRecorded = true;
        QVERIFY(nameRecorded);
    }

    void toolbarButtonsAndButtonMenusAreTranslated() {
        QCOMPARE(InitTranslator(m_german), std::uint16_t{1});
        TestWindow w;
        QToolBar* tools = w.window.addToolBar(QStringLiteral("Tools"));
        QAction* add = tools->addAction(QStringLiteral("Add"));
        add->setToolTip(QStringLiteral("Add new assignment"));
        add->setStatusTip(QStringLiteral("Adds an assignment"));
        QAction* unknown = tools->addAction(QStringLiteral("Frobnicate"));
        unknown->setToolTip(QStringLiteral("Frobnicates the list"));
        // A toolbar action that is also a menu item is translated once, as
        // the menu item; its translated text is not looked up again.
        tools->addAction(w.openAction);
        auto* more = new QPushButton(QStringLiteral("&More"), w.window.centralWidget());
        auto* moreMenu = new QMenu(more);
        QAction* print = moreMenu->addAction(QStringLiteral("&Print"));
        more->setMenu(moreMenu);
        auto* save = new QPushButton(QStringLiteral("Save &"), w.window.centralWidget());
        // Set from TranslateString before the window is translated: already German.
        new QLabel(QStringLiteral("Schließt das Fenster"), w.window.centralWidget());
        Translate(&w.window);
        QCOMPARE(add->text(), QStringLiteral("Neu"));
        QCOMPARE(add->toolTip(), QStringLiteral("Neuen Auftrag anlegen"));
        QCOMPARE(add->statusTip(), QStringLiteral("Legt einen Auftrag an"));
        QCOMPARE(w.openAction->text(), QStringLiteral("Ö&ffnen"));
        QCOMPARE(more->text(), QStringLiteral("&Mehr"));
        QCOMPARE(print->text(), QStringLiteral("&Drucken"));
        // A trailing "&" marks no hot key: the text is looked up as written
        // and the translation takes its own hot key.
        QCOMPARE(save->text(), QStringLiteral("&Sichern &&"));

        CloseTranslator();
        QStringList recorded;
        for (const LanguageRecord& r : linguatest::readLanguageFile(m_german))
            if (r.replacement.isEmpty()) recorded << r.entryType + QLatin1Char(':') + r.lookup;
        QVERIFY2(recorded.contains(QStringLiteral("Text:Frobnicate")),
                 qPrintable(recorded.join(u',')));
        QVERIFY(recorded.contains(QStringLiteral("ToolTip:Frobnicates the list")));
        for (const QString& entry : recorded) {
            QVERIFY2(!entry.contains(QStringLiteral("ffnen")), qPrintable(entry));
            QVERIFY2(!entry.contains(QStringLiteral("Schließt")), qPrintable(entry));
        }
    }

    void translatingAgainStartsFromTheSourceTexts() {
        QCOMPARE(InitTranslator(m_german), std::uint16_t{1});
        useEnglishPictures();
        TestWindow w;
        Translate(&w.window);
        QCOMPARE(w.cancelButton->text(), QStringLiteral("&Abbrechen"));
        Translate(&w.window);  // the same language again: nothing looked up twice
        QCOMPARE(w.cancelButton->text(), QStringLiteral("&Abbrechen"));
        QCOMPARE(w.fileMenu->title(), QStringLiteral("&Datei"));
        w.plainLabel->setText(QStringLiteral("Priority"));  // changed by the program since

        // A language that translates none of them puts the sources back.
        const QString english = m_dir.filePath(QStringLiteral("En_test.ltf"));
        QCOMPARE(InitTranslator(english), std::uint16_t{1});
        Translate(&w.window);
        QCOMPARE(w.window.windowTitle(), QStringLiteral("Assignments"));
        QCOMPARE(w.fileMenu->title(), QStringLiteral("&File"));
        QCOMPARE(w.openAction->text(), QStringLiteral("&Open"));
        QCOMPARE(w.openAction->statusTip(), QStringLiteral("Open a file"));
        QCOMPARE(w.cancelButton->text(), QStringLiteral("&Cancel"));
        QCOMPARE(w.cancelButton->toolTip(), QStringLiteral("Close without saving"));
        QCOMPARE(w.prompt->text(), QStringLiteral("&Due date:"));
        QCOMPARE(w.plainLabel->text(), QStringLiteral("Priority"));
        QCOMPARE(w.tabs->tabText(0), QStringLiteral("&General"));
        QCOMPARE(w.list->property("format").toString(),
                 QStringLiteral("80L(2)|M~Name~@s20@  60R(2)|M~Due date~@D2@"));
        CloseTranslator();
        // The English file learnt the source texts, never the German ones.
        for (const LanguageRecord& r : linguatest::readLanguageFile(english)) {
            QVERIFY2(r.lookup != QStringLiteral("Abbrechen") && r.lookup != QStringLiteral("Datei"),
                     qPrintable(r.lookup));
        }
    }

    void reportWindowGetsNoTips() {
        QCOMPARE(InitTranslator(m_german), std::uint16_t{1});
        useEnglishPictures();
        TestWindow w;
        w.window.setProperty("report", true);
        Translate(&w.window);
        QCOMPARE(w.cancelButton->text(), QStringLiteral("&Abbrechen"));
        QCOMPARE(w.cancelButton->toolTip(), QStringLiteral("Close without saving"));
        QCOMPARE(w.cancelButton->statusTip(), QStringLiteral("Closes the window"));
        QCOMPARE(w.cancelButton->whatsThis(), QStringLiteral("CancelHelp"));
        QCOMPARE(w.tabs->tabToolTip(1), QStringLiteral("Opens a file"));
        QCOMPARE(w.list->horizontalHeaderItem(1)->text(), QStringLiteral("Fällig"));
    }

    void translateBeforeAnyInitChangesNothing() {
        TestWindow w;
        Translate(&w.window);
        QCOMPARE(TranslatorErrorcode(), std::uint16_t{10});
        QCOMPARE(w.window.windowTitle(), QStringLiteral("Assignments"));
        QCOMPARE(w.cancelButton->text(), QStringLiteral("&Cancel"));
        QCOMPARE(w.dueEdit->property("picture").toString(), QStringLiteral("@D2"));
    }

    void translatesControlsByNumber() {
        QCOMPARE(InitTranslator(m_german), std::uint16_t{1});
        TestWindow w;
        const int count = TranslatorControlCount(&w.window);
        QVERIFY(count >= 10);
        // Controls are numbered in creation order: the central widget, then
        // the prompt (2) and its field (3), the plain label (4), Cancel (5).
        TRANSLATECONTROLS(&w.window, 4, 5);
        QCOMPARE(w.prompt->text(), QStringLiteral("&Due date:"));
        QCOMPARE(w.plainLabel->text(), QStringLiteral("Fällig am:"));
        QCOMPARE(w.cancelButton->text(), QStringLiteral("&Abbrechen"));
        TRANSLATECONTROL(&w.window, 2);
        QCOMPARE(w.prompt->text(), QStringLiteral("Fällig &am:"));
        TRANSLATECONTROLS(&w.window, count, count + 5);  // past the end: ignored
        QCOMPARE(w.window.windowTitle(), QStringLiteral("Assignments"));
    }

    void picturesFollowTheActiveLocale() {
        IntlGroup group;
        ClearIntlGroup(group);
        QCOMPARE(GetIntlGroup(group, 0x0407, true, QString()), std::uint16_t{0});
        InitPictures(&group);
        TestWindow w;
        auto* shown = new QLabel(w.window.centralWidget());
        shown->setProperty("picture", QStringLiteral("@D1b"));
        Translate(&w.window);  // pictures only: no language file loaded
        QCOMPARE(TranslatorErrorcode(), std::uint16_t{0});
        QCOMPARE(w.dueEdit->property("picture").toString(), QStringLiteral("@D6"));
        QCOMPARE(shown->property("picture").toString(), QStringLiteral("@D5b"));
        QCOMPARE(w.cancelButton->text(), QStringLiteral("&Cancel"));
    }

    void languageSelectRejectsBadConfiguration() {
        IntlGroup group;
        ClearIntlGroup(group);
        UserLanguageSelect(group, 0, QList<std::uint32_t>{}, QString(), QString());
        QCOMPARE(TranslatorErrorcode(), std::uint16_t{14});
        UserLanguageSelect(group, 0, QList<std::uint32_t>{},
                           QStringLiteral(",English,En.ltf|,Deutsch"), QString());
        QCOMPARE(TranslatorErrorcode(), std::uint16_t{14});
        UserLanguageSelect(group, 0, QList<std::uint32_t>{}, QStringLiteral("English"), QString());
        QCOMPARE(TranslatorErrorcode(), std::uint16_t{14});
    }

    void languageSelectCancel() {
        IntlGroup group;
        ClearIntlGroup(group);
        const IntlGroup before = group;
        QTimer::singleShot(0, [] {
            QWidget* window = QApplication::activeModalWidget();
            QVERIFY(window != nullptr);
            QCOMPARE(window->windowTitle(), QStringLiteral("Select Language"));
            auto* help = window->findChild<QPushButton*>(QStringLiteral("helpButton"));
            QVERIFY(help != nullptr && !help->isEnabled());  // no help keyword
            window->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
        });
        UserLanguageSelect(group, 0, QList<std::uint32_t>{0x0407},
                           QStringLiteral(",Deutsch,") + m_german, QString());
        QCOMPARE(TranslatorErrorcode(), std::uint16_t{15});
        QCOMPARE(std::memcmp(&group, &before, sizeof group), 0);
    }

    void languageSelectLoadsFileAndLocale() {
        IntlGroup group;
        ClearIntlGroup(group);
        group.EntryFlags = kPicFourDigitYear;  // the caller's setting survives
        QStringList tips;
        QTimer::singleShot(0, [&tips] {
            QWidget* window = QApplication::activeModalWidget();
            QVERIFY(window != nullptr);
            for (int k = 1; k <= 6; ++k) {
                auto* b =
                    window->findChild<QPushButton*>(QStringLiteral("languageButton%1").arg(k));
                tips << (b->isVisibleTo(window) ? b->toolTip() + QLatin1Char('|') + b->text()
                                                : QStringLiteral("hidden"));
            }
            window->findChild<QPushButton*>(QStringLiteral("languageButton2"))->click();
        });
        UserLanguageSelect(
            group, 0, QList<std::uint32_t>{0x0409, 0x0407},
            QStringLiteral(",English,En.ltf|,Deutsch ,") + m_german + QStringLiteral("|,Empty,"),
            QStringLiteral("LanguageHelp"));
        QCOMPARE(tips.size(), 6);
        QCOMPARE(tips.at(0), QStringLiteral("Select English language|English"));
        QCOMPARE(tips.at(1), QStringLiteral("Select Deutsch language|Deutsch "));
        QCOMPARE(tips.at(3), QStringLiteral("hidden"));
        QCOMPARE(TranslatorErrorcode(), std::uint16_t{0});
        QCOMPARE(CurrentLangFile(), QFileInfo(m_german).absoluteFilePath());
        QCOMPARE(TranslateString(QStringLiteral("x")), QStringLiteral("x"));
        QCOMPARE(tko::intlText(group.iLanguage, 5), QStringLiteral("0407"));
        QCOMPARE(tko::intlName(group.MonthStr, 2), QStringLiteral("März"));
        QCOMPARE(group.EntryFlags, std::uint32_t{kPicFourDigitYear});
        char name[32];
        std::uint32_t lcid = 0;
        QCOMPARE(CurrentLocale(name, sizeof name, &lcid), std::uint8_t{0});
        QCOMPARE(lcid, std::uint32_t{0x0407});
        QCOMPARE(QByteArray(name), QByteArray("de_DE"));
    }

    void rebuildShowsItsWindow() {
        const QString file = m_dir.filePath(QStringLiteral("rebuild.ltf"));
        QVERIFY(linguatest::writeLanguageFile(file, {rec("Open", "O", "Öffnen", "f", "MenuItem")}));
        QString title;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&title] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == QStringLiteral("rebuildWindow") && w->isVisible())
                    title = w->windowTitle();
        });
        probe.start(0);
        QCOMPARE(RebuildFile(file), std::uint16_t{0});
        QCoreApplication::processEvents();
        QCOMPARE(title, QStringLiteral("Building ") + file);
        QCOMPARE(linguatest::readLanguageFile(file).size(), std::size_t{1});
    }
};

QTEST_MAIN(WindowTranslateTest)
#include "WindowTranslateTest.moc"
