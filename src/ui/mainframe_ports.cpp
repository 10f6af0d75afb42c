// Ports that failed: shown in the status bar until they work, and tried again
// on their own every few seconds.
#include "io/outputmanager.h"
#include "mainframe.h"

#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace {
constexpr int RetryIntervalMs = 3000;
}

void CMainFrame::createPortWatch()
{
    m_portStatus = new QLabel(this);
    m_portStatus->setObjectName(QStringLiteral("portStatus"));
    m_portStatus->setStyleSheet(QStringLiteral("QLabel { color: #b00000; }"));
    m_portStatus->hide();
    statusBar()->addPermanentWidget(m_portStatus);
    m_portRetry = new QTimer(this);
    m_portRetry->setInterval(RetryIntervalMs);
    connect(m_portRetry, &QTimer::timeout, this, &CMainFrame::retryPorts);
    m_portRetry->start();
    showPortStatus();
}

void CMainFrame::retryPorts()
{
    for (const QString& name : m_output->RetryFailedPorts())
        showStatus(QStringLiteral("The port %1 works again.").arg(name));
    showPortStatus();
}

void CMainFrame::showPortStatus()
{
    if (!m_portStatus)
        return;
    const QStringList failed = m_output->FailedPorts();
    m_portStatus->setText(
        failed.isEmpty() ? QString() : QStringLiteral("Port failed: ") + failed.join(QStringLiteral("; ")));
    m_portStatus->setToolTip(m_portStatus->text());
    m_portStatus->setVisible(!failed.isEmpty());
}
