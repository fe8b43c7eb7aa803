#include "platform/ui/DialogButtons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

#include "platform/ui/HelpBrowser.h"

namespace tko {

DialogButtons addDialogButtons(QDialog* dialog, bool withHelp) {
    DialogButtons b;
    b.box = new QDialogButtonBox(dialog);
    b.ok = b.box->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    b.ok->setObjectName(QStringLiteral("okButton"));
    b.ok->setDefault(true);
    b.cancel = b.box->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    b.cancel->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(b.cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    if (withHelp) {
        b.help = b.box->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
        b.help->setObjectName(QStringLiteral("helpButton"));
        QObject::connect(b.help, &QPushButton::clicked, dialog,
                         [dialog] { HelpBrowser::showHelp(dialog->whatsThis(), dialog); });
    }
    return b;
}

}  // namespace tko
