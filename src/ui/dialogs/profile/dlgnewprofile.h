#pragma once

#include "app/builtinprofiles.h"

#include <QDialog>
#include <QStringList>

class QLineEdit;
class QRadioButton;
class UserPrompt;

// "New Profile": the name of a new display profile and the buttons it starts
// with (the built-in default profile's, or none). A name that cannot be a
// profile's, or that a profile has already, is refused here where it can be
// corrected.
class CDlgNewProfile : public QDialog
{
    Q_OBJECT
public:
    CDlgNewProfile(const QStringList& existingProfiles, UserPrompt& prompt, QWidget* parent = nullptr);

    QString name() const;
    BuiltInProfiles::Kind start() const;

private:
    void onOk();

    QStringList m_existing;
    UserPrompt& m_prompt;
    QLineEdit* m_name;
    QRadioButton* m_default;
    QRadioButton* m_blank;
};
