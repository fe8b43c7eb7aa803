#include "users/ui/LimitedUsersLayout.h"

#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/BrowseList.h"
#include "platform/ui/HelpBrowser.h"

namespace tko {

void layOutLimitedUsers(QDialog* dialog, const QString& caption, QLineEdit* name, BrowseList* list,
                        const std::function<void()>& insert, const std::function<void()>& remove) {
    auto* buttons = new QHBoxLayout;
    auto add = [dialog, buttons](const char* objectName, const QString& text) {
        auto* b = new QPushButton(text, dialog);
        b->setObjectName(QLatin1String(objectName));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    QPushButton* insertButton = add("insertButton", QStringLiteral("Insert"));
    QPushButton* deleteButton = add("deleteButton", QStringLiteral("Delete"));
    buttons->addStretch();
    QPushButton* close = add("closeButton", QStringLiteral("Close"));
    QPushButton* help = add("helpButton", QStringLiteral("Help"));
    QObject::connect(insertButton, &QPushButton::clicked, dialog, insert);
    QObject::connect(deleteButton, &QPushButton::clicked, dialog, remove);
    QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(help, &QPushButton::clicked, dialog,
                     [dialog] { HelpBrowser::showHelp(dialog->whatsThis(), dialog); });
    QObject::connect(list, &BrowseList::insertRequested, dialog, insert);
    QObject::connect(list, &BrowseList::deleteRequested, dialog,
                     [remove](const store::Row&) { remove(); });

    auto* head = new QFormLayout;
    head->addRow(caption, name);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(head);
    layout->addWidget(list, 1);
    layout->addLayout(buttons);
}

}  // namespace tko
