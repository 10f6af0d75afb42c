// The live results as an arena has them: the operator turns them on in
// Configure > Live Results, the announcer's tablet opens the address the
// status bar shows, the operator types a barrel racer's time and the tablet's
// page has it within a second; the address's QR code for the phones.
#include "steps/journey.h"
#include "ui/mainframe.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPushButton>
#include <QTableView>
#include <QTcpServer>
#include <gtest/gtest.h>

using namespace journey;

namespace {

// What a reader on the arena's network gets for a page ("" when nothing).
QByteArray fetch(QNetworkAccessManager& tablet, quint16 port, const QString& page)
{
    QNetworkReply* reply =
        tablet.get(QNetworkRequest(QUrl(QStringLiteral("http://127.0.0.1:%1/%2").arg(port).arg(page))));
    waitFor([reply] { return reply->isFinished(); });
    reply->deleteLater();
    return reply->error() == QNetworkReply::NoError ? reply->readAll() : QByteArray();
}

} // namespace

TEST(LiveResultsJourney, TheTabletFollowsAResultTypedAtTheScoringTable)
{
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));
    click(QStringLiteral("Run Performance"));

    quint16 port = 0;
    {
        QTcpServer probe; // a port nobody uses
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    expectDialog(QStringLiteral("follow the results as they are saved"), [port](QWidget* dialog) {
        click(findIn(dialog, QStringLiteral("Serve live results on the network")));
        click(findIn(dialog, QStringLiteral("Port")));
        key(Qt::Key_A, Qt::ControlModifier);
        type(QString::number(port));
        click(findIn(dialog, QStringLiteral("OK")));
    });
    chooseMenu({QStringLiteral("Configure"), QStringLiteral("Live Results...")});
    dialogsDone();

    // The status bar gives the address to hand out.
    auto* status = named<QPushButton>(QStringLiteral("liveStatus"));
    ASSERT_TRUE(status);
    EXPECT_TRUE(textOf(status).startsWith(QStringLiteral("Live results: http://")))
        << textOf(status).toStdString();
    EXPECT_TRUE(textOf(status).endsWith(QStringLiteral(":%1/").arg(port))) << textOf(status).toStdString();

    // The announcer's tablet opens the rodeo's page.
    QNetworkAccessManager tablet;
    EXPECT_TRUE(fetch(tablet, port, QStringLiteral("index.html")).contains("Demo Days Rodeo"));

    // The operator types a time for the first barrel racer of a performance not run yet.
    choosePerformance(QStringLiteral("Barrel Racing"), QStringLiteral("1"), QStringLiteral("2"));
    auto* list = named<QTableView>(QStringLiteral("leftList"));
    ASSERT_TRUE(list);
    const QString racer = cellText(list, 0, QStringLiteral("Last Name"));
    ASSERT_FALSE(racer.isEmpty());
    clickCell(list, 0, QStringLiteral("Last Name"));
    key(Qt::Key_E);
    type(QStringLiteral("15.52"));
    key(Qt::Key_Return);

    QElapsedTimer clock;
    clock.start();
    bool shown = false;
    while (!shown && clock.elapsed() < 1000) {
        const QByteArray page = fetch(tablet, port, QStringLiteral("now.html"));
        shown = page.contains(racer.toUtf8()) && page.contains("15.52");
    }
    EXPECT_TRUE(shown) << "the tablet's page did not show " << racer.toStdString()
                       << "'s 15.52 within a second";

    // The phones get the address from its QR code.
    expectDialog(QStringLiteral("Scan the code"), QStringLiteral("Close"));
    click(status);
    dialogsDone();
    program.end();
}
