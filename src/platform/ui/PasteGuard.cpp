#include "platform/ui/PasteGuard.h"

#include "platform/ui/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPointer>

namespace tko {
namespace {

// QLineEdit's default maxLength: no width of ours.
constexpr int kUnlimited = 32767;

// The entries whose pastes need watching.
QLineEdit* guardedEntry(QObject* watched) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (!edit || edit->isReadOnly() || !edit->inputMask().isEmpty()) return nullptr;
    if (edit->maxLength() >= kUnlimited) return nullptr;
    return edit;
}

}  // namespace

PasteGuard::PasteGuard(QObject* parent) : QObject(parent) {}

void PasteGuard::installOnApplication() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || app->findChild<PasteGuard*>(QString(), Qt::FindDirectChildrenOnly)) return;
    app->installEventFilter(new PasteGuard(app));
}

bool PasteGuard::fits(const QLineEdit* edit, const QString& incoming, bool replacesSelection) {
    const qsizetype kept =
        edit->text().size() - (replacesSelection ? edit->selectedText().size() : 0);
    return kept + incoming.size() <= edit->maxLength();
}

bool PasteGuard::pasteChecked(QLineEdit* edit) {
    const QString incoming = QGuiApplication::clipboard()->text(QClipboard::Clipboard);
    if (!fits(edit, incoming)) {
        refuse(edit, incoming);
        return false;
    }
    edit->paste();
    return true;
}

void PasteGuard::refuse(QLineEdit* edit, const QString& incoming) {
    MessageBox::showText(edit->window(),
                         QStringLiteral("The text has %1 characters; this entry holds at most "
                                        "%2. Nothing was inserted."),
                         edit->window()->windowTitle(), MessageButtons::Ok,
                         {QString::number(incoming.size()), QString::number(edit->maxLength())},
                         MessageBox::Icon::Warning);
    edit->setFocus();
}

bool PasteGuard::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::ContextMenu &&
        type != QEvent::MouseButtonRelease && type != QEvent::Drop)
        return false;
    QLineEdit* edit = guardedEntry(watched);
    if (!edit) return false;
    switch (type) {
        case QEvent::KeyPress:
            if (!static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) return false;
            pasteChecked(edit);
            return true;
        case QEvent::ContextMenu: {
            // The entry's own menu, with its Paste routed through the check.
            QPointer<QMenu> menu = edit->createStandardContextMenu();
            if (QAction* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
                disconnect(paste, &QAction::triggered, edit, nullptr);
                connect(paste, &QAction::triggered, edit, [edit] { pasteChecked(edit); });
            }
            menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
            delete menu;
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            QClipboard* clipboard = QGuiApplication::clipboard();
            if (mouse->button() != Qt::MiddleButton || !clipboard->supportsSelection())
                return false;
            const QString incoming = clipboard->text(QClipboard::Selection);
            if (fits(edit, incoming, false)) return false;
            refuse(edit, incoming);
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const QMimeData* data = drop->mimeData();
            // A move inside the entry itself changes nothing in its length.
            if (!data || !data->hasText() || drop->source() == edit) return false;
            if (fits(edit, data->text(), false)) return false;
            drop->ignore();
            refuse(edit, data->text());
            return true;
        }
        default:
            return false;
    }
}

}  // namespace tko
