// "Update User Information": the user form for the insert, change and delete
// requests, with the tabs "General", "User's Rights Over Others", "Others'
// Rights Over User" and "Notes". The four rights lists are edited in memory
// and written with the user when the form is saved; every rule of the save
// is users/UserAccounts.h's.
#pragma once

#include <QDialog>

#include <array>

#include "data/Workspace.h"
#include "users/UserAccounts.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTabWidget;

namespace tko {

class FormScaffold;
class RightsListPanel;

class UserForm : public QDialog {
    Q_OBJECT
public:
    UserForm(Workspace& workspace, Request request, const User& user, QWidget* parent = nullptr);

    // Loads the user and his rights (change, delete). False when the form
    // must not open; the reason has been shown.
    bool start();
    bool completed() const;
    const User& record() const { return m_entry.user; }

    FormScaffold* scaffold() const { return m_scaffold; }
    QTabWidget* tabs() const { return m_tabs; }
    QLineEdit* edit(const QString& objectName) const;
    QCheckBox* suspendCheck() const { return m_suspend; }
    QRadioButton* accessButton(int level) const { return m_access.at(static_cast<size_t>(level)); }
    RightsListPanel* rights(const QString& objectName) const;
    QPlainTextEdit* notes() const { return m_notes; }
    QLabel* lastChanged() const { return m_lastChanged; }
    QLabel* notice() const { return m_notice; }
    // Delete request only: the user who takes over what the deleted user
    // owned (the administrator doing it, unless another is chosen).
    QComboBox* heirCombo() const { return m_heir; }

    void reject() override;

private:
    QWidget* buildGeneralPage();
    QLineEdit* addEdit(QFormLayout* form, const char* name, const QString& caption, int width,
                       bool password = false);
    void display();
    UserEntry collected() const;
    bool changed() const;
    bool save();
    bool remove();

    Workspace& m_workspace;
    Request m_request;
    FormScaffold* m_scaffold = nullptr;
    UserEntry m_entry;  // as loaded or last saved
    User m_original;    // the record as read, for the change check

    QTabWidget* m_tabs = nullptr;
    QLineEdit* m_userName = nullptr;
    QLineEdit* m_lastName = nullptr;
    QLineEdit* m_firstName = nullptr;
    QLineEdit* m_department = nullptr;
    QLineEdit* m_password = nullptr;
    QLineEdit* m_passwordAgain = nullptr;
    QCheckBox* m_suspend = nullptr;
    QButtonGroup* m_accessGroup = nullptr;
    std::array<QRadioButton*, 3> m_access{};
    QLabel* m_lastChanged = nullptr;
    QComboBox* m_heir = nullptr;
    QLabel* m_notice = nullptr;
    QLabel* m_status = nullptr;
    RightsListPanel* m_assignsTo = nullptr;
    RightsListPanel* m_views = nullptr;
    RightsListPanel* m_assignedBy = nullptr;
    RightsListPanel* m_viewedBy = nullptr;
    QPlainTextEdit* m_notes = nullptr;
};

// Opens the form modally for `request` on `user` (ignored for Insert). True
// when the request was completed; `user` then holds the stored record.
bool runUserForm(QWidget* parent, Workspace& workspace, Request request, User& user);

}  // namespace tko
