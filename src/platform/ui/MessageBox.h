// The program's message box: shows a standard message or a free text with a
// beep, and returns the user's answer.
//
// Tests answer boxes without any window: queue answers with setNextAnswer()
// (or switch on setTestMode() to answer every box with its safe default) and
// read what would have been shown with shown(). A queued or test-mode answer
// never opens a window.
//
// A fatal standard message is only shown here; ending the program is the
// caller's decision. GUI thread only.
#pragma once

#include "platform/Answer.h"
#include "platform/Outcome.h"
#include "platform/StandardMessage.h"

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace tko {

class MessageBox {
public:
    enum class Icon { Information, Question, Warning, Critical };

    // What a box showed, for tests.
    struct Shown {
        int number = 0;  // standard message number, 0 for a free text
        QString title;
        QString text;
        MessageButtons buttons = MessageButtons::Ok;
        Answer answer = Answer::Ok;
        bool answeredByDefault = false;  // test mode with no queued answer
    };

    // A standard message (already translated and merged).
    static Answer show(QWidget* parent, const StandardMessage& message);
    // Standard message `number` with its parameters.
    static Answer showStandard(QWidget* parent, int number, const QString& p1 = {},
                               const QString& p2 = {}, const QString& p3 = {}, int variant = 0);
    // A free text: `text` and `title` are source texts, translated first;
    // then "%1".."%3" are filled from `params`. An empty title shows the
    // program's name.
    static Answer showText(QWidget* parent, const QString& text, const QString& title = {},
                           MessageButtons buttons = MessageButtons::Ok,
                           const QStringList& params = {}, Icon icon = Icon::Information);

    // The answer a box gives when closed without choosing (Escape): Cancel,
    // No or Ok, whichever the buttons offer, in that order. Also the safe
    // default of test mode.
    static Answer escapeAnswer(MessageButtons buttons);

    // ---- test hooks
    static void setNextAnswer(Answer answer);  // queued, first in first out
    static void setTestMode(bool on);
    static bool testMode();
    static int queuedAnswers();
    static const QList<Shown>& shown();
    static void clearShown();  // also empties the queue

private:
    static Answer present(QWidget* parent, int number, const QString& title, const QString& text,
                          MessageButtons buttons, Icon icon, bool fatal);
};

// Reports what a logic operation came to, the same way in every window: the
// outcome's message when it carries one, else the text of a refusal or
// failure, translated, in a warning box under `title` (the program's name when
// empty). A message without a title of its own also shows under `title`.
// Shows nothing for an outcome with neither; the answer is then Ok.
Answer showOutcome(QWidget* parent, const Outcome& outcome, const QString& title = {});

}  // namespace tko
