#pragma once

// Steps that use the program as a person does: the real start-up in the test
// process, widgets found by what they show, the mouse on their visible
// rectangles, keys typed into whatever has the focus, real drop-down pop-ups
// and real dialogs answered by pressing their buttons. No prompt is answered
// behind the user's back: a dialog the journey did not expect fails the step,
// and so does an expected one that never comes or that something covers.
//
// A failing check (a step's or the test's own) leaves a picture of every
// window beside the test's output (journey-failures/ in the build folder).

#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <memory>

class CMainFrame;
class CTallyraApp;
class QAbstractItemView;
class QComboBox;
class QTableView;
class QTemporaryDir;
class QTreeView;
class QTextBrowser;
class QWidget;
class SqlConnection;

namespace journey {

// Waits, handling events, until the condition holds; false after timeoutMs.
bool waitFor(const std::function<bool()>& condition, int timeoutMs = 5000);

// --- The program ---------------------------------------------------------------------

// One copy of the program in its own data folder, started the way the
// desktop starts it (single-instance lock, log, main window, last rodeo).
class Program
{
public:
    // A data home of its own; home, when given, is reused (a restart).
    explicit Program(const QString& home = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Starts with these arguments (e.g. "--demo"); false when it ended at once.
    bool start(const QStringList& arguments = {});
    CMainFrame& frame() const;
    // Ends the program the way the system does at logout (state written, no
    // question asked), as the window manager's close would after "Yes".
    void end();

    QString home() const { return m_home; }
    // ".../Lumavantis/Scorvane Rodeo/"
    QString dataFolder() const;
    QString seasonFile(const QString& season) const;

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_home;
    QByteArray m_savedHome;
    std::unique_ptr<CTallyraApp> m_app;
};

// --- Finding what is shown --------------------------------------------------------------

// A visible widget showing caption: a button's text, a label's text, a group
// box's title, a check box, a tab, a window title, or a field whose label
// (buddy or the label on its left) reads caption. "&" marks and a trailing ":"
// are ignored. Searched in the active modal dialog when there is one, else in
// every visible window. Fails the test and returns null when none is found.
QWidget* find(const QString& caption);
template <class T> T* find(const QString& caption)
{
    return qobject_cast<T*>(find(caption));
}
// The same, inside one window only.
QWidget* findIn(QWidget* window, const QString& caption);
// A visible widget by its object name (for widgets that show no caption of
// their own, like a table).
QWidget* named(const QString& objectName, QWidget* within = nullptr);
template <class T> T* named(const QString& objectName, QWidget* within = nullptr)
{
    return qobject_cast<T*>(named(objectName, within));
}
// The visible text of a widget (label, button, line edit, combo box).
QString textOf(const QWidget* widget);

// --- Mouse and keys ------------------------------------------------------------------------

// A left click at the middle of the widget's visible part; fails when the
// widget is hidden, disabled, covered or blocked by a dialog.
void click(QWidget* widget, Qt::KeyboardModifiers modifiers = {});
void click(const QString& caption);
void doubleClick(QWidget* widget);
// Menu bar and menus: chooseMenu({"Configure", "Simulators", "Timing Console..."}).
void chooseMenu(const QStringList& path);
// A right-click at a point of the widget and, in the context menu it opens,
// the item that reads item (which may open a modal dialog: answer it with
// expectDialog before). Fails when no menu opens or it offers no such item.
void chooseContextMenu(QWidget* widget, QPoint at, const QString& item);
// Keys into the widget that has the focus (fails when nothing has it).
void type(const QString& text);
// Replaces what a field holds, as a person does: a click, select all, type.
void replaceText(QWidget* field, const QString& text);
void key(int key, Qt::KeyboardModifiers modifiers = {});
QWidget* focused();

// Opens the drop-down's pop-up with the mouse and clicks the item that reads
// text (its first column for a multi-column list); fails when it is not offered.
void pick(QComboBox* box, const QString& text);
// Items the drop-down's pop-up offers, as shown.
QStringList offered(QComboBox* box);

// --- Tables ---------------------------------------------------------------------------------

// The column whose title reads title (line breaks and padding ignored); -1.
int column(const QAbstractItemView* table, const QString& title);
// The first row whose cell in the column titled columnTitle reads text; -1.
int rowWith(const QTableView* table, const QString& columnTitle, const QString& text);
QString cellText(const QTableView* table, int row, const QString& columnTitle);
// The mouse on a cell (scrolled into view first).
void clickCell(QTableView* table, int row, const QString& columnTitle);
void doubleClickCell(QTableView* table, int row, const QString& columnTitle);
// A double click on the cell and the editor that opens over it (a line edit
// or a drop-down); null (and a failure) when none opens.
QWidget* editCell(QTableView* table, int row, const QString& columnTitle);

// The tree's item at path (each level by its text), expanded down to it with
// the mouse on the branch arrows and clicked; false (and a failure) when a
// level is not there.
bool clickTree(QTreeView* tree, const QStringList& path);

// The event, go-round and performance picked in the visible drop-downs of
// the view shown (Run Performance).
void choosePerformance(const QString& event, const QString& goRound, const QString& performance);

// A click on the link that reads text in a page (a text browser); false (and
// a failure) when the page shows no such link.
bool clickLink(QTextBrowser* page, const QString& text);

// A visible field that shows value (a drop-down's current item, a line
// edit's text), inside within when given.
QWidget* showing(const QString& value, QWidget* within = nullptr);
template <class T> T* showing(const QString& value, QWidget* within = nullptr)
{
    return qobject_cast<T*>(showing(value, within));
}

// --- Dialogs ---------------------------------------------------------------------------------

// The next dialog the program shows is expected to hold text (a part of its
// text) and is answered by clicking button. Expectations are met in order,
// while the journey goes on clicking and typing.
void expectDialog(const QString& text, const QString& button);
// The same, with the journey's own steps inside the dialog (e.g. a pick and
// OK); act gets the dialog.
void expectDialog(const QString& text, const std::function<void(QWidget*)>& act);
// Waits until every expected dialog came and was answered; fails naming the
// first that did not come.
void dialogsDone(int timeoutMs = 5000);
// Texts of the dialogs answered so far (for checking a message's words).
QStringList answeredDialogs();

// --- Reading back what was saved ---------------------------------------------------------------

// A second connection to a season's database, as another program would open it.
std::unique_ptr<SqlConnection> openSeason(const Program& program, const QString& season);
// The first column of the first row of a query ("" when there is none).
QString queryText(SqlConnection& sql, const QString& statement, const QVariantList& values = {});

} // namespace journey
