#pragma once

#include "app/userprompt.h"

#include <QList>
#include <QString>
#include <QStringList>

// A UserPrompt that records every text it is shown and answers from a script.
// When the script runs out it answers with the fallback (OK / Yes by default),
// so no test can hang on a question.
class ScriptedPrompt : public UserPrompt
{
public:
    struct Shown
    {
        QString text;
        QString caption;
        Buttons buttons;
        Icon icon;
    };

    int ask(const QString& text, const QString& caption, Buttons buttons, Icon icon) override
    {
        shown.append({text, caption, buttons, icon});
        if (!answers.isEmpty())
            return answers.takeFirst();
        if (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel)
            return fallbackYesNo;
        return Ok;
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Shown& s : shown)
            out << s.text;
        return out;
    }
    QString lastText() const { return shown.isEmpty() ? QString() : shown.last().text; }
    void clear() { shown.clear(); }

    QList<int> answers;
    int fallbackYesNo = Yes;
    QList<Shown> shown;
};
