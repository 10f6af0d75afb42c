#pragma once

#include "app/profileeditor.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QSpinBox;

// "RTD Action Configuration": the display controller action of one display
// button (play a sequence or show a frame). Given the action's values, it
// hands back the values shown when OK is pressed; the caller writes them.
class CDlgDisplyProfRTDOptions : public QDialog
{
    Q_OBJECT
public:
    explicit CDlgDisplyProfRTDOptions(const ProfileAction& action, QWidget* parent = nullptr);

    // The action with the shown fields: sign, mode, frame, drive, library,
    // sequence and message; the repeat count as it was given.
    ProfileAction values() const;
    // Whether the operator changed anything since the dialog opened.
    bool changed() const { return values() != m_shown; }

    // "Selected Frame" shows a frame; every other mode plays a sequence.
    static bool showsFrame(const QString& modeText);
    // The mode number written for a mode text, as text.
    static QString modeNumber(const QString& modeText);

private:
    void updateEnabling();

    ProfileAction m_given;
    ProfileAction m_shown;

    QSpinBox* m_sign;
    QComboBox* m_mode;
    QSpinBox* m_frame;
    QComboBox* m_drive;
    QLineEdit* m_library;
    QLineEdit* m_sequence;
    QSpinBox* m_message;
};
