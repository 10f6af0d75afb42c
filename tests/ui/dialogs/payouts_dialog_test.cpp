// The Payouts dialog worked as an operator works it: the real message boxes,
// file dialog and drop-down lists, clicked where they show. A purse typed
// wrong is refused with its field named; a purse saved shows its sheet;
// the sheet prints to PDF; the earnings are posted once and the posting is
// undone; a schedule over 100 % is refused with its line.
#include "app/userprompt.h"
#include "common/logcapture.h"
#include "db/databasemanager.h"
#include "platform/sql/sqlconnection.h"
#include "ui/dialogs/payouts/dlgpayouts.h"
#include "ui/dialogs/payouts/dlgpayoutschedules.h"
#include "ui/dialogs/payouts/textgridmodel.h"
#include "ui/messageboxprompt.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// The windows a test still waits for; none may be left at its end.
QList<QPointer<QTimer>> waiting;

// Works the next modal window of type T when it shows. A modal window that
// nobody works is closed after a few seconds and counted as a failure, so a
// test never hangs on one.
template <typename T> void whenShown(std::function<void(T*)> work)
{
    auto* timer = new QTimer(qApp);
    waiting << timer;
    auto ticks = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, ticks, work] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* w = qobject_cast<T*>(modal); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            work(w);
        } else if (++*ticks > 500) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the expected window did not show; the modal one is "
                          << (modal ? modal->metaObject()->className() : "none");
            if (auto* dialog = qobject_cast<QDialog*>(modal))
                dialog->reject();
        }
    });
    timer->start();
}

// Answers the next message box with a click on button, keeping its text.
void answer(QMessageBox::StandardButton button, QString* text)
{
    whenShown<QMessageBox>([button, text](QMessageBox* box) {
        *text = box->text();
        QAbstractButton* b = box->button(button);
        ASSERT_NE(b, nullptr);
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    });
}

void click(QAbstractButton* button)
{
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isVisible() && button->isEnabled()) << button->text().toStdString();
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

// Opens the drop-down list with the mouse and clicks the item.
void pick(QComboBox* combo, const QString& text)
{
    ASSERT_NE(combo, nullptr);
    QTest::mouseClick(combo, Qt::LeftButton, {}, combo->rect().center());
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }));
    const int row = combo->findText(text);
    ASSERT_GE(row, 0) << text.toStdString() << " not offered";
    const QModelIndex item = list->model()->index(row, combo->modelColumn());
    list->scrollTo(item);
    // A list just opened takes no click for a double-click's time (so that
    // the click that opened it does not choose).
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !list->isVisible(); }));
    ASSERT_EQ(combo->currentText(), text);
}

void type(QLineEdit* edit, const QString& text)
{
    ASSERT_NE(edit, nullptr);
    QTest::mouseClick(edit, Qt::LeftButton, {}, edit->rect().center());
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

// Types into a cell of a table: clicked, F2 opens its editor, Enter ends it.
void typeInCell(QTableView* table, int row, int column, const QString& text)
{
    const QModelIndex cell = table->model()->index(row, column);
    table->scrollTo(cell);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(cell).center());
    ASSERT_EQ(table->currentIndex(), cell);
    QTest::keyClick(table, Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(table->indexWidget(cell));
    ASSERT_NE(editor, nullptr) << "no editor";
    editor->selectAll();
    QTest::keyClicks(editor, text);
    QTest::keyClick(editor, Qt::Key_Return);
    // The editor hands its text over through a queued call.
    QTest::qWaitFor([&] { return !table->indexWidget(cell); });
    ASSERT_EQ(cell.data().toString(), text);
}

class PayoutsDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        root = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(root);
        db = std::make_unique<CDatabaseManager>(root, QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb"), prompt);
        ASSERT_TRUE(
            db->CreateSeason(QStringLiteral("S1"), QStringLiteral("ProfileDefault"), QStringLiteral("PRCA")));
        ASSERT_TRUE(db->CreateRodeo(QStringLiteral("S1"), QStringLiteral("Spring"), QStringLiteral("7/1/26"),
                                    QStringLiteral("ProfileDefault")));
        ASSERT_TRUE(sql.open(db->DatabasePath(QStringLiteral("S1"))));
        // Six bronc riders scored 86, 84, 84, 80, no score, not ridden.
        const int scores[] = {8600, 8400, 8400, 8000, 0, 0};
        for (int i = 0; i < 6; ++i) {
            ASSERT_TRUE(sql.execute(
                QStringLiteral("INSERT INTO Rosters (PlrFirstName, PlrLastName, PlrEarnCur) "
                               "VALUES ('Rider', ?, ?)"),
                {QStringLiteral("R%1").arg(i + 1), i == 0 ? QStringLiteral("$1,000") : QString()}));
            riders << quint32(sql.lastInsertRowId());
            ASSERT_TRUE(
                sql.execute(QStringLiteral("INSERT INTO Scores (RoId, EvId, GoId, ptId, PlrEnt, PerfId, Ord, "
                                           "JTot, Status) VALUES (1, 'SB', 1, ?, 1, 1, ?, ?, ?)"),
                            {riders.last(), i + 1, scores[i], i == 4 ? QStringLiteral("N") : QString()}));
        }
        ASSERT_TRUE(db->OpenRodeo(QStringLiteral("S1"), QStringLiteral("Spring")));
        dialog = std::make_unique<CDlgPayouts>(*db, prompt, root + QStringLiteral("Html/"));
        dialog->resize(1200, 720);
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    }
    void TearDown() override
    {
        for (const QPointer<QTimer>& t : std::as_const(waiting)) {
            if (t && t->isActive())
                ADD_FAILURE() << "a window the test waited for never showed";
            delete t;
        }
        waiting.clear();
    }

    template <typename T> T* child(QWidget* parent, const char* name)
    {
        T* c = parent->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << "no " << name;
        return c;
    }
    QString earnings(quint32 plrId)
    {
        auto rs = sql.query(QStringLiteral("SELECT PlrEarnCur FROM Rosters WHERE PlrId = ?"), {plrId});
        return rs && rs->moveFirst() ? rs->toText(QStringLiteral("PlrEarnCur")) : QStringLiteral("<none>");
    }
    qint64 scalar(const QString& statement)
    {
        auto rs = sql.query(statement);
        return rs && rs->moveFirst() ? rs->toInt64(rs->columns().first()) : -1;
    }
    // 500.00 added and 50.00 a rider for Saddle Bronc, saved.
    void payTheBroncs()
    {
        pick(dialog->event(), QStringLiteral("Saddle Bronc (SB)"));
        type(child<QLineEdit>(dialog.get(), "added"), QStringLiteral("500"));
        type(child<QLineEdit>(dialog.get(), "fee"), QStringLiteral("50"));
        click(child<QPushButton>(dialog.get(), "save"));
    }

    QTemporaryDir dir;
    QString root;
    MessageBoxPrompt prompt;
    LogCapture log;
    SqlConnection sql;
    std::unique_ptr<CDatabaseManager> db;
    std::unique_ptr<CDlgPayouts> dialog;
    QVector<quint32> riders;
};

} // namespace

TEST_F(PayoutsDialogTest, APurseTypedWrongIsRefusedAndASavedOneShowsItsSheet)
{
    pick(dialog->event(), QStringLiteral("Saddle Bronc (SB)"));
    EXPECT_TRUE(dialog->page()->toPlainText().contains(QLatin1String("pays nothing yet")));
    type(child<QLineEdit>(dialog.get(), "added"), QStringLiteral("500"));
    type(child<QLineEdit>(dialog.get(), "fee"), QStringLiteral("-5"));
    QString message;
    answer(QMessageBox::Ok, &message);
    click(child<QPushButton>(dialog.get(), "save"));
    EXPECT_EQ(message, QStringLiteral("Entry fee: an amount cannot be negative."));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM PayoutEvents")), 0);

    // Where the purse goes, typed over 100 %.
    type(child<QLineEdit>(dialog.get(), "fee"), QStringLiteral("50"));
    QTableView* split = dialog->split();
    ASSERT_EQ(split->model()->rowCount(), 3); // one go-round, the average, the final
    typeInCell(split, 0, 1, QStringLiteral("20"));
    answer(QMessageBox::Ok, &message);
    click(child<QPushButton>(dialog.get(), "save"));
    EXPECT_EQ(message,
              QStringLiteral("The go-rounds, the average and the final get 120 % of the purse, not 100 %."));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM PayoutEvents")), 0);

    typeInCell(split, 0, 1, QStringLiteral("0"));
    click(child<QPushButton>(dialog.get(), "save"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT PeAdded * 1000000 + PeFee FROM PayoutEvents WHERE EvId = 'SB'")),
              50000LL * 1000000 + 5000);
    // 500.00 + 6 x 50.00: 400.00 to the 86, the two 84s share 240.00 + 160.00.
    const QString sheet = dialog->page()->toPlainText();
    EXPECT_TRUE(sheet.contains(QLatin1String("Saddle Bronc Payouts"))) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains(QLatin1String("800.00")));
    EXPECT_TRUE(sheet.contains(QLatin1String("2-3 (tie of 2)")));
    EXPECT_EQ(sheet.count(QLatin1String("200.00")), 2) << sheet.toStdString();
    EXPECT_TRUE(dialog->status()->text().startsWith(QLatin1String("Not posted. 800.00 to 3 contestants.")));
    EXPECT_TRUE(QFile::exists(root + QStringLiteral("Html/Payouts-SB.html")));
}

TEST_F(PayoutsDialogTest, TheSheetPrintsAndTheEarningsArePostedOnceAndUndone)
{
    payTheBroncs();

    // Print PDF...: the file dialog, then the word that it is printed.
    const QString pdf = root + QStringLiteral("Html/bronc payouts.pdf");
    QString printed;
    whenShown<QFileDialog>([&](QFileDialog* files) {
        auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        // It opens on the HTML folder, with a name to start from.
        EXPECT_EQ(QDir(files->directory()).absolutePath(),
                  QDir(root + QStringLiteral("Html")).absolutePath());
        EXPECT_EQ(name->text(), QStringLiteral("Saddle Bronc Payouts.pdf"));
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("bronc payouts"));
        answer(QMessageBox::Ok, &printed);
        auto* box = files->findChild<QDialogButtonBox*>(QStringLiteral("buttonBox"));
        ASSERT_NE(box, nullptr);
        click(box->button(QDialogButtonBox::Save));
    });
    click(child<QPushButton>(dialog.get(), "print"));
    EXPECT_EQ(printed, QStringLiteral("The page is printed to %1.").arg(QDir::toNativeSeparators(pdf)));
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5) == "%PDF-");
    EXPECT_GT(file.size(), 1000);

    // Post Earnings, confirmed.
    QString question;
    answer(QMessageBox::Yes, &question);
    click(child<QPushButton>(dialog.get(), "post"));
    EXPECT_EQ(question,
              QStringLiteral("Post the earnings of the rodeo \"Spring\"? 800.00 go to 3 contestants' "
                             "earnings this season."));
    EXPECT_EQ(earnings(riders.at(0)), QStringLiteral("1400"));
    EXPECT_EQ(earnings(riders.at(1)), QStringLiteral("200"));
    EXPECT_TRUE(dialog->status()->text().startsWith(QLatin1String("Posted on ")))
        << dialog->status()->text().toStdString();
    auto* post = child<QPushButton>(dialog.get(), "post");
    EXPECT_FALSE(post->isEnabled());

    // Undo Posting: asked, then the earlier texts are back.
    answer(QMessageBox::Yes, &question);
    click(child<QPushButton>(dialog.get(), "undo"));
    EXPECT_TRUE(question.startsWith(QLatin1String("Undo the posting of "))) << question.toStdString();
    EXPECT_EQ(earnings(riders.at(0)), QStringLiteral("$1,000"));
    EXPECT_EQ(earnings(riders.at(1)), QString());
    EXPECT_TRUE(post->isEnabled());

    // Answered No, nothing is posted.
    answer(QMessageBox::No, &question);
    click(post);
    EXPECT_EQ(earnings(riders.at(0)), QStringLiteral("$1,000"));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM PayoutPostings WHERE PoUndone IS NULL")), 0);
}

TEST_F(PayoutsDialogTest, AScheduleOverAHundredPercentIsRefusedWithItsLine)
{
    pick(dialog->event(), QStringLiteral("Saddle Bronc (SB)"));
    const qint64 lines = scalar(QStringLiteral("SELECT count(*) FROM PayoutScheduleLines"));
    QString refusal;
    whenShown<CDlgPayoutSchedules>([&](CDlgPayoutSchedules* schedules) {
        pick(schedules->startFrom(), QStringLiteral("Short Field"));
        click(schedules->findChild<QPushButton*>(QStringLiteral("new")));
        type(schedules->name(), QStringLiteral("Saturday"));
        typeInCell(schedules->lines(), 1, 2, QStringLiteral("60 50"));
        EXPECT_EQ(schedules->linesModel()->index(1, 4).data().toString(), QStringLiteral("110 %"));
        answer(QMessageBox::Ok, &refusal);
        click(schedules->findChild<QPushButton*>(QStringLiteral("save")));
        EXPECT_EQ(schedules->currentId(), 0);

        typeInCell(schedules->lines(), 1, 2, QStringLiteral("65 35"));
        click(schedules->findChild<QPushButton*>(QStringLiteral("save")));
        EXPECT_EQ(schedules->schedules()->currentText(), QStringLiteral("Saturday"));
        click(schedules->findChild<QPushButton*>(QStringLiteral("close")));
    });
    click(child<QPushButton>(dialog.get(), "schedules"));
    EXPECT_EQ(refusal, QStringLiteral("Line 2 (4-6 entries): the percentages add up to 110 %, not 100 %."));
    EXPECT_EQ(scalar(QStringLiteral("SELECT count(*) FROM PayoutScheduleLines")), lines + 3);
    // The new schedule is offered for the event.
    pick(child<QComboBox>(dialog.get(), "schedule"), QStringLiteral("Saturday"));
}
