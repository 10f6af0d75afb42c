// The draw as the secretary works it, through the real windows of the demo
// season: Performance Entry's "Draw..." on a go-round node, the draw dialog's
// buttons, its message boxes, the request dialog and the draw sheet. Nothing
// is scripted: every question is a real message box whose button is clicked.
#include "app/viewtable.h"
#include "db/databasemanager.h"
#include "platform/sql/sqlconnection.h"
#include "ui/dialogs/draw/dlgdraw.h"
#include "ui/dialogs/draw/dlgdrawrequest.h"
#include "ui/dialogs/draw/dlgdrawsheet.h"
#include "ui/mainframe.h"
#include "ui/messageboxprompt.h"
#include "ui/views/regentry/viewregentry.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

// The watchers still waiting for their window; a test ends with none.
QList<QPointer<QTimer>>& waiting()
{
    static QList<QPointer<QTimer>> timers;
    return timers;
}

// Runs work once a widget found by find is shown (polled; a test that waits
// in vain fails instead of hanging: the widget is looked for 10 s at most).
void whenShown(std::function<QWidget*()> find, std::function<void(QWidget*)> work, const char* what)
{
    auto* timer = new QTimer;
    waiting().append(timer);
    auto deadline = std::make_shared<QDeadlineTimer>(10000);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* w = find();
        if (w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            work(w);
        } else if (deadline->hasExpired()) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "never shown: " << what;
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        }
    });
    timer->start();
}

template <typename T> void whenModal(std::function<void(T*)> work, const char* what)
{
    whenShown([] { return qobject_cast<T*>(QApplication::activeModalWidget()); },
              [work](QWidget* w) { work(static_cast<T*>(w)); }, what);
}

void click(QAbstractButton* button)
{
    ASSERT_TRUE(button && button->isVisible() && button->isEnabled()) << "cannot click";
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

// The next message box: its text checked, then its button clicked.
void answer(const QString& expected, QMessageBox::StandardButton button, QString* seen = nullptr)
{
    whenModal<QMessageBox>(
        [=](QMessageBox* box) {
            if (seen)
                *seen = box->text();
            EXPECT_TRUE(box->text().startsWith(expected)) << box->text().toStdString();
            QTest::mouseClick(box->button(button), Qt::LeftButton);
        },
        "message box");
}

// Opens a drop-down's list with the mouse and clicks the item.
void pick(QComboBox* box, const QString& text)
{
    ASSERT_TRUE(box->isEnabled());
    QTest::mouseClick(box, Qt::LeftButton, {}, box->rect().center());
    QAbstractItemView* list = box->view();
    ASSERT_TRUE(list->isVisible()) << "the list did not open";
    const int row = box->findText(text);
    ASSERT_GE(row, 0) << text.toStdString();
    const QModelIndex index = list->model()->index(row, box->modelColumn());
    list->scrollTo(index);
    // A release right after the click that opened the list is taken as part
    // of that click, as for a person: the pick comes a moment later.
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    const QPoint at = list->visualRect(index).center();
    QTest::mouseMove(list->viewport(), at);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(box->currentText().toStdString(), text.toStdString());
}

void typeInto(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

class DrawViewsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(folder);
        CMainFrame::Setup s;
        s.dataFolder = folder;
        s.templateDatabase = QStringLiteral(TALLYRA_BIN_DIR "/Tallyra.mdb");
        s.prompt = &prompt;
        frame = std::make_unique<CMainFrame>(s);
        prompt.setParent(frame.get());
        frame->CreateViews();
        frame->resize(1280, 800);
        frame->show();
        ASSERT_TRUE(frame->OpenDemoSeason());
        ASSERT_TRUE(sql.open(frame->database().DatabasePath(frame->database().GetSeasonName())));
        frame->SwitchView(ViewTable::PerformanceEntry);
        view = qobject_cast<CViewRegEntry*>(frame->view(ViewTable::PerformanceEntry));
        ASSERT_TRUE(view);
    }
    void TearDown() override
    {
        for (const QPointer<QTimer>& t : std::as_const(waiting()))
            if (t && t->isActive()) {
                ADD_FAILURE() << "a window the test waited for never came";
                delete t;
            }
        waiting().clear();
        if (frame)
            frame->closeWithoutAsking();
    }

    // The tree node of an event's go-round ("Go Round 2" under "Saddle Bronc").
    QModelIndex goRoundNode(const QString& event, const QString& go)
    {
        auto* model = static_cast<QStandardItemModel*>(view->tree()->model());
        QStandardItem* rodeo = model->item(0);
        for (int e = 0; rodeo && e < rodeo->rowCount(); ++e)
            if (rodeo->child(e)->text() == event)
                for (int g = 0; g < rodeo->child(e)->rowCount(); ++g)
                    if (rodeo->child(e)->child(g)->text() == go)
                        return rodeo->child(e)->child(g)->index();
        return {};
    }
    // Right-clicks the node, picks "Draw..." in its menu and works the dialog.
    void drawFromTree(const QString& event, const QString& go, std::function<void(CDlgDraw*)> work)
    {
        QTreeView* tree = view->tree();
        const QModelIndex node = goRoundNode(event, go);
        ASSERT_TRUE(node.isValid());
        tree->scrollTo(node);
        bool worked = false;
        whenShown([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); },
                  [&](QWidget* w) {
                      auto* menu = static_cast<QMenu*>(w);
                      ASSERT_EQ(menu->actions().size(), 1);
                      QAction* draw = menu->actions().first();
                      EXPECT_EQ(draw->text(), QStringLiteral("Draw..."));
                      whenModal<CDlgDraw>(
                          [&](CDlgDraw* dialog) {
                              worked = true;
                              work(dialog);
                              if (dialog->isVisible())
                                  click(dialog->closeButton());
                          },
                          "the draw dialog");
                      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(draw).center());
                  },
                  "the tree's menu");
        const QPoint at = tree->visualRect(node).center();
        QContextMenuEvent right(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
        QApplication::sendEvent(tree->viewport(), &right);
        EXPECT_TRUE(worked);
    }
    // Saddle bronc go-round 2 as the rows hold it: "ptId:perf.ord/animal".
    QString goRound2()
    {
        QStringList out;
        auto rs = sql.query(QStringLiteral("SELECT ptId, PerfId, Ord, StId FROM Scores WHERE EvId = 'SB' AND "
                                           "GoId = 2 AND ptId > 0 ORDER BY ptId"));
        for (rs->moveFirst(); !rs->isEof(); rs->moveNext())
            out << QStringLiteral("%1:%2.%3/%4")
                       .arg(rs->toUInt(QStringLiteral("ptId")))
                       .arg(rs->toUInt(QStringLiteral("PerfId")))
                       .arg(rs->toUInt(QStringLiteral("Ord")))
                       .arg(rs->toUInt(QStringLiteral("StId")));
        return out.join(u' ');
    }
    qint64 scalar(const char* statement)
    {
        auto rs = sql.query(QString::fromLatin1(statement));
        return rs && rs->moveFirst() ? rs->toInt64(rs->columns().first()) : -1;
    }

    QTemporaryDir dir;
    QString folder;
    MessageBoxPrompt prompt;
    std::unique_ptr<CMainFrame> frame;
    CViewRegEntry* view = nullptr;
    SqlConnection sql;
};

} // namespace

// Go-round 1 holds results and is refused; go-round 2 is drawn with its
// animals, its sheet written and shown, the draw undone and drawn again from
// the same seed: the same draw.
TEST_F(DrawViewsTest, AGoRoundIsDrawnItsSheetShownUndoneAndDrawnAgainTheSame)
{
    const QString before = goRound2();
    QString drawn;
    drawFromTree(QStringLiteral("Saddle Bronc"), QStringLiteral("Go Round 1"), [&](CDlgDraw* d) {
        EXPECT_EQ(d->goRoundBox()->currentText(), QStringLiteral("Go Round 1"));
        answer(QStringLiteral("The go-round holds results: it cannot be drawn again."), QMessageBox::Ok);
        click(d->drawButton());
        EXPECT_FALSE(d->acceptButton()->isEnabled());

        pick(d->goRoundBox(), QStringLiteral("Go Round 2"));
        EXPECT_EQ(d->stockBox()->text(), QStringLiteral("Animals from the pen (10)"));
        click(d->stockBox());
        typeInto(d->seedEdit(), QStringLiteral("4242"));
        click(d->drawButton());
        EXPECT_EQ(d->rowsView()->model()->rowCount(), 10);
        EXPECT_TRUE(d->unmetLabel()->text().isEmpty()) << d->unmetLabel()->text().toStdString();
        EXPECT_EQ(goRound2(), before) << "written before Accept";
        click(d->acceptButton());
        drawn = goRound2();
        EXPECT_NE(drawn, before);
        EXPECT_FALSE(drawn.contains(QStringLiteral("/0")))
            << "a rider without an animal: " << drawn.toStdString();
        EXPECT_TRUE(d->statusLabel()->text().contains(QStringLiteral("seed 4242")));

        whenModal<CDlgDrawSheet>(
            [](CDlgDrawSheet* sheet) {
                const QString text = sheet->page()->toPlainText();
                EXPECT_TRUE(text.contains(QStringLiteral("Draw: Saddle Bronc (SB), Go Round 2")));
                EXPECT_TRUE(text.contains(QStringLiteral("seed 4242")));
                click(sheet->closeButton());
            },
            "the draw sheet");
        click(d->sheetButton());

        answer(QStringLiteral("Undo the last draw of Saddle Bronc (SB), Go Round 2?"), QMessageBox::Ok);
        click(d->undoButton());
        EXPECT_EQ(goRound2(), before);

        click(d->drawButton());
        click(d->acceptButton());
        EXPECT_EQ(goRound2(), drawn);
    });
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("Html/Draw SB Go 2.html")));
    EXPECT_GT(QFile(folder + QStringLiteral("Html/Draw SB Go 2.pdf")).size(), 1000);
    EXPECT_EQ(scalar("SELECT count(*) FROM Draws WHERE DrUndone IS NULL"), 1);
    EXPECT_EQ(scalar("SELECT count(*) FROM ResultHistory WHERE HiSource = 'Draw'"), 30);
}

// A request typed in the request dialog that the draw cannot honour is named;
// "No" writes nothing, "Yes" writes the draw and what it left out.
TEST_F(DrawViewsTest, ARequestThatCannotBeMetIsNamedAndTheDrawKeptOnlyWhenAccepted)
{
    const QString before = goRound2();
    drawFromTree(QStringLiteral("Saddle Bronc"), QStringLiteral("Go Round 2"), [&](CDlgDraw* d) {
        whenModal<CDlgDrawRequest>(
            [](CDlgDrawRequest* r) {
                click(r->okButton()); // nobody chosen yet
                EXPECT_EQ(r->problem()->text(), QStringLiteral("Choose the contestant."));
                pick(r->goRound(), QStringLiteral("Go Round 2"));
                r->performance()->setFocus();
                r->performance()->selectAll();
                QTest::keyClicks(r->performance(), QStringLiteral("5"));
                pick(r->contestant(0), QStringLiteral("Sundell, Wade  (101)"));
                click(r->okButton());
            },
            "the request dialog");
        click(d->addRequestButton());
        ASSERT_EQ(d->requestsView()->model()->rowCount(), 1);
        EXPECT_EQ(d->requestsView()->model()->index(0, 0).data().toString(),
                  QStringLiteral("Up: Wade Sundell in performance 5, go-round 2"));

        typeInto(d->seedEdit(), QStringLiteral("7"));
        click(d->drawButton());
        const QString named =
            QStringLiteral("Up: Wade Sundell in performance 5, go-round 2: performance 5 is not drawn");
        EXPECT_EQ(d->unmetLabel()->text(), QStringLiteral("Cannot be honoured: ") + named);
        answer(QStringLiteral("These cannot be honoured:\n\n") + named, QMessageBox::No);
        click(d->acceptButton());
        EXPECT_EQ(goRound2(), before);
        EXPECT_EQ(scalar("SELECT count(*) FROM Draws"), 0);

        click(d->drawButton());
        answer(QStringLiteral("These cannot be honoured:"), QMessageBox::Yes);
        click(d->acceptButton());
        EXPECT_NE(goRound2(), before);
    });
    auto rs = sql.query(QStringLiteral("SELECT DrUnmet, DrSeed FROM Draws"));
    ASSERT_TRUE(rs && rs->moveFirst());
    EXPECT_EQ(rs->toText(QStringLiteral("DrSeed")), QStringLiteral("7"));
    EXPECT_TRUE(rs->toText(QStringLiteral("DrUnmet")).contains(QStringLiteral("performance 5 is not drawn")));
}
