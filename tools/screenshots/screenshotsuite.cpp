#include "screenshotsuite.h"

#include "app/datafolder.h"
#include "app/filemgr.h"
#include "app/viewtable.h"
#include "common/headlesschromium.h"
#include "db/databasemanager.h"
#include "db/seasonbackups.h"
#include "framework/syncgrid.h"
#include "io/loopbacksetup.h"
#include "io/outputmanager.h"
#include "io/streamport.h"
#include "live/livepages.h"
#include "live/liveservice.h"
#include "platform/sql/sqlconnection.h"
#include "platform/stream/dialogs/streamtrafficviewer.h"
#include "platform/stream/rtdprotocol.h"
#include "reports/entryimporter.h"
#include "seasongenerator.h"
#include "sim/windows/scoreboardwindow.h"
#include "sim/windows/timingconsolewindow.h"
#include "ui/bars/dlgbarfindplr.h"
#include "ui/bars/entrybarharness.h"
#include "ui/dialogs/about/aboutdialog.h"
#include "ui/dialogs/copy/copylist.h"
#include "ui/dialogs/copy/dlgcopycontestants.h"
#include "ui/dialogs/copy/dlgcopystocks.h"
#include "ui/dialogs/draw/dlgdraw.h"
#include "ui/dialogs/draw/dlgdrawrequest.h"
#include "ui/dialogs/draw/dlgdrawsheet.h"
#include "ui/dialogs/input/dlgsingleinput.h"
#include "ui/dialogs/io/dlgioconfig.h"
#include "ui/dialogs/io/dlgmonitorports.h"
#include "ui/dialogs/live/dlgliveqr.h"
#include "ui/dialogs/live/dlgliveresults.h"
#include "ui/dialogs/payouts/dlgpayouts.h"
#include "ui/dialogs/payouts/dlgpayoutschedules.h"
#include "ui/dialogs/profile/dlgdisplayprofcfg.h"
#include "ui/dialogs/profile/dlgdisplyprofrtdoptions.h"
#include "ui/dialogs/profile/dlgnewprofile.h"
#include "ui/dialogs/results/dlgresulthistory.h"
#include "ui/dialogs/results/dlgscoretimecfg.h"
#include "ui/dialogs/rodeo/dlgrodeonew.h"
#include "ui/dialogs/rodeo/dlgrodeoopen.h"
#include "ui/dialogs/season/dlgseasoncfg.h"
#include "ui/dialogs/season/dlgseasonnew.h"
#include "ui/mainframe.h"
#include "ui/messageboxprompt.h"
#include "ui/rodeoactivator.h"
#include "ui/views/boxentry/viewboxentry.h"
#include "ui/views/import/importeventsmodel.h"
#include "ui/views/import/viewimport.h"
#include "ui/views/people/viewcontentry.h"
#include "ui/views/people/viewstockentry.h"
#include "ui/views/regentry/viewregentry.h"
#include "ui/views/reports/viewreports.h"
#include "ui/views/runperf/runperfmodel.h"
#include "ui/views/runperf/viewrunperf.h"
#include "ui/views/setup/viewrodeosetup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBrowser>
#include <QThread>
#include <QTreeView>
#include <QUdpSocket>
#include <QUrl>
#include <QWidget>
#include <cstdio>

ScreenshotSuite::ScreenshotSuite(const QString& outputFolder, const QString& templateDatabase)
    : m_out(outputFolder), m_template(templateDatabase)
{
}

bool ScreenshotSuite::save(QWidget* widget, const QString& name)
{
    widget->show();
    QApplication::processEvents();
    const QString path = m_out + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!widget->grab().save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    ++m_written;
    return true;
}

int ScreenshotSuite::run()
{
    mainWindow();
    demoSeason();
    setupAndEntryViews();
    dialogs();
    return m_written;
}

void ScreenshotSuite::mainWindow()
{
    MessageBoxPrompt prompt;
    CMainFrame::Setup setup;
    setup.dataFolder = DataFolder::path();
    setup.templateDatabase = m_template;
    setup.prompt = &prompt;
    CMainFrame frame(setup);
    frame.CreateViews();
    frame.resize(1024, 700);
    frame.offerDemoSeason();
    save(&frame, QStringLiteral("mainwindow-logo"));

    CDatabaseManager& db = frame.database();
    db.CreateSeason(QStringLiteral("Summer Series 2026"), QStringLiteral("ProfileDefault"),
                    QStringLiteral("PRCA"));
    db.CreateRodeo(QStringLiteral("Summer Series 2026"), QStringLiteral("Cody Stampede"),
                   QStringLiteral("07/01/2026"), QStringLiteral("ProfileDefault"));
    if (frame.ActivateRodeo(QStringLiteral("Summer Series 2026"), QStringLiteral("Cody Stampede"))) {
        save(&frame, QStringLiteral("mainwindow-rodeo-open"));
        entryBars(frame);
        reportsAndImport(frame);
        runPerformance(frame);
        entryViews(frame);
        simulators(frame);
    }

    // The input/output dialogs over the default configuration.
    {
        CDlgIoConfig io(frame.outputs(), prompt, &frame);
        save(&io, QStringLiteral("dialog-io-configuration"));
        CDlgMonitorPorts monitor(frame.outputs(), prompt, &frame);
        save(&monitor, QStringLiteral("dialog-monitor-ports"));
    }
    frame.closeWithoutAsking();
}

void ScreenshotSuite::entryBars(CMainFrame& frame)
{
    // Saddle bronc with four judges in fractions, barrel racing in hundredths:
    // a marked ride, and a run with a penalty.
    CDatabaseManager& db = frame.database();
    QVector<EventCfg> events = db.events();
    for (EventCfg& e : events) {
        if (e.id == QLatin1String("SB")) {
            e.judgeCount = QStringLiteral("4");
            e.judgeMode = QStringLiteral("Separate");
            e.fraction = QStringLiteral("Fraction");
            e.changed = 1;
        } else if (e.id == QLatin1String("BR")) {
            e.precision = QStringLiteral("0.01");
            e.changed = 1;
        }
    }
    db.UpdateEvents(events);
    ContestantRec rider;
    rider.firstName = QStringLiteral("Stetson");
    rider.lastName = QStringLiteral("Wright");
    rider.bib = QStringLiteral("103");
    db.AddContestant(rider);
    for (const char* ev : {"SB", "BR"}) {
        RegEntry e;
        e.eventId = QString::fromLatin1(ev);
        e.ptId = rider.plrId;
        e.perf = 1;
        e.ord = 1;
        db.AddCompEntry(e, false);
    }
    const EntryKey key = makeEntryKey(rider.plrId, 1);
    ResultRecord marks;
    marks.key = key;
    const quint16 jr[4] = {2150, 2200, 2100, 2250};
    const quint16 js[4] = {2200, 2100, 2150, 2200};
    for (int j = 0; j < 4; ++j) {
        marks.JR[j] = jr[j];
        marks.JS[j] = js[j];
    }
    marks.score = 8675;
    marks.time = 8000;
    marks.success = 1;
    ResultRecord run;
    run.key = key;
    run.time = 21530;
    run.penalty = 5000;
    run.setStatus(QStringLiteral("P"));
    run.success = 1;
    for (const auto& [ev, result] : {std::pair{"SB", marks}, std::pair{"BR", run}}) {
        RegEntry e;
        e.eventId = QString::fromLatin1(ev);
        e.goRound = 1;
        e.perf = 1;
        db.SetCurEntry(e);
        e.ptId = rider.plrId;
        db.SetStatsPerformance(e, result);
    }
    {
        CEntryBarHarness scores(frame, QStringLiteral("SB"), 1, 1, key);
        save(&scores, QStringLiteral("bar-scores"));
        CEntryBarHarness times(frame, QStringLiteral("BR"), 1, 1, key);
        save(&times, QStringLiteral("bar-times"));
    }
    CDlgScoreTimeCfg edit(db, frame, frame.prompt(), key, 1);
    if (edit.isReady())
        save(&edit, QStringLiteral("dialog-edit-results"));
}

namespace {

class SilentPrompt : public UserPrompt
{
public:
    int ask(const QString&, const QString&, Buttons buttons, Icon) override
    {
        return buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel ? Yes : Ok;
    }
};

// A small entry file: riders, ropers in teams and barrel racers.
const char* const kEntryFile =
    "\"Walker, Tate\",\"Cody,WY\",41250,3100,,N,N,N,N,N,Y,N,N,N,N,N,101,,\r\n"
    "\"Rowe, Dallas\",\"Sheridan,WY\",38800,2900,,N,N,N,N,N,Y,N,N,N,N,N,102,,\r\n"
    "\"Knight, Ryder\",\"Miles City,MT\",35400,1250,,N,N,N,N,N,Y,N,N,N,N,N,103,,\r\n"
    "\"Ortiz, Manny\",\"Ogden,UT\",29900,800,,N,N,N,N,N,Y,N,N,N,N,N,104,,\r\n"
    "\"Baker, Cole\",\"Pueblo,CO\",22000,0,,N,N,N,N,N,Y,N,N,N,N,N,105,,\r\n"
    "\"Hart, Jesse\",\"Billings,MT\",18000,600,,N,N,Y,N,N,N,N,N,N,N,N,201,202,P\r\n"
    "\"Lane, Wyatt\",\"Casper,WY\",17500,600,,N,N,Y,N,N,N,N,N,N,N,N,202,201,S\r\n"
    "\"Moss, Kylie\",\"Cheyenne,WY\",26000,2200,,N,N,N,Y,N,N,N,N,N,N,N,301,,\r\n"
    "\"Reyes, Ana\",\"Laramie,WY\",24100,1900,,N,N,N,Y,N,N,N,N,N,N,N,302,,\r\n";

} // namespace

void ScreenshotSuite::reportsAndImport(CMainFrame& frame)
{
    CDatabaseManager& db = frame.database();
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/entries.dta");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(kEntryFile) < 0)
        return;
    file.close();

    frame.SwitchView(ViewTable::Import);
    if (auto* view = static_cast<CViewImport*>(frame.view(ViewTable::Import))) {
        view->pathField()->setText(path);
        for (int row = 0; row < view->events()->rowCount(); ++row) {
            const QString name = view->events()->events().at(row).name;
            if (name == QLatin1String("Saddle Bronc") || name == QLatin1String("Team Roping") ||
                name == QLatin1String("Barrel Racing"))
                view->events()->toggle(row);
        }
        save(&frame, QStringLiteral("view-import"));
    }

    // The file imported without the windows' questions, then a go-round of
    // results, as the scoring table would have saved them.
    SilentPrompt silent;
    EntryImporter importer(db, silent);
    importer.run(path, {QStringLiteral("Saddle Bronc"), QStringLiteral("Team Roping"),
                        QStringLiteral("Barrel Racing")});
    const quint32 scores[] = {8650, 8400, 0, 7900, 8825};
    int i = 0;
    for (const ContestantRec& c : db.contestants()) {
        RegEntry entry;
        entry.eventId = QStringLiteral("SB");
        entry.ptId = c.plrId;
        ResultRecord result;
        result.score = scores[i++ % 5];
        result.success = result.score > 0 ? 1 : 0;
        if (db.LookupEntry(entry.key(), entry.eventId, 1).found)
            db.SetStatsPerformance(entry, result);
    }

    frame.SwitchView(ViewTable::Reports);
    if (auto* view = static_cast<CViewReports*>(frame.view(ViewTable::Reports))) {
        QTreeView* tree = view->tree();
        const QModelIndex root = tree->model()->index(0, 0);
        for (int e = 0; e < tree->model()->rowCount(root); ++e) {
            const QModelIndex event = tree->model()->index(e, 0, root);
            if (event.data().toString() != QLatin1String("Saddle Bronc"))
                continue;
            tree->expand(event);
            tree->setCurrentIndex(tree->model()->index(0, 0, event));
        }
        view->browser()->setSource(
            QUrl::fromLocalFile(frame.files().dataFolder() + QStringLiteral("Html/StandingGo.html")));
        save(&frame, QStringLiteral("view-reports"));
    }
}

void ScreenshotSuite::runPerformance(CMainFrame& frame)
{
    // The imported riders placed in performance 1 in their order, with the
    // bars that go with the view shown.
    CDatabaseManager& db = frame.database();
    for (const char* ev : {"SB", "BR"}) {
        const QString eventId = QString::fromLatin1(ev);
        int ord = 0;
        for (const RegEntry& e : db.playerEntries().entries(eventId, 1)) {
            RegEntry placed = e;
            placed.perf = 1;
            placed.ord = static_cast<quint16>(++ord);
            db.UpdateCompEntry(e, placed);
        }
    }
    RegEntry barrels;
    barrels.eventId = QStringLiteral("BR");
    barrels.goRound = 1;
    barrels.perf = 1;
    db.SetCurEntry(barrels);
    const quint32 times[] = {16530, 17210, 0, 16980};
    int i = 0;
    for (const RegEntry& e : db.playerEntries().entries(QStringLiteral("BR"), 1)) {
        ResultRecord r;
        r.key = e.key();
        r.time = times[i % 4];
        if (i % 4 == 2)
            r.setStatus(QStringLiteral("N"));
        r.success = r.time > 0 ? 1 : 0;
        RegEntry entry = e;
        db.SetStatsPerformance(entry, r);
        ++i;
    }
    for (const char* bar : {"CBarLeader", "CBarMessage"})
        frame.files().SetCfgAtt(QStringLiteral("Yes"), 2, QStringLiteral("show"), QString::fromLatin1(bar));
    for (const auto& [ev, name] :
         {std::pair{"SB", "view-runperf-scored"}, std::pair{"BR", "view-runperf-timed"}}) {
        frame.files().SetCfgAtt(QString::fromLatin1(ev), 2, QStringLiteral("curEvn"),
                                QStringLiteral("CViewRunPerf"));
        frame.SwitchView(ViewTable::Logo);
        frame.SwitchView(ViewTable::RunPerformance);
        auto* view = static_cast<CViewRunPerf*>(frame.view(ViewTable::RunPerformance));
        if (!view)
            return;
        view->lists()->setCurrentRow(1);
        view->pressDisplayButton(4);
        view->lists()->setCurrentRow(0);
        frame.resize(1280, 720);
        save(&frame, QString::fromLatin1(name));
    }
    // The same on a full-HD screen: the bars beside the list, more rows.
    frame.resize(1920, 1080);
    save(&frame, QStringLiteral("view-runperf-timed-1080p"));
    frame.resize(1280, 720);
    // A barrel racer's time from the timing console, corrected twice.
    for (const RegEntry& e : db.playerEntries().entries(QStringLiteral("BR"), 1)) {
        RegEntry entry = e;
        ResultRecord r;
        r.key = e.key();
        r.time = 16410;
        r.success = 1;
        frame.SaveResult(entry, r, ChangeSource::TimingConsole);
        r.time = 16440;
        frame.SaveResult(entry, r, ChangeSource::EditResults);
        r.time = 21440;
        r.penalty = 5000;
        frame.SaveResult(entry, r, ChangeSource::EntryBar);
        CDlgResultHistory history(db, frame.prompt(), &frame);
        history.selectEntry(QStringLiteral("BR"), e.key());
        save(&history, QStringLiteral("dialog-result-history"));
        break;
    }
    frame.SwitchView(ViewTable::Logo);
}

void ScreenshotSuite::entryViews(CMainFrame& frame)
{
    CDatabaseManager& db = frame.database();
    // A stock string with its contractors, and last season's people and
    // animals to copy from.
    const char* const animals[][5] = {{"12A", "Painted Lady", "Cody, WY", "1150", "7"},
                                      {"7", "Sky Dancer", "Ogden, UT", "1320", "5"},
                                      {"31", "Rocket Man", "Miles City, MT", "1210", "9"},
                                      {"4X", "Top Gun", "Sheridan, WY", "1280", "6"}};
    ContractorRec powder;
    powder.name = QStringLiteral("Powder River Rodeo");
    db.AddContractor(powder);
    for (const auto& a : animals) {
        StockRec s;
        s.bib = QString::fromLatin1(a[0]);
        s.name = QString::fromLatin1(a[1]);
        s.homeTown = QString::fromLatin1(a[2]);
        s.weight = QString::fromLatin1(a[3]).toUInt();
        s.age = static_cast<quint8>(QString::fromLatin1(a[4]).toUInt());
        s.coId = powder.coId;
        db.AddStock(s);
    }
    const QString last = QStringLiteral("Summer Series 2025");
    db.CreateSeason(last, QStringLiteral("ProfileDefault"), QStringLiteral("PRCA"));
    {
        SqlConnection old;
        if (old.open(db.DatabasePath(last))) {
            old.execute(QStringLiteral(
                "INSERT INTO Rosters (PlrBib, PlrFirstName, PlrLastName, PlrHomeTown, PlrYear, PlrEarnLast, "
                "PlrEarnCur) VALUES ('101', 'Tate', 'Walker', 'Cody, WY', '2019', '41,250', '3,100'), "
                "('118', 'Jesse', 'Kruse', 'Great Falls, MT', '2016', '22,800', '1,900'), "
                "('122', 'Cole', 'Elshere', 'Faith, SD', '2018', '19,450', '0'), "
                "('130', 'Manny', 'Ortiz', 'Ogden, UT', '2021', '12,000', '800')"));
            old.execute(
                QStringLiteral("INSERT INTO Stocks (StBib, StName, StHomeTown, StWeight, StAge) VALUES "
                               "('12A', 'Painted Lady', 'Cody, WY', '1150', '7'), "
                               "('88', 'Night Train', 'Casper, WY', '1400', '8')"));
        }
    }

    frame.resize(1100, 720);
    frame.SwitchView(ViewTable::ContestantEntry);
    if (auto* view = static_cast<CViewContEntry*>(frame.view(ViewTable::ContestantEntry))) {
        if (QLineEdit* f = view->findBar()->field(2)) {
            f->setText(QStringLiteral("O"));
            emit f->textEdited(f->text());
        }
        save(&frame, QStringLiteral("view-contestant-entry"));
        CDlgCopyContestants copy(frame, &frame);
        copy.toggle(0);
        copy.toggle(2);
        save(&copy, QStringLiteral("dialog-copy-contestants"));
    }
    frame.SwitchView(ViewTable::StockEntry);
    if (frame.view(ViewTable::StockEntry)) {
        save(&frame, QStringLiteral("view-stock-entry"));
        CDlgCopyStocks copy(frame, &frame);
        copy.toggle(1);
        save(&copy, QStringLiteral("dialog-copy-stocks"));
    }
    for (const auto& [ev, name] :
         {std::pair{"SB", "view-box-entry-scored"}, std::pair{"BR", "view-box-entry-timed"}}) {
        frame.files().SetCfgAtt(QString::fromLatin1(ev), 2, QStringLiteral("curEvn"),
                                QStringLiteral("CViewBoxEntry"));
        frame.SwitchView(ViewTable::Logo);
        frame.SwitchView(ViewTable::BoxEntry);
        auto* view = static_cast<CViewBoxEntry*>(frame.view(ViewTable::BoxEntry));
        if (!view)
            return;
        QTableView* results = view->lists()->right();
        const QModelIndex cell = results->model()->index(1, view->model()->columnOfGoRound(1));
        results->setCurrentIndex(cell);
        emit results->pressed(cell); // the bar takes the cell's go-round
        if (QString::fromLatin1(ev) == QLatin1String("SB"))
            results->edit(cell);
        save(&frame, QString::fromLatin1(name));
    }
    frame.SwitchView(ViewTable::Logo);
}

void ScreenshotSuite::demoSeason()
{
    // The demo season as a new user first sees it, in a data folder of its own.
    QTemporaryDir data;
    MessageBoxPrompt prompt;
    CMainFrame::Setup setup;
    setup.dataFolder = data.path() + QLatin1Char('/');
    setup.templateDatabase = m_template;
    setup.prompt = &prompt;
    CMainFrame frame(setup);
    frame.CreateViews();
    frame.resize(1280, 720);
    if (frame.OpenDemoSeason()) {
        save(&frame, QStringLiteral("mainwindow-demo-season"));
        payouts(frame);
        drawDialogs(frame, data.path() + QStringLiteral("/Html/"));
        liveResults(frame, prompt);
    }
    frame.closeWithoutAsking();
}

void ScreenshotSuite::payouts(CMainFrame& frame)
{
    // The demo rodeo's three events paid: the first go-round and the
    // average of the bronc riding and the barrels, the team roping per roper.
    CDatabaseManager& db = frame.database();
    db.AddBuiltInPayoutSchedules();
    QVector<PayoutSchedule> schedules;
    db.GetPayoutSchedules(schedules);
    qint64 standard = 0;
    for (const PayoutSchedule& s : schedules)
        if (s.name == QLatin1String("Standard"))
            standard = s.id;
    const struct
    {
        const char* event;
        Cents added;
        Cents fee;
        int deduction;
    } purses[] = {{"SB", 250000, 15000, 500}, {"BR", 150000, 10000, 0}, {"TR", 100000, 12500, 300}};
    for (const auto& p : purses) {
        EventPurse purse;
        if (!db.GetEventPurse(QString::fromLatin1(p.event), purse))
            continue;
        purse.purse.addedMoney = p.added;
        purse.purse.entryFee = p.fee;
        purse.purse.deductionShare = p.deduction;
        purse.split.goRounds = {4000, 0};
        purse.split.average = 6000;
        purse.split.finalRound = 0;
        purse.scheduleId = standard;
        db.SaveEventPurse(purse);
    }
    const QString html = frame.files().dataFolder() + QStringLiteral("Html/");
    {
        CDlgPayouts dialog(db, frame.prompt(), html, &frame);
        dialog.resize(1280, 720);
        dialog.event()->setCurrentIndex(dialog.event()->findData(QStringLiteral("SB")));
        save(&dialog, QStringLiteral("dialog-payouts-event"));
        dialog.event()->setCurrentIndex(dialog.event()->findData(QStringLiteral("TR")));
        save(&dialog, QStringLiteral("dialog-payouts-team"));
        dialog.event()->setCurrentIndex(0);
        save(&dialog, QStringLiteral("dialog-payouts-rodeo"));
    }
    {
        CDlgPayoutSchedules dialog(db, frame.prompt(), &frame);
        dialog.schedules()->setCurrentIndex(dialog.schedules()->findText(QStringLiteral("Standard")));
        save(&dialog, QStringLiteral("dialog-payout-schedules"));
    }
    db.PostEarnings();
    {
        CDlgPayouts dialog(db, frame.prompt(), html, &frame);
        dialog.resize(1280, 720);
        dialog.tabs()->setCurrentIndex(1);
        dialog.standingsOf()->setCurrentIndex(dialog.standingsOf()->findData(QStringLiteral("BR")));
        save(&dialog, QStringLiteral("dialog-payouts-standings"));
    }
}

void ScreenshotSuite::drawDialogs(CMainFrame& frame, const QString& htmlFolder)
{
    // The demo season's saddle bronc, go-round 2: two requests, the draw of
    // performances, running order and animals before it is accepted, the
    // request dialog, and the sheet of the accepted draw.
    CDatabaseManager& db = frame.database();
    const auto named = [&](const char* last) {
        for (const ContestantRec& c : db.contestants())
            if (c.lastName == QLatin1String(last))
                return c.plrId;
        return 0u;
    };
    DrawRequestRec buddies;
    buddies.kind = DrawRequestRec::Kind::Buddies;
    buddies.members = {{named("Sundell"), QString()}, {named("Wright"), QString()}};
    db.AddDrawRequest(buddies);
    DrawRequestRec up;
    up.perf = 2;
    up.goRound = 2;
    up.members = {{named("Thurston"), QStringLiteral("SB")}};
    db.AddDrawRequest(up);

    frame.SwitchView(ViewTable::StockEntry);
    save(&frame, QStringLiteral("view-stockentry-pens"));

    CDlgDraw dialog(db, frame.prompt(), htmlFolder, &frame);
    dialog.select(QStringLiteral("SB"), 2);
    dialog.stockBox()->setChecked(true);
    dialog.setSeed(20260704);
    dialog.draw();
    save(&dialog, QStringLiteral("dialog-draw"));
    {
        QVector<CDlgDrawRequest::Choice> people;
        for (const ContestantRec& c : db.contestants())
            people.append({QStringLiteral("%1, %2").arg(c.lastName, c.firstName), c.plrId});
        QVector<CDlgDrawRequest::Choice> events;
        for (const EventCfg& e : db.events())
            events.append({e.label, e.id});
        CDlgDrawRequest request(people, events, 2, &dialog);
        request.kind()->setCurrentIndex(2);
        request.contestant(0)->setCurrentIndex(1);
        request.contestant(1)->setCurrentIndex(2);
        request.event(1)->setCurrentIndex(2);
        save(&request, QStringLiteral("dialog-draw-request"));
    }
    if (dialog.unmetLabel()->text().isEmpty()) {
        dialog.acceptDraw();
        DrawSession session(db);
        const QString page = session.writeSheet(QStringLiteral("SB"), 2, htmlFolder);
        if (!page.isEmpty()) {
            CDlgDrawSheet sheet(page, page.left(page.size() - 5) + QStringLiteral(".pdf"), &dialog);
            save(&sheet, QStringLiteral("dialog-draw-sheet"));
        }
    }
    frame.SwitchView(ViewTable::Logo);
}

void ScreenshotSuite::liveResults(CMainFrame& frame, UserPrompt& prompt)
{
    LiveSettings settings;
    settings.serve = true;
    settings.port = 0; // any free port: pictures never take the operator's
    settings.address = QStringLiteral("127.0.0.1");
    if (!frame.applyLiveSettings(settings)) {
        std::fprintf(stderr, "the live results cannot be served: %s\n", qPrintable(frame.liveProblem()));
        return;
    }
    // Saddle bronc, go-round 1, performance 2 under way: its first rider has
    // ridden, the second is up.
    frame.SwitchView(ViewTable::RunPerformance);
    CDatabaseManager& db = frame.database();
    QVector<RegEntry> second;
    for (const RegEntry& e : db.playerEntries().entries(QStringLiteral("SB"), 1))
        if (e.perf == 2 && e.ptId != 0)
            second << e;
    std::sort(second.begin(), second.end(),
              [](const RegEntry& a, const RegEntry& b) { return a.ord < b.ord; });
    if (second.size() >= 2) {
        frame.SelectCompetition(second[0]);
        ResultRecord ride;
        ride.score = 8450;
        ride.time = 8000;
        ride.success = 1;
        frame.SaveResult(second[0], ride, ChangeSource::EntryBar);
        frame.SelectCompetition(second[1]);
    }
    frame.show();
    save(&frame, QStringLiteral("mainwindow-live-status"));
    {
        LiveSettings shown = settings;
        shown.address.clear();
        shown.port = LiveSettings::DefaultPort;
        shown.title = QStringLiteral("Demo Days Rodeo");
        CDlgLiveResults dlg(shown, {QStringLiteral("192.168.1.20"), QStringLiteral("127.0.0.1")}, prompt,
                            &frame);
        save(&dlg, QStringLiteral("dialog-live-results"));
        CDlgLiveQr qr(QStringLiteral("http://192.168.1.20:8080/"), &frame);
        save(&qr, QStringLiteral("dialog-live-qr"));
    }
    const quint16 port = frame.liveService()->serverPort();
    QThread::msleep(300); // the last snapshot rendered
    livePage(port, QStringLiteral("now.html"), QStringLiteral("now"));
    livePage(port, QStringLiteral("index.html"), QStringLiteral("index"));
    livePage(port, LivePages::eventFileName(QStringLiteral("SB")), QStringLiteral("event"));
}

void ScreenshotSuite::livePage(quint16 port, const QString& page, const QString& name)
{
    if (!HeadlessChromium::installed()) {
        std::fprintf(stderr, "chromium is not installed: the live results pages are not pictured\n");
        return;
    }
    const QTemporaryDir profile;
    for (const auto& [width, height, size] :
         {std::tuple{360, 800, "phone"}, std::tuple{1280, 800, "desktop"}}) {
        const QString path = QStringLiteral("%1/live-%2-%3.png").arg(m_out, name, QLatin1String(size));
        QFile::remove(path);
        QProcess browser;
        browser.setStandardOutputFile(QProcess::nullDevice());
        browser.setStandardErrorFile(QProcess::nullDevice());
        browser.start(HeadlessChromium::path(),
                      HeadlessChromium::arguments(profile.path())
                          << QStringLiteral("--hide-scrollbars")
                          << QStringLiteral("--window-size=%1,%2").arg(width).arg(height)
                          << QStringLiteral("--screenshot=") + path
                          << QStringLiteral("http://127.0.0.1:%1/%2").arg(port).arg(page));
        if (!browser.waitForFinished(60000)) {
            browser.kill();
            browser.waitForFinished();
        }
        if (QFile::exists(path))
            ++m_written;
        else
            std::fprintf(stderr, "cannot picture %s\n", qPrintable(path));
    }
}

void ScreenshotSuite::setupAndEntryViews()
{
    // A smaller cut of the benchmarks' generated season: every event entered,
    // performances of twenty with running orders and animals drawn.
    SeasonGenerator::Options options;
    options.contestants = 400;
    options.animals = 120;
    options.rodeos = 2;
    options.events = 14;
    options.goRounds = 2;
    options.entriesPerGoRound = 60;
    options.performanceSize = 20;
    SeasonGenerator::Result generated;
    if (!SeasonGenerator(DataFolder::path(), m_template)
             .generate(QStringLiteral("Bench Season"), options, generated)) {
        std::fprintf(stderr, "cannot generate the season\n");
        return;
    }
    MessageBoxPrompt prompt;
    CMainFrame::Setup setup;
    setup.dataFolder = DataFolder::path();
    setup.templateDatabase = m_template;
    setup.prompt = &prompt;
    CMainFrame frame(setup);
    frame.CreateViews();
    frame.resize(1280, 720);
    if (!frame.ActivateRodeo(generated.season, generated.rodeo))
        return;

    frame.SwitchView(ViewTable::RodeoSetup);
    if (auto* setupView = qobject_cast<CViewRodeoSetup*>(frame.view(ViewTable::RodeoSetup))) {
        setupView->selectEvent(1);
        save(&frame, QStringLiteral("view-rodeosetup"));
    }
    frame.SwitchView(ViewTable::PerformanceEntry);
    if (auto* entry = qobject_cast<CViewRegEntry*>(frame.view(ViewTable::PerformanceEntry))) {
        entry->selectNode(generated.scoredEvent);
        save(&frame, QStringLiteral("view-perfentry-event"));
        entry->selectNode(generated.scoredEvent, 1, 2);
        save(&frame, QStringLiteral("view-perfentry-performance"));
        entry->selectNode(generated.teamEvent, 1);
        save(&frame, QStringLiteral("view-perfentry-team-goround"));
    }
    frame.SwitchView(ViewTable::Logo);
    frame.closeWithoutAsking();
}

namespace {

int freeUdpPort()
{
    QUdpSocket probe;
    return probe.bind(QHostAddress::LocalHost, 0) ? probe.localPort() : 0;
}

} // namespace

void ScreenshotSuite::simulators(CMainFrame& frame)
{
    // The loopback setup on ports of this run (the default ones may be taken
    // on a shared machine), both simulators open, and one barrel run timed by
    // the console simulator: the program saves it and the board shows it.
    const int boardPort = freeUdpPort();
    const int timerPort = freeUdpPort();
    if (!LoopbackSetup::switchOn(frame.outputs(), boardPort, timerPort, freeUdpPort())) {
        std::fprintf(stderr, "the loopback setup failed\n");
        return;
    }
    ScoreboardWindow board;
    board.setUdpPort(boardPort);
    // The default RIP stream does not set the update flag: show the text as it
    // arrives, as the operator does while setting a board up.
    board.setShowPlacedText(true);
    board.listen();
    board.resize(760, 900);
    TimingConsoleWindow console;
    console.setUdpTarget(QStringLiteral("127.0.0.1"), timerPort);
    qint64 now = 0;
    console.driver().setClock([&now] { return now; });
    console.connectLink();

    frame.files().SetCfgAtt(QStringLiteral("BR"), 2, QStringLiteral("curEvn"),
                            QStringLiteral("CViewRunPerf"));
    frame.SwitchView(ViewTable::RunPerformance);
    const QList<RegEntry> barrels = frame.database().playerEntries().entries(QStringLiteral("BR"), 1);
    if (!barrels.isEmpty()) {
        RegEntry up = barrels.first();
        up.goRound = 1;
        frame.SelectCompetition(up);
    }
    const auto pump = [](int ms) {
        for (int i = 0; i < ms / 10; ++i) {
            QApplication::processEvents();
            QThread::msleep(10);
        }
    };
    pump(300);
    // The timing console's port watched in its traffic viewer.
    StreamTrafficViewer* traffic = nullptr;
    {
        CDlgMonitorPorts monitor(frame.outputs(), frame.prompt(), &frame);
        const IoConfiguration& io = frame.outputs().configuration();
        const StreamPort* timerStreamPort = io.port(io.timer->port());
        for (int row = 0; timerStreamPort && row < monitor.selection().rowCount(); ++row) {
            if (monitor.selection().text(row, 1) == timerStreamPort->name())
                monitor.toggleRow(row);
        }
        monitor.setViewerOpener([&traffic](TxStream& stream, QWidget* owner, std::function<QString()> note) {
            traffic = new StreamTrafficViewer(stream, owner);
            traffic->setStatusNote(std::move(note));
        });
        monitor.accept();
    }
    console.driver().start();
    for (now = 0; now < 14870; now += 100)
        console.driver().tick();
    now = 14870;
    console.driver().stop();
    for (int i = 0; i < 300 && !board.receiver().image().placed().contains("14.87"); ++i)
        pump(20);
    pump(300);
    board.refresh();
    if (!board.receiver().image().placed().contains("14.87"))
        std::fprintf(stderr, "the scoreboard simulator did not get the run\n");
    save(&board, QStringLiteral("sim-scoreboard"));
    save(&console, QStringLiteral("sim-timing-console"));
    if (traffic) {
        // A block the timer input cannot read (a control character in it).
        QUdpSocket noise;
        noise.writeDatagram(RtdProtocol::encodeTextBlock(0, QByteArray("12.3\x01"), false),
                            QHostAddress::LocalHost, quint16(timerPort));
        pump(StreamTrafficViewer::StatusRefreshMs + 200);
        save(traffic, QStringLiteral("window-traffic-timer"));
        delete traffic;
    }
    frame.SwitchView(ViewTable::Logo);
    LoopbackSetup::switchOff(frame.outputs());
}

namespace {

// The season and rodeo dialogs only look at what the pictures need.
class NoActivation : public RodeoActivator
{
public:
    bool ActivateRodeo(const QString&, const QString&) override { return false; }
};

} // namespace

void ScreenshotSuite::dialogs()
{
    CAboutDialog about(DataFolder::path());
    save(&about, QStringLiteral("dialog-about"));

    seasonDialogs();
    profileDialogs();
}

void ScreenshotSuite::seasonDialogs()
{
    // A data folder of its own, so the pictures show the same seasons every run.
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/");
    MessageBoxPrompt prompt;
    FileMgr files(root);
    files.Create();
    CDatabaseManager db(root, m_template, prompt);
    NoActivation activator;

    const QString summer = QStringLiteral("Summer Series 2026");
    const QString college = QStringLiteral("College Circuit 2026");
    db.CreateSeason(summer, QStringLiteral("ProfileDefault"), QStringLiteral("PRCA"));
    db.CreateSeason(college, QStringLiteral("ProfilePlaySeq"), QStringLiteral("College"));
    db.CreateSeason(QStringLiteral("Winter Indoor 2025"), QStringLiteral("ProfileDefault"),
                    QStringLiteral("PRCA"));
    for (const char* rodeo : {"Cody Stampede", "Sheridan WYO Rodeo", "Red Lodge Home of Champions"})
        db.CreateRodeo(summer, QString::fromLatin1(rodeo), QStringLiteral("7/1/26"),
                       QStringLiteral("ProfileDefault"));
    db.CreateRodeo(college, QStringLiteral("Spring Opener"), QStringLiteral("3/14/26"),
                   QStringLiteral("ProfilePlaySeq"));

    {
        CDlgSeasonCfg dlg(db, files, prompt);
        SeasonBackups backups(root);
        dlg.setBackups(&backups);
        if (auto* list = dlg.findChild<QListWidget*>(QStringLiteral("seasonList")))
            list->setCurrentRow(1);
        save(&dlg, QStringLiteral("dialog-season-configure"));
        if (auto* tabs = dlg.findChild<QTabBar*>(QStringLiteral("tabs")))
            tabs->setCurrentIndex(CDlgSeasonCfg::UtilitiesTab);
        save(&dlg, QStringLiteral("dialog-season-configure-utilities"));
    }
    {
        CDlgSeasonNew form(files, prompt);
        if (auto* title = form.findChild<QLineEdit*>(QStringLiteral("title")))
            title->setText(QStringLiteral("Fall Classic 2026"));
        save(&form, QStringLiteral("dialog-season-new"));
    }
    {
        SeasonInfo info;
        db.GetSeason(college, info);
        CDlgSeasonNew form(files, prompt, info);
        save(&form, QStringLiteral("dialog-season-edit"));
    }
    {
        CDlgRodeoNew dlg(db, files, prompt, activator, summer);
        if (auto* name = dlg.findChild<QLineEdit*>(QStringLiteral("name")))
            name->setText(QStringLiteral("Livingston Roundup"));
        save(&dlg, QStringLiteral("dialog-rodeo-new"));
    }
    {
        CDlgRodeoOpen dlg(db, prompt, activator, CDlgRodeoOpen::Mode::Open, summer);
        save(&dlg, QStringLiteral("dialog-rodeo-open"));
    }
    {
        CDlgRodeoOpen dlg(db, prompt, activator, CDlgRodeoOpen::Mode::Delete, college);
        save(&dlg, QStringLiteral("dialog-rodeo-delete"));
    }
    {
        CDlgSingleInput dlg(files, prompt, QStringLiteral("Please enter the new profile name."),
                            QStringLiteral("Profile Name:"));
        if (auto* text = dlg.findChild<QLineEdit*>(QStringLiteral("text")))
            text->setText(QStringLiteral("Arena North"));
        save(&dlg, QStringLiteral("dialog-input-text"));
    }
    {
        CDlgSingleInput dlg(files, prompt, QStringLiteral("Please select or enter the profile name."),
                            QStringLiteral("Profile Name:"), files.GetProfileNames());
        if (auto* choices = dlg.findChild<QComboBox*>(QStringLiteral("choices")))
            choices->setCurrentIndex(0);
        save(&dlg, QStringLiteral("dialog-input-choice"));
    }
}

void ScreenshotSuite::profileDialogs()
{
    // A data folder of its own with the built-in profiles only.
    QTemporaryDir dir;
    const QString root = dir.path() + QStringLiteral("/");
    MessageBoxPrompt prompt;
    FileMgr files(root);
    files.Create();

    {
        CDlgDisplayProfCfg dlg(files, prompt);
        save(&dlg, QStringLiteral("dialog-display-buttons"));
        if (auto* byKey = dlg.findChild<QRadioButton*>(QStringLiteral("byKey")))
            byKey->setChecked(true);
        if (auto* list = dlg.findChild<QListView*>(QStringLiteral("list")))
            list->setCurrentIndex(list->model()->index(4, 0)); // F6
        save(&dlg, QStringLiteral("dialog-display-buttons-by-key"));
    }
    {
        ProfileAction sequence;
        sequence.sign = QStringLiteral("1");
        sequence.mode = QStringLiteral("0");
        sequence.frame = QStringLiteral("20");
        sequence.drive = QStringLiteral("C");
        sequence.library = QStringLiteral("Rodeo");
        sequence.sequence = QStringLiteral("Frame20");
        CDlgDisplyProfRTDOptions dlg(sequence);
        save(&dlg, QStringLiteral("dialog-rtd-action"));
    }
    {
        CDlgNewProfile dlg(files.GetProfileNames(), prompt);
        if (auto* name = dlg.findChild<QLineEdit*>(QStringLiteral("name")))
            name->setText(QStringLiteral("Arena North"));
        save(&dlg, QStringLiteral("dialog-new-profile"));
    }
    {
        CDlgSingleInput dlg(files, prompt, QStringLiteral("Please select or enter the profile name."),
                            QStringLiteral("Profile Name:"), files.GetProfileNames());
        dlg.setChoicesEditable(true);
        if (auto* choices = dlg.findChild<QComboBox*>(QStringLiteral("choices")))
            choices->setEditText(QStringLiteral("Arena North"));
        save(&dlg, QStringLiteral("dialog-input-save-as"));
    }
}
