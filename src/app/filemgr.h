#pragma once

#include "displayprofilesettings.h"
#include "platform/xml/xmldocument.h"

#include <QString>
#include <QStringList>
#include <functional>

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
// current view, each view's selections). The owner learns of every change
// (setOnChange) and writes the document soon after (SaveCfg), so that a crash
// loses little; the destructor writes it once more at shutdown.
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

    // Writes the state document to disk now (also done by the destructor); the
    // file is replaced whole or not at all.
    bool SaveCfg() const;
    // Called after each change of the state document (not of its file).
    void setOnChange(std::function<void()> onChange) { m_onChange = std::move(onChange); }

    // The rule sets a season may follow.
    static void GetRules(QStringList& rules);
    // Names of the display profiles in the data folder (file names without ".rpf").
    QStringList GetProfileNames() const;
    QString profilePath(const QString& name) const { return m_dataFolder + name + QStringLiteral(".rpf"); }

    // Messages for the operator gathered while preparing the files (a file
    // that could not be read and was kept aside); emptied by the call.
    QStringList takeNotices();

    // --- the current display profile (filemgr_profiles.cpp) ---------------
    // Loads data folder + name + ".rpf" as the current profile. On failure
    // there is no current profile: key presses then find nothing.
    bool SetCurProf(const QString& name);
    QString curProfileName() const { return m_profileName; }
    // The root of the current profile document, null when there is none.
    XmlNode curProfile() const { return m_profile.root(); }
    DisplayProfileSettings curProfileSettings() const { return m_profileSettings; }
    // The 33 key captions of a profile event, by key index; a key the event
    // does not define keeps an empty caption.
    QStringList GetKeyCaptions(const QString& profileEvent) const;
    // The FunctionKey element of a key of a profile event, null when the
    // current profile has none.
    XmlNode DisplayButtonPressed(const QString& profileEvent, const QString& keyText) const;

private:
    void installProfile(const QString& fileName, int kind);
    void installDefaultIo();
    static QString cfgXPath(int level, const QString& attr, const QString& elem1, const QString& elem2);
    static void addMissingDefaults(const XmlNode& from, XmlNode to);
    void changed();

    QString m_dataFolder;
    XmlDocument m_state;
    bool m_hasState = false; // the state document was created by LoadCfg
    QStringList m_notices;
    std::function<void()> m_onChange;

    XmlDocument m_profile;
    QString m_profileName;
    DisplayProfileSettings m_profileSettings;
};
