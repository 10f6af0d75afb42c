#include "dlgdrawsheet.h"

#include "framework/headerpanel.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

CDlgDrawSheet::CDlgDrawSheet(const QString& htmlPath, const QString& pdfPath, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Draw Sheet"));
    auto* header =
        new HeaderPanel(QStringLiteral("Draw Sheet"),
                        QStringLiteral("Written beside the reports, as a page and as a PDF to print."), this);
    m_page = new QTextBrowser(this);
    m_page->setObjectName(QStringLiteral("page"));
    QFile file(htmlPath);
    if (file.open(QIODevice::ReadOnly))
        m_page->setHtml(QString::fromUtf8(file.readAll()));
    auto* where = new QLabel(
        QStringLiteral("%1\n%2").arg(QDir::toNativeSeparators(htmlPath), QDir::toNativeSeparators(pdfPath)),
        this);
    where->setObjectName(QStringLiteral("where"));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* content = new QVBoxLayout;
    content->addWidget(m_page, 1);
    content->addWidget(where);
    m_openPdf = new QPushButton(QStringLiteral("Open PDF"), this);
    m_openPdf->setObjectName(QStringLiteral("openPdf"));
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setObjectName(QStringLiteral("close"));
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_openPdf);
    buttons->addStretch(1);
    buttons->addWidget(m_close);
    header->arrangeWithButtonColumn(this, content, buttons);
    resize(760, 560);
    connect(m_openPdf, &QPushButton::clicked, this,
            [pdfPath] { QDesktopServices::openUrl(QUrl::fromLocalFile(pdfPath)); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);
}
