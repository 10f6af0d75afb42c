// Typing a masked value into a table cell.
#include "framework/maskeddelegate.h"
#include "framework/maskededit.h"

#include <QCoreApplication>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(MaskedEditDelegateTest, EditsACellThroughItsMaskAndWritesTheDisplayBack)
{
    QStandardItemModel model(1, 2);
    const QModelIndex masked = model.index(0, 0);
    model.setData(masked, QStringLiteral(" 9.5"));
    model.setData(masked, QStringLiteral("[ 0-9][0-9].[0-9]"), MaskedEditDelegate::MaskRole);
    MaskedEditDelegate delegate;
    delegate.setEditMask(QStringLiteral("[0-9][0-9]"));
    EXPECT_EQ(delegate.maskFor(model.index(0, 1)), QStringLiteral("[0-9][0-9]")); // no role of its own
    QTableView view;
    view.setModel(&model);
    view.setItemDelegate(&delegate);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    view.edit(masked);
    auto* editor = qobject_cast<CMaskedEdit*>(view.indexWidget(masked));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->editMask(), QStringLiteral("[ 0-9][0-9].[0-9]"));
    EXPECT_EQ(editor->text(), QStringLiteral(" 9.5"));

    QTest::keyClick(editor, Qt::Key_Home);
    QTest::keyClicks(editor, QStringLiteral("123"));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents(); // the view commits and closes queued
    EXPECT_EQ(model.data(masked, Qt::EditRole).toString(), QStringLiteral("12.3"));
    EXPECT_EQ(view.indexWidget(masked), nullptr);
}

} // namespace
