#pragma once

#include "db/drawrecords.h"

#include <QDialog>
#include <QVector>

class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

// "Draw Request": a request of the secretary for the draws: a contestant up
// in a performance or out of one, 2 to 4 buddies in the same performance
// (each in an event, or in every event), or a contestant allowed two events
// in one performance; for one go-round or every one. Hands the request back
// (request()) when OK is pressed on a request that can be kept.
class CDlgDrawRequest : public QDialog
{
    Q_OBJECT
public:
    struct Choice
    {
        QString text;
        QVariant value;
    };
    // contestants: labels with PlrId; events: labels with EvId.
    CDlgDrawRequest(const QVector<Choice>& contestants, const QVector<Choice>& events, int goRounds,
                    QWidget* parent = nullptr);

    DrawRequestRec request() const;

    QComboBox* kind() const { return m_kind; }
    QComboBox* goRound() const { return m_goRound; }
    QSpinBox* performance() const { return m_perf; }
    QComboBox* contestant(int i) const { return m_people[i]; }
    QComboBox* event(int i) const { return m_events[i]; }
    QLabel* problem() const { return m_problem; }
    QPushButton* okButton() const { return m_ok; }

private:
    void kindChanged();
    void tryAccept();

    QComboBox* m_kind;
    QComboBox* m_goRound;
    QSpinBox* m_perf;
    QComboBox* m_people[4];
    QComboBox* m_events[4];
    QLabel* m_problem;
    QPushButton* m_ok;
};
