#include "tallyraview.h"

#include "app/viewtable.h"
#include "framework/logoart.h"

#include <QLabel>
#include <QPushButton>

CTallyraView::CTallyraView(QWidget* parent) : CWorkView(ViewTable::Logo, parent)
{
    m_picture = new QLabel(this);
    m_picture->setPixmap(LogoArt::pixmap(QSize(300, 200)));
    m_picture->adjustSize();
    m_caption = new QLabel(tr("Scorvane\u00ae Rodeo \u2014 open a rodeo or create a new one from the File menu."), this);
    m_caption->adjustSize();
    m_demo = new QPushButton(tr("Open the demo season"), this);
    m_demo->adjustSize();
    m_demo->hide();
    connect(m_demo, &QPushButton::clicked, this, &CTallyraView::demoRequested);
    setAutoFillBackground(true);
    layoutControls();
}

void CTallyraView::resizeEvent(QResizeEvent* event)
{
    CWorkView::resizeEvent(event);
    layoutControls();
}

void CTallyraView::layoutControls()
{
    // The picture centred; the caption 15 pixels below it, aligned with its left edge.
    const QSize pic = m_picture->size();
    const int x = qMax(0, (width() - pic.width()) / 2);
    const int y = qMax(0, (height() - pic.height() - 15 - m_caption->height()) / 2);
    m_picture->move(x, y);
    m_caption->move(x, y + pic.height() + 15);
    m_demo->move(x, m_caption->geometry().bottom() + 15);
}

void CTallyraView::setDemoOffered(bool offered)
{
    m_demo->setVisible(offered);
    layoutControls();
}
