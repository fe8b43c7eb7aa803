// The OK / Cancel / Help row that small forms share.
#pragma once

class QDialog;
class QDialogButtonBox;
class QPushButton;

namespace tko {

struct DialogButtons {
    QDialogButtonBox* box = nullptr;
    QPushButton* ok = nullptr;      // objectName "okButton", the default button
    QPushButton* cancel = nullptr;  // "cancelButton": rejects the dialog
    // "helpButton": the dialog's help topic (its whatsThis); null without help.
    QPushButton* help = nullptr;
};

// Adds the row to `dialog` (the caller places `box` in its layout).
DialogButtons addDialogButtons(QDialog* dialog, bool withHelp);

}  // namespace tko
