// "Display Button Configuration" as the operator uses it, with its name,
// new-profile and action questions scripted; and the action dialog's rules.
#include "app/displaykeys.h"
#include "dialogfixture.h"
#include "ui/dialogs/profile/dlgdisplayprofcfg.h"
#include "ui/dialogs/profile/dlgdisplyprofrtdoptions.h"
#include "ui/dialogs/profile/profilegrid.h"

#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <optional>

namespace {

using Dlg = CDlgDisplayProfCfg;

const QString kModified = QStringLiteral("The profile has been modified. Do you want save the change?");

class DisplayProfCfgTest : public DialogFixture
{
protected:
    std::unique_ptr<Dlg> makeDialog()
    {
        auto dlg = std::make_unique<Dlg>(*files, prompt);
        dlg->setNameAsker([this](Dlg::NameQuestion q) -> std::optional<QString> {
            asked << (q == Dlg::NameQuestion::SaveAs ? QStringLiteral("SaveAs") : QStringLiteral("Rename"));
            if (names.isEmpty())
                return std::nullopt;
            return names.takeFirst();
        });
        dlg->setNewProfileAsker([this]() -> std::optional<Dlg::NewProfile> {
            asked << QStringLiteral("New");
            if (names.isEmpty())
                return std::nullopt;
            return Dlg::NewProfile{names.takeFirst(), BuiltInProfiles::Kind::Blank};
        });
        present(*dlg);
        return dlg;
    }
    static QModelIndex cellIndex(Dlg& dlg, const char* key, int column)
    {
        auto* grid = child<QTableView>(dlg, "grid");
        return grid->model()->index(DisplayKeys::index(QString::fromLatin1(key)), column);
    }
    QString keyAttribute(const QString& profile, const char* event, const char* key, const char* attr) const
    {
        XmlDocument doc;
        EXPECT_TRUE(doc.load(root + profile + QStringLiteral(".rpf")));
        return doc
            .selectSingleNode(QStringLiteral("//Event[@name='%1']/FunctionKey[@sequence='%2']/@%3")
                                  .arg(QLatin1String(event), QLatin1String(key), QLatin1String(attr)))
            .text();
    }

    QStringList names; // answers to the name and new-profile questions
    QStringList asked;
};

TEST_F(DisplayProfCfgTest, ToggledCellIsSavedOnlyWhenCloseIsAnsweredYes)
{
    const struct
    {
        int answer;
        const char* saved;
    } cases[] = {{UserPrompt::No, "No"}, {UserPrompt::Yes, "Yes"}};
    for (const auto& c : cases) {
        ASSERT_EQ(keyAttribute(QStringLiteral("ProfilePlaySeq"), "Saddle Bronc", "F3", "display"),
                  QStringLiteral("No"));
        prompt.clear();
        auto dlg = makeDialog();
        EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Display Button Configuration"));
        EXPECT_TRUE(child<QRadioButton>(*dlg, "byEvent")->isChecked());
        EXPECT_EQ(dlg->editor().name(), QStringLiteral("ProfileDefault")); // the first profile
        auto* grid = child<QTableView>(*dlg, "grid");
        EXPECT_EQ(grid->model()->rowCount(), 33);

        choose(child<QComboBox>(*dlg, "profiles"), QStringLiteral("ProfilePlaySeq"));
        ASSERT_EQ(dlg->editor().name(), QStringLiteral("ProfilePlaySeq"));
        EXPECT_EQ(child<QComboBox>(*dlg, "perPage")->currentText(), QStringLiteral("4"));
        auto* list = child<QListView>(*dlg, "list");
        list->setCurrentIndex(list->model()->index(7, 0)); // Saddle Bronc
        ASSERT_EQ(list->currentIndex().data().toString(), QStringLiteral("Saddle Bronc"));
        EXPECT_FALSE(child<QPushButton>(*dlg, "save")->isEnabled());

        const QModelIndex display = cellIndex(*dlg, "F3", ProfileEditor::DisplayColumn);
        grid->setCurrentIndex(display);
        QTest::keyClick(grid, Qt::Key_Space);
        EXPECT_EQ(display.data().toString(), QStringLiteral("Yes"));
        EXPECT_TRUE(child<QPushButton>(*dlg, "save")->isEnabled());
        EXPECT_TRUE(prompt.shown.isEmpty());

        prompt.answers = {c.answer};
        click(*dlg, "close");
        ASSERT_EQ(prompt.texts(), QStringList{kModified});
        EXPECT_EQ(prompt.shown[0].buttons, UserPrompt::Buttons::YesNo);
        EXPECT_FALSE(dlg->isVisible());
        EXPECT_EQ(keyAttribute(QStringLiteral("ProfilePlaySeq"), "Saddle Bronc", "F3", "display"),
                  QString::fromLatin1(c.saved));
    }
}

TEST_F(DisplayProfCfgTest, AProfileThatCannotBeReadIsShownAsSuchAndNeverSaved)
{
    QFile broken(root + QStringLiteral("Broken.rpf"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("<Profile display=\"Last\"><Event");
    broken.close();
    auto dlg = makeDialog();
    // "Broken" sorts first, so the dialog opens on it.
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_TRUE(prompt.lastText().contains(root + QStringLiteral("Broken.rpf")))
        << prompt.lastText().toStdString();
    EXPECT_TRUE(prompt.lastText().contains(QStringLiteral("Error:"))) << prompt.lastText().toStdString();
    EXPECT_FALSE(dlg->editor().isOpen());
    EXPECT_EQ(child<QTableView>(*dlg, "grid")->model()->rowCount(), 0);
    for (const char* button : {"save", "saveAs", "rename"})
        EXPECT_FALSE(child<QPushButton>(*dlg, button)->isEnabled()) << button;
    EXPECT_FALSE(child<QComboBox>(*dlg, "perPage")->isEnabled());

    click(*dlg, "close");
    EXPECT_EQ(prompt.shown.size(), 1); // nothing to save
    ASSERT_TRUE(broken.open(QIODevice::ReadOnly));
    EXPECT_EQ(broken.readAll(), QByteArray("<Profile display=\"Last\"><Event"));
}

TEST_F(DisplayProfCfgTest, NameOperationsTellWhatFailed)
{
    QDir().mkpath(root + QStringLiteral("Folder.rpf"));
    auto dlg = makeDialog();
    const struct
    {
        const char* button;
        const char* name;
        QString message; // empty when it worked
        const char* openAfter;
    } cases[] = {
        {"saveAs", "a/b", ProfileEditor::invalidNameMessage(), "ProfileDefault"},
        {"saveAs", "Folder", QStringLiteral("Saving the profile failed!"),
         "ProfileDefault"}, // a folder has the name
        {"rename", "profileplayseq", QStringLiteral("There is one profile with the same name in the system!"),
         "ProfileDefault"},
        {"rename", "Folder", QStringLiteral("Saving the profile failed!"), "ProfileDefault"},
        {"new", "Folder", QStringLiteral("Creating new profile failed!"), "ProfileDefault"},
        {"saveAs", "Copy", QString(), "Copy"},
        {"rename", "Arena", QString(), "Arena"},
        {"new", "Fresh", QString(), "Fresh"},
    };
    for (const auto& c : cases) {
        prompt.clear();
        names = {QString::fromLatin1(c.name)};
        click(*dlg, c.button);
        EXPECT_EQ(prompt.lastText(), c.message) << c.button << " " << c.name;
        EXPECT_EQ(dlg->editor().name(), QString::fromLatin1(c.openAfter)) << c.button << " " << c.name;
        EXPECT_EQ(child<QComboBox>(*dlg, "profiles")->currentText(), dlg->editor().name());
    }
    EXPECT_EQ(items(child<QComboBox>(*dlg, "profiles")),
              (QStringList{QStringLiteral("Arena"), QStringLiteral("Fresh"), QStringLiteral("ProfileDefault"),
                           QStringLiteral("ProfilePlaySeq")}));
    EXPECT_EQ(dlg->writtenProfiles(),
              (QStringList{QStringLiteral("Copy"), QStringLiteral("Arena"), QStringLiteral("Fresh")}));
    EXPECT_EQ(child<QTableView>(*dlg, "grid")->model()->index(0, ProfileEditor::NameColumn).data().toString(),
              QString()); // the blank profile
}

TEST_F(DisplayProfCfgTest, ConfiguringAMissingActionMakesIt)
{
    auto dlg = makeDialog();
    QList<std::pair<ProfileAction, bool>> shown;
    dlg->setActionAsker([&](const ProfileAction& a, bool exists) -> std::optional<ProfileAction> {
        shown.append({a, exists});
        ProfileAction changed = a;
        changed.sign = QStringLiteral("3");
        changed.mode = QStringLiteral("2");
        changed.frame = QStringLiteral("44");
        return changed;
    });
    const QModelIndex timer = cellIndex(*dlg, "F2", ProfileEditor::TimerColumn); // Bareback F2 has no Timer
    ASSERT_EQ(timer.data().toString(), QString());
    dlg->configureAction(timer);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_FALSE(shown[0].second);
    EXPECT_EQ(shown[0].first, ProfileAction());
    EXPECT_EQ(timer.data().toString(), QStringLiteral("Sign:3;Mode:2;Frame:44;Message:;"));
    EXPECT_TRUE(child<QPushButton>(*dlg, "save")->isEnabled());
}

TEST_F(DisplayProfCfgTest, ActionDialogEnablesTheFieldsOfItsMode)
{
    const struct
    {
        const char* mode;
        const char* shows;
        bool frame;
    } cases[] = {{"2", "Selected Frame", true},
                 {"0", "Continuous", false},
                 {"", "Continuous", false},
                 {"1", "Single Step", false},
                 {"3", "# Times", false}};
    for (const auto& c : cases) {
        ProfileAction a;
        a.sign = QStringLiteral("1");
        a.mode = QString::fromLatin1(c.mode);
        a.times = QStringLiteral("5");
        a.drive = QStringLiteral("C");
        CDlgDisplyProfRTDOptions dlg(a);
        present(dlg);
        auto* mode = child<QComboBox>(dlg, "mode");
        EXPECT_EQ(mode->currentText(), QString::fromLatin1(c.shows)) << c.mode;
        EXPECT_EQ(child<QSpinBox>(dlg, "frame")->isEnabled(), c.frame) << c.mode;
        for (const char* field : {"drive", "library", "sequence"})
            EXPECT_EQ(child<QWidget>(dlg, field)->isEnabled(), !c.frame) << c.mode << field;
        EXPECT_FALSE(dlg.changed());

        choose(mode, c.frame ? QStringLiteral("Continuous") : QStringLiteral("Selected Frame"));
        EXPECT_EQ(child<QSpinBox>(dlg, "frame")->isEnabled(), !c.frame);
        EXPECT_TRUE(dlg.changed());
        EXPECT_EQ(dlg.values().mode, c.frame ? QStringLiteral("0") : QStringLiteral("2"));
        EXPECT_EQ(dlg.values().times, QStringLiteral("5")); // not shown, not changed
    }
}

} // namespace
