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

private:
    QLabel* m_title;
    QLabel* m_description;
    QLabel* m_picture;
};
