// "Update User Preferences" of the logged-in user: change request when the
// user's record exists, else insert request on a cleared record.
#pragma once

#include <QDialog>

#include "data/Database.h"
#include "data/Records.h"
#include "data/Session.h"
#include "sync/CalDav.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tko {

class UserPrefsDialog : public QDialog {
    Q_OBJECT
public:
    UserPrefsDialog(Database& db, const std::string& user, QWidget* parent = nullptr);

    Request request() const { return m_request; }
    QLineEdit* priorityEdit() const { return m_priority; }
    QLineEdit* delayEdit() const { return m_delay; }
    // Opens the language selection; the caller connects it.
    QPushButton* languageButton() const { return m_language; }
    QCheckBox* alarmCheck() const { return m_alarm; }
    QCheckBox* concludeCheck() const { return m_conclude; }
    QComboBox* portCombo() const { return m_port; }
    // Which notices by mail the user wants: new, changed, concluded, digest.
    QCheckBox* noticeCheck(int i) const { return m_notices[i]; }
    // The calendar server account (sync/CalDav.h): the password is never
    // shown, only whether one is stored.
    QLineEdit* caldavUrlEdit() const { return m_caldavUrl; }
    QLineEdit* caldavUserEdit() const { return m_caldavUser; }
    QLineEdit* caldavPasswordEdit() const { return m_caldavPassword; }
    QCheckBox* caldavForgetCheck() const { return m_caldavForget; }
    QCheckBox* caldavGivesCheck() const { return m_caldavGives; }

private:
    void display(const UserPref& pref);
    bool collect();
    void showCalendar();
    bool saveCalendar();
    void save();

    Database& m_db;
    Request m_request = Request::Insert;
    UserPref m_loaded, m_current;
    QLabel* m_for = nullptr;
    QLineEdit* m_priority = nullptr;
    QLineEdit* m_person = nullptr;
    QToolButton* m_lookup = nullptr;
    QCheckBox* m_alarm = nullptr;
    QCheckBox* m_conclude = nullptr;
    QComboBox* m_port = nullptr;
    QLineEdit* m_delay = nullptr;
    QPushButton* m_language = nullptr;
    QCheckBox* m_notices[4] = {};
    std::string m_user;
    NoticePref m_noticesLoaded;
    QLineEdit* m_caldavUrl = nullptr;
    QLineEdit* m_caldavUser = nullptr;
    QLineEdit* m_caldavPassword = nullptr;
    QCheckBox* m_caldavForget = nullptr;
    QCheckBox* m_caldavGives = nullptr;
    sync::CalDavSettings m_caldavLoaded;
};

}  // namespace tko
