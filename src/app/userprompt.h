#pragma once

#include <QString>

// Every message box, question and confirmation that code below the windows
// needs goes through this interface; the user interface implements it with
// real dialogs and the tests with a scripted double.
class UserPrompt
{
public:
    enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
    enum class Icon { None, Information, Warning, Error, Question };
    // Answers carry the classic dialog result numbers, which some stored
    // decisions (the "Same Team Found" answer, for one) keep as they are.
    enum Answer { Ok = 1, Cancel = 2, Yes = 6, No = 7 };

    virtual ~UserPrompt() = default;

    virtual int ask(const QString& text, const QString& caption, Buttons buttons, Icon icon) = 0;

    // A plain message box captioned "Message" with an OK button.
    void inform(const QString& text, const QString& caption = QStringLiteral("Message"))
    {
        ask(text, caption, Buttons::Ok, Icon::None);
    }
    void warn(const QString& text, const QString& caption = QStringLiteral("Message"))
    {
        ask(text, caption, Buttons::Ok, Icon::Warning);
    }
    bool askYesNo(const QString& text, const QString& caption = QStringLiteral("Message"))
    {
        return ask(text, caption, Buttons::YesNo, Icon::Question) == Yes;
    }
};
