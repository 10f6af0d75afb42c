#pragma once

#include "ui/views/workview.h"

class QLabel;
class QPushButton;

// The logo page, shown while no rodeo is open: the emblem with a caption
// below it, kept centred as the window changes size; on a first start the
// offer to open the demo season below them.
class CTallyraView : public CWorkView
{
    Q_OBJECT
public:
    explicit CTallyraView(QWidget* parent = nullptr);

    // A first start with no season at all offers the demo season.
    void setDemoOffered(bool offered);
    QPushButton* demoButton() const { return m_demo; }

signals:
    void demoRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutControls();

    QLabel* m_picture;
    QLabel* m_caption;
    QPushButton* m_demo;
};
