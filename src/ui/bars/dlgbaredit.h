#pragma once

#include "db/changesource.h"
#include "db/records.h"
#include "results/entrychecks.h"
#include "results/resultrecord.h"

#include <QPointer>
#include <QWidget>
#include <optional>

class CDatabaseManager;
class CMaskedEdit;
class EntryBarHost;
class QAbstractButton;
class QGroupBox;
class QLineEdit;
class QPushButton;
class UserPrompt;

// What the score bar and the time bar share: the entry they edit and its
// contestant, the dialog mode of "Edit Results", the buttons Save and Cancel,
// and the keys, which are handled before the widgets see them.
//
// Use: selectEvent(event), then SetComp(key, goRound) for each contestant up.
// The bar holds the result being typed until Save; nothing reaches the
// database but through the host's SaveResult. User-interface thread only.
class CDlgBarEdit : public QWidget
{
    Q_OBJECT
public:
    CDlgBarEdit(CDatabaseManager& db, EntryBarHost& host, UserPrompt& prompt, QWidget* parent = nullptr);

    virtual void selectEvent(const EventCfg& event) = 0;
    // Key 0 empties the bar. A go-round of -1 shows no entry; 0 keeps the
    // current entry's go-round. False (logged) when the competitor is unknown.
    bool SetComp(EntryKey key, int goRound);
    virtual void setDialogMode(bool inDialog);
    bool isInDialog() const { return m_inDialog; }
    // What the result history calls the results this bar saves outside
    // "Edit Results" (which is its own source): the entry bar, unless the
    // view hosting it says otherwise (Box Entry).
    void setChangeSource(ChangeSource source) { m_source = source; }

    const RegEntry& entry() const { return m_entry; }
    EntryKey entryKey() const { return m_key; }
    QString competitorName() const { return m_caption; }
    virtual bool isChanged() const = 0;
    virtual const ResultRecord& record() const = 0;

    // The buttons of the bar, for the keys and the tests.
    QPushButton* saveButton() const { return m_save; }
    QPushButton* cancelButton() const { return m_cancel; }

public slots:
    virtual bool save() = 0;
    virtual void cancel();

signals:
    // Save succeeded (the dialog closes on it) or Cancel was pressed.
    void saved();
    void cancelled();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

    // The result the entry holds in its go-round; none when it is not in it.
    std::optional<ResultRecord> storedResult() const;
    virtual void loadRecord(const std::optional<ResultRecord>& stored) = 0;
    virtual void refresh() = 0;
    // The next or previous widget for Tab and Shift+Tab; null: normal handling;
    // the bar itself: the key does nothing.
    virtual QWidget* tabTarget(QWidget* from, bool forward) = 0;
    // Buttons on which Enter presses the button rather than saving.
    virtual bool entersPress(QAbstractButton* button) const = 0;
    enum class LookupFailure { Team, FirstContestant, Contestant };
    virtual void logLookupFailure(LookupFailure failure, quint32 id, quint32 team) const = 0;

    void watch(QWidget* w);
    // The focus leaves a field for another of the window (not for a message
    // box or another window: the field is left only when the operator moves on).
    bool isLeaving(QEvent* event);
    void setCaption();
    // Fills a masked field with text unless it shows that text already, so
    // that the field being typed in keeps its cursor.
    static void show(CMaskedEdit* field, const QString& text);
    static void show(QLineEdit* field, const QString& text);
    void complain(QLineEdit* field, const QString& message, int start, int length);
    // A field left with a value that fails its check: complain, unless the
    // focus is going to Save, which checks and complains itself.
    void complainOnLeaving(QLineEdit* field, const EntryCheck& check);
    bool goingToSave() const;
    bool saveRecord(const ResultRecord& record, const char* failure);

    // Saving moves the focus to Save, which ends the edit of the field being
    // typed in; afterwards it goes back where it was (Save is then disabled),
    // unless a check sent it to a field meanwhile.
    class FocusReturn
    {
    public:
        explicit FocusReturn(QWidget* save);
        ~FocusReturn();

    private:
        QPointer<QWidget> m_before;
        QPointer<QWidget> m_save;
    };

    CDatabaseManager& m_db;
    EntryBarHost& m_host;
    UserPrompt& m_prompt;
    QGroupBox* m_group = nullptr;
    QPushButton* m_save = nullptr;
    QPushButton* m_cancel = nullptr;
    EventCfg m_event;
    RegEntry m_entry;
    EntryKey m_key = 0;
    QString m_caption;
    bool m_inDialog = false;
    ChangeSource m_source = ChangeSource::EntryBar;
    bool m_complaining = false;
};
