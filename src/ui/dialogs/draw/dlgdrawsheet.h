#pragma once

#include <QDialog>

class QPushButton;
class QTextBrowser;

// "Draw Sheet": the sheet just written, as it will print, with where its page
// and PDF are; "Open PDF" hands the PDF to the desktop's viewer.
class CDlgDrawSheet : public QDialog
{
    Q_OBJECT
public:
    CDlgDrawSheet(const QString& htmlPath, const QString& pdfPath, QWidget* parent = nullptr);

    QTextBrowser* page() const { return m_page; }
    QPushButton* openPdfButton() const { return m_openPdf; }
    QPushButton* closeButton() const { return m_close; }

private:
    QTextBrowser* m_page;
    QPushButton* m_openPdf;
    QPushButton* m_close;
};
