#include "assign/ui/RepeatAssignmentDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "assign/Repetition.h"
#include "data/Messages.h"
#include "data/Records.h"
#include "platform/Date.h"
#include "platform/Picture.h"
#include "platform/QtText.h"
#include "platform/ui/DialogButtons.h"
#include "platform/ui/MessageBox.h"

namespace tko {
namespace {

const char* const kTypeTips[9] = {
    "Assignment doesn't repeat",
    "e.g. 2nd Tuesday of Month",
    "Due again a set number of days after assignment was last due",
    "Due again a set number of weeks after assignment was last due",
    "Due again a set number of months after assignment was last due",
    "Due again a set number of days after the assignment was last concluded",
    "Due again a set number of weeks after the assignment was last concluded",
    "Due again a set number of months after the assignment was last concluded",
    "Due on each specified weekday",
};

// Monday first, as the dialog lists them; the values are weekday numbers.
constexpr int kDayOrder[7] = {1, 2, 3, 4, 5, 6, 0};

}  // namespace

RepeatAssignmentDialog::RepeatAssignmentDialog(Assignment& record, QWidget* parent)
    : QDialog(parent), m_record(record) {
    setObjectName(QStringLiteral("RepeatAssignmentDialog"));
    setWindowTitle(QStringLiteral("Repeat Assignment"));
    setWhatsThis(QStringLiteral("~Repeat_Assignment_Window"));
    QGroupBox* typeBox = buildTypeBox();
    QGroupBox* dayBox = buildDayBox();
    QGroupBox* occurrenceBox = buildOccurrenceBox();
    QGroupBox* weekdayBox = buildWeekdayBox();
    m_ofMonth = new QLabel(QStringLiteral("of month"), this);
    m_ofMonth->setObjectName(QStringLiteral("ofMonthLabel"));
    QHBoxLayout* numberRow = buildNumberRow();

    auto* grid = new QGridLayout;
    grid->addWidget(typeBox, 0, 0, 2, 1);
    grid->addWidget(occurrenceBox, 0, 1);
    grid->addWidget(weekdayBox, 0, 2);
    grid->addWidget(dayBox, 0, 3);
    grid->addWidget(m_ofMonth, 1, 1, 1, 2, Qt::AlignTop | Qt::AlignHCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(numberRow);
    layout->addWidget(m_stop);
    m_nextDates = new QLabel(this);
    m_nextDates->setObjectName(QStringLiteral("nextDatesLabel"));
    m_nextDates->setWordWrap(true);
    layout->addWidget(m_nextDates);
    const DialogButtons buttons = addDialogButtons(this, true);
    layout->addWidget(buttons.box);
    connect(buttons.ok, &QPushButton::clicked, this, &RepeatAssignmentDialog::accept);

    const int type = loadRule(record);
    connect(m_typeGroup, &QButtonGroup::idClicked, this, &RepeatAssignmentDialog::onTypeChosen);
    connect(m_stop, &QCheckBox::toggled, this, &RepeatAssignmentDialog::onStopToggled);
    chooseType(type);
    // The preview follows every control of the rule.
    for (QButtonGroup* group : {m_occurrenceGroup, m_weekdayGroup})
        connect(group, &QButtonGroup::idClicked, this, &RepeatAssignmentDialog::showNextDates);
    for (QCheckBox* day : m_days)
        connect(day, &QCheckBox::toggled, this, &RepeatAssignmentDialog::showNextDates);
    connect(m_number, &QLineEdit::textChanged, this, &RepeatAssignmentDialog::showNextDates);
    showNextDates();
}

void RepeatAssignmentDialog::showNextDates() {
    Assignment rule = m_record;
    fillRule(rule);
    const std::vector<Date> dates = nextDates(rule, m_record.DUEDATE, 5);
    if (dates.empty()) {
        m_nextDates->clear();
        return;
    }
    QStringList shown;
    for (Date date : dates) shown << formatDate(date, u"@D17");
    m_nextDates->setText(translated("Next dates:") + QLatin1Char(' ') +
                         shown.join(QStringLiteral(", ")));
}

// The nine kinds of rule, one radio button each.
QGroupBox* RepeatAssignmentDialog::buildTypeBox() {
    auto* typeBox = new QGroupBox(QStringLiteral("Type of Repeat"), this);
    auto* typeLayout = new QVBoxLayout(typeBox);
    m_typeGroup = new QButtonGroup(this);
    for (int type = 1; type <= 9; ++type) {
        auto* radio = new QRadioButton(QString::fromStdString(repeatTypeName(type)), typeBox);
        radio->setObjectName(QStringLiteral("typeRadio%1").arg(type));
        radio->setToolTip(QLatin1String(kTypeTips[type - 1]));
        m_typeGroup->addButton(radio, type);
        typeLayout->addWidget(radio);
        m_types[static_cast<size_t>(type - 1)] = radio;
    }
    return typeBox;
}

// The weekdays of a "Set Weekdays" rule, Monday first.
QGroupBox* RepeatAssignmentDialog::buildDayBox() {
    auto* dayBox = new QGroupBox(QStringLiteral("Weekdays"), this);
    m_dayBox = dayBox;
    auto* dayLayout = new QVBoxLayout(dayBox);
    for (int day : kDayOrder) {
        const QString name = QLatin1String(weekdayNames()[static_cast<size_t>(day)]);
        auto* check = new QCheckBox(name, dayBox);
        check->setObjectName(QStringLiteral("dayCheck%1").arg(day));
        check->setToolTip(QStringLiteral("Repeat every ") + name);
        dayLayout->addWidget(check);
        m_days[static_cast<size_t>(day)] = check;
    }
    return dayBox;
}

// "1st" to "Last" of a "Specific Weekday" rule.
QGroupBox* RepeatAssignmentDialog::buildOccurrenceBox() {
    auto* occurrenceBox = new QGroupBox(QStringLiteral("Occurrence"), this);
    m_occurrenceBox = occurrenceBox;
    auto* occurrenceLayout = new QVBoxLayout(occurrenceBox);
    m_occurrenceGroup = new QButtonGroup(this);
    for (int k = 1; k <= 5; ++k) {
        auto* radio = new QRadioButton(QLatin1String(occurrenceWords()[static_cast<size_t>(k - 1)]),
                                       occurrenceBox);
        radio->setObjectName(QStringLiteral("occurrenceRadio%1").arg(k));
        m_occurrenceGroup->addButton(radio, k);
        occurrenceLayout->addWidget(radio);
        m_occurrences[static_cast<size_t>(k - 1)] = radio;
    }
    return occurrenceBox;
}

// The weekday of a "Specific Weekday" rule.
QGroupBox* RepeatAssignmentDialog::buildWeekdayBox() {
    auto* weekdayBox = new QGroupBox(QStringLiteral("Weekday"), this);
    m_weekdayBox = weekdayBox;
    auto* weekdayLayout = new QVBoxLayout(weekdayBox);
    m_weekdayGroup = new QButtonGroup(this);
    for (int day : kDayOrder) {
        auto* radio =
            new QRadioButton(QLatin1String(weekdayNames()[static_cast<size_t>(day)]), weekdayBox);
        radio->setObjectName(QStringLiteral("weekdayRadio%1").arg(day));
        m_weekdayGroup->addButton(radio, day);
        weekdayLayout->addWidget(radio);
        m_weekdays[static_cast<size_t>(day)] = radio;
    }
    return weekdayBox;
}

// The interval with its unit and reference ("days after last due"), and
// "Stop Repeating" below it.
QHBoxLayout* RepeatAssignmentDialog::buildNumberRow() {
    m_number = new QLineEdit(this);
    m_number->setObjectName(QStringLiteral("numberEdit"));
    m_number->setProperty("picture", QStringLiteral("@n3"));
    m_number->setToolTip(QStringLiteral("Number of days, weeks or months"));
    m_number->setValidator(new QIntValidator(0, 999, m_number));
    m_number->setMaxLength(3);
    m_number->setMaximumWidth(50);
    m_unit = new QLabel(this);
    m_unit->setObjectName(QStringLiteral("unitLabel"));
    m_after = new QLabel(this);
    m_after->setObjectName(QStringLiteral("afterLabel"));
    m_stop = new QCheckBox(QStringLiteral("Stop Repeating"), this);
    m_stop->setObjectName(QStringLiteral("stopCheck"));
    m_stop->setToolTip(QStringLiteral("Stop repeating this assignment"));

    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(m_number);
    numberRow->addWidget(m_unit);
    numberRow->addWidget(m_after, 1);
    return numberRow;
}

// The record's rule into the controls; returns the option to choose.
int RepeatAssignmentDialog::loadRule(const Assignment& record) {
    int type = repeatTypeNumber(record.REPEATTYPE);
    if (type == 0) type = 1;
    for (int day = 0; day < 7; ++day)
        m_days[static_cast<size_t>(day)]->setChecked(record.SETDAYREPT[static_cast<size_t>(day)] ==
                                                     1);
    const int k = type == 2 ? occurrenceIndex(record.WEEKINMONTH) : 0;
    m_occurrences[static_cast<size_t>(k == 0 ? 0 : k - 1)]->setChecked(true);
    // A record without a weekday rule also holds 0: Monday is offered then,
    // a stored Sunday rule shows Sunday.
    const int day =
        type == 2 && record.DAYNO <= 6 && !(record.DAYNO == 0 && k == 0) ? record.DAYNO : 1;
    m_weekdays[static_cast<size_t>(day)]->setChecked(true);
    if (takesRepeatNumber(type) && record.REPNUMBER > 0)
        m_number->setText(QString::number(record.REPNUMBER));
    m_stop->setChecked(type != 1 && record.CLOSEDATE != 0);
    return type;
}

int RepeatAssignmentDialog::chosenType() const {
    return m_typeGroup->checkedId() < 1 ? 1 : m_typeGroup->checkedId();
}

void RepeatAssignmentDialog::chooseType(int type) {
    m_types[static_cast<size_t>(type - 1)]->setChecked(true);
    onTypeChosen(type);
}

void RepeatAssignmentDialog::onTypeChosen(int type) {
    m_dayBox->setEnabled(type == 9);
    m_occurrenceBox->setEnabled(type == 2);
    m_weekdayBox->setEnabled(type == 2);
    m_ofMonth->setEnabled(type == 2);
    const bool numbered = takesRepeatNumber(type);
    m_number->setEnabled(numbered);
    if (numbered) {
        static const char* const units[] = {"Day(s)", "Week(s)", "Month(s)"};
        m_unit->setText(translated(units[(type - 3) % 3]));
        m_after->setText(translated(type <= 5 ? "after last Due Date" : "after last concluded"));
        if (m_number->text().isEmpty() && m_record.REPNUMBER > 0)
            m_number->setText(QString::number(m_record.REPNUMBER));
    } else {
        m_unit->clear();
        m_after->clear();
        if (type <= 2) m_number->clear();
    }
    showNextDates();
}

void RepeatAssignmentDialog::onStopToggled(bool checked) {
    m_record.CLOSEDATE = checked ? Clock::today() : 0;
}

void RepeatAssignmentDialog::accept() {
    const int type = chosenType();
    if (takesRepeatNumber(type)) {
        const int number = m_number->text().toInt();
        if (number < 1) {
            MessageBox::showText(
                this, QStringLiteral("%1"), windowTitle(), MessageButtons::Ok,
                {translated("Missing number of") + QLatin1Char(' ') + m_unit->text()},
                MessageBox::Icon::Warning);
            m_number->setFocus();
            return;
        }
    }
    fillRule(m_record);
    QDialog::accept();
}

void RepeatAssignmentDialog::fillRule(Assignment& rule) const {
    const int type = chosenType();
    if (takesRepeatNumber(type))
        rule.REPNUMBER = static_cast<std::int16_t>(m_number->text().toInt());
    rule.REPEATTYPE = repeatTypeName(type);
    if (type == 2) {
        const int k = m_occurrenceGroup->checkedId() < 1 ? 1 : m_occurrenceGroup->checkedId();
        const int day = m_weekdayGroup->checkedId() < 0 ? 1 : m_weekdayGroup->checkedId();
        rule.WEEKINMONTH =
            store::clipText(translateText(occurrenceWords()[static_cast<size_t>(k - 1)]),
                            Assignment::Width::WEEKINMONTH);
        rule.DAYNO = static_cast<std::uint8_t>(day);
        rule.WEEKDAY = store::clipText(translateText(weekdayNames()[static_cast<size_t>(day)]),
                                       Assignment::Width::WEEKDAY);
    }
    if (type == 9)
        for (int day = 0; day < 7; ++day)
            rule.SETDAYREPT[static_cast<size_t>(day)] =
                m_days[static_cast<size_t>(day)]->isChecked() ? 1 : 0;
}

}  // namespace tko
