// Message boxes, form scaffolding, the calendar pop-up and the help browser
// on the offscreen platform.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include "data/Messages.h"
#include "platform/Translate.h"
#include "platform/ui/CalendarPopup.h"
#include "platform/ui/FormScaffold.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/PasteGuard.h"
#include "support/QtTestSetup.h"

#include <map>

using tko::Answer;
using tko::MessageBox;
using tko::Request;

class UiKitTest : public QObject {
    Q_OBJECT

    // A form under test: an editable "record" (an int) with its opening copy.
    struct Form {
        QDialog dialog;
        QLabel status;
        tko::FormScaffold scaffold;
        int opened = 0;
        int current = 0;
        int saves = 0;
        int deletes = 0;
        int primes = 0;
        bool saveWorks = true;

        explicit Form(Request request) : scaffold(&dialog, request) {
            scaffold.setStatusLabel(&status);
            scaffold.isChanged = [this] { return current != opened; };
            scaffold.save = [this] {
                if (saveWorks) ++saves;
                return saveWorks;
            };
            scaffold.remove = [this] {
                ++deletes;
                return true;
            };
            scaffold.primeNext = [this] {
                ++primes;
                current = opened = 0;
            };
            dialog.setModal(true);
            dialog.show();
        }
        bool open() const { return dialog.isVisible(); }
    };

private slots:
    void init() {
        MessageBox::setTestMode(true);
        MessageBox::clearShown();
    }

    // ---- message boxes
    void queuedAnswersAreGivenInOrderAndRecorded() {
        MessageBox::setNextAnswer(Answer::No);
        MessageBox::setNextAnswer(Answer::Yes);
        QCOMPARE(MessageBox::showStandard(nullptr, 23), Answer::No);
        QCOMPARE(MessageBox::showStandard(nullptr, 33), Answer::Yes);
        QCOMPARE(MessageBox::queuedAnswers(), 0);
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::shown().at(0).number, 23);
        QCOMPARE(MessageBox::shown().at(0).text,
                 QStringLiteral("Are you sure you want to cancel?"));
        QCOMPARE(MessageBox::shown().at(0).title, QStringLiteral("Update Cancelled"));
        QCOMPARE(MessageBox::shown().at(1).buttons, tko::MessageButtons::YesNoCancel);
        QVERIFY(!MessageBox::shown().at(1).answeredByDefault);
    }

    void unansweredBoxesInTestModeTakeTheSafeAnswer() {
        QCOMPARE(MessageBox::showStandard(nullptr, 32), Answer::Cancel);  // no delete
        QCOMPARE(MessageBox::showStandard(nullptr, 23), Answer::No);      // no loss
        QCOMPARE(MessageBox::showStandard(nullptr, 6, QStringLiteral("BrowseUsers")), Answer::Ok);
        QVERIFY(MessageBox::shown().at(0).answeredByDefault);
        QCOMPARE(MessageBox::shown().at(2).text,
                 QStringLiteral("The Procedure BrowseUsers has not been defined."));
    }

    void freeTextsAreTranslatedThenMerged() {
        tko::setMessageTranslator([](const std::string& s) -> std::string {
            if (s == "Incorrect User Name") return "Falscher Benutzername";
            if (s == "Hello %1") return "Hallo %1";
            return s;
        });
        MessageBox::showText(nullptr, QStringLiteral("Incorrect User Name"));
        // A parameter that looks like a placeholder is not merged again.
        MessageBox::showText(nullptr, QStringLiteral("Hello %1"), QStringLiteral("Greeting"),
                             tko::MessageButtons::Ok, {QStringLiteral("%1 Ann")});
        tko::test::restoreMessageTranslator();
        QCOMPARE(MessageBox::shown().at(0).text, QStringLiteral("Falscher Benutzername"));
        QCOMPARE(MessageBox::shown().at(0).number, 0);
        QCOMPARE(MessageBox::shown().at(0).title, QStringLiteral("TASKORBIT"));
        QCOMPARE(MessageBox::shown().at(1).text, QStringLiteral("Hallo %1 Ann"));
        QCOMPARE(MessageBox::shown().at(1).title, QStringLiteral("Greeting"));
    }

    void outcomesShowTheirMessageOrTheirTranslatedTextUnderTheWindowsTitle() {
        tko::setMessageTranslator([](const std::string& s) -> std::string {
            if (s == "Duplicate UserName") return "Doppelter Benutzername";
            return s;
        });
        const QString title = QStringLiteral("Update Users");
        // Nothing to say: no box.
        QCOMPARE(tko::showOutcome(nullptr, tko::Outcome{}, title), Answer::Ok);
        QVERIFY(MessageBox::shown().isEmpty());
        // A refusal's text is translated, under the window's title.
        tko::showOutcome(nullptr, tko::Outcome::refused("Duplicate UserName", "username"), title);
        // A standard message keeps its own title and buttons, and its answer counts.
        MessageBox::setNextAnswer(Answer::Yes);
        QCOMPARE(tko::showOutcome(nullptr, tko::Outcome::failed(tko::standardMessage(16)), title),
                 Answer::Yes);
        // A message without a title of its own shows under the window's, as it is.
        tko::StandardMessage untitled;
        untitled.text = "Duplicate UserName. disk full";
        tko::showOutcome(nullptr, tko::Outcome::failed(untitled), title);
        tko::test::restoreMessageTranslator();
        QCOMPARE(MessageBox::shown().size(), 3);
        QCOMPARE(MessageBox::shown().at(0).text, QStringLiteral("Doppelter Benutzername"));
        QCOMPARE(MessageBox::shown().at(0).title, title);
        QCOMPARE(MessageBox::shown().at(1).number, 16);
        QCOMPARE(MessageBox::shown().at(1).buttons, tko::MessageButtons::YesNo);
        QVERIFY(MessageBox::shown().at(1).title != title);
        QCOMPARE(MessageBox::shown().at(2).text, QStringLiteral("Duplicate UserName. disk full"));
        QCOMPARE(MessageBox::shown().at(2).title, title);
    }

    void aRealBoxAnswersWithTheButtonPressed() {
        MessageBox::setTestMode(false);
        QTimer::singleShot(0, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* box = qobject_cast<QMessageBox*>(w))
                    box->button(QMessageBox::No)->click();
        });
        const Answer answer = MessageBox::showStandard(nullptr, 37);
        MessageBox::setTestMode(true);
        QCOMPARE(answer, Answer::No);
        QCOMPARE(MessageBox::shown().last().number, 37);
    }

    // Every button of a box has a hot key: a letter answers it, in the
    // user's language too.
    void aLetterAnswersARealBox() {
        MessageBox::setTestMode(false);
        auto press = [](int key) {
            QTimer::singleShot(0, [key] {
                if (QWidget* box = QApplication::activeModalWidget())
                    QTest::keyClick(box, static_cast<Qt::Key>(key));
            });
            // Should the key go unanswered, Escape ends the box (Cancel).
            QTimer::singleShot(2000, [] {
                if (QWidget* box = QApplication::activeModalWidget())
                    QTest::keyClick(box, Qt::Key_Escape);
            });
        };
        press(Qt::Key_N);
        const Answer english = MessageBox::showStandard(nullptr, 33);  // Yes/No/Cancel
        tko::setMessageTranslator([](const std::string& s) -> std::string {
            if (s == "Yes") return "Ja";
            if (s == "No") return "Nein";
            if (s == "Cancel") return "Abbrechen";
            return s;
        });
        press(Qt::Key_J);
        const Answer german = MessageBox::showStandard(nullptr, 33);
        tko::test::restoreMessageTranslator();
        MessageBox::setTestMode(true);
        QCOMPARE(english, Answer::No);
        QCOMPARE(german, Answer::Yes);
    }

    // ---- form scaffolding
    void statusWordFollowsTheRequest() {
        Form form(Request::Insert);
        QCOMPARE(form.status.text(), QStringLiteral("Record will be Added"));
        form.scaffold.setRequest(Request::Change);
        QCOMPARE(form.status.text(), QStringLiteral("Record will be Changed"));
    }

    void okOnAnUnchangedChangeWritesNothing() {
        Form form(Request::Change);
        form.scaffold.ok();
        QCOMPARE(form.saves, 0);
        QVERIFY(!form.open());
        QVERIFY(form.scaffold.completed());
        QCOMPARE(MessageBox::shown().size(), 0);
    }

    void aFailedSaveKeepsTheFormOpen() {
        Form form(Request::Change);
        form.current = 5;
        form.saveWorks = false;
        form.scaffold.ok();
        QVERIFY(form.open());
        QVERIFY(!form.scaffold.completed());
        form.saveWorks = true;
        form.scaffold.ok();
        QCOMPARE(form.saves, 1);
        QVERIFY(!form.open());
    }

    void cancelAfterChangesAsks23() {
        Form form(Request::Change);
        form.current = 1;
        MessageBox::setNextAnswer(Answer::No);
        form.scaffold.cancel();
        QVERIFY(form.open());
        MessageBox::setNextAnswer(Answer::Yes);
        form.scaffold.cancel();
        QVERIFY(!form.open());
        QCOMPARE(form.saves, 0);
        QVERIFY(!form.scaffold.completed());
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::shown().at(0).number, 23);
    }

    void closingAfterChangesAsksWhatCancelAsks() {
        Form form(Request::Insert);
        form.current = 1;
        MessageBox::setNextAnswer(Answer::No);
        QVERIFY(!form.scaffold.closeRequested());
        QVERIFY(form.open());
        MessageBox::setNextAnswer(Answer::Yes);
        QVERIFY(form.scaffold.closeRequested());  // the form may reject
        QCOMPARE(form.saves, 0);
        QCOMPARE(MessageBox::shown().size(), 2);
        QCOMPARE(MessageBox::shown().at(0).number, 23);
        QCOMPARE(MessageBox::shown().at(1).number, 23);
    }

    void deleteAsksForConfirmation() {
        Form form(Request::Delete);
        QCOMPARE(form.status.text(), QStringLiteral("Record will be Deleted"));
        form.scaffold.ok();  // test mode: Cancel
        QCOMPARE(form.deletes, 0);
        QVERIFY(form.open());
        MessageBox::setNextAnswer(Answer::Ok);
        QSignalSpy deleted(&form.scaffold, &tko::FormScaffold::recordDeleted);
        form.scaffold.ok();
        QCOMPARE(form.deletes, 1);
        QCOMPARE(deleted.count(), 1);
        QVERIFY(!form.open());
        QCOMPARE(MessageBox::shown().at(0).number, 32);
    }

    void addAnotherPrimesTheFormUntilNo() {
        Form form(Request::Insert);
        form.scaffold.setOfferAnother(true);
        MessageBox::setNextAnswer(Answer::Yes);
        form.scaffold.ok();
        QCOMPARE(form.primes, 1);
        QVERIFY(form.open());
        MessageBox::setNextAnswer(Answer::No);
        form.scaffold.ok();
        QVERIFY(!form.open());
        QCOMPARE(form.saves, 2);
        QCOMPARE(form.scaffold.insertsDone(), 2);
        QCOMPARE(MessageBox::shown().at(0).number, 37);
    }

    void cancelAfterSomeInsertsStillReportsThem() {
        Form form(Request::Insert);
        form.scaffold.setOfferAnother(true);
        MessageBox::setNextAnswer(Answer::Yes);
        form.scaffold.ok();
        form.scaffold.cancel();  // the primed record is unchanged: no question
        QVERIFY(!form.open());
        QVERIFY(form.scaffold.completed());
        QCOMPARE(form.dialog.result(), int(QDialog::Accepted));
    }

    void refusedRequestShowsItsMessage() {
        Form form(Request::Delete);
        form.scaffold.setPermissions({true, true, false});
        QVERIFY(!form.scaffold.start());
        QCOMPARE(MessageBox::shown().at(0).number, 21);
        Form ok(Request::Change);
        QVERIFY(ok.scaffold.start());
    }

    // ---- calendar
    void calendarOkReturnsTheChosenDay() {
        tko::CalendarPopup popup(tko::fromYmd(2024, 2, 10));
        popup.show();
        QCOMPARE(popup.monthEdit()->currentText(), QStringLiteral("Feb"));
        QCOMPARE(popup.yearEdit()->value(), 2024);
        QCOMPARE(popup.grid()->horizontalHeaderItem(0)->text(), QStringLiteral("S"));
        QCOMPARE(popup.grid()->item(0, 4)->text(), QStringLiteral("1"));  // a Thursday
        QCOMPARE(popup.grid()->item(0, 3)->text(), QString());
        // Click 29 February, step a week on (into March), then OK.
        popup.grid()->setFocus();
        const QRect cell = popup.grid()->visualItemRect(popup.grid()->item(4, 4));
        QTest::mouseClick(popup.grid()->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(popup.date(), tko::fromYmd(2024, 2, 29));
        QTest::keyClick(popup.grid(), Qt::Key_Down);
        QCOMPARE(popup.date(), tko::fromYmd(2024, 3, 7));
        QCOMPARE(popup.monthEdit()->currentText(), QStringLiteral("Mar"));
        popup.findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        QCOMPARE(popup.result(), int(QDialog::Accepted));
        QCOMPARE(popup.date(), tko::fromYmd(2024, 3, 7));
    }

    void calendarEntriesMoveTheMonthKeepingTheDayValid() {
        tko::CalendarPopup popup(tko::fromYmd(2023, 1, 31));
        popup.monthEdit()->setCurrentIndex(1);
        QCOMPARE(popup.date(), tko::fromYmd(2023, 2, 28));
        popup.yearEdit()->setValue(2024);
        QCOMPARE(popup.date(), tko::fromYmd(2024, 2, 28));
        QTest::keyClick(popup.grid(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(popup.date(), tko::fromYmd(2025, 2, 28));
        // Nothing before 1 January 1801.
        popup.setDate(tko::kFirstDate);
        QTest::keyClick(popup.grid(), Qt::Key_Left);
        QCOMPARE(popup.date(), tko::kFirstDate);
    }

    void calendarCancelReturnsNothing() {
        QTimer::singleShot(0, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* popup = qobject_cast<tko::CalendarPopup*>(w)) {
                    popup->setDate(tko::fromYmd(2030, 1, 1));
                    popup->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click();
                }
        });
        QVERIFY(!tko::CalendarPopup::pick(nullptr, tko::fromYmd(2024, 5, 5)).has_value());
        QTimer::singleShot(0, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* popup = qobject_cast<tko::CalendarPopup*>(w)) popup->accept();
        });
        QCOMPARE(tko::CalendarPopup::pick(nullptr, tko::fromYmd(2024, 5, 5)),
                 std::optional<tko::Date>(tko::fromYmd(2024, 5, 5)));
    }

    // ---- pastes into entries with a width
    void aPasteTooLongForTheEntryIsRefusedWhole() {
        tko::PasteGuard::installOnApplication();
        QDialog window;
        window.setWindowTitle(QStringLiteral("Reminder Information"));
        auto* note = new QLineEdit(QStringLiteral("abc"), &window);
        note->setMaxLength(10);
        window.show();
        note->setFocus();
        note->end(false);
        QGuiApplication::clipboard()->setText(QStringLiteral("12345678"));
        QTest::keySequence(note, QKeySequence::Paste);
        // 3 + 8 does not fit 10: nothing is inserted and the user is told.
        QCOMPARE(note->text(), QStringLiteral("abc"));
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown().front().title, QStringLiteral("Reminder Information"));
        QVERIFY(MessageBox::shown().front().text.contains(QStringLiteral("8 characters")));
        QVERIFY(MessageBox::shown().front().text.contains(QStringLiteral("at most 10")));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("12345678"));

        // The same text in place of the selected "abc" fits and is pasted.
        note->selectAll();
        QTest::keySequence(note, QKeySequence::Paste);
        QCOMPARE(note->text(), QStringLiteral("12345678"));
        QCOMPARE(MessageBox::shown().size(), 1);
        // Exactly the width fits.
        QGuiApplication::clipboard()->setText(QStringLiteral("xy"));
        note->end(false);
        QTest::keySequence(note, QKeySequence::Paste);
        QCOMPARE(note->text(), QStringLiteral("12345678xy"));
        QCOMPARE(MessageBox::shown().size(), 1);
    }

    void aDropTooLongForTheEntryIsRefusedAndOthersAreLeftAlone() {
        tko::PasteGuard::installOnApplication();
        QDialog window;
        auto* name = new QLineEdit(QStringLiteral("Plan"), &window);
        name->setMaxLength(6);
        auto* free = new QLineEdit(&window);  // no width of ours
        window.show();
        QMimeData data;
        data.setText(QStringLiteral("the budget"));
        QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        // The application delivers a drop only during a real drag, which the
        // offscreen platform cannot make: hand the event to the guard directly.
        QObject* guard = qApp->findChild<tko::PasteGuard*>();
        QVERIFY(guard);
        QVERIFY(guard->eventFilter(name, &drop));  // consumed: the entry never sees it
        QVERIFY(!drop.isAccepted());
        QCOMPARE(name->text(), QStringLiteral("Plan"));
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown().front().text.contains(QStringLiteral("10 characters")));
        // A drop that fits is left to the entry.
        QMimeData fitting;
        fitting.setText(QStringLiteral("ne"));
        QDropEvent small(QPointF(2, 2), Qt::CopyAction, &fitting, Qt::LeftButton, Qt::NoModifier);
        QVERIFY(!guard->eventFilter(name, &small));
        QCOMPARE(MessageBox::shown().size(), 1);

        QGuiApplication::clipboard()->setText(QString(200, QLatin1Char('z')));
        free->setFocus();
        QTest::keySequence(free, QKeySequence::Paste);
        QCOMPARE(free->text().size(), 200);
        QCOMPARE(MessageBox::shown().size(), 1);
    }

    // ---- help
    void everyShellWindowHasAHelpTopic() {
        for (const char* keyword :
             {"~Main_Window", "~Log_In_Window", "~System_Wide_Settings_Window",
              "~Update_User_Preferences_Window", "~Change_User_Password_Window", "~Browse_List",
              "~Look_Up_Calendar", "~Forms", "~Print_Setup", "~Contents"}) {
            const QUrl url = tko::HelpBrowser::topicUrl(QString::fromLatin1(keyword));
            QVERIFY2(!url.isEmpty(), keyword);
            QCOMPARE(url.fragment(), QString::fromLatin1(keyword));
        }
        QVERIFY(tko::HelpBrowser::topicUrl(QStringLiteral("~No_Such_Window")).isEmpty());
        QCOMPARE(tko::HelpBrowser::topicUrl(QStringLiteral("Browse_List")).fragment(),
                 QStringLiteral("~Browse_List"));
    }

    void showHelpOpensTheTopic() {
        tko::HelpBrowser* help = tko::HelpBrowser::showHelp(QStringLiteral("~Look_Up_Calendar"));
        QVERIFY(help->isVisible());
        QCOMPARE(help->browser()->source().fragment(), QStringLiteral("~Look_Up_Calendar"));
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Look Up Calendar")));
        QCOMPARE(tko::HelpBrowser::showHelp(QStringLiteral("unknown")), help);  // one window
        QCOMPARE(help->browser()->source(), tko::HelpBrowser::indexUrl());
        help->close();
    }

    // F1 opens the topic of the window that has the focus: a form's own, or
    // that of the window that opened a box or window without a topic.
    void f1OpensTheTopicOfTheFocusedWindow() {
        tko::HelpBrowser::installHelpKey(qApp);
        QDialog lists;
        lists.setWhatsThis(QStringLiteral("~Current_Reminders_Window"));
        auto* entry = new QLineEdit(&lists);
        lists.show();
        QVERIFY(QTest::qWaitForWindowExposed(&lists));
        entry->setFocus();
        QTest::keyClick(entry, Qt::Key_F1);
        // The help window is a child of the window that asked.
        QPointer<tko::HelpBrowser> help = lists.findChild<tko::HelpBrowser*>();
        QVERIFY(help);
        QVERIFY(help->isVisible());
        QCOMPARE(help->browser()->source().fragment(), QStringLiteral("~Current_Reminders_Window"));

        // A window without a topic of its own: its opener's topic.
        QDialog inner(&lists);
        auto* button = new QPushButton(QStringLiteral("OK"), &inner);
        inner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&inner));
        help->openTopic(QStringLiteral("~Look_Up_Calendar"));
        QTest::keyClick(button, Qt::Key_F1);
        QCOMPARE(help->browser()->source().fragment(), QStringLiteral("~Current_Reminders_Window"));
        QCOMPARE(tko::HelpBrowser::keywordFor(button), QStringLiteral("~Current_Reminders_Window"));
        // No topic anywhere: the contents.
        QWidget lone;
        QVERIFY(tko::HelpBrowser::keywordFor(&lone).isEmpty());
        // Shift+F1 is not F1.
        help->openTopic(QStringLiteral("~Look_Up_Calendar"));
        QTest::keyClick(button, Qt::Key_F1, Qt::ShiftModifier);
        QCOMPARE(help->browser()->source().fragment(), QStringLiteral("~Look_Up_Calendar"));
        help->close();
    }

    // "Search for Help On..." searches the text of the topics.
    void searchFindsTopicsByTheirText() {
        tko::HelpBrowser* help = tko::HelpBrowser::showSearch(nullptr);
        QVERIFY(help->isVisible());
        QVERIFY(!help->results()->isVisible());
        // Words of the reminders' topic, none of them its title alone.
        QVERIFY(help->search(QStringLiteral("reminder switches alert")) >= 1);
        QVERIFY(help->results()->isVisible());
        QStringList found;
        for (int i = 0; i < help->results()->count(); ++i)
            found << help->results()->item(i)->data(Qt::UserRole).toString();
        QVERIFY2(found.contains(QStringLiteral("Current_Reminders_Window")),
                 qPrintable(found.join(u',')));
        // Enter in the search entry opens the best topic.
        help->searchEdit()->setText(QStringLiteral("reminder switches alert"));
        QTest::keyClick(help->searchEdit(), Qt::Key_Return);
        QCOMPARE(help->browser()->source().fragment(),
                 QLatin1Char('~') + help->results()->item(0)->data(Qt::UserRole).toString());
        // Nothing found: said so, and the page stays.
        const QUrl before = help->browser()->source();
        QCOMPARE(help->search(QStringLiteral("xylophone")), 0);
        QCOMPARE(help->results()->count(), 1);
        QVERIFY(help->results()->item(0)->data(Qt::UserRole).toString().isEmpty());
        QTest::keyClick(help->searchEdit(), Qt::Key_Return);
        QCOMPARE(help->browser()->source(), before);
        // Every topic of the pages is in the index.
        QVERIFY(tko::HelpBrowser::index().topics().size() >= 40);
        help->close();
    }

    // Every English topic has its German page under the same keyword: F1 and
    // the search find it after setLanguage("de"), and "en" goes back.
    void germanHelpFollowsTheLanguage() {
        tko::HelpBrowser::setLanguage(QString());
        std::map<QString, QString> englishTitles;
        for (const tko::HelpTopic& topic : tko::HelpBrowser::index().topics())
            englishTitles[topic.keyword] = topic.title;
        QVERIFY(englishTitles.size() >= 40);
        tko::HelpBrowser* help = tko::HelpBrowser::showHelp(QStringLiteral("~Main_Window"));

        // The program's translation has changed first: the window's captions follow.
        tko::setMessageTranslator([](const std::string& source) {
            return source == "Contents" ? std::string("Inhalt") : source;
        });
        tko::HelpBrowser::setLanguage(QStringLiteral("DE"));
        tko::test::restoreMessageTranslator();
        QCOMPARE(help->findChild<QPushButton*>(QStringLiteral("contentsButton"))->text(),
                 QStringLiteral("Inhalt"));
        QCOMPARE(tko::HelpBrowser::language(), QStringLiteral("de"));
        // The open window shows the same topic in German, and only German pages.
        QCOMPARE(help->browser()->source(),
                 QUrl(QStringLiteral("qrc:/help/de/shell.html#~Main_Window")));
        QVERIFY(!help->browser()->isBackwardAvailable());
        std::map<QString, QString> germanTitles;
        for (const tko::HelpTopic& topic : tko::HelpBrowser::index().topics())
            germanTitles[topic.keyword] = topic.title;
        QCOMPARE(germanTitles.size(), englishTitles.size());
        for (const auto& [keyword, english] : englishTitles) {
            const QUrl url = tko::HelpBrowser::topicUrl(QLatin1Char('~') + keyword);
            QVERIFY2(url.path().startsWith(QLatin1String("/help/de/")), qPrintable(keyword));
            QCOMPARE(url.fragment(), QLatin1Char('~') + keyword);
            const QString german = germanTitles[keyword];
            QVERIFY2(!german.isEmpty() && german != english, qPrintable(keyword + u' ' + german));
            tko::HelpBrowser::showHelp(QLatin1Char('~') + keyword);
            QCOMPARE(help->browser()->source(), url);
            QVERIFY2(help->browser()->toPlainText().contains(german), qPrintable(keyword));
        }
        QCOMPARE(tko::HelpBrowser::indexUrl(), QUrl(QStringLiteral("qrc:/help/de/index.html")));
        tko::HelpBrowser::showHelp(QStringLiteral("unknown"));
        QVERIFY(help->browser()->toPlainText().contains(QStringLiteral("Hilfe verwenden")));
        // The search finds German words, umlauts included, and no English ones.
        QCOMPARE(help->search(QStringLiteral("reminder switches alert")), 0);
        QVERIFY(help->search(QStringLiteral("Erinnerung Startmeldung")) >= 1);
        QCOMPARE(help->results()->item(0)->data(Qt::UserRole).toString(),
                 QStringLiteral("Current_Reminders_Window"));
        QCOMPARE(help->results()->item(0)->text(), QStringLiteral("Aktuelle Erinnerungen"));

        // Back to English: the page, the index and the open search results.
        QCOMPARE(help->search(QStringLiteral("dBase")), 1);
        QCOMPARE(help->results()->item(0)->text(), QStringLiteral("Das Hauptfenster"));
        tko::HelpBrowser::showHelp(QStringLiteral("~Current_Reminders_Window"));
        tko::HelpBrowser::setLanguage(QStringLiteral("en"));
        QCOMPARE(tko::HelpBrowser::language(), QString());
        QCOMPARE(help->browser()->source(),
                 QUrl(QStringLiteral("qrc:/help/lists-due.html#~Current_Reminders_Window")));
        QCOMPARE(help->results()->item(0)->text(), QStringLiteral("The main window"));
        QCOMPARE(tko::HelpBrowser::indexUrl(), QUrl(QStringLiteral("qrc:/help/index.html")));
        QVERIFY(help->search(QStringLiteral("reminder switches alert")) >= 1);
        // A language without pages, or a code that is no code, shows English.
        for (const char* code : {"fr", "../de", "de/..", " "}) {
            tko::HelpBrowser::setLanguage(QString::fromLatin1(code));
            QVERIFY2(tko::HelpBrowser::language().isEmpty(), code);
            QCOMPARE(tko::HelpBrowser::topicUrl(QStringLiteral("Main_Window")).path(),
                     QStringLiteral("/help/shell.html"));
        }
        help->close();
    }

    // Every link of every page leads to a page of the same language (the
    // style sheet is shared) and to an anchor that page has.
    void helpLinksStayWithinTheirLanguage() {
        static const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
        for (const QString& folder : {QStringLiteral(":/help/"), QStringLiteral(":/help/de/")}) {
            const QStringList pages =
                QDir(folder).entryList({QStringLiteral("*.html")}, QDir::Files);
            QCOMPARE(pages.size(), 15);
            for (const QString& page : pages) {
                QFile file(folder + page);
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QString html = QString::fromUtf8(file.readAll());
                const QUrl base(QStringLiteral("qrc") + folder + page);
                for (auto it = href.globalMatch(html); it.hasNext();) {
                    const QString link = it.next().captured(1);
                    const QUrl target = base.resolved(QUrl(link));
                    const QString where = page + u' ' + link;
                    QVERIFY2(QFile::exists(u':' + target.path()), qPrintable(where));
                    if (target.path() == QLatin1String("/help/help.css")) continue;
                    QVERIFY2(target.path().startsWith(folder.mid(1)), qPrintable(where));
                    if (target.hasFragment()) {
                        QFile linked(u':' + target.path());
                        QVERIFY(linked.open(QIODevice::ReadOnly));
                        const QString anchor = QStringLiteral("id=\"%1\"").arg(target.fragment());
                        QVERIFY2(QString::fromUtf8(linked.readAll()).contains(anchor),
                                 qPrintable(where));
                    }
                }
            }
        }
    }
};

QTEST_MAIN(UiKitTest)
#include "UiKitTest.moc"
