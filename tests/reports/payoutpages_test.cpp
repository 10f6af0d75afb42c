// The payout pages: every name escaped, the files written in UTF-8, and a
// team of three paid member by member on the cheque list.
#include "reports/payoutpages.h"
#include "reportsfixture.h"

#include <QFile>

namespace {

class PayoutPagesTest : public ReportsFixture
{
};

} // namespace

TEST_F(PayoutPagesTest, NamesAreEscapedAndTheFilesAreUtf8)
{
    exec(QStringLiteral("UPDATE Rosters SET PlrLastName = '<b>Cox & \"Sons\"' WHERE PlrId = 6"));
    db->LoadContestants();
    ASSERT_TRUE(db->AddBuiltInPayoutSchedules());
    EventPurse roping;
    ASSERT_TRUE(db->GetEventPurse(QStringLiteral("TR"), roping));
    roping.purse.addedMoney = 30000;
    QString why;
    ASSERT_TRUE(db->SaveEventPurse(roping, &why)) << why.toStdString();

    RodeoPayout payout;
    ASSERT_TRUE(db->ComputeRodeoPayout(payout));
    ASSERT_EQ(payout.events.size(), 1);
    // One team, three members: 300.00 a roper, to each of them.
    ASSERT_EQ(payout.cheques.size(), 3);
    for (const ChequeLine& c : payout.cheques)
        EXPECT_EQ(c.total, 30000);

    const PayoutPages pages(*db);
    const QString html = pages.rodeoPage(payout, nullptr);
    EXPECT_TRUE(html.contains(QLatin1String("&lt;b&gt;Cox &amp; &quot;Sons&quot;, Hal")));
    EXPECT_FALSE(html.contains(QLatin1String("<b>Cox")));
    EXPECT_TRUE(html.contains(QLatin1String("Cheque List")));

    const QString folder = root() + QStringLiteral("Html/");
    const QStringList written = pages.writeRodeo(payout, nullptr, folder, &why);
    EXPECT_EQ(written, (QStringList{QStringLiteral("Payouts.html"), QStringLiteral("Payouts-TR.html")}))
        << why.toStdString();
    QFile file(folder + QStringLiteral("Payouts.html"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_TRUE(bytes.contains("charset=UTF-8"));
    EXPECT_TRUE(bytes.contains("Ren\xc3\xa9"
                               "e's Arena"));
}
