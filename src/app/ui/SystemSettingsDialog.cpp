#include "app/ui/SystemSettingsDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "app/Preferences.h"
#include "app/ui/DialogParts.h"
#include "data/Records.h"
#include "platform/Picture.h"
#include "platform/ui/MessageBox.h"

namespace tko {
namespace {

QLineEdit* numberEdit(QWidget* parent, const char* name, const char* picture, const char* tip) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setProperty("picture", QLatin1String(picture));
    edit->setToolTip(QLatin1String(tip));
    edit->setAlignment(Qt::AlignRight);
    return edit;
}

}  // namespace

SystemSettingsDialog::SystemSettingsDialog(Database& db, QWidget* parent)
    : QDialog(parent), m_db(db) {
    setObjectName(QStringLiteral("SystemSettingsDialog"));
    setWindowTitle(QStringLiteral("System Wide Settings"));
    setWhatsThis(QStringLiteral("~System_Wide_Settings_Window"));

    m_path = new QLineEdit(this);
    m_path->setObjectName(QStringLiteral("pathEdit"));
    m_path->setMaxLength(SystemPref::Width::TCF);
    m_path->setProperty("picture", QStringLiteral("@s60"));
    m_path->setToolTip(QStringLiteral("Path to shared data"));
    connect(m_path, &QLineEdit::editingFinished, this, [this] {
        m_path->setText(QString::fromStdString(normaliseDataPath(m_path->text().toStdString())));
    });
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
    m_path->setText(QString::fromStdString(pref.TCF));
    m_private->setChecked(pref.PRIVATEPEOPLE != 0);
    m_confidential->setChecked(pref.CONFIDENTIAL != 0);
    m_viewAll->setChecked(pref.VIEWALL != 0);
    m_tries->setText(formatNumber(pref.ACCESSTRIES, u"@n-6"));
    m_hours->setText(formatNumber(pref.BACKUPHOURS, u"@n7"));
}

bool SystemSettingsDialog::collect() {
    const auto tries = parseNumber(m_tries->text(), u"@n-6", u"Log In Tries Permitted");
    const auto hours = parseNumber(m_hours->text(), u"@n7", u"Back Up Hours");
    for (const auto* parsed : {&tries, &hours}) {
        if (!parsed->ok()) {
            MessageBox::showText(this, parsed->error, windowTitle(), MessageButtons::Ok, {},
                                 MessageBox::Icon::Warning);
            (parsed == &tries ? m_tries : m_hours)->setFocus();
            return false;
        }
    }
    if (tries.value < -32768 || tries.value > 32767 || hours.value < 0 || hours.value > 32767) {
        MessageBox::showStandard(this, 10,
                                 tries.value < -32768 || tries.value > 32767
                                     ? QStringLiteral("Log In Tries Permitted")
                                     : QStringLiteral("Back Up Hours"),
                                 QStringLiteral("0 and 32767"));
        return false;
    }
    m_current.TCF = normaliseDataPath(m_path->text().toStdString());
    m_current.PRIVATEPEOPLE = m_private->isChecked() ? 1 : 0;
    m_current.CONFIDENTIAL = m_confidential->isChecked() ? 1 : 0;
    m_current.VIEWALL = m_viewAll->isChecked() ? 1 : 0;
    m_current.ACCESSTRIES = static_cast<std::int16_t>(tries.value);
    m_current.BACKUPHOURS = static_cast<std::int16_t>(hours.value);
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
