#include "notices/ui/DesktopNotifier.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimer>

#include "data/OfficeRoles.h"
#include "notices/OutboxSender.h"
#include "platform/StandardMessage.h"
#include "platform/Translate.h"

namespace tko {

namespace {
constexpr int kPollMs = 60 * 1000;
}

DesktopNotifier::DesktopNotifier(Workspace& workspace, QObject* parent)
    : QObject(parent), m_workspace(workspace) {
    m_tray = new QSystemTrayIcon(this);
    m_tray->setIcon(QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    m_tray->setToolTip(QStringLiteral("TASKORBIT"));
    if (QSystemTrayIcon::isSystemTrayAvailable()) m_tray->show();
    connect(m_tray, &QSystemTrayIcon::messageClicked, this, &DesktopNotifier::messageClicked);
    connect(m_tray, &QSystemTrayIcon::activated, this, &DesktopNotifier::messageClicked);
    m_timer = new QTimer(this);
    m_timer->setInterval(kPollMs);
    connect(m_timer, &QTimer::timeout, this, [this] { poll(); });
    m_timer->start();
}

DesktopNotifier::~DesktopNotifier() {
    if (m_sender) {
        m_sender->wait();
        delete m_sender;
    }
}

void DesktopNotifier::setDueCount(std::int64_t count) {
    m_tray->setToolTip(QStringLiteral("TASKORBIT - ") +
                       QString::fromStdString(translateText("Due now")) + QStringLiteral(": ") +
                       QString::number(count));
}

void DesktopNotifier::poll(bool announce) {
    if (!m_workspace.db || m_workspace.session.GlobalUser.empty()) return;
    std::vector<DueNotice> fresh;
    int troubled = -1;
    if (!m_announcer.poll(*m_workspace.db, m_workspace.session, Clock::today(), fresh, troubled)
             .ok())
        return;  // the next poll tries again
    if (!announce) {
        sendOutbox();
        return;
    }
    if (!fresh.empty()) {
        const DueNotice& first = fresh.front();
        QString text = QString::fromStdString(first.text);
        if (fresh.size() > 1)
            text += QStringLiteral("\n") +
                    QString::fromStdString(mergeParameters(translateText("and %1 more"),
                                                           std::to_string(fresh.size() - 1)));
        const bool assignment = first.kind == DueNotice::Assignment;
        m_shown = assignment ? Shown::Assignment : Shown::Reminders;
        m_shownNumber = first.number;
        m_tray->showMessage(QString::fromStdString(translateText(
                                assignment ? "Assignment due today" : "Reminder for today")),
                            text, QSystemTrayIcon::Information);
    } else if (troubled > 0) {
        m_shown = Shown::Outbox;
        m_tray->showMessage(
            QString::fromStdString(translateText("Notices by mail not sent")),
            QString::fromStdString(mergeParameters(translateText("%1 notices could not be sent."),
                                                   std::to_string(troubled))),
            QSystemTrayIcon::Warning);
    }
    sendOutbox();
}

void DesktopNotifier::sendOutbox() {
    if (m_sender && !m_sender->isFinished()) return;
    delete m_sender;
    m_sender = nullptr;
    MailSetup setup;
    if (!readMailSetup(*m_workspace.db, setup).ok() || !mailConfigured(setup) ||
        !readsWholeOffice(*m_workspace.db))
        return;
    const DataSource source = m_workspace.source;
    const QString programDir = m_workspace.programDir;
    m_sender = QThread::create([source, programDir] {
        Status status;
        auto db = Database::open(source, false, status, 3000, false);
        if (!db) return;  // another station, or the job, sends
        SendReport report;
        sendDueNotices(*db, programDir, stationName(), report);
    });
    m_sender->start();
}

void DesktopNotifier::messageClicked() {
    switch (m_shown) {
        case Shown::Assignment:
            emit assignmentChosen(m_shownNumber);
            break;
        case Shown::Reminders:
            emit remindersChosen();
            break;
        case Shown::Outbox:
            emit outboxChosen();
            break;
        case Shown::Nothing:
            break;
    }
}

}  // namespace tko
