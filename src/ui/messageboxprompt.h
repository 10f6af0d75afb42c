#pragma once

#include "app/userprompt.h"

class QWidget;

// Message boxes and questions over QMessageBox. With the environment variable
// SCORVANE_PROMPTS=stderr (used by automated runs of the whole program) each
// text is written to standard error instead and answered with OK / Yes.
class MessageBoxPrompt : public UserPrompt
{
public:
    explicit MessageBoxPrompt(QWidget* parent = nullptr);

    void setParent(QWidget* parent) { m_parent = parent; }
    int ask(const QString& text, const QString& caption, Buttons buttons, Icon icon) override;

    static bool isHeadless();

private:
    QWidget* m_parent = nullptr;
};
