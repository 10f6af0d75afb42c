// The season form: its two faces, the title rules and what OK hands back.
#include "dialogfixture.h"
#include "framework/headerpanel.h"
#include "ui/dialogs/season/dlgseasonnew.h"
#include "ui/dialogs/season/seasonactions.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kTruncated = QStringLiteral("The title includes illegal character, truncated!");

class SeasonFormTest : public DialogFixture
{
protected:
    static QLineEdit* title(CDlgSeasonNew& form) { return child<QLineEdit>(form, "title"); }
};

TEST_F(SeasonFormTest, EmptyFormCreatesWithFirstItemsSelected)
{
    CDlgSeasonNew form(*files, prompt);
    present(form);

    EXPECT_EQ(form.windowTitle(), QStringLiteral("New Season"));
    auto* header = child<HeaderPanel>(form, "header");
    EXPECT_EQ(header->title(), QStringLiteral("Create New Season"));
    EXPECT_EQ(
        header->description(),
        QStringLiteral("Give a title, a display profile, and a rule for the season. Note: A season name "
                       "cannot contain the following characters: \\ / : * ? \" < > |"));
    EXPECT_TRUE(title(form)->text().isEmpty());
    EXPECT_EQ(items(child<QComboBox>(form, "profile")),
              (QStringList{QStringLiteral("ProfileDefault"), QStringLiteral("ProfilePlaySeq")}));
    EXPECT_EQ(items(child<QComboBox>(form, "rule")),
              (QStringList{QStringLiteral("College"), QStringLiteral("PRCA")}));

    const SeasonInfo v = form.values();
    EXPECT_TRUE(v.name.isEmpty());
    EXPECT_EQ(v.profile, QStringLiteral("ProfileDefault"));
    EXPECT_EQ(v.rule, QStringLiteral("College"));
}

TEST_F(SeasonFormTest, FormWithValuesEditsAndSelectsThem)
{
    CDlgSeasonNew form(*files, prompt,
                       {QStringLiteral("Summer"), QStringLiteral("ProfilePlaySeq"), QStringLiteral("PRCA")});
    present(form);

    auto* header = child<HeaderPanel>(form, "header");
    EXPECT_EQ(header->title(), QStringLiteral("Edit An Existing Season"));
    EXPECT_EQ(
        header->description(),
        QStringLiteral("Update the title, the display profile, and/or the rule of the season. Note: A season "
                       "name cannot contain the following characters: \\ / : * ? \" < > |"));
    const SeasonInfo v = form.values();
    EXPECT_EQ(v.name, QStringLiteral("Summer"));
    EXPECT_EQ(v.profile, QStringLiteral("ProfilePlaySeq"));
    EXPECT_EQ(v.rule, QStringLiteral("PRCA"));
    EXPECT_TRUE(prompt.shown.isEmpty());

    // Only a rule given still edits; the missing profile takes the first of the list.
    CDlgSeasonNew ruleOnly(*files, prompt, {QString(), QString(), QStringLiteral("PRCA")});
    EXPECT_EQ(child<HeaderPanel>(ruleOnly, "header")->title(), QStringLiteral("Edit An Existing Season"));
    EXPECT_EQ(ruleOnly.values().profile, QStringLiteral("ProfileDefault"));

    // A profile that is no longer in the data folder is not silently replaced.
    CDlgSeasonNew gone(*files, prompt,
                       {QStringLiteral("S"), QStringLiteral("Deleted Profile"), QStringLiteral("PRCA")});
    EXPECT_TRUE(gone.values().profile.isEmpty());
}

TEST_F(SeasonFormTest, TypingAnIllegalCharacterTruncatesBeforeIt)
{
    CDlgSeasonNew form(*files, prompt);
    present(form);
    QTest::keyClicks(title(form), QStringLiteral("A/"));
    EXPECT_EQ(title(form)->text(), QStringLiteral("A"));
    EXPECT_EQ(prompt.texts(), QStringList{kTruncated});
    EXPECT_EQ(prompt.shown[0].caption, QStringLiteral("Message"));

    // The focus goes back into the title, wherever the operator was.
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    child<QComboBox>(form, "rule")->setFocus();
    ASSERT_FALSE(title(form)->hasFocus());
    title(form)->insert(QStringLiteral("*"));
    EXPECT_TRUE(title(form)->hasFocus());
    EXPECT_EQ(title(form)->text(), QStringLiteral("A"));
    prompt.clear();

    // Typing goes on after the cut.
    QTest::keyClicks(title(form), QStringLiteral("B"));
    EXPECT_EQ(title(form)->text(), QStringLiteral("AB"));
    EXPECT_TRUE(prompt.shown.isEmpty());

    for (const QChar c : QStringLiteral("\\/:*?<>|\"")) {
        prompt.clear();
        title(form)->setText(QStringLiteral("Rodeo"));
        QTest::keyClicks(title(form), QString(c));
        EXPECT_EQ(title(form)->text(), QStringLiteral("Rodeo")) << QString(c).toStdString();
        EXPECT_EQ(prompt.texts(), QStringList{kTruncated}) << QString(c).toStdString();
    }

    // Pasted text is cut before its first illegal character, wherever that is.
    prompt.clear();
    title(form)->clear();
    title(form)->insert(QStringLiteral("Fall:Classic/2026"));
    EXPECT_EQ(title(form)->text(), QStringLiteral("Fall"));
    title(form)->clear();
    title(form)->insert(QStringLiteral("Tab\there"));
    EXPECT_EQ(title(form)->text(), QStringLiteral("Tab"));
    EXPECT_EQ(prompt.texts(), (QStringList{kTruncated, kTruncated}));
}

TEST_F(SeasonFormTest, TitleHoldsAtMostFiftyCharacters)
{
    CDlgSeasonNew form(*files, prompt);
    present(form);
    QTest::keyClicks(title(form), QString(60, QLatin1Char('x')));
    EXPECT_EQ(title(form)->text().size(), CDlgSeasonNew::MaxTitleLength);
    EXPECT_EQ(CDlgSeasonNew::MaxTitleLength, 50);
}

TEST_F(SeasonFormTest, OkReturnsWhatTheOperatorChose)
{
    CDlgSeasonNew form(*files, prompt);
    present(form);
    QTest::keyClicks(title(form), QStringLiteral("O'Brien Cup"));
    choose(child<QComboBox>(form, "profile"), QStringLiteral("ProfilePlaySeq"));
    choose(child<QComboBox>(form, "rule"), QStringLiteral("PRCA"));
    click(form, "ok");

    EXPECT_EQ(form.result(), QDialog::Accepted);
    const SeasonInfo v = form.values();
    EXPECT_EQ(v.name, QStringLiteral("O'Brien Cup"));
    EXPECT_EQ(v.profile, QStringLiteral("ProfilePlaySeq"));
    EXPECT_EQ(v.rule, QStringLiteral("PRCA"));
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(SeasonFormTest, OkRefusesTitlesThatCannotBeAFolderName)
{
    for (const QString& bad : {QStringLiteral(" Leading"), QStringLiteral("Trailing "), QStringLiteral("."),
                               QStringLiteral(".."), QStringLiteral("   ")}) {
        prompt.clear();
        CDlgSeasonNew form(*files, prompt);
        present(form);
        QTest::keyClicks(title(form), bad);
        click(form, "ok");
        EXPECT_NE(form.result(), QDialog::Accepted) << bad.toStdString();
        EXPECT_TRUE(form.isVisible()) << bad.toStdString();
        EXPECT_EQ(prompt.texts(), QStringList{SeasonActions::invalidNameMessage()}) << bad.toStdString();
    }

    // An empty title is handed back: the caller asks for all the information.
    prompt.clear();
    CDlgSeasonNew form(*files, prompt);
    present(form);
    click(form, "ok");
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_TRUE(prompt.shown.isEmpty());
}

TEST_F(SeasonFormTest, CancelReturnsNothing)
{
    CDlgSeasonNew form(*files, prompt);
    present(form);
    QTest::keyClicks(title(form), QStringLiteral("Winter"));
    click(form, "cancel");
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_FALSE(form.isVisible());
}

} // namespace
