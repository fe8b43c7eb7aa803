// "System Wide Settings": the one SYSTEMPREF record, opened for change.
#pragma once

#include <QDialog>

#include "data/Database.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tko {

class SystemSettingsDialog : public QDialog {
    Q_OBJECT
public:
    // `source` is where this station opened its data; the path field shows it.
    SystemSettingsDialog(Database& db, QWidget* parent = nullptr, const DataSource& source = {});

    QLineEdit* pathEdit() const { return m_path; }
    QCheckBox* privatePeopleCheck() const { return m_private; }
    QCheckBox* confidentialCheck() const { return m_confidential; }
    QCheckBox* viewAllCheck() const { return m_viewAll; }
    QLineEdit* triesEdit() const { return m_tries; }
    QLineEdit* backupHoursEdit() const { return m_hours; }
    // Opens the mail server's settings (the main frame connects it).
    QPushButton* mailButton() const { return m_mail; }
    // False when the settings record could not be read (the dialog shows why).
    bool loaded() const { return m_loadedOk; }

private:
    void display(const SystemPref& pref);
    bool collect();  // controls -> m_current; false after a message
    void save();

    Database& m_db;
    DataSource m_source;
    SystemPref m_loaded, m_current;
    bool m_loadedOk = false;
    QLineEdit* m_path = nullptr;
    QCheckBox* m_private = nullptr;
    QCheckBox* m_confidential = nullptr;
    QCheckBox* m_viewAll = nullptr;
    QLineEdit* m_tries = nullptr;
    QLineEdit* m_hours = nullptr;
    QPushButton* m_mail = nullptr;
};

}  // namespace tko
