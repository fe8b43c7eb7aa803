#include "assign/ui/AssignmentTextFile.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryFile>

#include "platform/QtText.h"
#include "platform/UserFile.h"
#include "platform/ui/MessageBox.h"

namespace tko {

void saveAssignmentTextFile(QWidget* parent, const std::function<QString(const QString&)>& write) {
    const QString home = QDir::currentPath();
    QTemporaryFile work(QDir::temp().filePath(QStringLiteral("tko-assignment-XXXXXX.txt")));
    if (!work.open()) {
        MessageBox::showStandard(parent, 30, work.fileName(), work.errorString());
        return;
    }
    work.close();
    const QString error = write(work.fileName());
    if (!error.isEmpty()) {
        MessageBox::showStandard(parent, 30, work.fileName(), error);
        return;
    }
    const QString chosen =
        QFileDialog::getSaveFileName(parent, translated("Save Assignment as Text File"), QString(),
                                     translated("Text") + QStringLiteral(" (*.txt)"));
    QDir::setCurrent(home);
    // The dialog confirmed the name as typed; with ".txt" added it may name
    // another file, which is replaced only when the user says so.
    const QString target = withDefaultExtension(chosen, QStringLiteral("txt"));
    if (target.isEmpty()) return;
    if (target != chosen && QFile::exists(target) &&
        MessageBox::showText(parent,
                             QStringLiteral("%1 already exists. Do you want to replace it?"),
                             QStringLiteral("Save Assignment as Text File"), MessageButtons::YesNo,
                             {target}, MessageBox::Icon::Question) != Answer::Yes)
        return;
    const QString failure = copyToUserFile(work.fileName(), target);
    if (!failure.isEmpty()) MessageBox::showStandard(parent, 30, target, failure);
}

}  // namespace tko
