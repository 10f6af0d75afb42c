#pragma once

#include "builtinprofiles.h"
#include "platform/xml/xmldocument.h"

#include <QString>
#include <QStringList>

class FileMgr;

// One display action of a button (its Result or Timer element), as the texts
// of its attributes.
struct ProfileAction
{
    QString sign;
    QString mode;
    QString times;
    QString frame;
    QString drive;
    QString library;
    QString sequence;
    QString message;

    bool operator==(const ProfileAction&) const = default;
};

// The display profile open in the display button configuration, without any
// window: loading it by name, its three settings, the rows and cells of the
// button grid in both arrangements, editing them, and writing the profile
// (Save, Save As, Rename, New).
//
// Use: load(name), then read and edit; isModified() says whether anything
// changed since the last load or write. When a load fails there is no open
// profile: every edit and Save is refused, so a file that could not be read is
// never replaced by what little was read.
//
// Profile names are file names in the data folder: Save As, Rename and New
// take only names isValidName() accepts, so nothing is written elsewhere.
// Rename and New refuse a name a profile already has (ignoring case); Save As
// replaces a profile of exactly that name, so its caller asks first.
//
// Not thread-safe; used from the user-interface thread.
class ProfileEditor
{
public:
    enum class Mode { ByEvent, ByKey };
    enum Column {
        KeyColumn, // the key ("By Event") or the event ("By Function Key")
        NameColumn,
        DisplayColumn,
        HoldingColumn,
        AnnouncerColumn,
        PageDirColumn,
        ResultColumn,
        TimerColumn,
        ColumnCount
    };
    enum class Setting { Display, TeamDisplay, Paging };
    enum class ActionKind { Result, Timer };
    enum class Outcome {
        Done,
        NoProfile,     // no profile is open
        BadName,       // the name cannot be a profile's file name
        NameTaken,     // another profile has the name
        WriteFailed,   // nothing changed on disk
        OldNotRemoved, // renamed, but the old file is still there too
    };

    // One button of one event: indexes into eventNames() and the key index.
    struct Cell
    {
        int event = -1;
        int key = -1;
    };

    explicit ProfileEditor(const FileMgr& files);

    // --- names ------------------------------------------------------------------
    // Not empty, ".", ".."; no \ / : * ? < > | " or control character; no
    // blank at either end.
    static bool isValidName(const QString& name);
    static QString invalidNameMessage();
    // The profile whose name equals name ignoring case; empty when none.
    QString existingName(const QString& name) const;

    // --- the open profile ---------------------------------------------------------
    bool load(const QString& name);
    // Leaves no profile open (changes are dropped).
    void close();
    bool isOpen() const { return !m_doc.isEmpty(); }
    QString name() const { return m_name; }
    bool isModified() const { return m_modified; }
    // Why the last load or write failed.
    QString lastError() const { return m_lastError; }
    // Every profile written since this editor was made, by name.
    QStringList writtenProfiles() const { return m_written; }

    // --- the settings of the profile root ------------------------------------------
    static QStringList choices(Setting setting);
    QString setting(Setting setting) const;
    // Only one of choices(); written at once.
    bool setSetting(Setting setting, const QString& value);

    // --- the grid -------------------------------------------------------------------
    static QStringList eventNames();
    // The list beside the grid: the events ("By Event") or the keys.
    static QStringList listItems(Mode mode);
    static int rowCount(Mode mode);
    static Cell cellAt(Mode mode, int listItem, int row);
    // The first column's text: the key or the event of the row.
    static QString rowLabel(Mode mode, int listItem, int row);
    static QString columnTitle(Mode mode, int column);
    // In dialog units.
    static int columnWidth(int column);
    static bool isToggle(int column);
    static QStringList pageDirChoices();

    // The cell of a column from NameColumn on; empty for a key the event does
    // not define.
    QString text(Cell cell, int column) const;
    // Name: any text; Display, Holding, Announcer: "Yes" or "No"; Page Dir: one
    // of pageDirChoices() or the text it holds. A key without an element gets
    // one. False when the value or the cell is not accepted.
    bool setText(Cell cell, int column, const QString& value);
    // Display, Holding, Announcer: "Yes" becomes "No", anything else "Yes".
    bool toggle(Cell cell, int column);

    // --- actions ------------------------------------------------------------------------
    // "Sign:1;Mode:2;Frame:20;Message:;": sign and mode, then the frame for mode
    // 2, or drive, library and sequence for mode 0, then the message.
    static QString summary(const ProfileAction& action);
    bool hasAction(Cell cell, ActionKind kind) const;
    // The action's attributes; empty texts for a missing action.
    ProfileAction action(Cell cell, ActionKind kind) const;
    // Writes sign, mode, frame, drive, library, sequence and message, making the
    // key and the action (with every attribute, empty) when missing.
    bool setAction(Cell cell, ActionKind kind, const ProfileAction& action);

    // --- files -----------------------------------------------------------------------------
    Outcome save();
    // Writes the open profile under name, replacing a profile of exactly that
    // name, and continues with it.
    Outcome saveAs(const QString& name);
    // Writes the open profile under newName, then removes the old file.
    Outcome rename(const QString& newName);
    // Writes a profile built from start under name and opens it.
    Outcome createNew(const QString& name, BuiltInProfiles::Kind start);

private:
    XmlNode eventNode(int event) const;
    XmlNode keyNode(Cell cell) const;
    XmlNode makeKey(Cell cell);
    bool write(const QString& name, const char* failureFormat);
    void markWritten(const QString& name);

    const FileMgr& m_files;
    XmlDocument m_doc;
    QString m_name;
    QString m_lastError;
    QStringList m_written;
    bool m_modified = false;
};
