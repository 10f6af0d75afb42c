// The entry-file import, run from the Import File view.
#include "app/userprompt.h"
#include "app/viewtable.h"
#include "db/databasemanager.h"
#include "mainframe.h"
#include "reports/entryimporter.h"
#include "ui/dialogs/resolve/dlgnameresolver.h"
#include "ui/messageboxprompt.h"

#include <QApplication>
#include <QProgressDialog>

namespace {

// The import's stages on a progress dialog with Cancel. Each report lets the
// window take its events (the dialog is modal, so nothing else can change the
// rodeo meanwhile); the dialog shows only when an import takes a while.
class ProgressDialogReport : public ImportProgress
{
public:
    explicit ProgressDialogReport(QWidget* parent)
        : m_dialog(QString(), QStringLiteral("Cancel"), 0, kScale, parent)
    {
        m_dialog.setWindowTitle(QStringLiteral("Import File"));
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(400);
        m_dialog.setAutoReset(false);
        m_dialog.setAutoClose(false);
    }

    void begin(const QString& label, qint64 steps) override
    {
        m_steps = steps;
        m_dialog.setLabelText(label);
        m_dialog.setValue(0);
    }
    bool advance(qint64 done) override
    {
        const int value = m_steps > 0 ? int(std::min<qint64>(kScale, done * kScale / m_steps)) : 0;
        m_dialog.setValue(value);
        QApplication::processEvents();
        return !m_dialog.wasCanceled();
    }

private:
    static constexpr int kScale = 1000;
    QProgressDialog m_dialog;
    qint64 m_steps = 0;
};

} // namespace

bool CMainFrame::ImportEntries(const QString& file, const QStringList& chosenEvents)
{
    if (!m_db->isRodeoOpen())
        return false;
    ImportSummary summary;
    {
        NameResolverDialogs names(this);
        EntryImporter importer(*m_db, *m_prompt, &names);
        if (MessageBoxPrompt::isHeadless()) {
            summary = importer.run(file, chosenEvents);
        } else {
            ProgressDialogReport progress(this);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            summary = importer.run(file, chosenEvents, &progress);
            QApplication::restoreOverrideCursor();
        }
    }
    if (summary.outcome == ImportSummary::Outcome::CannotOpen)
        return false; // the importer told the operator
    m_prompt->inform(summary.text(), QStringLiteral("Import File"));
    if (summary.outcome != ImportSummary::Outcome::Imported)
        return false;
    RefreshView(ViewTable::ContestantEntry);
    RefreshView(ViewTable::PerformanceEntry);
    return true;
}
