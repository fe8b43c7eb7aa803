#include "app/ui/DialogParts.h"

#include <QDialog>

#include "platform/ui/MessageBox.h"

namespace tko {

bool actOnSaveOutcome(QDialog* dialog, const SaveOutcome& outcome,
                      const std::function<void()>& showOther) {
    Answer answer = Answer::Ok;
    for (const StandardMessage& message : outcome.messages)
        answer = MessageBox::show(dialog, message);
    switch (outcome.kind) {
        case SaveOutcome::Close:
            dialog->accept();
            return false;
        case SaveOutcome::ShowOtherStation:
            showOther();
            return false;
        case SaveOutcome::Stay:
            return false;
        case SaveOutcome::AskRetry:
            if (answer == Answer::Yes) return true;
            dialog->reject();
            return false;
    }
    return false;
}

}  // namespace tko
