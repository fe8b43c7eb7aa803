#include "platform/ui/MessageBox.h"

#include "platform/HotKeys.h"
#include "platform/QtText.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <deque>

namespace tko {

namespace {

struct TestState {
    std::deque<Answer> queue;
    bool testMode = false;
    QList<MessageBox::Shown> shown;
};

TestState& testState() {
    static TestState s;
    return s;
}

QMessageBox::StandardButtons buttonsOf(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return QMessageBox::Ok;
        case MessageButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::YesCancel:
            return QMessageBox::Yes | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Answer answerOf(int button, MessageButtons buttons) {
    switch (button) {
        case QMessageBox::Ok:
            return Answer::Ok;
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        default:
            return MessageBox::escapeAnswer(buttons);
    }
}

// Message numbers that ask a question rather than report a failure.
bool isQuestion(int number) {
    switch (number) {
        case 2:
        case 16:
        case 18:
        case 23:
        case 27:
        case 29:
        case 32:
        case 33:
        case 37:
            return true;
        default:
            return false;
    }
}

}  // namespace

Answer MessageBox::escapeAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return Answer::Ok;
        case MessageButtons::YesNo:
            return Answer::No;
        case MessageButtons::OkCancel:
        case MessageButtons::YesNoCancel:
        case MessageButtons::YesCancel:
            return Answer::Cancel;
    }
    return Answer::Ok;
}

Answer MessageBox::show(QWidget* parent, const StandardMessage& message) {
    Icon icon = Icon::Warning;
    if (message.fatal)
        icon = Icon::Critical;
    else if (isQuestion(message.number))
        icon = Icon::Question;
    return present(parent, message.number, QString::fromStdString(message.title),
                   QString::fromStdString(message.text), message.buttons, icon, message.fatal);
}

Answer MessageBox::showStandard(QWidget* parent, int number, const QString& p1, const QString& p2,
                                const QString& p3, int variant) {
    return show(parent, catalogueMessage(number, p1.toStdString(), p2.toStdString(),
                                         p3.toStdString(), variant));
}

Answer MessageBox::showText(QWidget* parent, const QString& text, const QString& title,
                            MessageButtons buttons, const QStringList& params, Icon icon) {
    const std::string merged =
        mergeParameters(translateText(text.toStdString()), params.value(0).toStdString(),
                        params.value(1).toStdString(), params.value(2).toStdString());
    const QString shownTitle = title.isEmpty() ? QStringLiteral("TASKORBIT") : translated(title);
    return present(parent, 0, shownTitle, QString::fromStdString(merged), buttons, icon, false);
}

Answer MessageBox::present(QWidget* parent, int number, const QString& title, const QString& text,
                           MessageButtons buttons, Icon icon, bool fatal) {
    TestState& s = testState();
    Shown record{number, title, text, buttons, Answer::Ok, false};
    if (!s.queue.empty()) {
        record.answer = s.queue.front();
        s.queue.pop_front();
        s.shown.append(record);
        return record.answer;
    }
    if (s.testMode) {
        record.answer = escapeAnswer(buttons);
        record.answeredByDefault = true;
        s.shown.append(record);
        return record.answer;
    }

    QApplication::beep();
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
        case Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Icon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case Icon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case Icon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    box.setStandardButtons(buttonsOf(buttons));
    // Button captions are words of the program, translated like every other,
    // and each gets a hot key of its own, so that a letter answers the box.
    const QList<QAbstractButton*> captioned = box.buttons();
    QStringList captions;
    for (QAbstractButton* button : captioned)
        captions << translated(button->text().remove(QLatin1Char('&')));
    captions = withHotKeys(captions);
    for (qsizetype i = 0; i < captioned.size(); ++i) captioned[i]->setText(captions[i]);
    if (buttons == MessageButtons::YesNo || buttons == MessageButtons::YesNoCancel)
        box.setDefaultButton(QMessageBox::Yes);
    if (buttons == MessageButtons::YesCancel) box.setDefaultButton(QMessageBox::Cancel);
    if (fatal) box.setDefaultButton(QMessageBox::Ok);
    const int result = box.exec();
    record.answer = answerOf(result, buttons);
    // A short history is enough for diagnosis; the program runs for days.
    if (s.shown.size() >= 100) s.shown.removeFirst();
    s.shown.append(record);
    return record.answer;
}

void MessageBox::setNextAnswer(Answer answer) {
    testState().queue.push_back(answer);
}
void MessageBox::setTestMode(bool on) {
    testState().testMode = on;
}
bool MessageBox::testMode() {
    return testState().testMode;
}
int MessageBox::queuedAnswers() {
    return static_cast<int>(testState().queue.size());
}
const QList<MessageBox::Shown>& MessageBox::shown() {
    return testState().shown;
}

void MessageBox::clearShown() {
    testState().shown.clear();
    testState().queue.clear();
}

Answer showOutcome(QWidget* parent, const Outcome& outcome, const QString& title) {
    if (outcome.message && outcome.message->title.empty())
        return MessageBox::showText(parent, QStringLiteral("%1"), title, outcome.message->buttons,
                                    {QString::fromStdString(outcome.message->text)},
                                    MessageBox::Icon::Warning);
    if (outcome.message) return MessageBox::show(parent, *outcome.message);
    if (outcome.text.empty()) return Answer::Ok;
    return MessageBox::showText(parent, QStringLiteral("%1"), title, MessageButtons::Ok,
                                {QString::fromStdString(translateText(outcome.text))},
                                MessageBox::Icon::Warning);
}

}  // namespace tko
