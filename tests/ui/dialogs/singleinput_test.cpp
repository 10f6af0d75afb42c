// The input box: free text checked against the display profiles, or a choice.
#include "dialogfixture.h"
#include "framework/headerpanel.h"
#include "ui/dialogs/input/dlgsingleinput.h"

#include <QLabel>
#include <QLineEdit>

namespace {

class SingleInputTest : public DialogFixture
{
};

TEST_F(SingleInputTest, FreeTextRefusesTheNameOfAProfileIgnoringCase)
{
    CDlgSingleInput dlg(*files, prompt, QStringLiteral("Please enter the new profile name."),
                        QStringLiteral("Profile Name:"));
    present(dlg);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Input Data"));
    EXPECT_EQ(child<HeaderPanel>(dlg, "header")->title(), QStringLiteral("Input Box"));
    EXPECT_EQ(child<HeaderPanel>(dlg, "header")->description(),
              QStringLiteral("Please enter the new profile name."));
    EXPECT_EQ(child<QLabel>(dlg, "label")->text(), QStringLiteral("Profile Name:"));
    EXPECT_FALSE(dlg.isChoiceMode());
    EXPECT_TRUE(child<QLineEdit>(dlg, "text")->isVisible());
    EXPECT_FALSE(child<QComboBox>(dlg, "choices")->isVisible());

    QTest::keyClicks(child<QLineEdit>(dlg, "text"), QStringLiteral("profiledefault"));
    click(dlg, "ok");
    ASSERT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(prompt.shown[0].text, QStringLiteral("There is one profile with the same name in the system!"));
    EXPECT_EQ(prompt.shown[0].caption, QStringLiteral("Message"));
    EXPECT_EQ(prompt.shown[0].icon, UserPrompt::Icon::Warning);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_NE(dlg.result(), QDialog::Accepted);

    child<QLineEdit>(dlg, "text")->clear();
    QTest::keyClicks(child<QLineEdit>(dlg, "text"), QStringLiteral("ProfileDefault 2"));
    click(dlg, "ok");
    EXPECT_EQ(prompt.shown.size(), 1);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.text(), QStringLiteral("ProfileDefault 2"));
}

TEST_F(SingleInputTest, ChoiceModeReturnsTheChosenItem)
{
    const QStringList choices{QStringLiteral("Rodeo B"), QStringLiteral("arena"), QStringLiteral("Rodeo A")};
    CDlgSingleInput dlg(*files, prompt, QStringLiteral("Please select or enter the profile name."),
                        QStringLiteral("Profile Name:"), choices);
    present(dlg);
    EXPECT_TRUE(dlg.isChoiceMode());
    EXPECT_FALSE(child<QLineEdit>(dlg, "text")->isVisible());
    auto* box = child<QComboBox>(dlg, "choices");
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(items(box),
              (QStringList{QStringLiteral("arena"), QStringLiteral("Rodeo A"), QStringLiteral("Rodeo B")}));
    EXPECT_TRUE(dlg.text().isEmpty()); // nothing chosen yet

    choose(box, QStringLiteral("Rodeo A"));
    click(dlg, "ok");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.text(), QStringLiteral("Rodeo A"));
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(SingleInputTest, ChoosingAnExistingProfileIsNotRefused)
{
    // Choosing is for picking a name that is there (saving over a profile).
    CDlgSingleInput dlg(*files, prompt, QStringLiteral("Pick one."), QStringLiteral("Profile Name:"),
                        files->GetProfileNames());
    present(dlg);
    choose(child<QComboBox>(dlg, "choices"), QStringLiteral("ProfilePlaySeq"));
    click(dlg, "ok");
    EXPECT_TRUE(prompt.shown.isEmpty());
    EXPECT_EQ(dlg.text(), QStringLiteral("ProfilePlaySeq"));
}

TEST_F(SingleInputTest, EditableChoicesTakeATypedTextThatPassesTheCheck)
{
    CDlgSingleInput dlg(*files, prompt, QStringLiteral("Please select or enter the profile name."),
                        QStringLiteral("Profile Name:"), files->GetProfileNames());
    dlg.setChoicesEditable(true);
    dlg.setCheck([](const QString& text) {
        return text.contains(QLatin1Char('/')) ? QStringLiteral("No folders!") : QString();
    });
    present(dlg);
    auto* box = child<QComboBox>(dlg, "choices");
    QTest::keyClicks(box, QStringLiteral("North/South"));
    click(dlg, "ok");
    EXPECT_EQ(prompt.texts(), QStringList{QStringLiteral("No folders!")});
    EXPECT_NE(dlg.result(), QDialog::Accepted);

    box->clearEditText();
    QTest::keyClicks(box, QStringLiteral("Arena North"));
    click(dlg, "ok");
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.text(), QStringLiteral("Arena North"));
    EXPECT_EQ(items(box), files->GetProfileNames()); // the typed name was not added
}

TEST_F(SingleInputTest, CancelIsNotAnAnswer)
{
    CDlgSingleInput dlg(*files, prompt, QStringLiteral("Name?"), QStringLiteral("Name:"));
    present(dlg);
    QTest::keyClicks(child<QLineEdit>(dlg, "text"), QStringLiteral("ProfileDefault"));
    click(dlg, "cancel");
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_TRUE(prompt.shown.isEmpty());
}

} // namespace
