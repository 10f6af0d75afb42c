// Box Entry: what a click gives the bar, results typed into go-round cells
// (checked, saved, read back with a connection of the test's own), and the
// Find bar's search and Add.
#include "app/viewtable.h"
#include "framework/editmask.h"
#include "framework/maskededit.h"
#include "framework/syncgrid.h"
#include "seasonfixture.h"
#include "ui/bars/dlgbareditscores.h"
#include "ui/bars/dlgbarfindplr.h"
#include "ui/views/boxentry/resultcellmask.h"
#include "ui/views/boxentry/viewboxentry.h"
#include "ui/views/runperf/runperfmodel.h"

#include <QPushButton>

namespace {

// SB: three go-rounds, two judges marking separately; BB: one go-round,
// "Combined"; BR: timed in hundredths. Five riders in all three.
class BoxEntryTest : public SeasonFixture
{
protected:
    void arrange() override
    {
        exec("UPDATE RodeoEvents SET ReGos = 3, ReJudges = 'I2', ReFraction = 'F', RePrecision = 1 "
             "WHERE EvId = 'SB'");
        exec("UPDATE RodeoEvents SET ReGos = 1, ReJudges = 'C2', ReFraction = 'F', RePrecision = 1 "
             "WHERE EvId = 'BB'");
        exec("UPDATE RodeoEvents SET ReGos = 1, RePrecision = 2 WHERE EvId = 'BR'");
        const char* names[][2] = {{"Wade", "Sundell"},
                                  {"Zeke", "Smalley"},
                                  {"Ryder", "Smith"},
                                  {"Cody", "smythe"},
                                  {"Cole", "DeMoss"}};
        for (const auto& n : names)
            ids << addContestant(QString::fromLatin1(n[0]), QString::fromLatin1(n[1]));
        for (quint32 id : ids) {
            for (int go = 1; go <= 3; ++go)
                exec("INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt) VALUES (1, 'SB', ?, ?, 1)",
                     {go, id});
            exec("INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt) VALUES (1, 'BB', 1, ?, 1)", {id});
            exec("INSERT INTO Times (RoId, EvId, GoId, ptId, PlrEnt) VALUES (1, 'BR', 1, ?, 1)", {id});
        }
        // Wade's second go-round was marked and re-ridden.
        exec("UPDATE Scores SET JTot = 8300, RideTime = 8000, JR1 = 4100, JS1 = 4200, Status = 'R' "
             "WHERE EvId = 'SB' AND GoId = 2 AND ptId = ?",
             {ids[0]});
    }

    void showEvent(const char* eventId)
    {
        frame->files().SetCfgAtt(QString::fromLatin1(eventId), 2, QStringLiteral("curEvn"),
                                 QStringLiteral("CViewBoxEntry"));
        frame->SwitchView(ViewTable::BoxEntry);
        view = qobject_cast<CViewBoxEntry*>(frame->view(ViewTable::BoxEntry));
        ASSERT_TRUE(view);
        ASSERT_EQ(view->model()->eventId(), QString::fromLatin1(eventId));
    }
    int rowOf(quint32 id) const { return view->model()->rowOf(makeEntryKey(id, 1)); }
    void click(QTableView* table, const QModelIndex& index)
    {
        table->scrollTo(index);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(index).center());
    }

    QVector<quint32> ids;
    CViewBoxEntry* view = nullptr;
};

} // namespace

// A contestant's name gives the bar his name and nothing to edit; a go-round
// cell loads that go-round's result.
TEST_F(BoxEntryTest, ClicksChooseWhatTheBarEdits)
{
    showEvent("SB");
    EXPECT_EQ(view->eventSelector()->currentText(), QStringLiteral("Saddle Bronc (SB)"));
    auto* bar = qobject_cast<CDlgBarEditScores*>(view->visibleBar());
    ASSERT_TRUE(bar);
    RunPerfModel* m = view->model();
    EXPECT_EQ(m->rowCount(), 6); // five riders and the empty row
    EXPECT_EQ(m->columnCount() - m->leftColumnCount(), 3);

    click(view->lists()->left(), m->index(rowOf(ids[0]), RunPerfModel::LastName));
    EXPECT_EQ(bar->competitorName(), QStringLiteral("Wade Sundell"));
    EXPECT_EQ(view->lastGoRound(), -1);
    EXPECT_FALSE(bar->markField(ScoreEntry::Rider, 0)->isEnabled());
    EXPECT_FALSE(bar->timeField()->isEnabled());

    click(view->lists()->right(), m->index(rowOf(ids[0]), m->columnOfGoRound(2)));
    EXPECT_EQ(view->lastGoRound(), 2);
    EXPECT_EQ(bar->entry().goRound, 2);
    EXPECT_EQ(bar->record().JR[0], 4100);
    EXPECT_TRUE(bar->markField(ScoreEntry::Rider, 0)->isEnabled());
    // The cells are not coloured by status here (a re-ride is yellow in Run Performance).
    EXPECT_EQ(m->data(m->index(rowOf(ids[0]), m->columnOfGoRound(2)), Qt::BackgroundRole).value<QColor>(),
              QColor(255, 255, 255));
    click(view->lists()->right(), m->index(rowOf(ids[0]), m->columnOfGoRound(3)));
    EXPECT_EQ(bar->entry().goRound, 3);
    EXPECT_EQ(bar->record().JR[0], 0);
}

struct TypedCell
{
    const char* name;
    const char* eventId;
    int go;
    const char* keys; // typed from the editor's first digit
    const char* refusal;
    qint64 score; // stored, when accepted
    qint64 rideTime;
};

class BoxEntryCellTest : public BoxEntryTest, public ::testing::WithParamInterface<TypedCell>
{
};

// A typed cell is checked as the bars check their fields; what passes replaces
// the go-round's marks, status and all, with the total and the time.
TEST_P(BoxEntryCellTest, TypedResultIsCheckedThenSaved)
{
    const TypedCell& c = GetParam();
    showEvent(c.eventId);
    QTableView* results = view->lists()->right();
    const QModelIndex cell = view->model()->index(rowOf(ids[0]), view->model()->columnOfGoRound(c.go));
    results->setFocus();
    results->setCurrentIndex(cell);
    results->edit(cell);
    auto* editor = qobject_cast<CMaskedEdit*>(results->indexWidget(cell));
    ASSERT_TRUE(editor);
    // Typing a cell makes nobody current: the timing console's next run is
    // not this contestant's.
    EXPECT_EQ(frame->database().curEntry().ptId, 0u);
    QTest::keyClicks(editor, QString::fromLatin1(c.keys));
    const QString typed = editor->text();
    prompt.clear();
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();

    const char* table = c.eventId == QLatin1String("BR") ? "Times" : "Scores";
    const QString where = QStringLiteral(" FROM %1 WHERE EvId = ? AND GoId = ? AND ptId = ?").arg(table);
    SqlConnection fresh;
    ASSERT_TRUE(fresh.open(folder + QStringLiteral("S1/S1.mdb")));
    auto rs = fresh.query(QStringLiteral("SELECT *") + where, {QString::fromLatin1(c.eventId), c.go, ids[0]});
    ASSERT_TRUE(rs && rs->moveFirst());
    if (c.refusal) {
        EXPECT_EQ(prompt.texts(), QStringList{QString::fromLatin1(c.refusal)});
        // The editor stays with what was typed, and nothing was written.
        ASSERT_EQ(results->indexWidget(cell), editor);
        EXPECT_EQ(editor->text(), typed);
        EXPECT_EQ(rs->toInt64(QStringLiteral("RideTime")), c.go == 2 ? 8000 : 0);
        return;
    }
    EXPECT_TRUE(prompt.texts().isEmpty()) << prompt.lastText().toStdString();
    EXPECT_FALSE(results->indexWidget(cell));
    EXPECT_EQ(rs->toInt64(QStringLiteral("RideTime")), c.rideTime);
    if (QLatin1String(table) == QLatin1String("Scores")) {
        EXPECT_EQ(rs->toInt64(QStringLiteral("JTot")), c.score);
        EXPECT_EQ(rs->toInt64(QStringLiteral("JR1")), 0);
        EXPECT_EQ(rs->toInt64(QStringLiteral("JS1")), 0);
        EXPECT_EQ(rs->toText(QStringLiteral("Status")), QString());
    }
    // The list shows the saved result at once, and the history says where it came from.
    EXPECT_FALSE(cell.data().toString().trimmed().isEmpty());
    auto history =
        fresh.query(QStringLiteral("SELECT HiSource FROM ResultHistory WHERE EvId = ? AND ptId = ? "
                                   "ORDER BY rowid DESC LIMIT 1"),
                    {QString::fromLatin1(c.eventId), ids[0]});
    ASSERT_TRUE(history && history->moveFirst());
    EXPECT_EQ(history->toText(QStringLiteral("HiSource")), QStringLiteral("Box Entry"));
}

INSTANTIATE_TEST_SUITE_P(
    Cells, BoxEntryCellTest,
    ::testing::Values(
        TypedCell{"SeparateRefusesOver50", "SB", 1, "08580", "The score cannot be over 50", 0, 0},
        TypedCell{"MarkedGoRoundTakesTheTypedTotal", "SB", 2, "04575", nullptr, 4500, 7500},
        TypedCell{"CombinedTakes85", "BB", 1, "08580", nullptr, 8500, 8000},
        TypedCell{"TimeInHundredths", "BR", 1, "1234", nullptr, 0, 12340},
        TypedCell{"TimeOverAMinuteRefused", "BR", 1, "7500", "Seconds can only be up to 59.", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The nine masks, the digits a stored result fills in, and the way back.
TEST(ResultCellMaskTest, MasksAndTheirTexts)
{
    struct Row
    {
        const char* kind;
        const char* precision;
        const char* fraction;
        const char* mask;
        const char* empty;
        quint32 score;
        quint32 time;
        const char* shown;
        const char* time_back;
        const char* score_back;
    };
    const Row rows[] = {
        {"Timed", "0.1", "Full", "                [0-9][0-9].[0-9]", "000", 0, 9500, "                09.5",
         "09.5", ""},
        {"Timed", "0.01", "Full", "               [0-9][0-9].[0-9][0-9]", "0000", 0, 12340,
         "               12.34", "12.34", ""},
        {"Timed", "0.001", "Full", "              [0-9][0-9].[0-9][0-9][0-9]", "00000", 0, 8765,
         "              08.765", "08.765", ""},
        {"Scored", "0.1", "Full", "              [ 0-9][0-9][0-9]     [0-9].[0-9]", " 0000", 8500, 8000,
         "              085     8.0", "8.0", "085"},
        {"Scored", "0.1", "Fraction", "              [ 0-9][0-9][0-9].[0-9]     [0-9].[0-9]", " 00000", 8550,
         8000, "              085.5     8.0", "8.0", "085.5"},
        {"Scored", "0.01", "Full", "              [ 0-9][0-9][0-9]    [0-9].[0-9][0-9]", " 00000", 7600, 8120,
         "              076    8.12", "8.12", "076"},
        {"Scored", "0.01", "Fraction", "              [ 0-9][0-9][0-9].[0-9]    [0-9].[0-9][0-9]", " 000000",
         7650, 8120, "              076.5    8.12", "8.12", "076.5"},
        {"Scored", "0.001", "Full", "              [ 0-9][0-9][0-9]   [0-9].[0-9][0-9][0-9]", " 000000", 9000,
         8005, "              090   8.005", "8.005", "090"},
        {"Scored", "0.001", "Fraction", "              [ 0-9][0-9][0-9].[0-9]   [0-9].[0-9][0-9][0-9]",
         " 0000000", 9000, 8005, "              090.0   8.005", "8.005", "090.0"},
    };
    for (const Row& r : rows) {
        EventCfg e;
        e.scoringKind = QString::fromLatin1(r.kind);
        e.precision = QString::fromLatin1(r.precision);
        e.fraction = QString::fromLatin1(r.fraction);
        e.judgeMode = QStringLiteral("Combined"); // up to 100 points
        const ResultCellMask cell(e);
        SCOPED_TRACE(std::string(r.kind) + " " + r.precision + " " + r.fraction);
        EXPECT_EQ(cell.mask(), QString::fromLatin1(r.mask));
        EXPECT_EQ(cell.emptyText(), QString::fromLatin1(r.empty));
        EXPECT_EQ(cell.initialText(nullptr), cell.emptyText());
        ResultRecord stored;
        stored.score = r.score;
        stored.time = r.time;
        const QString shown = EditMask(cell.mask()).filled(cell.initialText(&stored));
        EXPECT_EQ(shown, QString::fromLatin1(r.shown));
        const ResultCellMask::Typed back = cell.parse(shown);
        EXPECT_EQ(back.time, QString::fromLatin1(r.time_back));
        EXPECT_EQ(back.score, QString::fromLatin1(r.score_back));
        EXPECT_TRUE(cell.check(back).ok());
        const ResultRecord saved = cell.record(back, 1);
        EXPECT_EQ(saved.time, r.time);
        EXPECT_EQ(saved.score, r.score);
    }
}

// Characters compare exactly: "Sm" finds Smalley, "sm" only smythe.
TEST_F(BoxEntryTest, FindBarSearchesFromTheTopCaseIncluded)
{
    showEvent("SB");
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    CDlgBarFindPlr* find = view->findBar();
    QLineEdit* last = find->field(2);
    last->setFocus();
    QTest::keyClicks(last, QStringLiteral("Sm"));
    EXPECT_EQ(view->lists()->currentRow(), rowOf(ids[1]));
    EXPECT_TRUE(last->hasFocus());
    last->clear();
    QTest::keyClicks(last, QStringLiteral("sm"));
    EXPECT_EQ(view->lists()->currentRow(), rowOf(ids[3]));
    EXPECT_TRUE(find->addButton()->isEnabled());

    // Another event empties the fields.
    choose(view->eventSelector(), QStringLiteral("Bareback (BB)"));
    EXPECT_TRUE(last->text().isEmpty());
    EXPECT_FALSE(find->addButton()->isEnabled());
}

// "Add" enters a new contestant in every go-round of the event, unplaced; a
// refused addition keeps nothing of it.
TEST_F(BoxEntryTest, FindBarAddEntersANewContestant)
{
    showEvent("SB");
    CDlgBarFindPlr* find = view->findBar();
    QTest::keyClicks(find->field(0), QStringLiteral("77"));
    QTest::keyClicks(find->field(1), QStringLiteral("Tuf"));
    QTest::keyClicks(find->field(2), QStringLiteral("Cooper"));
    find->addButton()->click();
    const qint64 tuf =
        scalar("SELECT PlrId FROM Rosters WHERE PlrFirstName = 'Tuf' AND PlrLastName = 'Cooper' "
               "AND PlrBib = '77'");
    ASSERT_GT(tuf, 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Scores WHERE EvId = 'SB' AND ptId = ? AND PerfId = 0", {tuf}), 3);
    const int row = rowOf(quint32(tuf));
    ASSERT_GE(row, 0);
    EXPECT_EQ(view->lists()->currentRow(), row);
    EXPECT_EQ(view->model()->rowCount(), 7);

    // The same name again, and the operator does not go on: nothing is kept.
    prompt.answers << UserPrompt::No;
    find->addButton()->click();
    EXPECT_EQ(prompt.texts().last(), QStringLiteral("The Player already exists!"));
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM Rosters WHERE PlrLastName = 'Cooper'"), 1);
    EXPECT_EQ(frame->database().contestants().size(), 6);
}

namespace {

// An owner with a few rows of texts that records what "Add" hands it.
class ListOwner : public FindBarOwner
{
public:
    int findRowCount() const override { return int(rows.size()); }
    QString findText(int row, int field) const override { return rows[row][field]; }
    void showFound(int row) override { shown = row; }
    void addFound(const QString& a, const QString& b, const QString& c) override
    {
        added << QStringList{a, b, c};
    }

    QVector<QStringList> rows;
    int shown = -1;
    QVector<QStringList> added;
};

} // namespace

// Typing past a field's limit cuts the text (the caret at its end); Tab goes
// Bib, First Name, Last Name, then Add only while it is enabled; Enter on Add
// hands the three texts over.
TEST(FindBarTest, CutsTabsAndAdds)
{
    QWidget window;
    auto* bar = new CDlgBarFindPlr(&window);
    ListOwner owner;
    owner.rows = {{QStringLiteral("12"), QStringLiteral("Wade"), QStringLiteral("Sundell")},
                  {QStringLiteral("123"), QStringLiteral("Zeke"), QStringLiteral("Thurston")}};
    bar->setOwner(&owner);
    bar->setLimits(3, 15, 4);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();

    bar->field(0)->setFocus();
    QTest::keyClicks(bar->field(0), QStringLiteral("12345"));
    EXPECT_EQ(bar->field(0)->text(), QStringLiteral("123"));
    EXPECT_EQ(bar->field(0)->cursorPosition(), 3);
    EXPECT_EQ(owner.shown, 1);
    QTest::keyClicks(bar->field(2), QStringLiteral("Thurston"));
    EXPECT_EQ(bar->field(2)->text(), QStringLiteral("Thur"));

    // Tab order, with Add enabled now that fields hold text.
    EXPECT_TRUE(bar->addButton()->isEnabled());
    bar->field(0)->setFocus();
    for (QWidget* next : {static_cast<QWidget*>(bar->field(1)), static_cast<QWidget*>(bar->field(2)),
                          static_cast<QWidget*>(bar->addButton())}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
    QTest::keyClick(bar->addButton(), Qt::Key_Return);
    ASSERT_EQ(owner.added.size(), 1);
    EXPECT_EQ(owner.added.first(), (QStringList{QStringLiteral("123"), QString(), QStringLiteral("Thur")}));

    // With every field empty Add is disabled and Tab passes it by.
    bar->clearFields();
    EXPECT_FALSE(bar->addButton()->isEnabled());
    bar->field(2)->setFocus();
    QTest::keyClick(bar->field(2), Qt::Key_Tab);
    EXPECT_NE(QApplication::focusWidget(), bar->addButton());
}
