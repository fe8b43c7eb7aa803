// "Change User Password": the new password typed twice.
#pragma once

#include <QDialog>

#include "data/Database.h"

class QLineEdit;

namespace tko {

class ChangePasswordDialog : public QDialog {
    Q_OBJECT
public:
    ChangePasswordDialog(Database& db, const std::string& user, QWidget* parent = nullptr);

    QLineEdit* firstEdit() const { return m_first; }
    QLineEdit* secondEdit() const { return m_second; }
    // Set when the user record could not be read: the program must stop.
    bool fatalFailure() const { return m_fatal; }

private:
    void save();

    Database& m_db;
    std::string m_user;
    QLineEdit* m_first = nullptr;
    QLineEdit* m_second = nullptr;
    bool m_fatal = false;
};

}  // namespace tko
