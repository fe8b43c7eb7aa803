#include "people/ui/UpcomingAnniversariesWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/Picture.h"
#include "platform/QtText.h"
#include "platform/ui/CalendarPopup.h"
#include "platform/ui/HelpBrowser.h"
#include "platform/ui/MessageBox.h"

namespace tko {

namespace {
constexpr char16_t kLongDate[] = u"@D18b";
constexpr char16_t kShortDate[] = u"@D17b";

}  // namespace

UpcomingAnniversariesWindow::UpcomingAnniversariesWindow(Workspace& workspace, QWidget* parent)
    : QDialog(parent), m_workspace(workspace) {
    setObjectName(QStringLiteral("UpcomingAnniversariesWindow"));
    setWindowTitle(QStringLiteral("Upcoming Anniversaries"));
    setWhatsThis(QStringLiteral("~Upcoming_Anniversary_Dates"));
    m_workspace.session.EndDate = 0;

    m_endDate = new QLineEdit(this);
    m_endDate->setObjectName(QStringLiteral("endDateEdit"));
    m_endDate->setProperty("picture", QStringLiteral("@D18b"));
    m_cal = new QPushButton(QStringLiteral("Cal"), this);
    m_cal->setObjectName(QStringLiteral("calButton"));
    m_cal->setAutoDefault(false);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("End Date:"), this));
    top->addWidget(m_endDate, 1);
    top->addWidget(m_cal);

    m_table = new QTableWidget(0, 3, this);
    m_table->setObjectName(QStringLiteral("anniversaryTable"));
    m_table->setHorizontalHeaderLabels(
        {translated("Initial Date"), translated("Person"), translated("Note")});
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);

    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    // Enter belongs to "End Date:" (it reloads the list); no button is the
    // default that Enter would press and so close the window.
    close->setAutoDefault(false);
    auto* help = new QPushButton(QStringLiteral("Help"), this);
    help->setObjectName(QStringLiteral("helpButton"));
    help->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    buttons->addWidget(help);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    resize(560, 380);

    connect(m_endDate, &QLineEdit::editingFinished, this,
            &UpcomingAnniversariesWindow::endDateEntered);
    connect(m_cal, &QPushButton::clicked, this, [this] {
        const Date from =
            m_workspace.session.EndDate ? m_workspace.session.EndDate : Clock::today();
        if (const auto date = CalendarPopup::pick(this, from)) {
            m_endDate->setText(formatDate(*date, kLongDate));
            endDateEntered();
        }
    });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(help, &QPushButton::clicked, this,
            [this] { HelpBrowser::showHelp(whatsThis(), this); });
    reload();
}

bool UpcomingAnniversariesWindow::reload() {
    std::vector<UpcomingRow> rows;
    const UpcomingWindow window = upcomingWindow(Clock::today(), m_workspace.session.EndDate);
    if (!readUpcoming(*m_workspace.db, m_workspace.session, window, rows).ok()) {
        MessageBox::showStandard(this, 35,
                                 QString::fromStdString(m_workspace.db->lastError().describe()),
                                 QStringLiteral("ANNIVERS"));
        return false;
    }
    showRows(rows);
    return true;
}

void UpcomingAnniversariesWindow::endDateEntered() {
    const Parsed<Date> date = parseDate(m_endDate->text().trimmed(), u"@D18", u"End Date");
    if (!date.ok()) {
        MessageBox::showText(this, date.error, windowTitle(), MessageButtons::Ok, {},
                             MessageBox::Icon::Warning);
        m_endDate->setFocus();
        return;
    }
    if (date.value != kNoDate) m_endDate->setText(formatDate(date.value, kLongDate));
    m_workspace.session.EndDate = date.value;
    reload();
}

void UpcomingAnniversariesWindow::showRows(const std::vector<UpcomingRow>& rows) {
    m_rows = rows;
    m_table->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const Anniversary& a = rows[static_cast<size_t>(i)].record;
        m_table->setItem(i, 0, new QTableWidgetItem(formatDate(a.DATE, kShortDate)));
        m_table->setItem(i, 1, new QTableWidgetItem(QString::fromStdString(a.SHORTNAME)));
        m_table->setItem(i, 2, new QTableWidgetItem(QString::fromStdString(a.NOTE)));
    }
    if (!rows.empty()) m_table->selectRow(0);
}

}  // namespace tko
