// The entry-file import, run from the Import File view.
#include "app/userprompt.h"
#include "app/viewtable.h"
#include "db/databasemanager.h"
#include "mainframe.h"
#include "reports/entryimporter.h"
#include "ui/dialogs/resolve/dlgnameresolver.h"
#include "ui/messageboxprompt.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <limits>

namespace {

// The import's stages on a progress window with Cancel. It appears once an
// import has taken a while and steps aside whenever the import asks the
// operator something (a name to split, a same-named contestant, a same team):
// the question is then the window in front, and the progress comes back when
// it is answered. Until the progress shows, the events the import lets
// through exclude the operator's clicks and keys: nothing else changes the
// rodeo meanwhile.
class ProgressWindowReport : public QObject, public ImportProgress
{
public:
    explicit ProgressWindowReport(QWidget* parent)
        : m_dialog(QString(), QStringLiteral("Cancel"), 0, kScale, parent)
    {
        m_dialog.setWindowTitle(QStringLiteral("Import File"));
        m_dialog.setWindowModality(Qt::WindowModal);
        // Shown by this report, never by the dialog's own timer.
        m_dialog.setMinimumDuration(std::numeric_limits<int>::max());
        m_dialog.setAutoReset(false);
        m_dialog.setAutoClose(false);
        m_dialog.hide();
        m_started.start();
        qApp->installEventFilter(this);
    }
    ~ProgressWindowReport() override { qApp->removeEventFilter(this); }

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
        if (!m_dialog.isVisible() && m_questions.isEmpty() && m_started.elapsed() >= kShowAfterMs)
            m_dialog.show();
        QApplication::processEvents(m_dialog.isVisible() ? QEventLoop::AllEvents
                                                         : QEventLoop::ExcludeUserInputEvents);
        return !m_dialog.wasCanceled();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWidget*>(watched);
        if (!window || window == &m_dialog || !window->isWindow() || window->windowModality() == Qt::NonModal)
            return false;
        if (event->type() == QEvent::Show && !m_questions.contains(window)) {
            m_questions.append(window);
            m_wasShown = m_wasShown || m_dialog.isVisible();
            m_dialog.hide();
            QApplication::setOverrideCursor(Qt::ArrowCursor);
        } else if (event->type() == QEvent::Hide && m_questions.removeAll(window) > 0) {
            QApplication::restoreOverrideCursor();
            if (m_questions.isEmpty() && m_wasShown)
                m_dialog.show();
        }
        return false;
    }

private:
    static constexpr int kScale = 1000;
    static constexpr int kShowAfterMs = 400;
    QProgressDialog m_dialog;
    QElapsedTimer m_started;
    QList<QPointer<QWidget>> m_questions; // open now, over the import
    bool m_wasShown = false;
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
            ProgressWindowReport progress(this);
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
