// "Project Notes": the project's free-form notes (PRO:NOTE) in one text box.
// The notes go back to the project form, which stores them with its record.
// Notes past their 1000 characters are kept whole in the box, counted, and
// the dialog does not close on them until they are shortened.
#pragma once

#include <QDialog>

#include <string>

class QLabel;
class QPlainTextEdit;

namespace tko {

class ProjectNotesDialog : public QDialog {
    Q_OBJECT
public:
    ProjectNotesDialog(const std::string& notes, bool readOnly, QWidget* parent = nullptr);

    // The notes as the box holds them, line ends as stored (CR LF).
    std::string notes() const;
    QPlainTextEdit* edit() const { return m_edit; }
    QLabel* countLabel() const { return m_count; }

    // "Close": refused (with a message) while the notes are too long.
    void done(int result) override;

private:
    void updateCount();

    QPlainTextEdit* m_edit = nullptr;
    QLabel* m_count = nullptr;
};

}  // namespace tko
