#pragma once

#include <QDialog>

// "About Scorvane Rodeo": product name, version, the maker's contact lines and
// a system-information text for support calls.
class CAboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDialog(const QString& dataFolder, QWidget* parent = nullptr);

    static QString versionText();
};
