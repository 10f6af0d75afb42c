#pragma once

#include "reports/entryimporter.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

// "Name Resolver": how a name of three or more words is split into first and
// last name, prefilled with a proposal. The check box keeps the same split
// for every later name of the file with as many words.
class CDlgNameResolver : public QDialog
{
    Q_OBJECT
public:
    CDlgNameResolver(const QString& fullName, const QString& first, const QString& last,
                     QWidget* parent = nullptr);

    NameResolverPrompt::Answer answer() const;

private:
    QLineEdit* m_first;
    QLineEdit* m_last;
    QCheckBox* m_later;
};

// The import's name questions answered with the dialog (or, in automated runs
// of the whole program, with the proposal).
class NameResolverDialogs : public NameResolverPrompt
{
public:
    explicit NameResolverDialogs(QWidget* parent) : m_parent(parent) {}
    Answer resolveName(const QString& fullName, const QString& first, const QString& last) override;

private:
    QWidget* m_parent;
};
