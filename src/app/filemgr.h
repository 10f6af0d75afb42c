#pragma once

#include "platform/xml/xmldocument.h"

#include <QString>
#include <QStringList>

// A window rectangle as the state file keeps it: left, top, right, bottom in
// screen pixels, right and bottom exclusive.
struct WindowRect
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return width() <= 0 || height() <= 0; }
    bool operator==(const WindowRect&) const = default;
};

// Keeps the program's own files in the data folder: puts the default display
// profiles and input/output configuration in place, and holds the application
// state document "Tallyra.xml" (window placement, bars, last season and rodeo,
// current view, each view's selections), which is written back only when the
// manager is destroyed at shutdown.
class FileMgr
{
public:
    explicit FileMgr(const QString& dataFolder);
    ~FileMgr();
    FileMgr(const FileMgr&) = delete;
    FileMgr& operator=(const FileMgr&) = delete;

    QString dataFolder() const { return m_dataFolder; }
    QString stateFilePath() const { return m_dataFolder + QStringLiteral("Tallyra.xml"); }

    // Prepares the data folder and the default files, then loads the state file.
    bool Create();
    bool LoadCfg();

    // Level 0: attribute of the root; 1: of Frame; 2: of a child of Frame;
    // 3: of a grandchild of Frame.
    bool GetCfgAtt(QString& value, int level, const QString& attr, const QString& elem1 = QString(),
                   const QString& elem2 = QString()) const;
    bool SetCfgAtt(const QString& value, int level, const QString& attr, const QString& elem1 = QString(),
                   const QString& elem2 = QString());
    // Level 1: Frame itself; level 3: a grandchild of Frame.
    bool GetSize(WindowRect& rect, int level, const QString& elem1 = QString(),
                 const QString& elem2 = QString()) const;
    bool SetSize(const WindowRect& rect, int level, const QString& elem1 = QString(),
                 const QString& elem2 = QString());

    // Writes the state document to disk now (also done by the destructor).
    bool SaveCfg() const;

    // The rule sets a season may follow.
    static void GetRules(QStringList& rules);
    // Names of the display profiles in the data folder (file names without ".rpf").
    QStringList GetProfileNames() const;

private:
    void installProfile(const QString& fileName, const QString& resource);
    void installDefaultIo();
    static QString cfgXPath(int level, const QString& attr, const QString& elem1, const QString& elem2);

    QString m_dataFolder;
    XmlDocument m_state;
    bool m_hasState = false; // the state document was created by LoadCfg
};
