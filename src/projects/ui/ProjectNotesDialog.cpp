#include "projects/ui/ProjectNotesDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"
#include "projects/ProjectRules.h"

namespace tko {

ProjectNotesDialog::ProjectNotesDialog(const std::string& notes, bool readOnly, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("ProjectNotesDialog"));
    setWindowTitle(QStringLiteral("Project Notes"));
    setWhatsThis(QStringLiteral("~Project_Notes"));
    setSizeGripEnabled(true);

    m_edit = new QPlainTextEdit(this);
    m_edit->setObjectName(QStringLiteral("notesEdit"));
    m_edit->setToolTip(QStringLiteral("Free form text for this project"));
    QString text = QString::fromStdString(notes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_edit->setPlainText(text);
    m_edit->setReadOnly(readOnly);
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("countLabel"));

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    close->setDefault(true);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("helpButton"));
    help->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_count, 1);
    buttons->addWidget(close);
    buttons->addWidget(help);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_edit, 1);
    layout->addLayout(buttons);
    resize(480, 320);

    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    connect(m_edit, &QPlainTextEdit::textChanged, this, &ProjectNotesDialog::updateCount);
    updateCount();
}

std::string ProjectNotesDialog::notes() const {
    QString text = m_edit->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text.toStdString();
}

void ProjectNotesDialog::updateCount() {
    const int used = store::utf8Length(notes());
    m_count->setText(QStringLiteral("%1 / %2").arg(used).arg(kProjectNoteWidth));
    m_count->setStyleSheet(used > kProjectNoteWidth ? QStringLiteral("color: #b00000") : QString());
}

void ProjectNotesDialog::done(int result) {
    const int used = store::utf8Length(notes());
    if (!m_edit->isReadOnly() && used > kProjectNoteWidth) {
        MessageBox::showText(
            this,
            QStringLiteral("The notes hold at most %1 characters; please shorten them by %2."),
            windowTitle(), MessageButtons::Ok,
            {QString::number(kProjectNoteWidth), QString::number(used - kProjectNoteWidth)},
            MessageBox::Icon::Warning);
        return;
    }
    QDialog::done(result);
}

}  // namespace tko
