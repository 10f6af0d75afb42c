// The Input/Output dialog's list logic and the Monitor Ports selection.
#include "io/ioconfigeditor.h"
#include "io/monitorportsselection.h"
#include "platform/stream/txstream.h"

#include <gtest/gtest.h>

namespace {

using List = IoConfigEditor::List;
using Editor = IoConfigEditor::Editor;

std::unique_ptr<StreamPort> udp(const QString& name, int number)
{
    auto port = std::make_unique<StreamPort>();
    port->setKind(StreamPort::Udp);
    port->setName(name);
    port->stream().setUdpPort(number);
    return port;
}

// Four ports P1..P4; the timer on 3, a RIP on 4, a monitor on 1, requests on
// (4, 2) and (2, 1).
IoConfiguration sample()
{
    IoConfiguration config;
    for (int i = 1; i <= 4; ++i)
        config.ports.push_back(udp(QStringLiteral("P%1").arg(i), 20000 + i));
    config.timer->setName(QStringLiteral("Timer"));
    config.timer->setPort(3);
    auto rip = std::make_unique<RipStream>();
    rip->setName(QStringLiteral("RIP"));
    rip->setPort(4);
    config.rips.push_back(std::move(rip));
    for (auto [req, send] : {std::pair{4, 2}, std::pair{2, 1}}) {
        auto request = std::make_unique<RequestLink>();
        request->setName(QStringLiteral("Q"));
        request->setRequestPort(req);
        request->setSendPort(send);
        config.requests.push_back(std::move(request));
    }
    auto monitor = std::make_unique<MonitorStream>();
    monitor->setName(QStringLiteral("Announcer"));
    monitor->setPort(1);
    monitor->setProtocol(MonitorStream::Terminal);
    config.monitors.push_back(std::move(monitor));
    config.attachUsers();
    return config;
}

TEST(IoConfigEditor, ListsHaveTheirLabelsColumnsAndBlankLastRows)
{
    EXPECT_EQ(IoConfigEditor::label(List::Ports), QStringLiteral("Configure Ports:"));
    EXPECT_EQ(IoConfigEditor::label(List::Timer), QStringLiteral("INPUT:  Timer"));
    EXPECT_EQ(IoConfigEditor::label(List::Rips), QStringLiteral("OUTPUT:  Rodeo In Progress (RIP) RTD"));
    EXPECT_EQ(IoConfigEditor::label(List::Requests), QStringLiteral("OUTPUT:  Requested RTD"));
    EXPECT_EQ(IoConfigEditor::label(List::Monitors), QStringLiteral("OUTPUT:  Announcer Monitor"));

    QStringList ripTitles;
    QList<int> ripWidths;
    for (const auto& c : IoConfigEditor::columns(List::Rips)) {
        ripTitles << c.title;
        ripWidths << c.width;
    }
    EXPECT_EQ(ripTitles,
              (QStringList{"", "Name", "Port", "Type", "Offset", "Breakup Packets", "Update Flag"}));
    EXPECT_EQ(ripWidths, (QList<int>{25, 75, 50, 50, 50, 50, 50}));
    EXPECT_EQ(IoConfigEditor::columns(List::Ports)[2].width, 150);
    EXPECT_EQ(IoConfigEditor::columns(List::Requests)[3].title, QStringLiteral("Send Port"));
    EXPECT_EQ(IoConfigEditor::columns(List::Rips)[4].editor, Editor::Digits);

    IoConfiguration config = sample();
    IoConfigEditor editor(config);
    EXPECT_EQ(editor.rowCount(List::Ports), 5);
    EXPECT_EQ(editor.rowCount(List::Timer), 1);
    EXPECT_EQ(editor.rowCount(List::Rips), 2);
    EXPECT_TRUE(editor.isBlankRow(List::Rips, 1));
    EXPECT_FALSE(editor.isBlankRow(List::Timer, 0));
    EXPECT_EQ(editor.text(List::Ports, 4, 0), QString());
    EXPECT_EQ(editor.text(List::Ports, 3, 0), QStringLiteral("4"));
    EXPECT_EQ(editor.text(List::Ports, 0, 2), config.ports[0]->settingsText());
    EXPECT_EQ(editor.text(List::Timer, 0, 0), QStringLiteral("1"));
    EXPECT_EQ(editor.text(List::Timer, 0, 2), QStringLiteral("P3"));
    EXPECT_EQ(editor.text(List::Rips, 0, 2), QStringLiteral("P4"));
    EXPECT_EQ(editor.text(List::Rips, 0, 5), QStringLiteral("true"));
    EXPECT_EQ(editor.text(List::Monitors, 0, 3), QStringLiteral("Terminal"));
    EXPECT_EQ(editor.choices(List::Rips, 2), (QStringList{"", "P1", "P2", "P3", "P4"}));
    EXPECT_EQ(editor.choices(List::Rips, 3), (QStringList{"Network", "Serial"}));
    EXPECT_EQ(editor.choices(List::Monitors, 3), QStringList{"Terminal"});

    // A reference beyond the list shows an empty name.
    config.rips[0]->setPort(9);
    EXPECT_EQ(editor.text(List::Rips, 0, 2), QString());
}

TEST(IoConfigEditor, PortsInUseAreNotRemovedAndTheTimerIsNamedFirst)
{
    IoConfiguration config = sample();
    IoConfigEditor editor(config);
    config.rips[0]->setPort(3); // the timer's port is a RIP's too
    auto refused = editor.remove(List::Ports, 2);
    EXPECT_FALSE(refused.removed);
    EXPECT_EQ(refused.refusal,
              QStringLiteral("The port cannot be removed because it is being used by the Timer."));
    EXPECT_EQ(config.ports.size(), 4u);
    EXPECT_EQ(config.timer->port(), 3);

    config.rips[0]->setPort(4);
    EXPECT_EQ(editor.remove(List::Ports, 3).refusal,
              QStringLiteral("The port cannot be removed because it is being used by a RIP object."));
    EXPECT_EQ(editor.remove(List::Ports, 0).refusal,
              QStringLiteral("The port cannot be removed because it is being used by a monitor object."));
    EXPECT_EQ(config.ports.size(), 4u);
    // The blank row is never removed.
    EXPECT_FALSE(editor.remove(List::Ports, 4).removed);
    EXPECT_TRUE(editor.remove(List::Ports, 4).refusal.isEmpty());
}

TEST(IoConfigEditor, RemovingAPortRenumbersEveryReference)
{
    IoConfiguration config = sample();
    IoConfigEditor editor(config);
    // Port 2 is used by requests only, which are not checked.
    const auto result = editor.remove(List::Ports, 1);
    ASSERT_TRUE(result.removed);
    ASSERT_EQ(config.ports.size(), 3u);
    EXPECT_EQ(config.ports[1]->name(), QStringLiteral("P3"));
    EXPECT_EQ(config.timer->port(), 2);
    EXPECT_EQ(config.rips[0]->port(), 3);
    EXPECT_EQ(config.requests[0]->requestPort(), 3);
    EXPECT_EQ(config.requests[0]->sendPort(), 0);
    EXPECT_EQ(config.requests[1]->requestPort(), 0);
    EXPECT_EQ(config.requests[1]->sendPort(), 1);
    EXPECT_EQ(config.monitors[0]->port(), 1);
    EXPECT_EQ(editor.text(List::Ports, 1, 0), QStringLiteral("2"));
    EXPECT_EQ(editor.text(List::Rips, 0, 2), QStringLiteral("P4"));
    // Users follow.
    EXPECT_EQ(config.port(2)->firstUser(), config.timer.get());
    EXPECT_EQ(config.port(3)->firstUser(), config.rips[0].get());
}

TEST(IoConfigEditor, RemovingOtherRows)
{
    IoConfiguration config = sample();
    IoConfigEditor editor(config);
    ASSERT_TRUE(editor.remove(List::Timer, 0).removed);
    EXPECT_TRUE(config.timer->name().isEmpty());
    EXPECT_EQ(config.timer->port(), 0);
    EXPECT_TRUE(config.port(3)->users().isEmpty());

    ASSERT_TRUE(editor.remove(List::Requests, 0).removed);
    ASSERT_EQ(config.requests.size(), 1u);
    EXPECT_EQ(config.requests[0]->requestPort(), 2);
    EXPECT_EQ(editor.text(List::Requests, 0, 0), QStringLiteral("1"));

    ASSERT_TRUE(editor.remove(List::Rips, 0).removed);
    EXPECT_TRUE(config.rips.empty());
    EXPECT_TRUE(config.port(4)->users().isEmpty());
    ASSERT_TRUE(editor.remove(List::Monitors, 0).removed);
    // Port 1 is now free to go.
    EXPECT_TRUE(editor.remove(List::Ports, 0).removed);
}

TEST(IoConfigEditor, FillingTheBlankRowAddsAnItemWithDefaults)
{
    IoConfiguration config = sample();
    IoConfigEditor editor(config);
    EXPECT_FALSE(editor.setText(List::Rips, 1, 1, QString())); // nothing typed: no item
    EXPECT_EQ(config.rips.size(), 1u);
    ASSERT_TRUE(editor.setText(List::Rips, 1, 1, QStringLiteral("Second")));
    ASSERT_EQ(config.rips.size(), 2u);
    const RipStream& added = *config.rips[1];
    EXPECT_EQ(added.name(), QStringLiteral("Second"));
    EXPECT_EQ(added.port(), 0);
    EXPECT_EQ(added.offset(), 0);
    EXPECT_TRUE(added.breakupPackets());
    EXPECT_FALSE(added.updateEveryPacket());
    EXPECT_EQ(editor.rowCount(List::Rips), 3);

    // Choosing a port on the blank row adds one too; choosing none does not.
    EXPECT_FALSE(editor.choosePort(List::Monitors, 1, 2, 0));
    ASSERT_TRUE(editor.choosePort(List::Monitors, 1, 2, 2));
    EXPECT_EQ(config.monitors.size(), 2u);
    EXPECT_EQ(config.port(2)->users().size(), 3);             // two requests, then the monitor
    EXPECT_FALSE(editor.choosePort(List::Monitors, 0, 2, 5)); // beyond the list
}

TEST(IoConfigEditor, OffsetsTakeDigitsOnlyAndFlagsOnlyTrue)
{
    IoConfiguration config = sample();
    IoConfigEditor editor(config);
    for (const char* bad : {"-5", "1a", " 3", "+4", "99999999999"})
        EXPECT_FALSE(editor.setText(List::Rips, 0, 4, QString::fromLatin1(bad))) << bad;
    EXPECT_EQ(config.rips[0]->offset(), 0);
    EXPECT_TRUE(editor.setText(List::Rips, 0, 4, QStringLiteral("2147483647")));
    EXPECT_EQ(config.rips[0]->offset(), 2147483647);
    EXPECT_FALSE(editor.setText(List::Rips, 1, 4, QStringLiteral("x"))); // refused: no item either
    EXPECT_EQ(config.rips.size(), 1u);

    EXPECT_TRUE(editor.setText(List::Rips, 0, 5, QStringLiteral("True")));
    EXPECT_FALSE(config.rips[0]->breakupPackets());
    EXPECT_TRUE(editor.setText(List::Rips, 0, 6, QStringLiteral("true")));
    EXPECT_TRUE(config.rips[0]->updateEveryPacket());
    EXPECT_TRUE(editor.setText(List::Rips, 0, 3, QStringLiteral("Serial")));
    EXPECT_EQ(config.rips[0]->type(), RipStream::Serial);
    // Cells that are not typed.
    EXPECT_FALSE(editor.setText(List::Ports, 0, 1, QStringLiteral("X")));
    EXPECT_FALSE(editor.setText(List::Rips, 0, 2, QStringLiteral("P1")));
    EXPECT_FALSE(editor.setText(List::Rips, 0, 0, QStringLiteral("9")));
}

TEST(MonitorPortsSelection, RowsStartFalseAndClickingToggles)
{
    IoConfiguration config = sample();
    MonitorPortsSelection selection(config);
    ASSERT_EQ(selection.rowCount(), 4);
    EXPECT_EQ(MonitorPortsSelection::columns()[1].width, 100);
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(selection.text(row, 0), QStringLiteral("false"));
    EXPECT_EQ(selection.text(2, 1), QStringLiteral("P3"));
    EXPECT_EQ(selection.text(2, 2), config.ports[2]->settingsText());
    selection.toggle(1);
    selection.toggle(3);
    selection.toggle(3);
    selection.toggle(7); // no such row
    EXPECT_EQ(selection.text(1, 0), QStringLiteral("true"));
    EXPECT_EQ(selection.markedPorts(), QList<StreamPort*>{config.ports[1].get()});
}

} // namespace
