#pragma once

#include "ui/views/workview.h"

class QLabel;

// The logo page, shown while no rodeo is open: the emblem with a caption
// below it, kept centred as the window changes size.
class CTallyraView : public CWorkView
{
    Q_OBJECT
public:
    explicit CTallyraView(QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutControls();

    QLabel* m_picture;
    QLabel* m_caption;
};
