#pragma once

#include "io/ioconfigeditor.h"
#include "io/ioconfiguration.h"

#include <QDialog>
#include <QHash>
#include <functional>

class OutputManager;
class QLabel;
class QTableWidget;
class TxStream;
class UserPrompt;

// "Input/Output Configuration": the ports and what uses them, edited on a copy
// of the output manager's configuration. The lists' logic is IoConfigEditor's;
// this is its view. The caller applies configuration() after OK.
class CDlgIoConfig : public QDialog
{
    Q_OBJECT
public:
    using List = IoConfigEditor::List;
    // Shows a port's configuration sheet; true when it was accepted.
    using PortSheet = std::function<bool(TxStream& stream, QWidget* parent)>;

    CDlgIoConfig(OutputManager& manager, UserPrompt& prompt, QWidget* parent = nullptr);
    ~CDlgIoConfig() override;

    // The edited copy, to hand to OutputManager::ApplyDialogChanges on OK.
    IoConfiguration& configuration() { return m_copy; }
    IoConfigEditor& editor() { return m_editor; }

    QTableWidget* table(List list) const { return m_tables.value(int(list), nullptr); }
    QLabel* label(List list) const { return m_labels.value(int(list), nullptr); }
    void setPortSheet(PortSheet sheet) { m_sheet = std::move(sheet); }

    // Fills every list from the copy.
    void reload();
    // The Delete key on a row; refusals are shown as message boxes.
    void removeRow(List list, int row);
    // A double-click on a port row: its sheet, or a new port for the blank row.
    void configurePort(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableWidget* makeTable(List list);
    void fill(List list);

    OutputManager& m_manager;
    UserPrompt& m_prompt;
    IoConfiguration m_copy;
    IoConfigEditor m_editor;
    PortSheet m_sheet;
    QHash<int, QTableWidget*> m_tables;
    QHash<int, QLabel*> m_labels;
    bool m_reloadQueued = false;
};
