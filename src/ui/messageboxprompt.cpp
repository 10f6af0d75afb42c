#include "messageboxprompt.h"

#include <QMessageBox>
#include <cstdio>

namespace {
constexpr int kMaxShownLines = 20;
}

MessageBoxPrompt::MessageBoxPrompt(QWidget* parent) : m_parent(parent) {}

bool MessageBoxPrompt::isHeadless()
{
    return qEnvironmentVariable("SCORVANE_PROMPTS") == QLatin1String("stderr");
}

int MessageBoxPrompt::ask(const QString& text, const QString& caption, Buttons buttons, Icon icon)
{
    if (isHeadless()) {
        std::fprintf(stderr, "PROMPT [%s] %s\n", qPrintable(caption), qPrintable(text));
        std::fflush(stderr);
        return (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel) ? Yes : Ok;
    }

    QMessageBox box(m_parent);
    box.setWindowTitle(caption);
    // A long text (an import's list of skipped lines) would make the box taller
    // than the screen: its head is shown, and all of it under "Show Details...".
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > kMaxShownLines) {
        box.setText(lines.mid(0, kMaxShownLines).join(QLatin1Char('\n')) + QStringLiteral("\n..."));
        box.setDetailedText(text);
    } else {
        box.setText(text);
    }
    switch (icon) {
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::None:
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Ok;
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    default:
        return Cancel;
    }
}
