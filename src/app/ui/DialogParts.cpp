#include "app/ui/DialogParts.h"

#include <QDialog>

#include "platform/ui/MessageBox.h"

namespace tko {

bool actOnSaveOutcome(QDialog* dialog, const Outcome& outcome,
                      const std::function<void()>& showOther) {
    showOutcome(dialog, outcome, dialog->windowTitle());
    switch (outcome.kind) {
        case Outcome::Done:
            dialog->accept();
            return false;
        case Outcome::ChangedElsewhere:
            showOther();
            return false;
        case Outcome::Refused:
            return false;
        case Outcome::Failed:
            // The failure's own message first, then the offer to try again.
            if (MessageBox::showStandard(dialog, 16) == Answer::Yes) return true;
            dialog->reject();
            return false;
    }
    return false;
}

}  // namespace tko
