#pragma once

#include <QWidget>

class QLabel;

// The band at the top of every dialog: a bold title, a one-line description
// and the program's emblem on the right.
class HeaderPanel : public QWidget
{
    Q_OBJECT
public:
    explicit HeaderPanel(const QString& title = QString(), const QString& description = QString(),
                         QWidget* parent = nullptr);

    void setTitle(const QString& title);
    void setDescription(const QString& description);
    QString title() const;
    QString description() const;

    // Lays a dialog out the usual way: this panel across the top, then the
    // content with a column of buttons on its right.
    void arrangeWithButtonColumn(QWidget* dialog, QLayout* content, QLayout* buttons);

private:
    QLabel* m_title;
    QLabel* m_description;
    QLabel* m_picture;
};
