#include "platform/ui/PrinterSetup.h"

#include "platform/Translate.h"

#include <QPageSetupDialog>
#include <QPrinter>

namespace tko {

QPrinter& PrinterSetup::printer() {
    static QPrinter shared(QPrinter::HighResolution);
    return shared;
}

bool PrinterSetup::run(QWidget* parent) {
    QPageSetupDialog dialog(&printer(), parent);
    dialog.setWindowTitle(QString::fromStdString(translateText("Print Setup")));
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tko
