#include "pendingview.h"

#include <QLabel>
#include <QVBoxLayout>

CPendingView::CPendingView(int viewId, const QString& caption, QWidget* parent) : CWorkView(viewId, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* title = new QLabel(caption, this);
    QFont f = title->font();
    f.setPointSizeF(f.pointSizeF() * 1.6);
    f.setBold(true);
    title->setFont(f);
    title->setAlignment(Qt::AlignCenter);
    auto* note = new QLabel(tr("This view is not available in this version of the program yet."), this);
    note->setAlignment(Qt::AlignCenter);
    note->setWordWrap(true);
    layout->addStretch(1);
    layout->addWidget(title);
    layout->addWidget(note);
    layout->addStretch(2);
}
