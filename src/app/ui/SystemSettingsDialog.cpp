#include "app/ui/SystemSettingsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/ui/DialogParts.h"
#include "data/Preferences.h"
#include "data/Records.h"
#include "platform/Picture.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/NumberEntry.h"

namespace tko {
namespace {

QLineEdit* numberEdit(QWidget* parent, const char* name, const char* picture, const char* tip) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    restrictToNumber(edit, QLatin1String(picture));
    edit->setToolTip(QLatin1String(tip));
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

}  // namespace

SystemSettingsDialog::SystemSettingsDialog(Database& db, QWidget* parent, const DataSource& source)
    : QDialog(parent), m_db(db), m_source(source) {
    setObjectName(QStringLiteral("SystemSettingsDialog"));
    setWindowTitle(QStringLiteral("System Wide Settings"));
    setWhatsThis(QStringLiteral("~System_Wide_Settings_Window"));

    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("pathEdit"));
    m_path->setMaxLength(SystemPref::Width::TCF);
    // Shown, not set: each station names its data folder when it starts, and
    // the store keeps its transaction journal with the data (dataLocationText).
    m_path->setReadOnly(true);
    m_path->setToolTip(
        QStringLiteral("Path to shared data: the folder this station opened its data files "
                       "from. The transaction journal is kept with the data, so this path is "
                       "shown here and chosen when the program starts (--data)."));
    m_private = new QCheckBox(QStringLiteral("Private People Allowed"), this);
    m_private->setObjectName(QStringLiteral("privatePeopleCheck"));
    m_private->setToolTip(
        QStringLiteral("Users can add their own peole (not recommended with View All)"));
    m_confidential = new QCheckBox(QStringLiteral("Confidetial Comments Allowed"), this);
    m_confidential->setObjectName(QStringLiteral("confidentialCheck"));
    m_confidential->setToolTip(QStringLiteral("Users can create confidential comments"));
    m_viewAll = new QCheckBox(QStringLiteral("View All"), this);
    m_viewAll->setObjectName(QStringLiteral("viewAllCheck"));
    m_viewAll->setToolTip(
        QStringLiteral("Users can see all info (not recommended with Private People allowed)"));
    m_tries = numberEdit(this, "triesEdit", "@n-6", "Failed logins allowed (0 = no limit)");
    m_hours = numberEdit(this, "backupHoursEdit", "@n7",
                         "Hours between internal backups (0 = no backup)");

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Path to Data Directory:"), m_path);
    form->addRow(m_private);
    form->addRow(m_confidential);
    form->addRow(m_viewAll);
    form->addRow(QStringLiteral("Log In Tries Permitted:"), m_tries);
    form->addRow(QStringLiteral("Back Up Hours:"), m_hours);
    m_mail = new QPushButton(QStringLiteral("&Mail Server..."), this);
    m_mail->setObjectName(QStringLiteral("mailButton"));
    m_mail->setToolTip(QStringLiteral("The mail server that sends the notices"));
    form->addRow(m_mail);
    const DialogButtons buttons = addDialogButtons(this, true);
    connect(buttons.ok, &QPushButton::clicked, this, &SystemSettingsDialog::save);
    form->addRow(buttons.box);
    setMinimumWidth(480);

    std::vector<SystemPref> rows;
    store::ReadRequest first;
    first.limit = 1;
    if (m_db.read(first, rows).ok()) {
        m_loaded = m_current = rows.front();
        m_loadedOk = true;
        display(m_current);
    } else {
        MessageBox::showStandard(this, 35, QString::fromStdString(m_db.lastError().describe()),
                                 QStringLiteral("SYSTEMPREF"));
    }
}

void SystemSettingsDialog::display(const SystemPref& pref) {
    m_path->setText(QString::fromStdString(dataLocationText(m_source, pref.TCF)));
    m_private->setChecked(pref.PRIVATEPEOPLE != 0);
    m_confidential->setChecked(pref.CONFIDENTIAL != 0);
    m_viewAll->setChecked(pref.VIEWALL != 0);
    m_tries->setText(formatNumber(pref.ACCESSTRIES, u"@n-6"));
    m_hours->setText(formatNumber(pref.BACKUPHOURS, u"@n7"));
}

bool SystemSettingsDialog::collect() {
    const std::pair<QLineEdit*, const char*> numbers[] = {{m_tries, "Log In Tries Permitted"},
                                                          {m_hours, "Back Up Hours"}};
    std::int16_t values[2] = {0, 0};
    for (size_t i = 0; i < 2; ++i) {
        const auto& [edit, field] = numbers[i];
        if (const auto problem = readSettingNumber(edit->text().toStdString(), field, values[i])) {
            MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                                 {QString::fromStdString(*problem)}, MessageBox::Icon::Warning);
            edit->setFocus();
            edit->selectAll();
            return false;
        }
    }
    m_current.PRIVATEPEOPLE = m_private->isChecked() ? 1 : 0;
    m_current.CONFIDENTIAL = m_confidential->isChecked() ? 1 : 0;
    m_current.VIEWALL = m_viewAll->isChecked() ? 1 : 0;
    m_current.ACCESSTRIES = values[0];
    m_current.BACKUPHOURS = values[1];
    return true;
}

void SystemSettingsDialog::save() {
    if (!m_loadedOk) {
        reject();
        return;
    }
    bool again = true;
    while (again) {
        if (!collect()) return;
        again = actOnSaveOutcome(this, saveSystemPref(m_db, m_current, m_loaded), [this] {
            m_loaded = m_current;
            display(m_current);
        });
    }
}

}  // namespace tko
