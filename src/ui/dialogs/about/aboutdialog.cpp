#include "aboutdialog.h"

#include "app/systeminfo.h"
#include "framework/logoart.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

CAboutDialog::CAboutDialog(const QString& dataFolder, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About Scorvane Rodeo"));

    auto* picture = new QLabel(this);
    picture->setPixmap(LogoArt::pixmap(QSize(120, 80)));

    auto* name = new QLabel(QStringLiteral("Scorvane Rodeo"), this);
    QFont f = name->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.4);
    name->setFont(f);
    auto* version = new QLabel(versionText(), this);
    auto* contact = new QLabel(QStringLiteral("Lumavantis Arena Systems\n"
                                              "Support: support@lumavantis.example\n"
                                              "Phone: +1 555 0142 (rodeo days, 7 am to 11 pm)"),
                               this);
    contact->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* heading = new QVBoxLayout;
    heading->addWidget(name);
    heading->addWidget(version);
    heading->addSpacing(6);
    heading->addWidget(contact);
    heading->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(heading, 1);

    auto* infoLabel = new QLabel(QStringLiteral("System information:"), this);
    auto* info = new QPlainTextEdit(SystemInfo::text(dataFolder), this);
    info->setObjectName(QStringLiteral("systemInfo"));
    info->setReadOnly(true);
    info->setMinimumSize(460, 150);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addSpacing(8);
    layout->addWidget(infoLabel);
    layout->addWidget(info, 1);
    layout->addWidget(buttons);
}

QString CAboutDialog::versionText()
{
    return QStringLiteral("Version: 1.4.3.0");
}
