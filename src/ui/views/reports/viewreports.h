#pragma once

#include "reports/reportbuilder.h"
#include "reports/reporttemplates.h"
#include "ui/views/workview.h"

class CMainFrame;
class QPushButton;
class QStandardItemModel;
class QTextBrowser;
class QTreeView;

// "Reports": the open rodeo as a tree; choosing a node writes the HTML pages
// that fit it (ReportBuilder) and shows "Index.html" in the pane beside it,
// from where the other pages are reached by their links. "Open in Browser"
// hands the page shown to the system's browser.
class CViewReports : public CWorkView
{
    Q_OBJECT
public:
    // htmlFolder ends with "/" (the data folder's "Html/").
    CViewReports(CMainFrame& frame, const QString& htmlFolder, QWidget* parent = nullptr);

    void activated() override;

    QTreeView* tree() const { return m_tree; }
    QTextBrowser* browser() const { return m_browser; }
    // The pages the last selection wrote.
    QStringList lastPages() const { return m_lastPages; }

protected:
    void reload() override;

private:
    void showRodeo();
    void nodeChosen();
    void showIndex();
    void openInBrowser();

    CMainFrame& m_frame;
    ReportTemplates m_templates;
    ReportBuilder m_builder;
    QStringList m_lastPages;

    QTreeView* m_tree;
    QStandardItemModel* m_model;
    QTextBrowser* m_browser;
    QPushButton* m_open;
};
