// Keeps a paste or a drop into a one-line entry from being cut silently at the
// entry's width (QLineEdit::maxLength, set from the field's width): a text that
// would not fit is refused whole with a message saying how much the entry
// holds, and the entry keeps what it had. Typing simply stops at the width, so
// the user sees the limit while typing.
//
// One guard on the application watches every entry of every window: Ctrl+V
// and Shift+Insert, the entry's context menu, the middle button (X11
// selection) and drag and drop. Entries without a width, read-only entries
// and input masks are left alone. GUI thread only.
#pragma once

#include <QObject>

class QLineEdit;
class QString;

namespace tko {

class PasteGuard : public QObject {
    Q_OBJECT
public:
    // Installs the application's guard once; later calls do nothing.
    static void installOnApplication();

    // Whether `incoming` fits `edit` when it takes the place of the selection
    // (or is inserted at the cursor when `replacesSelection` is false).
    static bool fits(const QLineEdit* edit, const QString& incoming, bool replacesSelection = true);

    // Pastes the clipboard into `edit` when it fits; otherwise says so and
    // leaves the entry as it was. True when pasted.
    static bool pasteChecked(QLineEdit* edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit PasteGuard(QObject* parent);
    static void refuse(QLineEdit* edit, const QString& incoming);
};

}  // namespace tko
