#include "headerpanel.h"

#include "logoart.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>

HeaderPanel::HeaderPanel(const QString& title, const QString& description, QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    setPalette(pal);

    m_title = new QLabel(title, this);
    m_title->setObjectName(QStringLiteral("headerTitle"));
    QFont bold = m_title->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    m_title->setFont(bold);

    m_description = new QLabel(description, this);
    m_description->setObjectName(QStringLiteral("headerDescription"));
    m_description->setWordWrap(true);

    m_picture = new QLabel(this);
    m_picture->setPixmap(LogoArt::pixmap(QSize(75, 50)));
    m_picture->setFixedSize(75, 50);

    auto* texts = new QVBoxLayout;
    texts->addWidget(m_title);
    texts->addWidget(m_description);
    texts->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addLayout(texts, 1);
    layout->addWidget(m_picture, 0, Qt::AlignTop);
}

void HeaderPanel::setTitle(const QString& title)
{
    m_title->setText(title);
}

void HeaderPanel::setDescription(const QString& description)
{
    m_description->setText(description);
}

QString HeaderPanel::title() const
{
    return m_title->text();
}

QString HeaderPanel::description() const
{
    return m_description->text();
}

void HeaderPanel::arrangeWithButtonColumn(QWidget* dialog, QLayout* content, QLayout* buttons)
{
    auto* body = new QHBoxLayout;
    body->setContentsMargins(12, 12, 12, 12);
    body->addLayout(content, 1);
    body->addSpacing(8);
    body->addLayout(buttons);

    auto* layout = new QVBoxLayout(dialog);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(this);
    layout->addLayout(body, 1);
}
