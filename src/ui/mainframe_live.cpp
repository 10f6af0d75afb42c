// Configure > Live Results: the server on the arena's network, the folder the
// pages are written to, the address in the status bar and its QR code.
#include "app/filemgr.h"
#include "app/userprompt.h"
#include "db/databasemanager.h"
#include "live/liveaddress.h"
#include "live/livepublisher.h"
#include "live/liveservice.h"
#include "mainframe.h"
#include "ui/dialogs/live/dlgliveqr.h"
#include "ui/dialogs/live/dlgliveresults.h"

#include <QPushButton>
#include <QStatusBar>

void CMainFrame::startLiveResults()
{
    m_liveStatus = new QPushButton(this);
    m_liveStatus->setObjectName(QStringLiteral("liveStatus"));
    m_liveStatus->setFlat(true);
    m_liveStatus->setFocusPolicy(Qt::NoFocus);
    m_liveStatus->hide();
    statusBar()->addPermanentWidget(m_liveStatus);
    connect(m_liveStatus, &QPushButton::clicked, this, &CMainFrame::showLiveAddress);

    connect(this, &CMainFrame::resultSaved, this, [this](const RegEntry& entry, const ResultRecord&) {
        if (m_livePublisher)
            m_livePublisher->resultSaved(entry);
    });
    connect(this, &CMainFrame::currentEntryChanged, this, [this] {
        if (m_livePublisher)
            m_livePublisher->currentChanged();
    });
    connect(this, &CMainFrame::rodeoChanged, this, [this] {
        if (m_livePublisher)
            m_livePublisher->rodeoChanged();
    });

    const LiveSettings stored = LiveSettings::load(*m_files);
    if (stored.anyOn())
        applyLiveSettings(stored); // a failure shows in the status bar
}

const RegEntry* CMainFrame::liveCurrentEntry() const
{
    // The database manager keeps its current entry when another rodeo opens:
    // only one selected since then is this rodeo's.
    const RegEntry& current = m_db->curEntry();
    return m_entrySelected && m_db->isRodeoOpen() && current.ptId != 0 ? &current : nullptr;
}

bool CMainFrame::applyLiveSettings(const LiveSettings& settings)
{
    m_liveSettings = settings;
    m_liveProblem.clear();
    m_liveFolderProblem.clear();
    if (!settings.anyOn()) {
        m_livePublisher.reset();
        m_live.reset();
        updateLiveStatus();
        return true;
    }
    if (!m_live) {
        m_live = std::make_unique<LiveService>();
        connect(m_live.get(), &LiveService::folderWritten, this, [this](bool ok, const QString& detail) {
            m_liveFolderProblem = ok ? QString() : detail;
            updateLiveStatus();
        });
    }
    bool ok = true;
    if (settings.serve) {
        const QHostAddress address =
            settings.address.isEmpty() ? QHostAddress(QHostAddress::Any) : QHostAddress(settings.address);
        if (!m_live->isServing() || m_live->serverPort() != settings.port ||
            m_live->serverAddress() != address) {
            QString error;
            ok = m_live->startServer(address, settings.port, &error);
            if (!ok)
                m_liveProblem = QStringLiteral("port %1: %2").arg(QString::number(settings.port), error);
        }
    } else {
        m_live->stopServer();
    }
    m_live->setFolder(settings.publishFolder ? settings.folder : QString());
    if (!m_livePublisher)
        m_livePublisher = std::make_unique<LivePublisher>(
            *m_db, [this] { return liveCurrentEntry(); },
            [this](std::shared_ptr<const LiveSnapshot> snapshot) { m_live->publish(std::move(snapshot)); });
    m_livePublisher->setTitle(settings.title);
    m_livePublisher->publishNow(); // a new folder or title gets the pages at once
    updateLiveStatus();
    return ok;
}

void CMainFrame::configureLiveResults()
{
    QStringList addresses;
    for (const LiveAddress::Candidate& c : LiveAddress::fromSystem())
        if (!c.address.isLinkLocal() && !addresses.contains(c.address.toString()))
            addresses << c.address.toString();
    CDlgLiveResults dlg(m_liveSettings, addresses, *m_prompt, this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    const LiveSettings chosen = dlg.values();
    if (!chosen.store(*m_files))
        m_prompt->warn(QStringLiteral("The live results settings could not be stored; they hold until the "
                                      "program ends."));
    if (!applyLiveSettings(chosen))
        m_prompt->warn(QStringLiteral("The live results cannot be served on %1.").arg(m_liveProblem));
}

QString CMainFrame::liveUrl() const
{
    if (!m_live || !m_live->isServing())
        return QString();
    return LiveAddress::url(LiveAddress::preferred(LiveAddress::fromSystem(), m_liveSettings.address),
                            m_live->serverPort());
}

void CMainFrame::updateLiveStatus()
{
    if (!m_liveSettings.anyOn()) {
        m_liveStatus->hide();
        return;
    }
    QString text;
    QString tip;
    bool trouble = false;
    if (!m_liveProblem.isEmpty()) {
        text = QStringLiteral("Live results: not served (%1)").arg(m_liveProblem);
        trouble = true;
    } else if (m_live && m_live->isServing()) {
        text = QStringLiteral("Live results: %1").arg(liveUrl());
        tip = QStringLiteral("Show the address as a QR code");
    } else {
        text = QStringLiteral("Live results: folder");
        tip = m_liveSettings.folder;
    }
    if (!m_liveFolderProblem.isEmpty()) {
        text += QStringLiteral(" \u2013 the folder could not be written");
        tip = m_liveFolderProblem;
        trouble = true;
    }
    m_liveStatus->setText(text);
    m_liveStatus->setToolTip(tip);
    m_liveStatus->setStyleSheet(trouble ? QStringLiteral("color: #b00020;") : QString());
    m_liveStatus->show();
}

void CMainFrame::showLiveAddress()
{
    updateLiveStatus(); // the computer's address may have changed since
    const QString url = liveUrl();
    if (url.isEmpty()) {
        configureLiveResults();
        return;
    }
    CDlgLiveQr dlg(url, this);
    dlg.exec();
}
