#include "reports/ui/ReportSelectionDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/Messages.h"
#include "platform/Picture.h"
#include "platform/ui/CalendarPopup.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"

namespace tko {

namespace {

constexpr const char* kHelpTopic = "~Report_Selection_Window";

QCheckBox* checkBox(QWidget* parent, const char* name, const char* text, const char* tip) {
    auto* box = new QCheckBox(QString::fromLatin1(text), parent);
    box->setObjectName(QLatin1String(name));
    if (tip) box->setToolTip(QString::fromLatin1(tip));
    return box;
}

QLineEdit* entry(QWidget* parent, const char* name, const char* tip) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    if (tip) edit->setToolTip(QString::fromLatin1(tip));
    return edit;
}

QToolButton* lookupButton(QWidget* parent, const char* name, const char* tip) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setText(QStringLiteral("..."));
    button->setToolTip(QString::fromLatin1(tip));
    return button;
}

}  // namespace

ReportSelectionDialog::ReportSelectionDialog(Workspace& workspace, ReportLookups lookups,
                                             PrintAction print, QWidget* parent)
    : QDialog(parent),
      m_workspace(workspace),
      m_lookups(std::move(lookups)),
      m_printAction(std::move(print)) {
    setObjectName(QStringLiteral("ReportSelection"));
    setWindowTitle(QStringLiteral("Report Selection"));
    setWhatsThis(QLatin1String(kHelpTopic));

    auto* typeBox = new QGroupBox(QStringLiteral("Type of Report"), this);
    typeBox->setObjectName(QStringLiteral("typeGroup"));
    auto* typeLayout = new QVBoxLayout(typeBox);
    m_types = new QButtonGroup(this);
    for (const ReportTypeInfo& info : kReportTypes) {
        auto* radio = new QRadioButton(QString::fromLatin1(info.title), typeBox);
        radio->setObjectName(QLatin1String(info.objectName));
        radio->setToolTip(QString::fromLatin1(info.tip));
        m_types->addButton(radio, static_cast<int>(info.type));
        typeLayout->addWidget(radio);
    }

    auto* listBox = new QGroupBox(QStringLiteral("List by"), this);
    listBox->setObjectName(QStringLiteral("listByGroup"));
    auto* listLayout = new QVBoxLayout(listBox);
    m_listBy = new QButtonGroup(this);
    for (size_t i = 0; i < kListByCaptions.size(); ++i) {
        auto* radio = new QRadioButton(QString::fromLatin1(kListByCaptions[i]), listBox);
        radio->setObjectName(QStringLiteral("listBy%1").arg(i + 1));
        m_listBy->addButton(radio, static_cast<int>(i + 1));
        listLayout->addWidget(radio);
    }

    m_secondary = checkBox(this, "secondaryCheck", "Include Secondary", reporttips::kSecondary);
    m_summary = checkBox(this, "summaryCheck", "Summary Format", reporttips::kSummary);
    auto* includeBox = new QGroupBox(QStringLiteral("Include"), this);
    includeBox->setObjectName(QStringLiteral("includeGroup"));
    auto* includeLayout = new QVBoxLayout(includeBox);
    m_general = checkBox(includeBox, "generalCommentsCheck", "General Comments", nullptr);
    m_assignee = checkBox(includeBox, "assigneeCommentsCheck", "Assignee Comments", nullptr);
    m_confidential =
        checkBox(includeBox, "confidentialCommentsCheck", "Confidential Comments", nullptr);
    includeLayout->addWidget(m_general);
    includeLayout->addWidget(m_assignee);
    includeLayout->addWidget(m_confidential);
    m_toFile = checkBox(this, "printToFileCheck", "Print to File", reporttips::kPrintToFile);
    m_preview = checkBox(this, "previewCheck", "Preview Report", reporttips::kPreview);
    m_dueNow = checkBox(this, "dueNowCheck", "Include Due Now", reporttips::kDueNow);
    m_openOnly = checkBox(this, "openOnlyCheck", "Open Only", reporttips::kOpenOnly);

    m_person = entry(this, "personEdit", reporttips::kPerson);
    m_group = entry(this, "groupEdit", reporttips::kGroup);
    m_project = entry(this, "projectEdit", reporttips::kProject);
    m_personLookup = lookupButton(this, "personLookupButton", reporttips::kPersonLookup);
    m_groupLookup = lookupButton(this, "groupLookupButton", reporttips::kGroupLookup);
    m_projectLookup = lookupButton(this, "projectLookupButton", reporttips::kProjectLookup);
    m_startDate = entry(this, "startDateEdit", nullptr);
    m_endDate = entry(this, "endDateEdit", nullptr);
    for (QLineEdit* edit : {m_startDate, m_endDate})
        edit->setProperty("picture", QStringLiteral("@D18b"));
    m_startCal = new QPushButton(QStringLiteral("Cal"), this);
    m_startCal->setObjectName(QStringLiteral("startCalButton"));
    m_endCal = new QPushButton(QStringLiteral("Cal"), this);
    m_endCal->setObjectName(QStringLiteral("endCalButton"));

    auto* fields = new QGridLayout;
    auto row = [&](int r, const char* caption, QWidget* edit, QWidget* button) {
        fields->addWidget(new QLabel(QString::fromLatin1(caption), this), r, 0);
        fields->addWidget(edit, r, 1);
        if (button) fields->addWidget(button, r, 2);
    };
    row(0, "Person:", m_person, m_personLookup);
    row(1, "Group:", m_group, m_groupLookup);
    row(2, "Project:", m_project, m_projectLookup);
    row(3, "Start Date:", m_startDate, m_startCal);
    row(4, "End Date:", m_endDate, m_endCal);

    auto* options = new QVBoxLayout;
    options->addWidget(listBox);
    options->addWidget(m_secondary);
    options->addWidget(m_summary);
    options->addWidget(includeBox);
    options->addWidget(m_dueNow);
    options->addWidget(m_openOnly);
    options->addWidget(m_toFile);
    options->addWidget(m_preview);
    options->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(typeBox);
    top->addLayout(options);
    auto* buttons = new QDialogButtonBox(this);
    m_print = buttons->addButton(QStringLiteral("Print"), QDialogButtonBox::ActionRole);
    m_print->setObjectName(QStringLiteral("printButton"));
    m_print->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancelButton"));
    QPushButton* help = buttons->addButton(QStringLiteral("Help"), QDialogButtonBox::HelpRole);
    help->setObjectName(QStringLiteral("helpButton"));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(fields);
    layout->addWidget(buttons);

    connect(m_types, &QButtonGroup::idClicked, this, &ReportSelectionDialog::onTypeChosen);
    connect(m_personLookup, &QToolButton::clicked, this, &ReportSelectionDialog::lookUpPerson);
    connect(m_groupLookup, &QToolButton::clicked, this, &ReportSelectionDialog::lookUpGroup);
    connect(m_projectLookup, &QToolButton::clicked, this, &ReportSelectionDialog::lookUpProject);
    connect(m_startCal, &QPushButton::clicked, this, [this] { pickDate(m_startDate); });
    connect(m_endCal, &QPushButton::clicked, this, [this] { pickDate(m_endDate); });
    connect(m_startDate, &QLineEdit::textChanged, this, &ReportSelectionDialog::updateEnabling);
    connect(m_endDate, &QLineEdit::textChanged, this, &ReportSelectionDialog::updateEnabling);
    connect(m_startDate, &QLineEdit::editingFinished, this,
            [this] { checkDateEntry(m_startDate, "Start Date"); });
    connect(m_endDate, &QLineEdit::editingFinished, this,
            [this] { checkDateEntry(m_endDate, "End Date"); });
    connect(m_print, &QPushButton::clicked, this, &ReportSelectionDialog::printReport);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(help, &QPushButton::clicked, this,
            [] { HelpBrowser::showHelp(QLatin1String(kHelpTopic)); });

    // The end date is the one Look Forward and the anniversaries share.
    if (m_workspace.session.EndDate != 0)
        m_endDate->setText(formatDate(m_workspace.session.EndDate, u"@D18b"));
    m_listBy->button(static_cast<int>(ListBy::DueDate))->setChecked(true);
    chooseType(ReportType::AssignmentsDue);
}

QRadioButton* ReportSelectionDialog::typeButton(ReportType type) const {
    return static_cast<QRadioButton*>(m_types->button(static_cast<int>(type)));
}

QRadioButton* ReportSelectionDialog::listByButton(ListBy listBy) const {
    return static_cast<QRadioButton*>(m_listBy->button(static_cast<int>(listBy)));
}

QCheckBox* ReportSelectionDialog::check(const QString& objectName) const {
    return findChild<QCheckBox*>(objectName);
}

ReportType ReportSelectionDialog::type() const {
    const int id = m_types->checkedId();
    return id >= 1 && id <= 10 ? static_cast<ReportType>(id) : ReportType::AssignmentsDue;
}

ListBy ReportSelectionDialog::listBy() const {
    const int id = m_listBy->checkedId();
    return id >= 1 && id <= 6 ? static_cast<ListBy>(id) : ListBy::DueDate;
}

void ReportSelectionDialog::chooseType(ReportType type) {
    typeButton(type)->setChecked(true);
    onTypeChosen(static_cast<int>(type));
}

void ReportSelectionDialog::onTypeChosen(int id) {
    const ReportType chosen =
        id >= 1 && id <= 10 ? static_cast<ReportType>(id) : ReportType::AssignmentsDue;
    listByButton(listByAfterTypeChange(chosen, listBy()))->setChecked(true);
    updateEnabling();
}

std::optional<Date> ReportSelectionDialog::dateOf(QLineEdit* edit, QString* why) const {
    const QString typed = edit->text().trimmed();
    if (typed.isEmpty()) return Date{0};
    const Parsed<Date> parsed = parseDate(typed, u"@D18b", QString());
    if (!parsed.ok()) {
        if (why) *why = parsed.error;
        return std::nullopt;
    }
    return parsed.value;
}

void ReportSelectionDialog::checkDateEntry(QLineEdit* edit, const char* field) {
    if (!edit->isEnabled()) return;
    QString why;
    const std::optional<Date> date = dateOf(edit, &why);
    if (!date) {
        // The typed text stays as it is for the user to correct.
        const Parsed<Date> named = parseDate(edit->text().trimmed(), u"@D18b",
                                             QString::fromStdString(translateText(field)));
        MessageBox::showText(this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                             {named.error}, MessageBox::Icon::Warning);
        edit->setFocus();
        return;
    }
    if (*date != 0) {
        const QSignalBlocker quiet(edit);
        edit->setText(formatDate(*date, u"@D18b"));
    }
    if (edit == m_endDate) m_workspace.session.EndDate = *date;
}

void ReportSelectionDialog::pickDate(QLineEdit* edit) {
    const std::optional<Date> current = dateOf(edit, nullptr);
    const std::optional<Date> picked = CalendarPopup::pick(this, current.value_or(0));
    if (!picked) return;
    edit->setText(formatDate(*picked, u"@D18b"));
    if (edit == m_endDate) m_workspace.session.EndDate = *picked;
}

void ReportSelectionDialog::updateEnabling() {
    const ReportOptionUse use = optionsUsedBy(type());
    m_person->setEnabled(use.person);
    m_personLookup->setEnabled(use.person);
    m_group->setEnabled(use.group);
    m_groupLookup->setEnabled(use.group);
    m_project->setEnabled(use.project);
    m_projectLookup->setEnabled(use.project);
    m_startDate->setEnabled(use.startDate);
    m_startCal->setEnabled(use.startDate);
    m_endDate->setEnabled(use.endDate);
    m_endCal->setEnabled(use.endDate);
    m_dueNow->setEnabled(use.includeDueNow);
    m_openOnly->setEnabled(use.openOnly);
    m_summary->setEnabled(use.summary);
    m_secondary->setEnabled(use.secondary);
    for (QAbstractButton* b : m_listBy->buttons()) b->setEnabled(use.listBy);
    for (QCheckBox* b : {m_general, m_assignee, m_confidential}) b->setEnabled(use.comments);
    m_print->setEnabled(printEnabled(params()));
}

ReportParams ReportSelectionDialog::params() const {
    ReportParams p;
    p.type = type();
    p.listBy = listBy();
    p.includeSecondary = m_secondary->isChecked();
    p.person = m_person->text().trimmed().toStdString();
    p.group = m_group->text().trimmed().toStdString();
    p.project = m_project->text().trimmed().toStdString();
    p.summary = m_summary->isChecked();
    p.generalComments = m_general->isChecked();
    p.assigneeComments = m_assignee->isChecked();
    p.confidentialComments = m_confidential->isChecked();
    p.printToFile = m_toFile->isChecked();
    p.preview = m_preview->isChecked();
    // A date that cannot be read counts as not filled in.
    p.startDate = dateOf(m_startDate, nullptr).value_or(0);
    p.endDate = dateOf(m_endDate, nullptr).value_or(0);
    p.includeDueNow = m_dueNow->isChecked();
    p.openOnly = m_openOnly->isChecked();
    return p;
}

namespace {

void runLookup(QWidget* parent, Workspace& workspace, const ReportNameLookup& lookup,
               QLineEdit* edit, const char* procedure) {
    if (!lookup) {
        MessageBox::showStandard(parent, 6, QLatin1String(procedure));
        return;
    }
    const std::optional<QString> chosen = lookup(parent, workspace);
    if (chosen) edit->setText(*chosen);
}

}  // namespace

void ReportSelectionDialog::lookUpPerson() {
    runLookup(this, m_workspace, m_lookups.person, m_person, "BrowsePeople");
}

void ReportSelectionDialog::lookUpGroup() {
    runLookup(this, m_workspace, m_lookups.group, m_group, "BrowseGroupLists");
}

void ReportSelectionDialog::lookUpProject() {
    runLookup(this, m_workspace, m_lookups.project, m_project, "BrowseProjects");
}

void ReportSelectionDialog::printReport() {
    const ReportParams p = params();
    if (!printEnabled(p)) return;
    const std::string wrong = checkReportParams(p);
    if (!wrong.empty()) {
        MessageBox::showText(this, QString::fromStdString(wrong), windowTitle(), MessageButtons::Ok,
                             {}, MessageBox::Icon::Warning);
        const ReportOptionUse use = optionsUsedBy(p.type);
        if (use.person)
            m_person->setFocus();
        else if (use.group)
            m_group->setFocus();
        else if (use.project)
            m_project->setFocus();
        return;
    }
    if (m_printAction) m_printAction(this, m_workspace, p);
}

}  // namespace tko
