#include "dlgliveqr.h"

#include "qrcodeimage.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

CDlgLiveQr::CDlgLiveQr(const QString& url, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Live Results"));
    auto* intro = new QLabel(
        QStringLiteral("Scan the code with a phone on the arena's network, or type the address:"), this);
    intro->setWordWrap(true);
    auto* code = new QLabel(this);
    code->setObjectName(QStringLiteral("qrcode"));
    code->setAlignment(Qt::AlignCenter);
    const QImage image = QrCodeImage(url, 8);
    if (image.isNull())
        code->setText(QStringLiteral("The address is too long for a QR code."));
    else
        code->setPixmap(QPixmap::fromImage(image));
    auto* address = new QLabel(url, this);
    address->setObjectName(QStringLiteral("url"));
    address->setAlignment(Qt::AlignCenter);
    address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont big = address->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    address->setFont(big);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(code, 1);
    layout->addWidget(address);
    layout->addWidget(buttons);
}
