#pragma once

#include "ui/views/workview.h"

// Stands in for a work view that this version of the program does not have
// yet: it says so plainly, so an operator never mistakes it for a broken page.
class CPendingView : public CWorkView
{
    Q_OBJECT
public:
    CPendingView(int viewId, const QString& caption, QWidget* parent = nullptr);
};
