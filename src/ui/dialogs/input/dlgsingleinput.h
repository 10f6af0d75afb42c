#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class FileMgr;
class HeaderPanel;
class QComboBox;
class QLabel;
class QLineEdit;
class UserPrompt;

// "Input Data": asks for one text, typed freely or chosen from a list. A typed
// text must not name a display profile that already exists.
class CDlgSingleInput : public QDialog
{
    Q_OBJECT
public:
    // Free-text mode.
    CDlgSingleInput(FileMgr& files, UserPrompt& prompt, const QString& description, const QString& label,
                    QWidget* parent = nullptr);
    // Choice mode: one of the choices (which need not be profile names).
    CDlgSingleInput(FileMgr& files, UserPrompt& prompt, const QString& description, const QString& label,
                    const QStringList& choices, QWidget* parent = nullptr);

    bool isChoiceMode() const { return m_choiceMode; }
    // Choice mode: a text may also be typed, and need not be one of the choices.
    void setChoicesEditable(bool editable);
    // Checks the text on OK: the message to refuse it with, empty to accept it.
    using Check = std::function<QString(const QString& text)>;
    void setCheck(Check check) { m_check = std::move(check); }

    // The text typed, or the choice selected (empty when none is).
    QString text() const;

private:
    void build(const QString& description, const QString& label);
    void onOk();

    UserPrompt& m_prompt;
    const bool m_choiceMode;
    QStringList m_existing; // the names a typed text may not take
    Check m_check;

    QLineEdit* m_edit = nullptr;
    QComboBox* m_choices = nullptr;
};
