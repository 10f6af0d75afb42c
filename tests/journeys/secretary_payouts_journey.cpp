// The secretary pays the demo rodeo's barrel racing after the first go-round:
// sets its purse, looks at the payout sheet, prints it to PDF, posts the
// earnings and, a result having to be corrected, undoes the posting. The
// earnings are read back from the season with a second connection.
#include "platform/sql/sqlconnection.h"
#include "steps/journey.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTableView>
#include <QTextBrowser>
#include <gtest/gtest.h>

using namespace journey;

namespace {

QString earnings(Program& program, const QString& lastName)
{
    auto sql = openSeason(program, QStringLiteral("Demo"));
    return sql ? queryText(*sql, QStringLiteral("SELECT PlrEarnCur FROM Rosters WHERE PlrLastName = ?"),
                           {lastName})
               : QString();
}

// Replaces what a field holds by text, as a person does: a click, select all, type.
void fill(QWidget* dialog, const QString& label, const QString& text)
{
    click(findIn(dialog, label));
    key(Qt::Key_A, Qt::ControlModifier);
    type(text);
}

} // namespace

TEST(SecretaryJourney, TheBarrelRacingIsPaidPrintedPostedAndUndone)
{
    Program program;
    ASSERT_TRUE(program.start({QStringLiteral("--demo")}));
    const QString pdf = program.dataFolder() + QStringLiteral("Html/barrels.pdf");

    expectDialog(QStringLiteral("Payouts"), [&](QWidget* payouts) {
        pick(named<QComboBox>(QStringLiteral("event"), payouts), QStringLiteral("Barrel Racing (BR)"));
        fill(payouts, QStringLiteral("Added money"), QStringLiteral("1500"));
        fill(payouts, QStringLiteral("Entry fee"), QStringLiteral("100"));
        // Go-round 2 has not run: the first go-round and the average pay.
        auto* split = named<QTableView>(QStringLiteral("split"), payouts);
        ASSERT_TRUE(split);
        const struct
        {
            const char* part;
            const char* share;
        } shares[] = {{"Go-Round 1", "40"}, {"Go-Round 2", "0"}, {"Average", "60"}};
        for (const auto& s : shares) {
            const int row = rowWith(split, QStringLiteral("Part"), QString::fromLatin1(s.part));
            ASSERT_GE(row, 0) << s.part;
            doubleClickCell(split, row, QStringLiteral("% of the purse"));
            key(Qt::Key_A, Qt::ControlModifier);
            type(QString::fromLatin1(s.share));
            key(Qt::Key_Return);
        }
        click(findIn(payouts, QStringLiteral("Pay This Event")));

        // 1,500.00 + 12 x 100.00 = 2,700.00: 40 % of 1,080.00 in the go-round
        // and 40 % of 1,620.00 in the average to the fastest.
        auto* sheet = named<QTextBrowser>(QStringLiteral("page"), payouts);
        ASSERT_TRUE(sheet);
        const QString text = sheet->toPlainText();
        EXPECT_TRUE(text.contains(QStringLiteral("Barrel Racing Payouts"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("2,700.00")));
        EXPECT_TRUE(text.contains(QStringLiteral("432.00")));
        EXPECT_TRUE(text.contains(QStringLiteral("648.00")));

        expectDialog(QStringLiteral("Print to PDF"), [](QWidget* files) {
            fill(files, QStringLiteral("File name"), QStringLiteral("barrels"));
            expectDialog(QStringLiteral("The page is printed to"), QStringLiteral("OK"));
            click(findIn(files, QStringLiteral("Save")));
        });
        click(findIn(payouts, QStringLiteral("Print PDF...")));
        EXPECT_TRUE(waitFor([&] { return QFile::exists(pdf); }));

        auto* status = named<QLabel>(QStringLiteral("status"), payouts);
        ASSERT_TRUE(status);
        expectDialog(QStringLiteral("Post the earnings of the rodeo \"Demo Days Rodeo\"? 2,700.00 go to"),
                     QStringLiteral("Yes"));
        click(findIn(payouts, QStringLiteral("Post Earnings")));
        EXPECT_TRUE(waitFor([&] { return status->text().startsWith(QStringLiteral("Posted on")); }))
            << status->text().toStdString();
        EXPECT_EQ(earnings(program, QStringLiteral("Sorensen")), QStringLiteral("1080"));

        expectDialog(QStringLiteral("Undo the posting"), QStringLiteral("Yes"));
        click(findIn(payouts, QStringLiteral("Undo Posting")));
        EXPECT_TRUE(waitFor([&] { return status->text().startsWith(QStringLiteral("Not posted")); }))
            << status->text().toStdString();
        click(findIn(payouts, QStringLiteral("Close")));
    });
    chooseMenu({QStringLiteral("File"), QStringLiteral("Payouts...")});
    dialogsDone();

    EXPECT_EQ(earnings(program, QStringLiteral("Sorensen")), QString());
    QFile printed(pdf);
    ASSERT_TRUE(printed.open(QIODevice::ReadOnly));
    EXPECT_EQ(printed.read(5), QByteArray("%PDF-"));
    auto sql = openSeason(program, QStringLiteral("Demo"));
    ASSERT_TRUE(sql);
    EXPECT_EQ(
        queryText(*sql, QStringLiteral("SELECT count(*) FROM PayoutPostings WHERE PoUndone IS NOT NULL")),
        QStringLiteral("1"));
    EXPECT_EQ(queryText(*sql, QStringLiteral("SELECT count(*) FROM ResultHistory WHERE HiSource = 'Payout'")),
              QStringLiteral("8"));
    program.end();
}
