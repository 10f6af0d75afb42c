// The scoreboard image, the display buttons and the announcer's page, from
// real rows of a season through the output manager to loopback receivers.
#include "app/displaykeys.h"
#include "io/announcerpage.h"
#include "io/displayactions.h"
#include "io/monitorstream.h"
#include "io/scoreboardtext.h"
#include "scoreboardfixture.h"

namespace {

using iofile::monitor;
using iofile::rip;

// A display key as a profile holds it.
XmlNode key(XmlDocument& doc, const QString& xml)
{
    EXPECT_TRUE(doc.loadXml(xml)) << xml.toStdString();
    return doc.root();
}

QString action(const char* element, int mode, int frame, const char* message, const char* sequence = "")
{
    return QStringLiteral(
               "<%1 sign=\"1\" mode=\"%2\" times=\"\" frame=\"%3\" drive=\"C\" library=\"Default\" "
               "sequence=\"%4\" message=\"%5\"/>")
        .arg(QLatin1String(element))
        .arg(mode)
        .arg(frame)
        .arg(QLatin1String(sequence), QLatin1String(message));
}

// The image block by block, in rows of at most 100 characters, each with its
// offset: what a golden file holds.
QString layoutText(const QString& image, bool network)
{
    QString out;
    for (int b = 0; b < ScoreboardLayout::BlockCount; ++b) {
        const ScoreboardLayout::Span s = ScoreboardLayout::block(b, network);
        out += QStringLiteral("B%1\n").arg(b);
        for (int at = s.offset; at < s.offset + s.width; at += 100)
            out += QStringLiteral("%1|%2|\n")
                       .arg(at, 4, 10, QLatin1Char('0'))
                       .arg(image.mid(at, qMin(100, s.offset + s.width - at)));
    }
    if (network) {
        for (const ScoreboardLayout::Span& s :
             {ScoreboardLayout::GoLeadersContinuation, ScoreboardLayout::OverallLeadersContinuation}) {
            out += QStringLiteral("continued\n");
            for (int at = s.offset; at < s.offset + s.width; at += 100)
                out += QStringLiteral("%1|%2|\n")
                           .arg(at, 4, 10, QLatin1Char('0'))
                           .arg(image.mid(at, qMin(100, s.offset + s.width - at)));
        }
    }
    return out;
}

// Compares with tests/io/data/<name>; TALLYRA_UPDATE_GOLDEN=1 writes it instead.
void expectGolden(const char* name, const QString& text)
{
    const QString path = QStringLiteral(TALLYRA_TEST_DATA_DIR "/") + QString::fromLatin1(name);
    if (qEnvironmentVariableIsSet("TALLYRA_UPDATE_GOLDEN")) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(text.toUtf8());
    }
    QFile in(path);
    ASSERT_TRUE(in.open(QIODevice::ReadOnly)) << path.toStdString();
    EXPECT_EQ(QString::fromUtf8(in.readAll()), text) << name;
}

struct ImageCase
{
    const char* golden;
    const char* type; // of the RIP stream
    const char* event;
    int go;
    int competitor; // index of the rider (scored) or team id (team roping)
    int goPage;
};

class ScoreboardImage : public ScoreboardFixture, public ::testing::WithParamInterface<ImageCase>
{
};

} // namespace

// The whole image for a fixed state, as a sign receives it: the rider up
// shows with his message, animal, marks and what he needs; the leaders; the
// cut after three finalists.
TEST_P(ScoreboardImage, WholeImageMatchesTheGoldenFile)
{
    const ImageCase& c = GetParam();
    const bool network = QLatin1String(c.type) == QLatin1String("Network");
    const bool team = QLatin1String(c.event) == QLatin1String("TR");
    current(c.event, c.go, 0);
    auto manager = outputs(rip(1, QStringLiteral("Board"), 1, QString::fromLatin1(c.type)));

    // The operator shows the competitor with a key that picks message 2.
    XmlDocument profile;
    const XmlNode f6 =
        key(profile, QStringLiteral("<FunctionKey sequence=\"F6\" name=\"Curr\" display=\"Yes\" "
                                    "holding=\"No\" announcer=\"Yes\" pagedir=\"\">") +
                         action("Timer", 2, 18, "2") + action("Result", 2, 19, "2") +
                         QStringLiteral("</FunctionKey>"));
    const quint32 who = team ? quint32(c.competitor) : p[c.competitor];
    ASSERT_TRUE(manager->DisplayButtonPressed(*db->GetEvent(QString::fromLatin1(c.event)),
                                              QStringLiteral("F6"), makeEntryKey(who, 1), f6, 0));
    EXPECT_EQ(arena.displayed, makeEntryKey(who, 1));
    EXPECT_EQ(manager->messageNumber(), 2);
    manager->setGoPage(c.goPage);
    manager->setOverallPage(c.goPage);
    manager->Refresh(1); // everything
    manager->Refresh(9); // the leaders again: the values the rider needs
    manager->Refresh(8);
    expectGolden(c.golden, layoutText(receivedImage(board1), network));
}

INSTANTIATE_TEST_SUITE_P(
    FixedStates, ScoreboardImage,
    ::testing::Values(ImageCase{"image_scored_serial.txt", "Serial", "SB", 2, 4, 0},
                      ImageCase{"image_scored_network.txt", "Network", "SB", 2, 4, 0},
                      ImageCase{"image_teamroping_serial.txt", "Serial", "TR", 1, 2, 0},
                      ImageCase{"image_leaders_page2_serial.txt", "Serial", "SB", 1, 1, 1}),
    [](const auto& info) {
        return QString::fromLatin1(info.param.golden).section(QLatin1Char('.'), 0, 0).toStdString();
    });

// Blocks that must keep their widths whatever their data.
TEST_F(ScoreboardFixture, BlocksKeepTheirWidthsAndBlankWhatIsMissing)
{
    ScoreboardText text;
    ScoreboardState state;
    const auto block = [&](int b, bool network = false) {
        return text.build(1, BlockRange{b, b}, network, arena, state).text;
    };

    // Go-rounds 11 and 21 in the event line.
    for (const auto& [go, shown] : {std::pair{11, "11th"}, std::pair{21, "21st"}, std::pair{2, " 2nd"}}) {
        current("SB", go, p[0]);
        EXPECT_EQ(block(1).mid(22, 4), QString::fromLatin1(shown)) << go;
    }

    // The animal's name is cut to 20 and the block keeps its 76 characters.
    current("SB", 2, p[4]);
    const QString animal = block(4);
    ASSERT_EQ(animal.size(), 76);
    EXPECT_EQ(animal.left(25), QStringLiteral("12A  Painted Lady Of The "));
    EXPECT_EQ(animal.mid(25, 20), QStringLiteral("Cervi Championship R"));
    EXPECT_EQ(animal.mid(45, 6), QStringLiteral(" 81150"));

    // A judge who did not mark the ride: no letter, no total.
    current("SB", 2, p[1]);
    const QString result = block(5);
    ASSERT_EQ(result.size(), 229);
    EXPECT_EQ(result.mid(60, 28),
              QStringLiteral("A 42.0 ") + QString(7, QLatin1Char(' ')) + QStringLiteral("C 42.0 D 42.5 "));
    EXPECT_EQ(block(5, true).size(), 369);

    // Nobody up: the competitor block is blank, and nothing is logged for it.
    log.clear();
    current("SB", 2, 0);
    EXPECT_EQ(block(2), QString(497, QLatin1Char(' ')));
    EXPECT_TRUE(log.lines().isEmpty()) << log.lines().join(QLatin1Char('\n')).toStdString();
    // No result to show: the run ends before the result block.
    const ScoreboardRun run = text.build(8, BlockRange{5, 7}, false, arena, state);
    EXPECT_TRUE(run.endedBeforeResult);
    EXPECT_TRUE(run.text.isEmpty());
}

// Page 2 of a list of 4 lines shows entries 9 to 12; the last page shows
// what is left and blank lines; a Network page of 14 continues its lines 13
// and 14 past the block.
TEST_F(ScoreboardFixture, LeaderPagesStartAtTheirFirstEntry)
{
    for (int i = 0; i < 8; ++i)
        p << insertContestant(QStringLiteral("Extra%1").arg(i), QStringLiteral("Rider%1").arg(i));
    for (int i = 6; i < 14; ++i) {
        insertEntry(QStringLiteral("Scores"), roId, QStringLiteral("SB"), 1, p[i], 1, 2, i);
        exec(QStringLiteral("UPDATE Scores SET JTot = ? WHERE GoId = 1 AND ptId = ?"), {6000 + i, p[i]});
    }
    exec(QStringLiteral("UPDATE Scores SET JTot = 0 WHERE GoId = 1 AND ptId = ?"), {p[13]}); // unplaced
    ASSERT_TRUE(db->LoadContestants());
    ASSERT_TRUE(db->LoadRegs());
    current("SB", 1, p[0]);
    ScoreboardText text;
    ScoreboardState state;
    const auto page = [&](int index) {
        state.goPage = index;
        return text.build(9, BlockRange{6, 6}, false, arena, state).text;
    };
    const auto position = [](const QString& block, int line) {
        return block.mid(240 + line * 135, 3);
    };

    const QString second = page(2);
    ASSERT_EQ(second.size(), 780);
    EXPECT_EQ(position(second, 0), QStringLiteral("  9"));
    EXPECT_EQ(second.mid(240 + 28, 30), QStringLiteral("Rider4, Extra4").leftJustified(30)); // 60.10
    EXPECT_EQ(position(second, 3), QStringLiteral(" 12"));
    EXPECT_FALSE(state.goLastPage);
    const QString last = page(3);
    EXPECT_EQ(position(last, 0), QStringLiteral(" 13"));
    EXPECT_EQ(last.mid(240 + 135), QString(3 * 135, QLatin1Char(' '))); // the unplaced entry and nobody
    EXPECT_TRUE(state.goLastPage);

    arena.profile.paging = 14;
    state.goPage = 0;
    const ScoreboardRun network = text.build(9, BlockRange{6, 6}, true, arena, state);
    ASSERT_EQ(network.text.size(), 2404);
    EXPECT_EQ(network.text.mid(304 + 11 * 175, 7), QStringLiteral("     12"));
    ASSERT_EQ(network.second.size(), 1400);
    EXPECT_EQ(network.second.left(7), QStringLiteral("     13"));
    EXPECT_EQ(network.second.mid(175), QString(7 * 175, QLatin1Char(' ')));
    EXPECT_TRUE(state.goLastPage);

    // Both lists in one refresh: the go-round continuation, then the overall
    // one. When the go-round list cannot be built (the final has no standing
    // yet), its continuation is blank, so the overall one still lands at 8140.
    const ScoreboardRun both = text.build(9, BlockRange{6, 7}, true, arena, state);
    ASSERT_EQ(both.second.size(), 1400 + 1553);
    current("SB", 3, p[0]);
    const ScoreboardRun noGoRound = text.build(9, BlockRange{6, 7}, true, arena, state);
    ASSERT_EQ(noGoRound.second.size(), 1400 + 1553);
    EXPECT_EQ(noGoRound.second.left(1400), QString(1400, QLatin1Char(' ')));
    EXPECT_EQ(noGoRound.second.mid(1400, 7), QStringLiteral("     13"));
}

namespace {

struct KeyCase
{
    const char* name;
    const char* attributes;
    bool messageChanged;
    int pending;
    int code;                // -1: no refresh
    int goPage, overallPage; // after the key, from pages 1 and 0
};

class DisplayKeyRefresh : public ScoreboardFixture, public ::testing::WithParamInterface<KeyCase>
{
};

} // namespace

TEST_P(DisplayKeyRefresh, ChoosesTheRefreshAndThePages)
{
    const KeyCase& c = GetParam();
    auto manager = outputs(rip(1, QStringLiteral("Board"), 1));
    // Six riders placed in go-round 1, four to a page: the go-round list shows
    // its last page, the overall list its first.
    current("SB", 1, p[0]);
    manager->setGoPage(1);
    manager->setOverallPage(0);
    manager->Refresh(9);
    ASSERT_TRUE(manager->scoreboardState().goLastPage);
    ASSERT_FALSE(manager->scoreboardState().overallLastPage);
    XmlDocument doc;
    const XmlNode k =
        key(doc, QStringLiteral("<FunctionKey sequence=\"F9\" %1/>").arg(QLatin1String(c.attributes)));
    const int code = manager->refreshForKey(k, c.messageChanged, c.pending);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(manager->goPage(), c.goPage);
    EXPECT_EQ(manager->overallPage(), c.overallPage);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, DisplayKeyRefresh,
    ::testing::Values(KeyCase{"DisplayWithPending8", "display=\"Yes\"", false, 8, 5, 1, 0},
                      KeyCase{"DisplayWithPending3", "display=\"Yes\"", false, 3, 3, 1, 0},
                      KeyCase{"AnnouncerNothingPending", "announcer=\"Yes\" pagedir=\"Top\"", false, 0, 5, 1,
                              0},
                      KeyCase{"MessageChanged", "pagedir=\"Top\"", true, 7, 6, 1, 0},
                      KeyCase{"Top", "pagedir=\"Top\"", false, 0, 9, 0, 0},
                      KeyCase{"BackwardAtZero", "pagedir=\"Backward\"", false, 0, 9, 0, 0},
                      KeyCase{"ForwardOnTheLastGoPage", "pagedir=\"Forward\"", false, 4, 4, 1, 1},
                      KeyCase{"Cut", "pagedir=\"Cut\"", false, 10, 9, 1, 0},
                      KeyCase{"UnknownDirection", "pagedir=\"Up\"", false, 3, -1, 1, 0},
                      KeyCase{"EmptyDirection", "pagedir=\"\"", false, 0, 0, 1, 0},
                      KeyCase{"NoDirectionPending12", "", false, 12, 9, 1, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The display controller gets the key's Timer action until the entry has a
// result, then its Result action; a mode it cannot play sends nothing.
TEST_F(ScoreboardFixture, TheKeysActionFollowsTheCurrentResult)
{
    auto manager = outputs(rip(1, QStringLiteral("Board"), 1) + rip(2, QStringLiteral("Two"), 2));
    const EventCfg sb = *db->GetEvent(QStringLiteral("SB"));
    XmlDocument both;
    XmlDocument resultOnly;
    XmlDocument singleStep;
    const XmlNode bothKey = key(
        both, QStringLiteral("<FunctionKey sequence=\"F7\" pagedir=\"Cut\">") + action("Timer", 2, 21, "") +
                  action("Result", 0, 22, "", "Frame22") + QStringLiteral("</FunctionKey>"));
    const XmlNode resultKey =
        key(resultOnly, QStringLiteral("<FunctionKey sequence=\"F8\" pagedir=\"Cut\">") +
                            action("Result", 2, 24, "") + QStringLiteral("</FunctionKey>"));
    const XmlNode stepKey =
        key(singleStep, QStringLiteral("<FunctionKey sequence=\"F4\" pagedir=\"Cut\">") +
                            action("Result", 1, 14, "") + QStringLiteral("</FunctionKey>"));
    const auto commands = [](UdpCollector& board) {
        QStringList out;
        for (const RtdMessage& m : decodeAll(board.receive(100000, 500)))
            if (m.type != RtdMessage::TextBlock)
                out << RtdDecoder::describe(m);
            else if (m.offset == 9694)
                out << QStringLiteral("trigger");
        return out;
    };

    current("SB", 2, p[4]); // no result yet
    manager->DisplayButtonPressed(sb, QStringLiteral("F7"), 0, bothKey, 0);
    const QStringList timer = commands(board1);
    ASSERT_EQ(timer.size(), 1) << timer.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(timer[0].contains(QStringLiteral("21"))) << timer[0].toStdString();
    EXPECT_EQ(commands(board2), timer);

    manager->DisplayButtonPressed(sb, QStringLiteral("F8"), 0, resultKey, 0);
    const QStringList result = commands(board1);
    ASSERT_EQ(result.size(), 1);
    EXPECT_TRUE(result[0].contains(QStringLiteral("24"))) << result[0].toStdString();

    current("SB", 2, p[0]); // marked: the Result action plays its sequence
    manager->DisplayButtonPressed(sb, QStringLiteral("F7"), 0, bothKey, 0);
    const QStringList played = commands(board1);
    ASSERT_EQ(played.size(), 1);
    EXPECT_TRUE(played[0].contains(QStringLiteral("Frame22"))) << played[0].toStdString();

    manager->DisplayButtonPressed(sb, QStringLiteral("F4"), 0, stepKey, 0);
    // Found, but nothing a sign can play: the update trigger shows the text.
    EXPECT_EQ(commands(board1), QStringList{QStringLiteral("trigger")});
}

TEST_F(ScoreboardFixture, MessageNumbersChangeOnlyWhenTheyDiffer)
{
    current("SB", 2, p[4]);
    ScoreboardState state;
    DisplayActions actions;
    XmlDocument three;
    XmlDocument none;
    const XmlNode k3 = key(three, QStringLiteral("<FunctionKey sequence=\"F5\">") +
                                      action("Result", 2, 15, "3") + QStringLiteral("</FunctionKey>"));
    const XmlNode k0 = key(none, QStringLiteral("<FunctionKey sequence=\"F5\">") +
                                     action("Result", 2, 15, "") + QStringLiteral("</FunctionKey>"));
    actions.remember(k3, QStringLiteral("F5"), QStringLiteral("Saddle Bronc"));
    EXPECT_TRUE(actions.SetMessageNumber(arena, state));
    EXPECT_FALSE(actions.SetMessageNumber(arena, state)); // "3" after "3"
    actions.remember(k0, QStringLiteral("F5"), QStringLiteral("Saddle Bronc"));
    EXPECT_TRUE(actions.SetMessageNumber(arena, state)); // back to 0
    EXPECT_EQ(state.messageNumber, 0);
    EXPECT_TRUE(actions.SetMessageNumber(arena, state) == false);

    EventCfg custom = *db->GetEvent(QStringLiteral("SB"));
    custom.standard = QStringLiteral("C");
    EXPECT_EQ(profileEventName(custom), QStringLiteral("Custom Score"));
    custom.scoringKind = QStringLiteral("Timed");
    EXPECT_EQ(profileEventName(custom), QStringLiteral("Custom Time"));
}

// The announcer's terminal gets the lines that changed, each after the
// cursor command for its row; code 1 sends every line again.
TEST_F(ScoreboardFixture, TheAnnouncerGetsTheChangedLines)
{
    auto manager = outputs(QString(""), monitor(1, QStringLiteral("Booth"), 3));
    current("SB", 2, p[0]);
    manager->Refresh(1);
    const QByteArray all = announcer.receive(100000, 600).join();
    const QStringList page = manager->monitorPage();
    ASSERT_GE(page.size(), 23);
    EXPECT_TRUE(page[0].startsWith(QStringLiteral("Saddle Bronc  2nd GO-ROUND STANDING")))
        << page[0].toStdString();
    EXPECT_TRUE(page[1].startsWith(QStringLiteral("POS  CONTESTANT             1st GO   2nd GO")))
        << page[1].toStdString();
    EXPECT_TRUE(page[10].startsWith(QStringLiteral("Saddle Bronc OVERALL STANDINGS - TOTAL ON 2")));
    // Row 5, column 0: escape, "=", "%" (32 + 5) and a space, then 80 characters.
    const int row5 = all.indexOf(QByteArray("\x1b=% ", 4));
    ASSERT_GE(row5, 0);
    EXPECT_EQ(all.mid(row5 + 4, 80), page[5].leftJustified(80).toLatin1());

    // Another rider up: the current rows change, the standings do not.
    current("SB", 2, p[2]);
    manager->Refresh(5);
    const QByteArray changed = announcer.receive(100000, 600).join();
    QList<int> rows;
    for (int at = changed.indexOf('\x1b'); at >= 0; at = changed.indexOf('\x1b', at + 1))
        rows << changed.at(at + 2) - 32;
    EXPECT_EQ(rows, (QList<int>{7, 8, 21, 22}));

    manager->Refresh(1);
    const QByteArray again = announcer.receive(100000, 600).join();
    EXPECT_EQ(again.count('\x1b'), manager->monitorPage().size());
}

// The announcer's leader lists turn their pages with the boards' (four lines
// a page on a Serial board): after "Page Fwd" both begin with the fifth
// leader. A back number of five characters is shown whole.
TEST_F(ScoreboardFixture, TheAnnouncerPagesWithTheBoards)
{
    exec(QStringLiteral("UPDATE Rosters SET PlrBib = '12345' WHERE PlrId = ?"), {p[4]});
    ASSERT_TRUE(db->LoadContestants());
    auto manager = outputs(QString(""), monitor(1, QStringLiteral("Booth"), 3));
    current("SB", 1, p[4]);
    manager->Refresh(1);
    manager->setOverallPage(1);
    manager->Refresh(10);
    const QStringList page = manager->monitorPage();
    ASSERT_GE(page.size(), 23);
    EXPECT_EQ(page[12].left(3), QStringLiteral("  5")) << page[12].toStdString();
    EXPECT_EQ(page[13].left(3), QStringLiteral("  6")) << page[13].toStdString();
    EXPECT_TRUE(page[7].mid(5, 6) == QStringLiteral("12345 ")) << page[7].toStdString();
}
