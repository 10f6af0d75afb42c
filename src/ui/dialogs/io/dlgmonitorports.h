#pragma once

#include "io/monitorportsselection.h"

#include <QDialog>
#include <functional>

class OutputManager;
class QTableWidget;
class TxStream;
class UserPrompt;

// "Monitor Ports": every port with a choice toggled by clicking its row; OK
// opens the traffic viewer of each chosen port, parented to this dialog's
// parent (the main window), so the viewers outlive the dialog.
class CDlgMonitorPorts : public QDialog
{
    Q_OBJECT
public:
    // Opens a traffic viewer for a stream, with a line from the stream's reader.
    using ViewerOpener =
        std::function<void(TxStream& stream, QWidget* parent, std::function<QString()> statusNote)>;

    CDlgMonitorPorts(OutputManager& manager, UserPrompt& prompt, QWidget* parent = nullptr);

    QTableWidget* table() const { return m_table; }
    const MonitorPortsSelection& selection() const { return m_selection; }
    void setViewerOpener(ViewerOpener opener) { m_opener = std::move(opener); }
    // "Try Again": the failed ports try again (the main window's retry).
    void setRetry(std::function<void()> retry) { m_retry = std::move(retry); }

    void toggleRow(int row);
    void accept() override;

private:
    void fillRow(int row);

    OutputManager& m_manager;
    UserPrompt& m_prompt;
    MonitorPortsSelection m_selection;
    ViewerOpener m_opener;
    std::function<void()> m_retry;
    QTableWidget* m_table = nullptr;
};
