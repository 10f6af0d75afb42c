// The Input/Output Configuration and Monitor Ports dialogs as the operator
// uses them: lists, Delete, in-cell editing, the port sheet, OK and Cancel.
#include "common/logcapture.h"
#include "common/scriptedprompt.h"
#include "framework/dialogunits.h"
#include "framework/headerpanel.h"
#include "io/outputmanager.h"
#include "platform/stream/dialogs/streamtrafficviewer.h"
#include "platform/stream/txstream.h"
#include "platform/xml/xmldocument.h"
#include "ui/dialogs/io/dlgioconfig.h"
#include "ui/dialogs/io/dlgmonitorports.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using List = IoConfigEditor::List;

class IoDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QFile builtIn(QStringLiteral(TALLYRA_SOURCE_DIR "/resources/xml/io.xml"));
        ASSERT_TRUE(builtIn.open(QIODevice::ReadOnly));
        QFile file(m_dir.path() + QStringLiteral("/IO.xml"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(builtIn.readAll());
        file.close();
        manager = std::make_unique<OutputManager>(m_dir.path() + QLatin1Char('/'), prompt);
        ASSERT_EQ(manager->LoadConfiguration(), 0);
    }

    static QStringList column(QTableWidget* table, int c)
    {
        QStringList out;
        for (int row = 0; row < table->rowCount(); ++row)
            out << (table->item(row, c) ? table->item(row, c)->text() : QString());
        return out;
    }

    static void pressDelete(QTableWidget* table, int row)
    {
        table->setCurrentCell(row, 1);
        QTest::keyClick(table, Qt::Key_Delete);
    }

    // Edits a cell through the list's own in-cell editor.
    static void editCell(QTableWidget* table, int row, int c, const std::function<void(QWidget*)>& change)
    {
        const QModelIndex index = table->model()->index(row, c);
        QAbstractItemDelegate* delegate = table->itemDelegateForIndex(index);
        QWidget* editor = delegate->createEditor(table->viewport(), QStyleOptionViewItem(), index);
        ASSERT_NE(editor, nullptr);
        delegate->setEditorData(editor, index);
        change(editor);
        delegate->setModelData(editor, table->model(), index);
        delete editor;
        QCoreApplication::processEvents();
    }

    QTemporaryDir m_dir;
    ScriptedPrompt prompt;
    LogCapture log;
    std::unique_ptr<OutputManager> manager;
};

TEST_F(IoDialogTest, ShowsHeadingLabelsAndFourOfTheFiveLists)
{
    CDlgIoConfig dlg(*manager, prompt);
    auto* header = dlg.findChild<HeaderPanel*>();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->title(), QStringLiteral("Input/Output Configuration"));
    EXPECT_EQ(header->description(),
              QStringLiteral("Configure ports on the computer and then set what type of "
                             "information is being used by the ports."));
    EXPECT_EQ(dlg.label(List::Rips)->text(), QStringLiteral("OUTPUT:  Rodeo In Progress (RIP) RTD"));
    EXPECT_TRUE(dlg.table(List::Requests)->isHidden());
    EXPECT_TRUE(dlg.label(List::Requests)->isHidden());
    EXPECT_FALSE(dlg.table(List::Rips)->isHidden());

    QTableWidget* rips = dlg.table(List::Rips);
    EXPECT_EQ(rips->columnCount(), 7);
    EXPECT_EQ(rips->horizontalHeaderItem(5)->text(), QStringLiteral("Breakup Packets"));
    // Widths are dialog units: the Offset column keeps a third of the Settings column.
    EXPECT_EQ(rips->columnWidth(4), DialogUnits::toPixelsX(rips, 50));
    EXPECT_EQ(dlg.table(List::Ports)->columnWidth(1), DialogUnits::toPixelsX(rips, 75));

    EXPECT_EQ(column(dlg.table(List::Ports), 0), (QStringList{"1", "2", "3", "4", ""}));
    EXPECT_EQ(column(dlg.table(List::Ports), 1),
              (QStringList{"RIP", "MX 8000 Command", "TK2 Timer", "Announcer Monitor", ""}));
    EXPECT_EQ(column(dlg.table(List::Timer), 2), QStringList{"TK2 Timer"});
    EXPECT_EQ(column(rips, 3), (QStringList{"Serial", "Serial", ""}));
    EXPECT_EQ(column(dlg.table(List::Monitors), 2), (QStringList{"Announcer Monitor", ""}));
}

TEST_F(IoDialogTest, DeleteRefusesPortsInUseAndRemovesOtherRows)
{
    CDlgIoConfig dlg(*manager, prompt);
    dlg.show();
    QTableWidget* ports = dlg.table(List::Ports);
    pressDelete(ports, 2);
    EXPECT_EQ(prompt.texts(),
              QStringList{"The port cannot be removed because it is being used by the Timer."});
    pressDelete(ports, 0);
    EXPECT_EQ(prompt.lastText(),
              QStringLiteral("The port cannot be removed because it is being used by a RIP object."));
    pressDelete(ports, 3);
    EXPECT_EQ(prompt.lastText(),
              QStringLiteral("The port cannot be removed because it is being used by a monitor object."));
    pressDelete(ports, 4); // the blank row
    EXPECT_EQ(prompt.shown.size(), 3);
    EXPECT_EQ(ports->rowCount(), 5);

    QTableWidget* rips = dlg.table(List::Rips);
    // Not while a cell is being edited.
    rips->setCurrentCell(0, 1);
    rips->edit(rips->currentIndex());
    ASSERT_NE(rips->indexWidget(rips->currentIndex()), nullptr);
    QTest::keyClick(rips, Qt::Key_Delete);
    EXPECT_EQ(rips->rowCount(), 3);
    rips->closePersistentEditor(rips->item(0, 1));
    rips->setFocus();
    QCoreApplication::processEvents();
    pressDelete(rips, 0);
    EXPECT_EQ(column(rips, 0), (QStringList{"1", ""}));
    EXPECT_EQ(column(rips, 1), (QStringList{"MX 8000 Command", ""}));
    // Port 1 is free now: it goes and the other references move down.
    pressDelete(ports, 0);
    EXPECT_EQ(column(ports, 1), (QStringList{"MX 8000 Command", "TK2 Timer", "Announcer Monitor", ""}));
    EXPECT_EQ(column(dlg.table(List::Timer), 2), QStringList{"TK2 Timer"});
    EXPECT_EQ(dlg.configuration().timer->port(), 2);

    pressDelete(dlg.table(List::Timer), 0);
    EXPECT_EQ(column(dlg.table(List::Timer), 1), QStringList{""});
    EXPECT_EQ(dlg.configuration().timer->port(), 0);
    // Nothing reached the manager.
    EXPECT_EQ(manager->configuration().ports.size(), 4u);
}

TEST_F(IoDialogTest, CellsAreEditedInPlaceAndTheBlankRowBecomesAnItem)
{
    CDlgIoConfig dlg(*manager, prompt);
    QTableWidget* rips = dlg.table(List::Rips);
    editCell(rips, 2, 1, [](QWidget* editor) { qobject_cast<QLineEdit*>(editor)->setText("Third"); });
    ASSERT_EQ(rips->rowCount(), 4);
    EXPECT_EQ(rips->item(2, 0)->text(), QStringLiteral("3"));
    EXPECT_EQ(rips->item(2, 5)->text(), QStringLiteral("true"));
    EXPECT_EQ(rips->item(2, 6)->text(), QStringLiteral("false"));

    editCell(rips, 2, 2, [](QWidget* editor) {
        auto* combo = qobject_cast<QComboBox*>(editor);
        ASSERT_EQ(combo->count(), 5);
        combo->setCurrentIndex(4);
    });
    EXPECT_EQ(rips->item(2, 2)->text(), QStringLiteral("Announcer Monitor"));
    EXPECT_EQ(dlg.configuration().rips[2]->port(), 4);

    editCell(rips, 2, 4, [](QWidget* editor) {
        auto* edit = qobject_cast<QLineEdit*>(editor);
        ASSERT_NE(edit->validator(), nullptr);
        int pos = 0;
        QString minus = QStringLiteral("-3");
        EXPECT_EQ(edit->validator()->validate(minus, pos), QValidator::Invalid);
        edit->setText("120");
    });
    EXPECT_EQ(dlg.configuration().rips[2]->offset(), 120);

    editCell(dlg.table(List::Monitors), 0, 3,
             [](QWidget* editor) { EXPECT_EQ(qobject_cast<QComboBox*>(editor)->count(), 1); });
    // The number and the port's own cells are not edited in place.
    EXPECT_FALSE(rips->item(0, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(dlg.table(List::Ports)->item(0, 1)->flags() & Qt::ItemIsEditable);
}

TEST_F(IoDialogTest, ThePortSheetRenamesEverywhereAndAddsPortsFromTheBlankRow)
{
    CDlgIoConfig dlg(*manager, prompt);
    int shown = 0;
    dlg.setPortSheet([&](TxStream& stream, QWidget* parent) {
        ++shown;
        EXPECT_EQ(parent, &dlg);
        stream.setName(stream.name().isEmpty() ? QStringLiteral("Added") : QStringLiteral("Board"));
        stream.setKind(TxStream::Udp);
        return true;
    });
    QTableWidget* ports = dlg.table(List::Ports);
    emit ports->cellDoubleClicked(0, 1);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(ports->item(0, 1)->text(), QStringLiteral("Board"));
    EXPECT_EQ(dlg.table(List::Rips)->item(0, 2)->text(), QStringLiteral("Board"));

    dlg.configurePort(4);
    ASSERT_EQ(ports->rowCount(), 6);
    EXPECT_EQ(ports->item(4, 1)->text(), QStringLiteral("Added"));
    EXPECT_EQ(ports->item(4, 0)->text(), QStringLiteral("5"));

    dlg.setPortSheet([](TxStream&, QWidget*) { return false; });
    dlg.configurePort(5);
    EXPECT_EQ(ports->rowCount(), 6);
}

TEST_F(IoDialogTest, OkHandsTheCopyToTheManagerAndCancelLeavesItAlone)
{
    {
        CDlgIoConfig dlg(*manager, prompt);
        dlg.editor().setText(List::Rips, 0, 1, QStringLiteral("Discarded"));
        dlg.reject();
    }
    EXPECT_EQ(manager->configuration().rips[0]->name(), QStringLiteral("RIP"));

    CDlgIoConfig dlg(*manager, prompt);
    dlg.editor().setText(List::Rips, 0, 1, QStringLiteral("Arena"));
    dlg.accept();
    ASSERT_EQ(dlg.result(), QDialog::Accepted);
    ASSERT_TRUE(manager->ApplyDialogChanges(dlg.configuration(), false));
    EXPECT_EQ(manager->configuration().rips[0]->name(), QStringLiteral("Arena"));
    EXPECT_FALSE(manager->communicationsStarted());
    XmlDocument saved;
    ASSERT_TRUE(saved.load(m_dir.path() + QStringLiteral("/IO.xml")));
    EXPECT_EQ(saved.selectSingleNode("//RIP[@count='1']").attribute("name"), QStringLiteral("Arena"));
}

TEST_F(IoDialogTest, MonitorPortsTogglesByClickAndOpensViewersOnTheMainWindow)
{
    QWidget mainWindow;
    CDlgMonitorPorts dlg(*manager, prompt, &mainWindow);
    auto* header = dlg.findChild<HeaderPanel*>();
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(header->title(), QStringLiteral("Monitor Ports"));
    EXPECT_EQ(header->description(),
              QStringLiteral("Select the ports to view the data that is being sent/received."));
    QTableWidget* table = dlg.table();
    EXPECT_EQ(column(table, 0), (QStringList{"false", "false", "false", "false"}));
    EXPECT_EQ(column(table, 1), (QStringList{"RIP", "MX 8000 Command", "TK2 Timer", "Announcer Monitor"}));
    EXPECT_EQ(table->columnWidth(1), DialogUnits::toPixelsX(table, 100));

    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    const QPoint cell = table->visualItemRect(table->item(2, 1)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, cell);
    EXPECT_EQ(table->item(2, 0)->text(), QStringLiteral("true"));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualItemRect(table->item(0, 1)).center());
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualItemRect(table->item(0, 1)).center());
    EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("false"));

    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualItemRect(table->item(1, 1)).center());

    dlg.accept();
    const auto viewers = mainWindow.findChildren<StreamTrafficViewer*>();
    ASSERT_EQ(viewers.size(), 2);
    EXPECT_TRUE(viewers[0]->isVisible());

    // The timing console's viewer counts the blocks its reader threw away and
    // those it read only in part.
    TimerInput& timer = *manager->configuration().timer;
    timer.OnData(QString(), 0);
    timer.OnData(QStringLiteral("12.3\x01 x"), 0);
    timer.OnData(QStringLiteral("12.34"), 100000);
    timer.OnData(QStringLiteral("12.34"), 372);
    auto statusOf = [&](const QString& portName) {
        for (StreamTrafficViewer* viewer : viewers) {
            if (viewer->windowTitle().endsWith(portName))
                return viewer->findChild<QLabel*>(QStringLiteral("statusLabel"))->text();
        }
        return QStringLiteral("no viewer");
    };
    const QString counted = QStringLiteral(
        "Timing console: 4 blocks received, 3 ignored (empty, outside the image or not printable), 1 "
        "read in part");
    QElapsedTimer waited;
    waited.start();
    while (!statusOf(QStringLiteral("TK2 Timer")).contains(counted) && waited.elapsed() < 3000)
        QTest::qWait(50);
    const QString timerStatus = statusOf(QStringLiteral("TK2 Timer"));
    EXPECT_TRUE(timerStatus.contains(counted)) << timerStatus.toStdString();
    const QString otherStatus = statusOf(QStringLiteral("MX 8000 Command"));
    EXPECT_TRUE(otherStatus.startsWith(QStringLiteral("MX 8000 Command: "))) << otherStatus.toStdString();
    EXPECT_FALSE(otherStatus.contains(QStringLiteral("Timing console")));
    qDeleteAll(viewers);
}

} // namespace
