#include "framework/celldelegates.h"
#include "framework/syncgrid.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// 60 rows of 5 columns; the first two in the left table.
class SyncGridTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        model.setRowCount(60);
        model.setColumnCount(5);
        for (int r = 0; r < 60; ++r)
            for (int c = 0; c < 5; ++c)
                model.setItem(r, c, new QStandardItem(QStringLiteral("%1,%2").arg(r).arg(c)));
        grid.setModel(&model, 2);
        grid.resize(500, 200);
        grid.show();
        QApplication::setActiveWindow(&grid);
    }

    QStandardItemModel model;
    CSyncGridPair grid;
};

} // namespace

TEST_F(SyncGridTest, OneRowOneScrollAcrossBothTables)
{
    EXPECT_TRUE(grid.left()->isColumnHidden(2));
    EXPECT_TRUE(grid.right()->isColumnHidden(1));
    QSignalSpy selected(&grid, &CSyncGridPair::rowSelected);
    grid.right()->setCurrentIndex(model.index(30, 3));
    EXPECT_EQ(grid.currentRow(), 30);
    EXPECT_EQ(grid.left()->selectionModel()->selectedRows().value(0).row(), 30);
    EXPECT_EQ(selected.count(), 1);
    grid.right()->scrollTo(model.index(55, 3));
    EXPECT_GT(grid.left()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(grid.left()->verticalScrollBar()->value(), grid.right()->verticalScrollBar()->value());
}

TEST_F(SyncGridTest, ArrowKeysCrossAtTheSplit)
{
    grid.left()->setFocus();
    grid.left()->setCurrentIndex(model.index(4, 1));
    QTest::keyClick(grid.left(), Qt::Key_Right);
    EXPECT_TRUE(grid.right()->hasFocus());
    EXPECT_EQ(grid.right()->currentIndex(), model.index(4, 2));
    EXPECT_EQ(grid.lastFocused(), grid.right());
    QTest::keyClick(grid.right(), Qt::Key_Right); // inside the right table
    EXPECT_EQ(grid.right()->currentIndex(), model.index(4, 3));
    QTest::keyClick(grid.right(), Qt::Key_Left);
    QTest::keyClick(grid.right(), Qt::Key_Left);
    EXPECT_TRUE(grid.left()->hasFocus());
    EXPECT_EQ(grid.left()->currentIndex(), model.index(4, 1));
}

TEST_F(SyncGridTest, CellEditorsLimitPickAndClick)
{
    LimitedTextDelegate limited(5);
    ComboDelegate combo(
        [](const QModelIndex&) {
            return QStringList{QStringLiteral("12A"), QStringLiteral("7")};
        },
        5);
    ButtonDelegate button;
    grid.left()->setItemDelegateForColumn(0, &limited);
    grid.left()->setItemDelegateForColumn(1, &combo);
    grid.right()->setItemDelegateForColumn(4, &button);

    grid.left()->setFocus();
    grid.left()->setCurrentIndex(model.index(0, 0));
    grid.left()->edit(model.index(0, 0));
    auto* edit = qobject_cast<QLineEdit*>(grid.left()->indexWidget(model.index(0, 0)));
    ASSERT_TRUE(edit);
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("ABCDEFG"));
    QTest::keyClick(edit, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(model.item(0, 0)->text(), QStringLiteral("ABCDE"));

    grid.left()->setCurrentIndex(model.index(1, 1));
    grid.left()->edit(model.index(1, 1));
    auto* box = qobject_cast<QComboBox*>(grid.left()->indexWidget(model.index(1, 1)));
    ASSERT_TRUE(box);
    box->setCurrentIndex(1);
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(model.item(1, 1)->text(), QStringLiteral("7"));
    EXPECT_EQ(model.item(1, 1)->data(ComboDelegate::ChoiceRole).toInt(), 1);

    QSignalSpy clicked(&button, &ButtonDelegate::clicked);
    const QRect cell = grid.right()->visualRect(model.index(2, 4));
    QTest::mouseClick(grid.right()->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toModelIndex(), model.index(2, 4));
}

TEST_F(SyncGridTest, ARowFurtherDownWidensOnlyTheColumnsItNeeds)
{
    grid.left()->setColumnWidth(0, 40);
    grid.right()->setColumnWidth(3, 200);
    const int before[] = {grid.left()->columnWidth(1), grid.right()->columnWidth(2),
                          grid.right()->columnWidth(4)};
    model.item(50, 0)->setText(QStringLiteral("a text far wider than forty pixels"));
    model.item(50, 3)->setText(QStringLiteral("short"));
    grid.widenColumnsFor(50);
    const int wanted = grid.left()->sizeHintForIndex(model.index(50, 0)).width();
    EXPECT_GT(wanted, 40);
    EXPECT_EQ(grid.left()->columnWidth(0), wanted);
    EXPECT_EQ(grid.right()->columnWidth(3), 200); // never narrowed
    EXPECT_EQ(grid.left()->columnWidth(1), before[0]);
    EXPECT_EQ(grid.right()->columnWidth(2), before[1]);
    EXPECT_EQ(grid.right()->columnWidth(4), before[2]);
    // A row that is not there changes nothing.
    grid.widenColumnsFor(60);
    grid.widenColumnsFor(-1);
    EXPECT_EQ(grid.left()->columnWidth(0), wanted);
}
