#pragma once

#include <QDialog>
#include <QMap>
#include <QPair>
#include <QStringList>

class CDlgBarFindPlr;
class CMainFrame;
class CopyGrid;
class QComboBox;
class QPushButton;

// What the two copy dialogs share: the list of the other seasons, the rows
// of the season chosen (read from its database, opened read-only, while the
// open season stays open), the Find bar, and the tick memory: ticks are kept
// by (season position, row) with the row's texts as they were when ticked,
// so that ticks survive a switch to another season and back, and records of
// several seasons are copied together. The memory ends with the dialog.
class CDlgCopySeason : public QDialog
{
    Q_OBJECT
public:
    QComboBox* seasonList() const { return m_seasons; }
    CopyGrid* list() const { return m_list; }
    CDlgBarFindPlr* findBar() const { return m_find; }
    QPushButton* copyButton() const { return m_copy; }
    QPushButton* closeButton() const { return m_close; }
    // The season whose rows are listed (its position in the season list), -1 for none.
    int shownSeason() const { return m_shown; }

    void toggle(int row);
    bool isTicked(int row) const;
    bool isCopied(int row) const;
    // Ticked entries not copied yet, of every season.
    int pendingCount() const;

protected:
    struct Tick
    {
        QStringList cells; // the row's texts, columns 1 and on
        bool copied = false;
    };
    using TickKey = QPair<int, int>; // season position, row

    CDlgCopySeason(CMainFrame& frame, CopyGrid* list, const QString& title, const char* logName,
                   QWidget* parent);
    // The rows of a season's table, as texts of the list's columns 1 and on.
    virtual bool readSeason(const QString& season, QVector<QStringList>& rows, QString& error) = 0;
    virtual void copy() = 0;
    // Whether a copied entry still takes a toggle.
    virtual bool copiedToggles() const { return true; }
    void loadSeason();
    // The seasons listed and the first one loaded; called by the dialogs once
    // they are built.
    void fillSeasons();

    CMainFrame& m_frame;
    QMap<TickKey, Tick> m_ticks;

private:
    QComboBox* m_seasons;
    CopyGrid* m_list;
    CDlgBarFindPlr* m_find;
    QPushButton* m_copy;
    QPushButton* m_close;
    const char* m_logName;
    int m_shown = -1;
};
