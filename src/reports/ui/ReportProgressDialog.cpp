#include "reports/ui/ReportProgressDialog.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "data/Messages.h"
#include "platform/QtText.h"

namespace tko {

ReportProgressDialog::ReportProgressDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ReportProgress"));
    setWindowTitle(translated("Generating Report"));
    setModal(true);
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    m_bar->setTextVisible(false);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("progressLabel"));
    m_status->setAlignment(Qt::AlignCenter);
    m_cancel = new QPushButton(translated("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("cancelButton"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addWidget(m_status);
    layout->addWidget(m_cancel, 0, Qt::AlignHCenter);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_cancelled = true;
        m_cancel->setEnabled(false);
    });
    showPercent(0);
    setMinimumWidth(320);
}

bool ReportProgressDialog::showPercent(int percent) {
    if (percent != m_shown) {
        m_shown = percent;
        m_bar->setValue(percent);
        m_status->setText(QString::number(percent) + translated("% Completed"));
        emit progressed(percent);
    }
    // Let the Cancel button through now and then without slowing the report.
    if (!m_sinceEvents.isValid() || m_sinceEvents.elapsed() > 40) {
        QCoreApplication::processEvents();
        m_sinceEvents.restart();
    }
    return !m_cancelled;
}

ReportProgress ReportProgressDialog::progress() {
    return [this](int percent) { return showPercent(percent); };
}

void ReportProgressDialog::completed() {
    m_bar->setValue(100);
    m_status->setText(translated("Completed"));
    m_cancel->setEnabled(false);
}

}  // namespace tko
