#include "assign/ui/DeleteByDateWindow.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <limits>

#include "assign/Deletion.h"
#include "platform/Picture.h"
#include "platform/QtText.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/MessageBox.h"

namespace tko {

namespace {

int progressValue(std::int64_t n) {
    return static_cast<int>(std::min<std::int64_t>(n, std::numeric_limits<int>::max()));
}

}  // namespace

DeleteByDateWindow::DeleteByDateWindow(Workspace& workspace, QWidget* parent)
    : QDialog(parent), m_workspace(workspace) {
    setObjectName(QStringLiteral("DeleteByDateWindow"));
    setWindowTitle(QStringLiteral("Delete Concluded Assignments"));
    setWhatsThis(QStringLiteral("~Delete_Batch_Window"));

    m_date = new QLineEdit(this);
    m_date->setObjectName(QStringLiteral("dateEdit"));
    m_date->setProperty("picture", QStringLiteral("@D18"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        new QLabel(QStringLiteral("Permanently delete all assignments concluded before:"), this));
    layout->addWidget(m_date);
    const DialogButtons buttons = addDialogButtons(this, true);
    layout->addWidget(buttons.box);
    buttons.ok->setDefault(false);
    buttons.ok->setAutoDefault(false);
    connect(buttons.ok, &QPushButton::clicked, this, &DeleteByDateWindow::ok);
    connect(m_date, &QLineEdit::editingFinished, this, [this] {
        const Parsed<Date> date = parseDate(m_date->text().trimmed(), u"@D18", u"Date");
        if (date.ok() && date.value != kNoDate) m_date->setText(formatDate(date.value, u"@D18"));
    });
}

void DeleteByDateWindow::ok() {
    const Parsed<Date> date = parseDate(m_date->text().trimmed(), u"@D18", u"Date");
    if (!date.ok()) {
        MessageBox::showText(this, date.error, windowTitle(), MessageButtons::Ok, {},
                             MessageBox::Icon::Warning);
        m_date->setFocus();
        return;
    }
    ConcludedDeletion deletion(*m_workspace.db, m_workspace.session, date.value);
    if (!deletion.prepare()) {
        if (deletion.message()) MessageBox::show(this, *deletion.message());
        m_date->setFocus();
        return;
    }
    if (MessageBox::showText(this, QLatin1String(kDeleteByDateQuestion), windowTitle(),
                             MessageButtons::YesCancel, {},
                             MessageBox::Icon::Question) != Answer::Yes) {
        m_date->setFocus();
        return;
    }

    QProgressDialog progress(translated("Deleting concluded assignments..."), translated("Cancel"),
                             0, progressValue(deletion.total()), this);
    progress.setObjectName(QStringLiteral("deletionProgress"));
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setValue(0);
    ConcludedDeletion::StepResult result = ConcludedDeletion::StepResult::More;
    // Between two transactions the other stations get their turn, and this
    // window its events (Cancel among them).
    while (result == ConcludedDeletion::StepResult::More && !progress.wasCanceled()) {
        // The rest between two transactions is spent in the event loop, so
        // the window stays responsive while the other stations write.
        if (const auto rest = deletion.pauseLeft(); rest.count() > 0) {
            QEventLoop pause;
            QTimer::singleShot(rest, &pause, &QEventLoop::quit);
            pause.exec();
            if (progress.wasCanceled()) break;
        }
        result = deletion.step();
        progress.setValue(progressValue(std::min(deletion.deleted(), deletion.total())));
        QApplication::processEvents();
    }
    m_deleted = deletion.deleted();
    if (result == ConcludedDeletion::StepResult::Failed) {
        progress.close();
        if (deletion.message()) MessageBox::show(this, *deletion.message());
    } else if (result == ConcludedDeletion::StepResult::Finished) {
        progress.setLabelText(translated("Compacting the data files..."));
        progress.setCancelButton(nullptr);
        QApplication::processEvents();
        const Status packed = deletion.compact();
        progress.close();
        if (packed.ok())
            MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                                 {QString::fromStdString(concludedDeletionSummary(m_deleted))},
                                 MessageBox::Icon::Information);
        else
            MessageBox::showText(
                this,
                QStringLiteral("The assignments were deleted, but the data files could "
                               "not be compacted: %1"),
                windowTitle(), MessageButtons::Ok,
                {QString::fromStdString(m_workspace.db->lastError().describe())},
                MessageBox::Icon::Warning);
    } else {
        progress.close();
        MessageBox::showText(
            this, QStringLiteral("Stopped. %1 assignments were deleted; the others remain."),
            windowTitle(), MessageButtons::Ok, {QString::number(m_deleted)});
    }
    accept();
}

}  // namespace tko
