#include "journey.h"

#include "platform/sql/sqlconnection.h"
#include "platform/sql/sqlrecordset.h"
#include "ui/mainframe.h"
#include "ui/messageboxprompt.h"
#include "ui/tallyraapp.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>
#include <deque>
#include <gtest/gtest.h>

namespace journey {

namespace {

QString normalized(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    text.replace(QStringLiteral("&&"), QStringLiteral("&"));
    text = text.simplified();
    if (text.endsWith(QLatin1Char(':')))
        text.chop(1);
    // A menu entry's shortcut after a tab is not part of its caption.
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    if (tab >= 0)
        text.truncate(tab);
    return text.trimmed();
}

QString describe(const QWidget* w)
{
    if (!w)
        return QStringLiteral("(none)");
    QString text = normalized(textOf(w));
    if (text.isEmpty())
        text = w->windowTitle();
    return QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(w->metaObject()->className()), text.left(80));
}

bool isDialogWindow(const QWidget* w)
{
    return w && w->isWindow() && w->isVisible() && w->windowModality() != Qt::NonModal &&
           !qobject_cast<const QMenu*>(w);
}

// Everything a dialog shows as text: its title, its message and its labels.
QString dialogText(const QWidget* dialog)
{
    QStringList parts{dialog->windowTitle()};
    if (const auto* box = qobject_cast<const QMessageBox*>(dialog)) {
        parts << box->text() << box->informativeText();
    } else {
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            if (label->isVisible())
                parts << label->text();
        if (const auto* progress = qobject_cast<const QProgressDialog*>(dialog))
            parts << progress->labelText();
    }
    return parts.join(QLatin1Char('\n'));
}

QList<QWidget*> visibleWindows()
{
    QList<QWidget*> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && !qobject_cast<QMenu*>(w))
            windows << w;
    return windows;
}

// --- Pictures of a failure -------------------------------------------------------------

class FailurePictures : public ::testing::EmptyTestEventListener
{
public:
    void OnTestStart(const ::testing::TestInfo& test) override
    {
        // Asked here: while a failure is being added the test's lock is held.
        m_stem = QStringLiteral("%1.%2").arg(QString::fromLatin1(test.test_suite_name()),
                                             QString::fromLatin1(test.name()));
    }

    void OnTestPartResult(const ::testing::TestPartResult& result) override
    {
        if (!result.failed() || m_taking)
            return;
        m_taking = true;
        const QString folder = QStringLiteral(TALLYRA_JOURNEY_FAILURES);
        QDir().mkpath(folder);
        const QString stem = m_stem.isEmpty() ? QStringLiteral("journey") : m_stem;
        int n = 0;
        for (QWidget* w : visibleWindows()) {
            const QString file = QStringLiteral("%1/%2-%3-%4.png").arg(folder, stem).arg(++m_count).arg(++n);
            if (w->grab().save(file))
                std::fprintf(stderr, "journey: picture of %s at %s\n", qPrintable(describe(w)),
                             qPrintable(file));
        }
        m_taking = false;
    }

private:
    QString m_stem;
    bool m_taking = false;
    int m_count = 0;
};

void watchFailures()
{
    static bool added = false;
    if (added)
        return;
    added = true;
    ::testing::UnitTest::GetInstance()->listeners().Append(new FailurePictures);
}

// --- Dialogs the journey expects ------------------------------------------------------------

struct Expectation
{
    QString text;
    std::function<void(QWidget*)> act;
};

// Watches, on a timer that keeps running inside every modal dialog's own
// event loop, for the dialogs the program shows; answers the expected ones in
// order and fails on any other. The answer runs from a timer of its own, so
// that a dialog it opens in turn is watched too.
class DialogWatcher : public QObject
{
public:
    DialogWatcher()
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start();
    }

    void expect(Expectation e) { m_expected.push_back(std::move(e)); }
    // Expectations not met yet, or answers still at work; an answer that
    // waits for the dialogs it expects itself does not wait for itself.
    bool pending() const { return !m_expected.empty() || m_acting > m_inAnswer; }
    QString firstPending() const { return m_expected.empty() ? QString() : m_expected.front().text; }
    const QStringList& answered() const { return m_answered; }
    void clear()
    {
        m_expected.clear();
        m_answered.clear();
        m_handled.clear();
    }

private:
    void poll()
    {
        // The dialog on top, as the platform has it.
        QWidget* top = QApplication::activeModalWidget();
        if (!top || !top->isVisible() || m_handled.contains(top))
            return;
        if (!m_expected.empty()) {
            const Expectation& next = m_expected.front();
            // The expected dialog is there but something else is on top of it.
            for (QWidget* w : visibleWindows()) {
                if (w != top && isDialogWindow(w) && !m_handled.contains(w) &&
                    dialogText(w).contains(next.text)) {
                    if (!m_reportedCovered.contains(w)) {
                        m_reportedCovered << w;
                        ADD_FAILURE() << "The dialog \"" << next.text.toStdString()
                                      << "\" is shown but cannot take input: " << describe(top).toStdString()
                                      << " is the active modal window over it";
                    }
                    return;
                }
            }
            if (dialogText(top).contains(next.text)) {
                Expectation e = m_expected.front();
                m_expected.pop_front();
                m_handled << top;
                m_answered << dialogText(top);
                QPointer<QWidget> dialog(top);
                ++m_acting;
                // Its own timer: the answer may open another dialog.
                QTimer::singleShot(0, this, [this, dialog, e] {
                    if (dialog) {
                        if (!waitFor([&] { return !dialog || QApplication::activeWindow() == dialog; }, 2000))
                            ADD_FAILURE()
                                << "The dialog \"" << e.text.toStdString() << "\" is not the active window; "
                                << describe(QApplication::activeWindow()).toStdString() << " is";
                        if (dialog) {
                            ++m_inAnswer;
                            e.act(dialog);
                            --m_inAnswer;
                        }
                    }
                    --m_acting;
                });
                return;
            }
        }
        if (qobject_cast<QProgressDialog*>(top))
            return; // the program's progress: it goes on its own
        // Nobody expected it: fail, and close it so that the journey does not hang.
        m_handled << top;
        ADD_FAILURE() << "An unexpected dialog: " << dialogText(top).toStdString()
                      << (m_expected.empty()
                              ? std::string()
                              : "\n(expected: \"" + m_expected.front().text.toStdString() + "\")");
        QPointer<QWidget> dialog(top);
        QTimer::singleShot(0, this, [dialog] {
            if (auto* box = qobject_cast<QMessageBox*>(dialog.data()); box && box->escapeButton())
                box->escapeButton()->click();
            else if (auto* d = qobject_cast<QDialog*>(dialog.data()))
                d->reject();
            else if (dialog)
                dialog->close();
        });
    }

    QTimer m_timer;
    std::deque<Expectation> m_expected;
    QList<QPointer<QWidget>> m_handled;
    QList<QPointer<QWidget>> m_reportedCovered;
    QStringList m_answered;
    int m_acting = 0;
    int m_inAnswer = 0; // answers running on the stack now
};

DialogWatcher& watcher()
{
    static DialogWatcher* w = new DialogWatcher; // lives as long as the application
    return *w;
}

QWidget* searchRoot()
{
    return QApplication::activeModalWidget();
}

bool shows(const QWidget* w, const QString& caption)
{
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return normalized(b->text()) == caption;
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return normalized(l->text()) == caption;
    if (const auto* g = qobject_cast<const QGroupBox*>(w))
        return normalized(g->title()) == caption;
    return false;
}

// The input widget a label names: its buddy, or what stands right of it.
QWidget* fieldOf(QLabel* label)
{
    if (label->buddy())
        return label->buddy();
    QWidget* parent = label->parentWidget();
    if (!parent)
        return nullptr;
    const QList<QLayout*> layouts = parent->findChildren<QLayout*>();
    for (QLayout* layout : layouts) {
        const int at = layout->indexOf(label);
        if (at < 0)
            continue;
        if (auto* form = qobject_cast<QFormLayout*>(layout)) {
            int row = -1;
            QFormLayout::ItemRole role;
            form->getWidgetPosition(label, &row, &role);
            if (QLayoutItem* item = form->itemAt(row, QFormLayout::FieldRole))
                return item->widget();
        } else if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
            int row, col, rs, cs;
            grid->getItemPosition(at, &row, &col, &rs, &cs);
            if (QLayoutItem* item = grid->itemAtPosition(row, col + cs))
                return item->widget();
        } else if (QLayoutItem* item = layout->itemAt(at + 1)) {
            return item->widget();
        }
    }
    return nullptr;
}

QWidget* searchIn(QWidget* window, const QString& caption)
{
    QList<QWidget*> all{window};
    all += window->findChildren<QWidget*>();
    for (QWidget* w : all) {
        if (!w->isVisible())
            continue;
        if (shows(w, caption)) {
            auto* label = qobject_cast<QLabel*>(w);
            QWidget* field = label ? fieldOf(label) : nullptr;
            // A label names the field beside it; a label alone is itself.
            if (field && field->isVisible() && !qobject_cast<QLabel*>(field))
                return field;
            return w;
        }
        if (auto* tabs = qobject_cast<QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                if (normalized(tabs->tabText(i)) == caption)
                    return w;
        }
    }
    return nullptr;
}

void failStep(const QString& what)
{
    ADD_FAILURE() << what.toStdString();
}

// The scroll arrow of a tab bar that moves towards its end (or its start).
QAbstractButton* tabArrow(QTabBar* tabs, bool towardsEnd)
{
    QAbstractButton* found = nullptr;
    for (auto* b : tabs->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
        if (!b->isVisible() || !b->isEnabled())
            continue;
        if (!found || (towardsEnd ? b->x() > found->x() : b->x() < found->x()))
            found = b;
    }
    return found;
}

// Whether a tab is wholly in sight: inside the bar and under no scroll arrow.
bool wholeTabShown(QTabBar* tabs, int index)
{
    const QRect tab = tabs->tabRect(index);
    if (!tabs->rect().contains(tab))
        return false;
    for (auto* b : tabs->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
        if (b->isVisible() && b->geometry().intersects(tab))
            return false;
    return true;
}

QPoint visibleMiddle(QWidget* w)
{
    const QRect r = w->visibleRegion().boundingRect();
    return r.isEmpty() ? QPoint(-1, -1) : r.center();
}

bool blockedByDialog(QWidget* w)
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return false;
    for (QWidget* p = w; p; p = p->parentWidget())
        if (p == modal)
            return false;
    return !w->window()->isAncestorOf(modal) && w->window() != modal &&
           !(w->window()->windowType() == Qt::Popup);
}

} // namespace

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QTest::qSleep(5);
    }
    return true;
}

// --- Program ---------------------------------------------------------------------------

Program::Program(const QString& home)
{
    watchFailures();
    watcher().clear();
    if (home.isEmpty()) {
        m_dir = std::make_unique<QTemporaryDir>();
        m_home = m_dir->path();
    } else {
        m_home = home;
    }
    m_savedHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", (m_home + QStringLiteral("/data")).toUtf8());
}

Program::~Program()
{
    end();
    qputenv("XDG_DATA_HOME", m_savedHome);
}

bool Program::start(const QStringList& arguments)
{
    // A journey sees every question as a person does: with questions sent to
    // the standard error instead, it stops here and says why.
    if (MessageBoxPrompt::isHeadless()) {
        failStep(QStringLiteral("Questions are set to go to the standard error: journeys need them shown"));
        return false;
    }
    m_app = std::make_unique<CTallyraApp>();
    m_app->setTemplateDatabase(QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"));
    m_app->setOpenDemo(arguments.contains(QStringLiteral("--demo")));
    if (!m_app->InitInstance()) {
        m_app.reset();
        return false;
    }
    m_app->mainFrame()->activateWindow();
    waitFor([this] { return m_app->mainFrame()->isVisible(); }, 2000);
    return true;
}

CMainFrame& Program::frame() const
{
    return *m_app->mainFrame();
}

void Program::end()
{
    if (!m_app)
        return;
    if (CMainFrame* f = m_app->mainFrame())
        f->closeWithoutAsking();
    m_app.reset();
    QCoreApplication::processEvents();
}

QString Program::dataFolder() const
{
    return m_home + QStringLiteral("/data/Lumavantis/Scorvane Rodeo/");
}

QString Program::seasonFile(const QString& season) const
{
    return dataFolder() + season + QLatin1Char('/') + season + QStringLiteral(".mdb");
}

// --- Finding ------------------------------------------------------------------------------

QString textOf(const QWidget* w)
{
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (const auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (const auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    if (const auto* g = qobject_cast<const QGroupBox*>(w))
        return g->title();
    if (const auto* s = qobject_cast<const QSpinBox*>(w))
        return s->text();
    if (const auto* p = qobject_cast<const QPlainTextEdit*>(w))
        return p->toPlainText();
    return w ? w->windowTitle() : QString();
}

QWidget* findIn(QWidget* window, const QString& caption)
{
    QWidget* w = waitFor([&] { return searchIn(window, normalized(caption)) != nullptr; }, 2000)
                     ? searchIn(window, normalized(caption))
                     : nullptr;
    if (!w)
        failStep(QStringLiteral("Nothing visible in %1 reads \"%2\"").arg(describe(window), caption));
    return w;
}

QWidget* find(const QString& caption)
{
    const QString wanted = normalized(caption);
    QWidget* found = nullptr;
    waitFor(
        [&] {
            if (QWidget* modal = searchRoot())
                return (found = searchIn(modal, wanted)) != nullptr;
            for (QWidget* window : visibleWindows())
                if ((found = searchIn(window, wanted)))
                    return true;
            return false;
        },
        2000);
    if (!found)
        failStep(
            QStringLiteral("Nothing visible reads \"%1\"%2")
                .arg(caption, searchRoot() ? QStringLiteral(" in ") + describe(searchRoot()) : QString()));
    return found;
}

QWidget* named(const QString& objectName, QWidget* within)
{
    QWidget* found = nullptr;
    waitFor(
        [&] {
            const QList<QWidget*> roots = within ? QList<QWidget*>{within} : visibleWindows();
            for (QWidget* root : roots) {
                if (root->objectName() == objectName && root->isVisible())
                    return (found = root) != nullptr;
                for (QWidget* w : root->findChildren<QWidget*>(objectName))
                    if (w->isVisible())
                        return (found = w) != nullptr;
            }
            return false;
        },
        2000);
    if (!found)
        failStep(QStringLiteral("No visible widget is named \"%1\"").arg(objectName));
    return found;
}

// --- Mouse and keys ---------------------------------------------------------------------------

namespace {

bool clickable(QWidget* w, const char* what)
{
    if (!w) {
        failStep(QStringLiteral("Cannot %1: there is no such widget").arg(QLatin1String(what)));
        return false;
    }
    if (!w->isVisible() || !w->isEnabled()) {
        failStep(QStringLiteral("Cannot %1 %2: it is %3")
                     .arg(QLatin1String(what), describe(w),
                          w->isVisible() ? QStringLiteral("disabled") : QStringLiteral("hidden")));
        return false;
    }
    if (blockedByDialog(w)) {
        failStep(QStringLiteral("Cannot %1 %2: the dialog %3 is in the way")
                     .arg(QLatin1String(what), describe(w), describe(QApplication::activeModalWidget())));
        return false;
    }
    if (visibleMiddle(w).x() < 0) {
        failStep(
            QStringLiteral("Cannot %1 %2: no part of it can be seen").arg(QLatin1String(what), describe(w)));
        return false;
    }
    return true;
}

void mouseAt(QWidget* w, QPoint at, bool twice, Qt::KeyboardModifiers modifiers = {})
{
    if (w->window()->windowType() != Qt::Popup && !w->window()->isActiveWindow()) {
        // A person's click brings the window to the front first.
        w->window()->activateWindow();
        waitFor([w] { return w->window()->isActiveWindow(); }, 500);
    }
    if (twice) {
        QTest::mouseClick(w, Qt::LeftButton, modifiers, at);
        QTest::mouseDClick(w, Qt::LeftButton, modifiers, at);
    } else {
        QTest::mouseClick(w, Qt::LeftButton, modifiers, at);
    }
    QCoreApplication::processEvents();
}

} // namespace

void click(QWidget* widget, Qt::KeyboardModifiers modifiers)
{
    if (!clickable(widget, "click"))
        return;
    mouseAt(widget, visibleMiddle(widget), false, modifiers);
}

void click(const QString& caption)
{
    QWidget* w = find(caption);
    if (auto* tabs = qobject_cast<QTabBar*>(w)) {
        for (int i = 0; i < tabs->count(); ++i)
            if (normalized(tabs->tabText(i)) == normalized(caption)) {
                if (!clickable(tabs, "click"))
                    return;
                // A tab beyond the bar's edge: the arrows first, as a person
                // brings it into sight.
                for (int tries = 0; tries < tabs->count() && !wholeTabShown(tabs, i); ++tries) {
                    QAbstractButton* arrow =
                        tabArrow(tabs, tabs->tabRect(i).center().x() > tabs->width() / 2);
                    if (!arrow)
                        break;
                    click(arrow);
                }
                if (!wholeTabShown(tabs, i)) {
                    failStep(QStringLiteral("The tab \"%1\" cannot be brought into sight").arg(caption));
                    return;
                }
                mouseAt(tabs, tabs->tabRect(i).center(), false);
                return;
            }
    }
    click(w);
}

void doubleClick(QWidget* widget)
{
    if (clickable(widget, "double-click"))
        mouseAt(widget, visibleMiddle(widget), true);
}

void chooseMenu(const QStringList& path)
{
    QWidget* window = QApplication::activeWindow();
    auto* bar = window ? window->findChild<QMenuBar*>() : nullptr;
    if (!bar && !QApplication::activeModalWidget()) {
        // No window is in front (a dialog just closed): the one with the menu
        // bar, which the click on it brings to the front.
        for (QWidget* w : visibleWindows())
            if ((bar = w->findChild<QMenuBar*>()))
                break;
    }
    if (!bar) {
        failStep(QStringLiteral("The active window %1 has no menu bar").arg(describe(window)));
        return;
    }
    QAction* top = nullptr;
    for (QAction* a : bar->actions())
        if (normalized(a->text()) == normalized(path.value(0)))
            top = a;
    if (!top || !top->isEnabled()) {
        failStep(QStringLiteral("The menu bar has no enabled menu \"%1\"").arg(path.value(0)));
        return;
    }
    if (!clickable(bar, "open the menu of"))
        return;
    mouseAt(bar, bar->actionGeometry(top).center(), false);
    QMenu* menu = top->menu();
    for (int i = 1; i < path.size(); ++i) {
        if (!menu || !waitFor([menu] { return menu->isVisible(); }, 2000)) {
            failStep(QStringLiteral("The menu \"%1\" did not open").arg(path.value(i - 1)));
            return;
        }
        QAction* item = nullptr;
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && normalized(a->text()) == normalized(path[i]))
                item = a;
        if (!item || !item->isVisible()) {
            failStep(QStringLiteral("The menu \"%1\" offers no \"%2\"").arg(path.value(i - 1), path[i]));
            menu->close();
            return;
        }
        if (!item->isEnabled()) {
            failStep(QStringLiteral("\"%1\" is disabled in the menu \"%2\"").arg(path[i], path.value(i - 1)));
            menu->close();
            return;
        }
        QMenu* sub = item->menu();
        // The last step may open a modal dialog: the click returns when it closes.
        mouseAt(menu, menu->actionGeometry(item).center(), false);
        menu = sub;
    }
}

void chooseContextMenu(QWidget* widget, QPoint at, const QString& item)
{
    if (!clickable(widget, "right-click"))
        return;
    // The menu runs its own event loop: it is worked from a timer inside it.
    bool opened = false;
    auto* poll = new QTimer;
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, item, &opened] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        poll->deleteLater();
        poll->stop();
        opened = true;
        QAction* chosen = nullptr;
        QStringList offers;
        for (QAction* a : menu->actions())
            if (!a->isSeparator() && a->isVisible()) {
                offers << normalized(a->text());
                if (normalized(a->text()) == normalized(item))
                    chosen = a;
            }
        if (!chosen || !chosen->isEnabled()) {
            failStep(QStringLiteral("The context menu offers no enabled \"%1\"; it offers: %2")
                         .arg(item, offers.join(QStringLiteral(" | "))));
            menu->close();
            return;
        }
        mouseAt(menu, menu->actionGeometry(chosen).center(), false);
    });
    poll->start();
    // The press, then the context-menu event the window system makes of it
    // (QTest hands mouse events to the widget directly, past the window that
    // would make it); the release goes to the menu.
    QTest::mousePress(widget, Qt::RightButton, {}, at);
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &menuEvent);
    QCoreApplication::processEvents();
    if (!opened) {
        delete poll;
        failStep(QStringLiteral("A right-click on %1 opened no menu").arg(describe(widget)));
    }
}

QWidget* focused()
{
    QWidget* w = QApplication::focusWidget();
    if (!w)
        failStep(QStringLiteral("Nothing has the keyboard focus (active window: %1)")
                     .arg(describe(QApplication::activeWindow())));
    return w;
}

void type(const QString& text)
{
    for (QChar c : text) {
        QWidget* w = focused();
        if (!w)
            return;
        if (blockedByDialog(w)) {
            failStep(QStringLiteral("Typing \"%1\": %2 has the focus behind the dialog %3")
                         .arg(text, describe(w), describe(QApplication::activeModalWidget())));
            return;
        }
        QTest::keyClick(w, c.toLatin1());
        QCoreApplication::processEvents();
    }
}

void key(int k, Qt::KeyboardModifiers modifiers)
{
    QWidget* w = focused();
    if (!w)
        return;
    QTest::keyClick(w, Qt::Key(k), modifiers);
    QCoreApplication::processEvents();
}

// --- Drop-downs ---------------------------------------------------------------------------------

namespace {

QModelIndex itemReading(QComboBox* box, const QString& text)
{
    QAbstractItemModel* model = box->model();
    const QString wanted = normalized(text);
    for (int r = 0; r < model->rowCount(box->rootModelIndex()); ++r) {
        const QModelIndex i = model->index(r, box->modelColumn(), box->rootModelIndex());
        if (normalized(i.data(Qt::DisplayRole).toString()) == wanted)
            return i;
    }
    return {};
}

} // namespace

QStringList offered(QComboBox* box)
{
    QStringList items;
    if (!box)
        return items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

void pick(QComboBox* box, const QString& text)
{
    if (!clickable(box, "open the drop-down"))
        return;
    // The arrow at the right end of the box opens its pop-up, editable or not.
    const QRect r = box->rect();
    mouseAt(box, QPoint(r.right() - 6, r.center().y()), false);
    QAbstractItemView* view = box->view();
    if (!waitFor([view] { return view->isVisible(); }, 2000)) {
        failStep(QStringLiteral("The drop-down %1 did not open").arg(describe(box)));
        return;
    }
    const QModelIndex item = itemReading(box, text);
    if (!item.isValid()) {
        failStep(QStringLiteral("The drop-down offers no \"%1\"; it offers: %2")
                     .arg(text, offered(box).join(QStringLiteral(" | "))));
        box->hidePopup();
        return;
    }
    // The pop-up ignores the release of the click that opened it for a moment.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    view->scrollTo(item);
    const QRect at = view->visualRect(item);
    const QRect seen = at.intersected(view->viewport()->rect());
    if (seen.isEmpty() || seen.width() < at.width() / 2) {
        failStep(QStringLiteral("The item \"%1\" cannot be seen whole in the pop-up (%2 of %3 pixels wide)")
                     .arg(text)
                     .arg(seen.width())
                     .arg(at.width()));
    }
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at.center());
    waitFor([view] { return !view->isVisible(); }, 2000);
    QCoreApplication::processEvents();
}

// --- Tables -----------------------------------------------------------------------------------------

int column(const QAbstractItemView* table, const QString& title)
{
    const QAbstractItemModel* model = table->model();
    const QString wanted = title.simplified();
    for (int c = 0; c < model->columnCount(); ++c)
        if (model->headerData(c, Qt::Horizontal).toString().simplified() == wanted)
            return c;
    return -1;
}

int rowWith(const QTableView* table, const QString& columnTitle, const QString& text)
{
    const int c = column(table, columnTitle);
    if (c < 0)
        return -1;
    for (int r = 0; r < table->model()->rowCount(); ++r)
        if (table->model()->index(r, c).data().toString().trimmed() == text.trimmed())
            return r;
    return -1;
}

QString cellText(const QTableView* table, int row, const QString& columnTitle)
{
    const int c = column(table, columnTitle);
    if (c < 0) {
        failStep(QStringLiteral("The table has no column \"%1\"").arg(columnTitle));
        return {};
    }
    return table->model()->index(row, c).data().toString();
}

namespace {

void mouseOnCell(QTableView* table, int row, const QString& columnTitle, bool twice)
{
    const int c = column(table, columnTitle);
    if (c < 0 || row < 0 || row >= table->model()->rowCount()) {
        failStep(QStringLiteral("No cell at row %1 under \"%2\"").arg(row).arg(columnTitle));
        return;
    }
    if (table->isColumnHidden(c)) {
        failStep(QStringLiteral("The column \"%1\" is hidden").arg(columnTitle));
        return;
    }
    if (!clickable(table, "click in"))
        return;
    const QModelIndex index = table->model()->index(row, c);
    table->scrollTo(index);
    QCoreApplication::processEvents();
    const QRect r = table->visualRect(index).intersected(table->viewport()->rect());
    if (r.isEmpty()) {
        failStep(QStringLiteral("The cell at row %1 under \"%2\" cannot be seen").arg(row).arg(columnTitle));
        return;
    }
    mouseAt(table->viewport(), r.center(), twice);
}

} // namespace

void clickCell(QTableView* table, int row, const QString& columnTitle)
{
    mouseOnCell(table, row, columnTitle, false);
}

void doubleClickCell(QTableView* table, int row, const QString& columnTitle)
{
    mouseOnCell(table, row, columnTitle, true);
}

bool clickTree(QTreeView* tree, const QStringList& path)
{
    if (!clickable(tree, "click in"))
        return false;
    QAbstractItemModel* model = tree->model();
    QModelIndex parent;
    QModelIndex item;
    for (int level = 0; level < path.size(); ++level) {
        item = QModelIndex();
        for (int r = 0; r < model->rowCount(parent) && !item.isValid(); ++r) {
            const QModelIndex candidate = model->index(r, 0, parent);
            if (normalized(candidate.data().toString()) == normalized(path[level]))
                item = candidate;
        }
        if (!item.isValid()) {
            QStringList there;
            for (int r = 0; r < model->rowCount(parent); ++r)
                there << model->index(r, 0, parent).data().toString();
            failStep(QStringLiteral("The tree has no \"%1\" here; it has: %2")
                         .arg(path[level], there.join(QStringLiteral(" | "))));
            return false;
        }
        tree->scrollTo(item);
        QCoreApplication::processEvents();
        if (level + 1 < path.size() && !tree->isExpanded(item)) {
            // The branch arrow left of the item's text.
            const QRect r = tree->visualRect(item);
            mouseAt(tree->viewport(), QPoint(qMax(2, r.left() - tree->indentation() / 2), r.center().y()),
                    false);
            if (!tree->isExpanded(item))
                tree->expand(item); // a style without arrows: as a double click would
        }
        parent = item;
    }
    const QRect r = tree->visualRect(item).intersected(tree->viewport()->rect());
    if (r.isEmpty()) {
        failStep(QStringLiteral("The tree item \"%1\" cannot be seen").arg(path.join(QLatin1Char('/'))));
        return false;
    }
    mouseAt(tree->viewport(), r.center(), false);
    return tree->currentIndex() == item;
}

QWidget* showing(const QString& value, QWidget* within)
{
    QWidget* found = nullptr;
    waitFor(
        [&] {
            const QList<QWidget*> roots =
                within ? QList<QWidget*>{within}
                       : (searchRoot() ? QList<QWidget*>{searchRoot()} : visibleWindows());
            for (QWidget* root : roots)
                for (QWidget* w : root->findChildren<QWidget*>())
                    if (w->isVisible() && (qobject_cast<QComboBox*>(w) || qobject_cast<QLineEdit*>(w)) &&
                        normalized(textOf(w)) == normalized(value))
                        return (found = w) != nullptr;
            return false;
        },
        2000);
    if (!found)
        failStep(QStringLiteral("No visible field shows \"%1\"").arg(value));
    return found;
}

QWidget* editCell(QTableView* table, int row, const QString& columnTitle)
{
    doubleClickCell(table, row, columnTitle);
    const int c = column(table, columnTitle);
    QWidget* editor = nullptr;
    if (c >= 0)
        waitFor([&] { return (editor = table->indexWidget(table->model()->index(row, c))) != nullptr; },
                2000);
    if (!editor)
        failStep(
            QStringLiteral("No editor opened on the cell at row %1 under \"%2\"").arg(row).arg(columnTitle));
    return editor;
}

// --- Dialogs ------------------------------------------------------------------------------------------

void expectDialog(const QString& text, const QString& button)
{
    expectDialog(text, [text, button](QWidget* dialog) {
        QWidget* b = findIn(dialog, button);
        if (!b) {
            failStep(QStringLiteral("The dialog \"%1\" has no button \"%2\"").arg(text, button));
            if (auto* d = qobject_cast<QDialog*>(dialog))
                d->reject();
            return;
        }
        click(b);
    });
}

void expectDialog(const QString& text, const std::function<void(QWidget*)>& act)
{
    watcher().expect({text, act});
}

void dialogsDone(int timeoutMs)
{
    if (!waitFor([] { return !watcher().pending(); }, timeoutMs)) {
        failStep(QStringLiteral("The dialog \"%1\" never came (on top now: %2)")
                     .arg(watcher().firstPending(), describe(QApplication::activeModalWidget())));
        watcher().clear();
    }
}

QStringList answeredDialogs()
{
    return watcher().answered();
}

// --- Reading back ----------------------------------------------------------------------------------------

std::unique_ptr<SqlConnection> openSeason(const Program& program, const QString& season)
{
    auto sql = std::make_unique<SqlConnection>();
    if (!sql->openReadOnly(program.seasonFile(season)))
        failStep(QStringLiteral("The season %1 cannot be opened: %2").arg(season, sql->lastError()));
    return sql;
}

QString queryText(SqlConnection& sql, const QString& statement, const QVariantList& values)
{
    auto rs = sql.query(statement, values);
    if (!rs) {
        failStep(QStringLiteral("%1: %2").arg(statement, sql.lastError()));
        return {};
    }
    if (!rs->moveFirst())
        return {};
    return rs->toText(rs->columns().value(0));
}

bool clickLink(QTextBrowser* page, const QString& text)
{
    if (!clickable(page, "click a link in"))
        return false;
    QStringList links;
    for (QTextBlock block = page->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid() || !fragment.charFormat().isAnchor())
                continue;
            if (normalized(fragment.text()) != normalized(text)) {
                links << fragment.text();
                continue;
            }
            QTextCursor cursor(page->document());
            cursor.setPosition(fragment.position() + fragment.length() / 2);
            page->setTextCursor(cursor);
            page->ensureCursorVisible();
            QCoreApplication::processEvents();
            const QRect r = page->cursorRect(cursor);
            mouseAt(page->viewport(), r.center(), false);
            return true;
        }
    }
    failStep(QStringLiteral("The page has no link \"%1\"; it has: %2")
                 .arg(text, links.join(QStringLiteral(" | "))));
    return false;
}

void choosePerformance(const QString& event, const QString& goRound, const QString& performance)
{
    pick(find<QComboBox>(QStringLiteral("Event:")), event);
    pick(find<QComboBox>(QStringLiteral("Go-Round:")), goRound);
    pick(find<QComboBox>(QStringLiteral("Performance:")), performance);
}

void replaceText(QWidget* field, const QString& text)
{
    click(field);
    key(Qt::Key_A, Qt::ControlModifier);
    type(text);
}

} // namespace journey
