#pragma once

#include "dlgbaredit.h"
#include "results/timeentry.h"

// The time bar: ride time, penalty and total for the competitor up in a timed
// event.
class CDlgBarEditTimes : public CDlgBarEdit
{
    Q_OBJECT
public:
    CDlgBarEditTimes(CDatabaseManager& db, EntryBarHost& host, UserPrompt& prompt, QWidget* parent = nullptr);

    void selectEvent(const EventCfg& event) override;
    void setDialogMode(bool inDialog) override;
    bool isChanged() const override { return m_model.isChanged(); }
    const ResultRecord& record() const override { return m_model.record(); }
    const TimeEntry& model() const { return m_model; }

    CMaskedEdit* rideField() const { return m_ride; }
    CMaskedEdit* penaltyField() const { return m_penalty; }
    QLineEdit* totalField() const { return m_total; }
    QPushButton* penaltyButton() const { return m_penaltyButton; }
    QPushButton* noTimeButton() const { return m_noTime; }
    QPushButton* clearButton() const { return m_clear; }

public slots:
    bool save() override;
    void clear();
    void penalty();
    void noTime();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void loadRecord(const std::optional<ResultRecord>& stored) override;
    void refresh() override;
    QWidget* tabTarget(QWidget* from, bool forward) override;
    bool entersPress(QAbstractButton* button) const override;
    void logLookupFailure(LookupFailure failure, quint32 id, quint32 team) const override;

private:
    void typed(TimeEntry::Field field);
    void toggled();

    TimeEntry m_model;
    CMaskedEdit* m_ride = nullptr;
    CMaskedEdit* m_penalty = nullptr;
    QLineEdit* m_total = nullptr;
    QPushButton* m_penaltyButton = nullptr;
    QPushButton* m_noTime = nullptr;
    QPushButton* m_clear = nullptr;
};
