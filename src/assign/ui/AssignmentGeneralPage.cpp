#include "assign/ui/AssignmentGeneralPage.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QVBoxLayout>

#include "assign/AssignmentRules.h"
#include "assign/Repetition.h"
#include "assign/ui/FormWidgets.h"
#include "people/GroupLists.h"
#include "platform/Picture.h"
#include "platform/QtText.h"
#include "platform/ui/MessageBox.h"

namespace tko {

namespace {

QString longDate(Date date) {
    return formatDate(date, u"@D18b");
}

}  // namespace

AssignmentGeneralPage::AssignmentGeneralPage(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("generalPage"));
    nameEdit = new QLineEdit(this);
    nameEdit->setObjectName(QStringLiteral("nameEdit"));
    nameEdit->setMaxLength(Assignment::Width::NAME);
    nameEdit->setToolTip(QStringLiteral("Label/name for assignment"));
    personEdit = new QLineEdit(this);
    personEdit->setObjectName(QStringLiteral("personEdit"));
    personEdit->setMaxLength(Assignment::Width::PERSON);
    personEdit->setToolTip(QStringLiteral("Person assigned"));
    personButton = makeButton(this, "personButton", "...", "Select person from list");
    personButton->setMaximumWidth(32);
    prioritySpin = new QSpinBox(this);
    prioritySpin->setObjectName(QStringLiteral("prioritySpin"));
    prioritySpin->setRange(0, 255);  // refused outside 1..9 with the range message
    prioritySpin->setToolTip(QStringLiteral("Importance of assignment"));
    secondaryCheck = new QCheckBox(QStringLiteral("&Secondary"), this);
    secondaryCheck->setObjectName(QStringLiteral("secondaryCheck"));
    secondaryCheck->setToolTip(QStringLiteral("Secondary assignment"));
    dueDateEdit = new QLineEdit(this);
    dueDateEdit->setObjectName(QStringLiteral("dueDateEdit"));
    dueDateEdit->setProperty("picture", QStringLiteral("@D18b"));
    dueDateEdit->setToolTip(QStringLiteral("Date the assignment is due"));
    calButton = makeButton(this, "calButton", "Ca&l");
    repeatButton =
        makeButton(this, "repeatButton", "Repeat&ing", "Make assignment repeat regularly");
    assigneeConcludeCheck = new QCheckBox(QStringLiteral("Assi&gnee can conclude"), this);
    assigneeConcludeCheck->setObjectName(QStringLiteral("assigneeConcludeCheck"));
    repeatLabel = makeLabel(this, "repeatLabel");
    repeatLabel->setStyleSheet(QStringLiteral("color: #1f4e79;"));
    QLabel* assignedPrompt = makeLabel(this, "assignedPrompt", "Assigned:");
    m_assigned = makeLabel(this, "assignedLabel");
    QLabel* byPrompt = makeLabel(this, "byPrompt", "By:");
    m_by = makeLabel(this, "byLabel");
    concludedPrompt = makeLabel(this, "concludedPrompt", "Concluded:");
    concludedLabel = makeLabel(this, "concludedLabel");
    prevDuePrompt = makeLabel(this, "prevDuePrompt", "Previous Due:");
    prevDueLabel = makeLabel(this, "prevDueLabel");

    auto* personRow = new QHBoxLayout;
    personRow->addWidget(personEdit);
    personRow->addWidget(personButton);
    personRow->addStretch(1);
    auto* priorityRow = new QHBoxLayout;
    priorityRow->addWidget(prioritySpin);
    priorityRow->addSpacing(16);
    priorityRow->addWidget(secondaryCheck);
    priorityRow->addStretch(1);
    auto* dueRow = new QHBoxLayout;
    dueRow->addWidget(dueDateEdit, 1);
    dueRow->addWidget(calButton);
    dueRow->addWidget(repeatButton);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Assignment:"), nameEdit);
    personPrompt = makeLabel(this, "personPrompt", "P&erson Assigned:");
    personPrompt->setBuddy(personEdit);
    form->addRow(personPrompt, personRow);
    form->addRow(QStringLiteral("Priorit&y:"), priorityRow);
    static_cast<QLabel*>(form->labelForField(priorityRow))->setBuddy(prioritySpin);
    form->addRow(QStringLiteral("D&ue Date:"), dueRow);
    static_cast<QLabel*>(form->labelForField(dueRow))->setBuddy(dueDateEdit);
    form->addRow(QString(), repeatLabel);
    form->addRow(QString(), assigneeConcludeCheck);
    auto* dates = new QGridLayout;
    dates->addWidget(assignedPrompt, 0, 0);
    dates->addWidget(m_assigned, 0, 1);
    dates->addWidget(byPrompt, 0, 2);
    dates->addWidget(m_by, 0, 3);
    dates->addWidget(concludedPrompt, 1, 0);
    dates->addWidget(concludedLabel, 1, 1);
    dates->addWidget(prevDuePrompt, 2, 0);
    dates->addWidget(prevDueLabel, 2, 1);
    dates->setColumnStretch(1, 1);
    dates->setColumnStretch(3, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(8);
    layout->addLayout(dates);
    layout->addStretch(1);

    connect(prioritySpin, &QSpinBox::editingFinished, this, [this] {
        if (const auto message = checkAssignmentPriority(prioritySpin->value())) {
            MessageBox::show(this, *message);
            prioritySpin->setFocus();
            prioritySpin->selectAll();
        }
    });
}

void AssignmentGeneralPage::showRecord(const Assignment& a, const QString& who, bool forPerson) {
    nameEdit->setText(qs(a.NAME));
    personEdit->setText(who);
    prioritySpin->setValue(a.PRIORITY);
    secondaryCheck->setChecked(a.SECONDARY != 0);
    assigneeConcludeCheck->setChecked(a.ASSIGNEECONCLUDE != 0);
    dueDateEdit->setText(longDate(a.DUEDATE));
    m_assigned->setText(longDate(a.ASSIGNEDDATE));
    m_by->setText(qs(a.USERNAME));
    concludedPrompt->setVisible(a.CLOSEDATE != 0 && forPerson);
    concludedLabel->setVisible(a.CLOSEDATE != 0 && forPerson);
    concludedLabel->setText(longDate(a.CLOSEDATE));
    prevDuePrompt->setVisible(a.PREVDUE != 0 && forPerson);
    prevDueLabel->setVisible(a.PREVDUE != 0 && forPerson);
    prevDueLabel->setText(longDate(a.PREVDUE));
    showRepeatLine(a);
}

void AssignmentGeneralPage::showRepeatLine(const Assignment& a) {
    const RepeatLine line = RepeatDescription(a);
    switch (line.kind) {
        case RepeatLine::Hidden:
            repeatLabel->hide();
            break;
        case RepeatLine::Text:
            repeatLabel->setText(qs(line.text));
            repeatLabel->show();
            break;
        case RepeatLine::Unchanged:
            repeatLabel->show();
            break;
    }
}

void AssignmentGeneralPage::adaptToGroup() {
    personPrompt->setText(QStringLiteral("G&roup:"));
    personEdit->setObjectName(QStringLiteral("groupEdit"));
    personEdit->setMaxLength(kGroupNameWidth);
    personEdit->setToolTip(QStringLiteral("Group receiving assignment"));
    personButton->setToolTip(QStringLiteral("Look up group"));
    assigneeConcludeCheck->setText(QStringLiteral("Assi&gnees can conclude"));
    // The records to be are not yet anybody's: no concluded or previous due date.
    for (QLabel* label : {concludedPrompt, concludedLabel, prevDuePrompt, prevDueLabel})
        label->setVisible(false);
}

}  // namespace tko
