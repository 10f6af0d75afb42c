#pragma once

#include "dlgbaredit.h"
#include "results/scoreentry.h"

#include <array>

class QLabel;

// The score bar: the judges' rider and stock marks (or their subtotals), the
// totals and the time on the animal, for the contestant up in a scored event.
class CDlgBarEditScores : public CDlgBarEdit
{
    Q_OBJECT
public:
    CDlgBarEditScores(CDatabaseManager& db, EntryBarHost& host, UserPrompt& prompt,
                      QWidget* parent = nullptr);

    void selectEvent(const EventCfg& event) override;
    void setDialogMode(bool inDialog) override;
    bool isChanged() const override { return m_model.isChanged(); }
    const ResultRecord& record() const override { return m_model.record(); }
    const ScoreEntry& model() const { return m_model; }

    CMaskedEdit* markField(ScoreEntry::Row row, int judge) const { return m_marks[row][judge]; }
    CMaskedEdit* timeField() const { return m_time; }
    QLineEdit* totalField(ScoreEntry::Row row) const { return m_totals[row]; }
    QPushButton* rerideButton() const { return m_reride; }
    QPushButton* noScoreButton() const { return m_noScore; }
    QPushButton* clearButton() const { return m_clear; }

public slots:
    bool save() override;
    void clear();
    void reride();
    void noScore();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void loadRecord(const std::optional<ResultRecord>& stored) override;
    void refresh() override;
    QWidget* tabTarget(QWidget* from, bool forward) override;
    bool entersPress(QAbstractButton* button) const override;
    void logLookupFailure(LookupFailure failure, quint32 id, quint32 team) const override;

private:
    void typed(ScoreEntry::Row row, int judge);
    void left(QWidget* field);
    bool isOpen(QWidget* w) const;
    // After a toggle: outside the dialog the result is saved at once.
    void toggled();

    ScoreEntry m_model;
    std::array<std::array<CMaskedEdit*, ScoreEntry::Judges>, 3> m_marks{};
    std::array<QLineEdit*, 3> m_totals{};
    std::array<QLabel*, 3> m_rowTitles{};
    CMaskedEdit* m_time = nullptr;
    QPushButton* m_reride = nullptr;
    QPushButton* m_noScore = nullptr;
    QPushButton* m_clear = nullptr;
};
