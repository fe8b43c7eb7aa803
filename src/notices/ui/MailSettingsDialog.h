// "Mail Server": the office's mail server for the notices (System
// Administrators, from System Wide Settings), with "Send a test message"
// and the messages that could not be sent. The password is never shown back:
// the field stays empty and says whether one is stored; typing one replaces
// it.
#pragma once

#include <QDialog>

#include "data/Database.h"
#include "data/Records.h"
#include "data/Session.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace tko {

class MailSettingsDialog : public QDialog {
    Q_OBJECT
public:
    MailSettingsDialog(Database& db, const Session& session, const QString& programDir,
                       QWidget* parent = nullptr);

private:
    MailSetup collected() const;
    void sendTest();
    void save();

    Database& m_db;
    Session m_session;
    QString m_programDir;
    MailSetup m_loaded;
    QLineEdit* m_host;
    QSpinBox* m_port;
    QComboBox* m_security;
    QLineEdit* m_user;
    QLineEdit* m_password;
    QCheckBox* m_forget;
    QLineEdit* m_from;
    QLineEdit* m_testTo;
    QPlainTextEdit* m_troubles;
};

}  // namespace tko
