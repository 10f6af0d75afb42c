// The masked field driven from the keyboard.
#include "framework/maskededit.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Presses each key of a list such as "End Shift+Left Backspace 5": a single
// character is typed, anything longer is a key sequence.
void press(QWidget* w, const QString& keys)
{
    for (const QString& key : keys.split(u' ', Qt::SkipEmptyParts)) {
        if (key.size() == 1)
            QTest::keyClicks(w, key);
        else
            QTest::keySequence(w, QKeySequence(key));
    }
}

TEST(MaskedEditTest, KeysEditThroughTheMask)
{
    struct Case
    {
        const char* what;
        QString clipboard, keys, text;
        int cursor;
    };
    // Every case starts from "12.3" with the cursor on the first digit.
    const Case cases[] = {
        {"typing overwrites and skips the point", "", "4 5 6", "45.6", 4},
        {"a refused key changes nothing", "", "x", "12.3", 0},
        {"backspace empties behind the cursor", "", "End Backspace Backspace", "10.0", 1},
        {"home goes to the first digit", "", "End Home 7", "72.3", 1},
        {"left skips the point", "", "End Left Left 5", "15.3", 2},
        {"right skips the point", "", "Right Right 7", "12.7", 4},
        {"delete empties ahead of the cursor", "", "Delete Delete", "00.3", 2},
        {"typing replaces the selection, read as typed", "", "Ctrl+A 5", " 5.0", 2},
        {"a point closes the whole part", "", "Ctrl+A 9 . 5", " 9.5", 4},
        {"backspace empties a shift selection", "", "End Shift+Left Shift+Left Backspace", "10.0", 1},
        {"cut empties the selection", "", "Ctrl+A Ctrl+X", "00.0", 0},
        {"paste fills from the cursor", "4x5", "End Left Left Ctrl+V", "14.5", 4},
        {"paste over a selection empties it first", " 9", "Ctrl+A Ctrl+V", " 9.0", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QGuiApplication::clipboard()->setText(c.clipboard);
        CMaskedEdit edit;
        edit.setEditMask(QStringLiteral("[ 0-9][0-9].[0-9]"));
        edit.setMaskedText(QStringLiteral("12.3"));
        QSignalSpy edited(&edit, &QLineEdit::textEdited);

        press(&edit, c.keys);
        EXPECT_EQ(edit.text(), c.text);
        EXPECT_EQ(edit.cursorPosition(), c.cursor);
        EXPECT_FALSE(edit.hasSelectedText());
        EXPECT_EQ(edited.isEmpty(), c.text == QStringLiteral("12.3"));
        if (!edited.isEmpty()) {
            EXPECT_EQ(edited.last().at(0).toString(), c.text);
        }
    }
}

TEST(MaskedEditTest, OtherEditingCannotBreakTheMaskButReturnStillFinishes)
{
    CMaskedEdit edit;
    edit.setEditMask(QStringLiteral("[ 0-9][0-9].[0-9]"));
    edit.setMaskedText(QStringLiteral(" 9.5"));

    edit.insert(QStringLiteral("5"));
    edit.setSelection(0, 2);
    edit.del();
    EXPECT_EQ(edit.text(), QStringLiteral(" 9.5"));

    QSignalSpy finished(&edit, &QLineEdit::editingFinished);
    QTest::keyClick(&edit, Qt::Key_Return);
    EXPECT_EQ(finished.size(), 1);

    // Taking the mask away leaves a plain field.
    edit.setEditMask(QString());
    press(&edit, QStringLiteral("End x :"));
    EXPECT_EQ(edit.text(), QStringLiteral(" 9.5x:"));
}

} // namespace
