// The secretary imports the entries of the demo rodeo from entry files, the
// way a person does in the Import File view: the file chosen in the view's
// file dialog or typed into its field, the events ticked in the list, Import
// clicked. The file needs two names split, a same-named contestant resolved
// and a same team confirmed; it is imported twice, and the second time every
// contestant and team is there already. A Windows export follows (quotes and
// dashes in Windows-1252, one empty field at the end of each line). Every
// question is read and answered in its own window while the import waits for
// it; the summary is read line by line, and the season read back with a
// second connection.
#include "platform/sql/sqlconnection.h"
#include "steps/journey.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace journey;

namespace {

const QString kSeason = QStringLiteral("Demo");

// The yes columns of an entry line (fields 6 to 16), by the events they enter.
enum Enter { TieDown = 0, TeamRoping = 2, Barrels = 3 };

// One line of an entry file: name, home town, earnings last and this season,
// miscellaneous, the eleven yes columns, bib, partner and role.
QByteArray entryLine(const QByteArray& name, const QByteArray& town, QList<Enter> events, int bib,
                     int partner = 0, const char* role = "", const QByteArray& earnings = ",")
{
    QList<QByteArray> yes(11);
    for (Enter e : events)
        yes[e] = "Y";
    return name + ',' + town + ',' + earnings + ",," + yes.join(',') + ',' + QByteArray::number(bib) + ',' +
           (partner ? QByteArray::number(partner) : QByteArray()) + ',' + role;
}

void writeFile(const QString& path, const QList<QByteArray>& lines)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(lines.join("\r\n") + "\r\n");
}

QString one(const Program& program, const QString& statement, const QVariantList& values = {})
{
    auto sql = openSeason(program, kSeason);
    return queryText(*sql, statement, values);
}

int count(const Program& program, const QString& statement, const QVariantList& values = {})
{
    return one(program, statement, values).toInt();
}

// Ticks a check box with a click on its box (the box may be much wider than
// its text, and a click beside the text does nothing).
void tick(QWidget* widget)
{
    auto* box = qobject_cast<QCheckBox*>(widget);
    ASSERT_TRUE(box && box->isVisible() && box->isEnabled());
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect square = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, square.center());
    EXPECT_TRUE(box->isChecked()) << box->text().toStdString();
}

// How the windows behave while an import runs, as a person meets them:
// whether the import's progress window came up before a question did, and
// any question shown while the progress window is up too. A question the
// progress window covers leaves a person nothing but the progress window's
// Cancel; the journey then does the same (and closes the question), so that
// it fails instead of waiting for ever.
class ImportWindows : public QObject
{
public:
    ImportWindows()
    {
        qApp->installEventFilter(this);
        m_poll.setInterval(50);
        connect(&m_poll, &QTimer::timeout, this, [this] { poll(); });
        m_poll.start();
    }
    ~ImportWindows() override { qApp->removeEventFilter(this); }

    bool questionAfterProgress() const { return m_questionAfterProgress; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWidget*>(watched);
        if (event->type() != QEvent::Show || !window || !window->isWindow() ||
            window->windowModality() == Qt::NonModal)
            return false;
        if (qobject_cast<QProgressDialog*>(window))
            m_progressCame = true;
        else if (m_progressCame)
            m_questionAfterProgress = true;
        return false;
    }

private:
    void poll()
    {
        QProgressDialog* progress = nullptr;
        QList<QWidget*> questions;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || w->windowModality() == Qt::NonModal)
                continue;
            if (auto* p = qobject_cast<QProgressDialog*>(w))
                progress = p;
            else
                questions << w;
        }
        if (!progress || questions.isEmpty()) {
            m_covered = 0;
            return;
        }
        if (++m_covered == 1) {
            ADD_FAILURE() << "The import's progress window is up while a question is open: \""
                          << questions.first()->windowTitle().toStdString() << "\"";
        } else if (m_covered == 20) {
            // A second later: the way out a person has.
            if (QWidget* cancel = findIn(progress, QStringLiteral("Cancel")))
                QTest::mouseClick(cancel, Qt::LeftButton);
            for (QWidget* q : questions)
                if (auto* d = qobject_cast<QDialog*>(q))
                    d->reject();
        }
    }

    QTimer m_poll;
    int m_covered = 0;
    bool m_progressCame = false;
    bool m_questionAfterProgress = false;
};

// A question of the import: the person reads it a moment (the import has
// been running longer than its progress window waits by then), then acts.
void expectQuestion(const QString& text, const std::function<void(QWidget*)>& act)
{
    expectDialog(text, [act](QWidget* question) {
        QTest::qWait(600);
        act(question);
    });
}

// "Which part of ... is the first name?": the fields show the proposal; the
// person takes it or types the split he means.
void expectNameSplit(const QString& name, const QString& proposedFirst, const QString& proposedLast,
                     const QString& first, const QString& last)
{
    expectQuestion(QStringLiteral("Which part of \"%1\" is the first name?").arg(name),
                   [=](QWidget* resolver) {
                       QWidget* firstField = findIn(resolver, QStringLiteral("First Name"));
                       QWidget* lastField = findIn(resolver, QStringLiteral("Last Name"));
                       EXPECT_EQ(textOf(firstField), proposedFirst);
                       EXPECT_EQ(textOf(lastField), proposedLast);
                       if (first != proposedFirst)
                           replaceText(firstField, first);
                       if (last != proposedLast)
                           replaceText(lastField, last);
                       click(findIn(resolver, QStringLiteral("OK")));
                   });
}

// "Resolve contestants" for the contestant of the file named first and
// last: the person checks whom it is about, ticks "Apply to all the items"
// when he means it, and presses a button.
void expectSameName(const QString& first, const QString& last, const QString& button, bool applyToAll = false)
{
    expectQuestion(QStringLiteral("The Existing Contestants"), [=](QWidget* resolver) {
        QTableView* arriving = nullptr;
        for (QTableView* t : resolver->findChildren<QTableView*>())
            if (column(t, QStringLiteral("New Contestant")) >= 0)
                arriving = t;
        ASSERT_TRUE(arriving);
        EXPECT_EQ(cellText(arriving, 1, QStringLiteral("New Contestant")), first);
        EXPECT_EQ(cellText(arriving, 2, QStringLiteral("New Contestant")), last);
        auto* existing = named<QTableView>(QStringLiteral("existing"), resolver);
        ASSERT_TRUE(existing);
        EXPECT_EQ(existing->model()->columnCount(), 1) << "one contestant of that name in the season";
        EXPECT_EQ(cellText(existing, 2, QStringLiteral("Contestant 1")), last);
        if (applyToAll)
            tick(findIn(resolver, QStringLiteral("Apply to all the items")));
        click(findIn(resolver, button));
    });
}

void expectSameTeam(const QString& button, bool applyToAll = false)
{
    expectQuestion(QStringLiteral("There is at least one team with the same players."), [=](QWidget* box) {
        if (applyToAll)
            tick(findIn(box, QStringLiteral("Apply to All")));
        click(findIn(box, button));
    });
}

void expectOverwrite(const QString& event)
{
    expectDialog(event + QStringLiteral(" has cowboys assigned to it for this rodeo.\nContinuing will "
                                        "overwrite these cowboys.\nDo you want to continue?"),
                 QStringLiteral("Yes"));
}

// The summary at the end of an import, read whole and closed with OK.
void expectSummary(QString& text)
{
    expectDialog(QStringLiteral("Imported "), [&text](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_TRUE(box);
        text = box->detailedText().isEmpty() ? box->text() : box->detailedText();
        click(findIn(box, QStringLiteral("OK")));
    });
}

std::string lines(const QStringList& text)
{
    return text.join(QLatin1Char('\n')).toStdString();
}

// Clicks Import and waits for the import and its questions to be over.
void runImport(QWidget* importButton, bool progressBeforeAQuestion)
{
    ImportWindows windows;
    click(importButton);
    dialogsDone(10000);
    if (progressBeforeAQuestion) {
        EXPECT_TRUE(windows.questionAfterProgress()) << "the progress window never came up before a question";
    }
}

QString name(const Program& program, const QString& column, int bib)
{
    return one(program, QStringLiteral("SELECT %1 FROM Rosters WHERE PlrBib = ?").arg(column),
               {QString::number(bib)});
}

} // namespace

TEST(SecretaryImportJourney, EntryFilesImportedTwiceAndFromWindows)
{
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));
    QTemporaryDir files;
    ASSERT_TRUE(files.isValid());

    // UTF-8, as the association's site exports it. Wade Sundell, Lisa Lockhart
    // and Jordan Murray are in the season already; Lisa and Jordan rope
    // together in the demo rodeo. Hank names himself and Tom names Hank.
    const QString utf8File = files.filePath(QStringLiteral("entries.dta"));
    writeFile(utf8File,
              {
                  entryLine("Mary Ann Smith", "\"Cody,WY\"", {Barrels}, 201),
                  entryLine("Tuff Van Dyke", "Ponoka AB", {TieDown}, 202),
                  entryLine("\"Sundell, Wade\"", "\"Cody,WY\"", {TieDown}, 101, 0, "", "12500.00,3400.50"),
                  entryLine("\"Lockhart, Lisa\"", "Lampasas TX", {TeamRoping}, 123, 124, "P"),
                  entryLine("\"Murray, Jordan\"", "Lampasas TX", {TeamRoping}, 124, 123, "S"),
                  entryLine("\"Header, Hank\"", "Cody WY", {TeamRoping}, 301, 301, "P"),
                  entryLine("\"Heeler, Tom\"", "Cody WY", {TeamRoping}, 302, 301, "S"),
                  entryLine("\"Lone, Roper\"", "Cody WY", {TeamRoping}, 303, 399, "P"),
                  entryLine("\"Solo, Sam\"", "Cody WY", {TeamRoping}, 304, 304, "S"),
                  entryLine("\"O\xE2\x80\x99Neil, Kade\"", "\"Casper,WY\"", {Barrels}, 305),
                  entryLine("\"Pe\xC3\xB1"
                            "a, Jos\xC3\xA9\"",
                            "Taos NM", {Barrels}, 306),
                  entryLine("\"Doe, John\"", "Austin,TX", {Barrels}, 307),
              });

    click(QStringLiteral("Import File"));
    auto* events = named<QTableView>(QStringLiteral("importEvents"));
    ASSERT_TRUE(events);
    for (const char* event : {"Tie Down Roping", "Barrel Racing", "Team Roping"}) {
        const int row = rowWith(events, QStringLiteral("Event"), QString::fromLatin1(event));
        ASSERT_GE(row, 0) << event;
        EXPECT_EQ(cellText(events, row, QStringLiteral("Import")), QStringLiteral("FALSE"));
        clickCell(events, row, QStringLiteral("Import"));
        EXPECT_EQ(cellText(events, row, QStringLiteral("Import")), QStringLiteral("TRUE")) << event;
    }

    // The file, chosen in the view's file dialog.
    auto* path = named<QLineEdit>(QStringLiteral("importPath"));
    ASSERT_TRUE(path);
    expectDialog(QStringLiteral("Files of type"), [&](QWidget* dialog) {
        replaceText(findIn(dialog, QStringLiteral("File name")), utf8File);
        click(findIn(dialog, QStringLiteral("Open")));
    });
    click(QStringLiteral("..."));
    dialogsDone();
    ASSERT_EQ(path->text(), utf8File);
    QWidget* import = find(QStringLiteral("Import"));

    // What the file itself leaves out, each time it is imported.
    const QStringList kUtf8FileLeftOut{
        QStringLiteral("1 lines were skipped:"),
        QStringLiteral("Line 12: the name or the home town holds a comma that is not in quotes"),
        QStringLiteral("Not entered:"), QStringLiteral("Line 8: Roper Lone: partner 399 was not found"),
        QStringLiteral("Line 9: Sam Solo: partner 304 is his own number and no other roper names him")};

    // The first import: the names split, Wade's record replaced by the file's,
    // Lisa and Jordan left as the season has them, and their team kept.
    const int teamsBefore = count(program, QStringLiteral("SELECT COUNT(*) FROM Teams"));
    const int entriesBefore = count(program, QStringLiteral("SELECT COUNT(*) FROM Times"));
    const QString jordanTown =
        one(program, QStringLiteral("SELECT PlrHomeTown FROM Rosters WHERE PlrBib = '124'"));
    QString summary;
    expectOverwrite(QStringLiteral("Barrel Racing"));
    expectOverwrite(QStringLiteral("Team Roping"));
    expectNameSplit(QStringLiteral("Mary Ann Smith"), QStringLiteral("Mary Ann"), QStringLiteral("Smith"),
                    QStringLiteral("Mary Ann"), QStringLiteral("Smith"));
    expectNameSplit(QStringLiteral("Tuff Van Dyke"), QStringLiteral("Tuff Van"), QStringLiteral("Dyke"),
                    QStringLiteral("Tuff"), QStringLiteral("Van Dyke"));
    expectSameName(QStringLiteral("Wade"), QStringLiteral("Sundell"), QStringLiteral("Replace"));
    expectSameName(QStringLiteral("Lisa"), QStringLiteral("Lockhart"), QStringLiteral("Leave"), true);
    expectSameTeam(QStringLiteral("No"));
    expectSummary(summary);
    runImport(import, true);
    // Each go-round: three barrel racers and Hank and Tom's team (two go-rounds
    // each), two tie-down ropers.
    const int tieDownGos = count(program, QStringLiteral("SELECT ReGos FROM RodeoEvents WHERE EvId = 'TD'"));
    const int entered = 3 * 2 + 2 + 2 * tieDownGos;
    EXPECT_EQ(summary.toStdString(),
              lines(QStringList{
                        QStringLiteral("Imported 11 contestants and %1 entries (2 teams).").arg(entered),
                        QStringLiteral("2 entries were in the rodeo already and were kept as they were."),
                    } +
                    kUtf8FileLeftOut));
    ASSERT_FALSE(::testing::Test::HasFailure());

    EXPECT_EQ(name(program, QStringLiteral("PlrFirstName || '|' || PlrLastName"), 201),
              QStringLiteral("Mary Ann|Smith"));
    EXPECT_EQ(name(program, QStringLiteral("PlrFirstName || '|' || PlrLastName"), 202),
              QStringLiteral("Tuff|Van Dyke"));
    EXPECT_EQ(name(program, QStringLiteral("PlrLastName"), 305), QStringLiteral("O\u2019Neil"));
    EXPECT_EQ(name(program, QStringLiteral("PlrFirstName || ' ' || PlrLastName"), 306),
              QStringLiteral("Jos\u00e9 Pe\u00f1a"));
    EXPECT_EQ(name(program, QStringLiteral("PlrEarnLast || '|' || PlrHomeTown"), 101),
              QStringLiteral("12500.00|Cody, WY"));
    EXPECT_EQ(name(program, QStringLiteral("PlrHomeTown"), 124), jordanTown);
    EXPECT_EQ(count(program, QStringLiteral("SELECT COUNT(*) FROM Rosters WHERE PlrBib = '307'")), 0);
    // Hank and Tom are a new team; Lisa and Jordan's stays the only one of theirs.
    EXPECT_EQ(count(program, QStringLiteral("SELECT COUNT(*) FROM Teams")), teamsBefore + 1);
    EXPECT_EQ(
        count(program, QStringLiteral("SELECT COUNT(*) FROM Teams t JOIN Rosters h ON h.PlrId = t.PlrId1 "
                                      "JOIN Rosters s ON s.PlrId = t.PlrId2 WHERE h.PlrLastName = "
                                      "'Header' AND s.PlrLastName = 'Heeler'")),
        1);
    EXPECT_EQ(count(program, QStringLiteral("SELECT COUNT(*) FROM Times")), entriesBefore + entered);

    // The same file again: every contestant and both teams are there; the
    // overwrite question now comes for tie-down roping too (the list is in
    // the order of the events' codes). The file stays in
    // the field and the events stay ticked.
    const int rosters = count(program, QStringLiteral("SELECT COUNT(*) FROM Rosters"));
    const int teams = count(program, QStringLiteral("SELECT COUNT(*) FROM Teams"));
    const int entries = count(program, QStringLiteral("SELECT COUNT(*) FROM Times"));
    EXPECT_EQ(path->text(), utf8File);
    expectOverwrite(QStringLiteral("Barrel Racing"));
    expectOverwrite(QStringLiteral("Tie Down Roping"));
    expectOverwrite(QStringLiteral("Team Roping"));
    expectNameSplit(QStringLiteral("Mary Ann Smith"), QStringLiteral("Mary Ann"), QStringLiteral("Smith"),
                    QStringLiteral("Mary Ann"), QStringLiteral("Smith"));
    expectNameSplit(QStringLiteral("Tuff Van Dyke"), QStringLiteral("Tuff Van"), QStringLiteral("Dyke"),
                    QStringLiteral("Tuff"), QStringLiteral("Van Dyke"));
    expectSameName(QStringLiteral("Mary Ann"), QStringLiteral("Smith"), QStringLiteral("Leave"), true);
    expectSameTeam(QStringLiteral("No"), true);
    expectSummary(summary);
    runImport(import, true);
    EXPECT_EQ(summary.toStdString(),
              lines(QStringList{
                        QStringLiteral("Imported 11 contestants and 0 entries (2 teams)."),
                        QStringLiteral("%1 entries were in the rodeo already and were kept as they were.")
                            .arg(entered + 2),
                    } +
                    kUtf8FileLeftOut));
    ASSERT_FALSE(::testing::Test::HasFailure());
    EXPECT_EQ(count(program, QStringLiteral("SELECT COUNT(*) FROM Rosters")), rosters);
    EXPECT_EQ(count(program, QStringLiteral("SELECT COUNT(*) FROM Teams")), teams);
    EXPECT_EQ(count(program, QStringLiteral("SELECT COUNT(*) FROM Times")), entries);

    // A Windows export: quotes and dashes in Windows-1252, an empty field at
    // the end of every line, a line with one empty field too many. Kade
    // O'Neil is the one the UTF-8 file brought.
    const QString windowsFile = files.filePath(QStringLiteral("windows.dta"));
    writeFile(windowsFile, {
                               entryLine("\"O\x92Neil, Kade\"", "\"Casper,WY\"", {Barrels}, 305) + ',',
                               entryLine("\"Lee, Jim \x93Tex\x94\"", "Austin TX", {Barrels}, 401) + ',',
                               entryLine("\"Ruiz\x96Soto, Ana\"", "Taos NM", {Barrels}, 402) + ',',
                               entryLine("\"Hart\x97Lee, Bo\"", "Taos NM", {Barrels}, 403) + ',',
                               entryLine("\"Gray, Al\"", "Taos NM", {Barrels}, 404) + ",,",
                           });
    replaceText(path, windowsFile);
    expectOverwrite(QStringLiteral("Barrel Racing"));
    expectOverwrite(QStringLiteral("Tie Down Roping"));
    expectOverwrite(QStringLiteral("Team Roping"));
    expectSameName(QStringLiteral("Kade"), QStringLiteral("O\u2019Neil"), QStringLiteral("Leave"));
    expectSummary(summary);
    runImport(import, false);
    EXPECT_EQ(summary.toStdString(),
              lines({QStringLiteral("Imported 4 contestants and 6 entries (0 teams)."),
                     QStringLiteral("2 entries were in the rodeo already and were kept as they were."),
                     QStringLiteral("1 lines were skipped:"),
                     QStringLiteral("Line 5: the line ends with more empty fields than the layout has")}));
    EXPECT_EQ(count(program, QStringLiteral("SELECT COUNT(*) FROM Rosters WHERE PlrFirstName = 'Kade'")), 1);
    EXPECT_EQ(name(program, QStringLiteral("PlrFirstName"), 401), QStringLiteral("Jim \u201cTex\u201d"));
    EXPECT_EQ(name(program, QStringLiteral("PlrLastName"), 402), QStringLiteral("Ruiz\u2013Soto"));
    EXPECT_EQ(name(program, QStringLiteral("PlrLastName"), 403), QStringLiteral("Hart\u2014Lee"));

    // Contestant Entry shows them as the season holds them.
    click(QStringLiteral("Contestant Entry"));
    auto* grid = named<QTableView>(QStringLiteral("CSyncGridListCtrlContestants"));
    ASSERT_TRUE(grid);
    for (const QString& last : {QStringLiteral("O\u2019Neil"), QStringLiteral("Ruiz\u2013Soto"),
                                QStringLiteral("Hart\u2014Lee"), QStringLiteral("Pe\u00f1a")})
        EXPECT_GE(rowWith(grid, QStringLiteral("Last Name"), last), 0) << last.toStdString();
    const int tex = rowWith(grid, QStringLiteral("Last Name"), QStringLiteral("Lee"));
    ASSERT_GE(tex, 0);
    EXPECT_EQ(cellText(grid, tex, QStringLiteral("First Name")), QStringLiteral("Jim \u201cTex\u201d"));
}
