#pragma once

#include "ui/views/workview.h"

class CMainFrame;
class ImportEventsModel;
class QLineEdit;
class QPushButton;
class QTableView;

// "Import File": the entry file to import, the rodeo's events to import into
// (a click on a row toggles "TRUE" / "FALSE") and "Import", which asks about
// events that hold competitors already and then has the main window import.
class CViewImport : public CWorkView
{
    Q_OBJECT
public:
    explicit CViewImport(CMainFrame& frame, QWidget* parent = nullptr);

    QLineEdit* pathField() const { return m_path; }
    QTableView* eventList() const { return m_list; }
    ImportEventsModel* events() const { return m_model; }
    // "Import": false when nothing was imported.
    bool importFile();

protected:
    void reload() override;

private:
    void browse();

    CMainFrame& m_frame;
    QLineEdit* m_path;
    QTableView* m_list;
    ImportEventsModel* m_model;
    QPushButton* m_import;
};
