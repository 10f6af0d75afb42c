// The display profile being edited: loading it, its settings, the button grid and the actions.
#include "profileeditor.h"

#include "displaykeys.h"
#include "filemgr.h"
#include "log.h"
#include "platform/errortext.h"
#include "textnumber.h"

#include <initializer_list>
#include <utility>

namespace {

const QString kIllegalNameChars = QStringLiteral("\\/:*?<>|\"");

// The attribute a grid column edits; null for the others.
const char* keyAttribute(int column)
{
    switch (column) {
    case ProfileEditor::NameColumn:
        return "name";
    case ProfileEditor::DisplayColumn:
        return "display";
    case ProfileEditor::HoldingColumn:
        return "holding";
    case ProfileEditor::AnnouncerColumn:
        return "announcer";
    case ProfileEditor::PageDirColumn:
        return "pagedir";
    default:
        return nullptr;
    }
}

QString actionElement(ProfileEditor::ActionKind kind)
{
    return kind == ProfileEditor::ActionKind::Result ? QStringLiteral("Result") : QStringLiteral("Timer");
}

// Attributes of an action element, in the order new elements get them.
const char* const kActionAttributes[] = {"sign",  "mode",    "times",    "frame",
                                         "drive", "library", "sequence", "message"};

QString* actionField(ProfileAction& a, int i)
{
    QString* fields[] = {&a.sign, &a.mode, &a.times, &a.frame, &a.drive, &a.library, &a.sequence, &a.message};
    return fields[i];
}

ProfileAction readAction(const XmlNode& node)
{
    ProfileAction a;
    for (int i = 0; i < 8; ++i)
        *actionField(a, i) = node.attribute(QString::fromLatin1(kActionAttributes[i]));
    return a;
}

// The root's start tag, for log lines (the whole profile would not fit).
QString startTag(const XmlNode& element)
{
    QString tag = QLatin1Char('<') + element.name();
    for (const XmlNode& a : element.attributes())
        tag += QLatin1Char(' ') + a.xml();
    return tag + QLatin1Char('>');
}

struct SettingDesc
{
    const char* attribute;
    const char* setFailed;  // the value could not be written
    const char* rootFailed; // there is no root to write it to
};

SettingDesc settingDesc(ProfileEditor::Setting s)
{
    switch (s) {
    case ProfileEditor::Setting::Display:
        return {
            "display",
            "Failed to set the attribute %s with value %s.  DlgDisplayProfCfg::OnSelchangePlrname  Error:%s",
            "Failed to get the root node.  DlgDisplayProfCfg::OnSelchangePlrname  Error:%s"};
    case ProfileEditor::Setting::TeamDisplay:
        return {
            "teamdisplay",
            "Failed to set the attribute %s with value %s.  DlgDisplayProfCfg::OnSelchangeTmName  Error:%s",
            "Failed to get the root node.  DlgDisplayProfCfg::OnSelchangTmName  Error:%s"};
    case ProfileEditor::Setting::Paging:
        break;
    }
    return {
        "paging",
        "Failed to set the attribute %s with value %s.  DlgDisplayProfCfg::OnSelchangeNumperpage  Error:%s",
        "Failed to get the root node.  DlgDisplayProfCfg::OnSelchangeNumperpage  Error:%s"};
}

bool setAttributes(XmlNode& node, std::initializer_list<std::pair<const char*, QString>> attributes)
{
    for (const auto& [name, value] : attributes)
        if (!node.setAttribute(QString::fromLatin1(name), value))
            return false;
    return true;
}

} // namespace

ProfileEditor::ProfileEditor(const FileMgr& files) : m_files(files) {}

// --- names -------------------------------------------------------------------------

bool ProfileEditor::isValidName(const QString& name)
{
    if (name.isEmpty() || name.trimmed() != name)
        return false;
    // A leading dot would also hide the file from the profile list.
    if (name.startsWith(QLatin1Char('.')))
        return false;
    for (const QChar c : name)
        if (kIllegalNameChars.contains(c) || c.category() == QChar::Other_Control)
            return false;
    return true;
}

QString ProfileEditor::invalidNameMessage()
{
    return QStringLiteral(
        "A profile name cannot be empty, begin with a dot, begin or end with a blank, or hold "
        "any of \\ / : * ? < > | \" or a control character!");
}

QString ProfileEditor::existingName(const QString& name) const
{
    for (const QString& existing : m_files.GetProfileNames())
        if (existing.compare(name, Qt::CaseInsensitive) == 0)
            return existing;
    return QString();
}

// --- the open profile ------------------------------------------------------------------

void ProfileEditor::close()
{
    m_doc = XmlDocument();
    m_name.clear();
    m_modified = false;
    m_lastError.clear();
}

bool ProfileEditor::load(const QString& name)
{
    close();

    const QString path = m_files.profilePath(name);
    XmlDocument doc;
    // Names come from the folder's own listing; one that could lead out of
    // the folder is not read.
    const bool inFolder = !name.isEmpty() && !name.contains(QLatin1Char('/')) && name != QLatin1String("..");
    if (!inFolder || doc.loadFile(path) != XmlDocument::LoadStatus::Ok) {
        m_lastError = inFolder ? doc.lastError() : QStringLiteral("\"%1\" is not a profile name.").arg(name);
        logReport("Failed to load the profile.  DlgDisplayProfCfg::OnSelchangeProf  Path:%s  Error:%s", path,
                  errorDescription(m_lastError));
        return false;
    }
    const XmlNode root = doc.root();
    if (root.isNull() || root.localName() != QLatin1String("Profile")) {
        m_lastError = QStringLiteral("The file \"%1\" holds no display profile.").arg(path);
        logReport("Failed to get the root node.  DlgDisplayProfCfg::OnSelchangeProf  Error:%s",
                  errorDescription(m_lastError));
        return false;
    }
    // The settings show empty; the keys can still be edited.
    for (const char* attr : {"display", "teamdisplay", "paging"}) {
        if (!root.hasAttribute(QString::fromLatin1(attr))) {
            logReport(
                "Failed to get the attributes.  DlgDisplayProfCfg::OnSelchangeProf  XML:%s  Error%s",
                startTag(root),
                errorDescription(QStringLiteral("The attribute %1 is missing.").arg(QLatin1String(attr))));
            break;
        }
    }
    m_doc = std::move(doc);
    m_name = name;
    return true;
}

// --- settings ------------------------------------------------------------------------------

QStringList ProfileEditor::choices(Setting setting)
{
    switch (setting) {
    case Setting::Display:
        return {QStringLiteral("Last, First"), QStringLiteral("Last, Initial."), QStringLiteral("First Last"),
                QStringLiteral("Initial. Last"), QStringLiteral("Last")};
    case Setting::TeamDisplay:
        return {QStringLiteral("Last/Last"), QStringLiteral("Name")};
    case Setting::Paging:
        break;
    }
    QStringList pages;
    for (int n = 1; n <= 20; ++n)
        pages << QString::number(n);
    return pages;
}

QString ProfileEditor::setting(Setting setting) const
{
    return m_doc.root().attribute(QString::fromLatin1(settingDesc(setting).attribute));
}

bool ProfileEditor::setSetting(Setting setting, const QString& value)
{
    const SettingDesc desc = settingDesc(setting);
    XmlNode root = m_doc.root();
    if (root.isNull()) {
        logReport(desc.rootFailed, errorDescription(QStringLiteral("No profile is open.")));
        return false;
    }
    if (!choices(setting).contains(value))
        return false;
    const QString attr = QString::fromLatin1(desc.attribute);
    if (root.hasAttribute(attr) && root.attribute(attr) == value)
        return true;
    if (!root.setAttribute(attr, value)) {
        logReport(desc.setFailed, attr, value, errorDescription(m_doc.lastError()));
        return false;
    }
    m_modified = true;
    return true;
}

// --- the grid ----------------------------------------------------------------------------------

QStringList ProfileEditor::eventNames()
{
    static const QStringList names = BuiltInProfiles::eventNames();
    return names;
}

QStringList ProfileEditor::listItems(Mode mode)
{
    if (mode == Mode::ByEvent)
        return eventNames();
    QStringList keys;
    for (int k = 0; k < DisplayKeys::Count; ++k)
        keys << DisplayKeys::text(k);
    return keys;
}

int ProfileEditor::rowCount(Mode mode)
{
    return mode == Mode::ByEvent ? DisplayKeys::Count : int(eventNames().size());
}

ProfileEditor::Cell ProfileEditor::cellAt(Mode mode, int listItem, int row)
{
    return mode == Mode::ByEvent ? Cell{listItem, row} : Cell{row, listItem};
}

QString ProfileEditor::rowLabel(Mode mode, int listItem, int row)
{
    const Cell cell = cellAt(mode, listItem, row);
    return mode == Mode::ByEvent ? DisplayKeys::text(cell.key) : eventNames().value(cell.event);
}

QString ProfileEditor::columnTitle(Mode mode, int column)
{
    switch (column) {
    case KeyColumn:
        return mode == Mode::ByEvent ? QStringLiteral("Function Key") : QStringLiteral("Event");
    case NameColumn:
        return QStringLiteral("Name");
    case DisplayColumn:
        return QStringLiteral("Display");
    case HoldingColumn:
        return QStringLiteral("Holding");
    case AnnouncerColumn:
        return QStringLiteral("Announcer");
    case PageDirColumn:
        return QStringLiteral("Page Dir");
    case ResultColumn:
        return QStringLiteral("Result");
    case TimerColumn:
        return QStringLiteral("Timer");
    default:
        return QString();
    }
}

int ProfileEditor::columnWidth(int column)
{
    static const int widths[ColumnCount] = {70, 70, 50, 50, 50, 70, 250, 250};
    return column >= 0 && column < ColumnCount ? widths[column] : 0;
}

bool ProfileEditor::isToggle(int column)
{
    return column == DisplayColumn || column == HoldingColumn || column == AnnouncerColumn;
}

QStringList ProfileEditor::pageDirChoices()
{
    return {QString(), QStringLiteral("Top"), QStringLiteral("Backward"), QStringLiteral("Forward")};
}

XmlNode ProfileEditor::eventNode(int event) const
{
    const QString name = eventNames().value(event);
    for (const XmlNode& e : m_doc.root().childElements())
        if (e.localName() == QLatin1String("Event") && e.attribute(QStringLiteral("name")) == name)
            return e;
    return XmlNode();
}

XmlNode ProfileEditor::keyNode(Cell cell) const
{
    // The first element of the key wins, as when the key is pressed.
    for (const XmlNode& k : eventNode(cell.event).childElements())
        if (k.localName() == QLatin1String("FunctionKey") &&
            DisplayKeys::index(k.attribute(QStringLiteral("sequence"))) == cell.key)
            return k;
    return XmlNode();
}

XmlNode ProfileEditor::makeKey(Cell cell)
{
    XmlNode root = m_doc.root();
    XmlNode event = eventNode(cell.event);
    if (event.isNull()) {
        // A hand-edited file may lack an event; it gets one.
        XmlNode e = m_doc.createElement(QStringLiteral("Event"));
        if (!e.setAttribute(QStringLiteral("name"), eventNames().value(cell.event)))
            return XmlNode();
        event = root.appendChild(e);
        if (event.isNull())
            return XmlNode();
        m_modified = true;
    }
    XmlNode key = m_doc.createElement(QStringLiteral("FunctionKey"));
    const QString no = QStringLiteral("No");
    if (!setAttributes(key, {{"sequence", DisplayKeys::text(cell.key)},
                             {"name", QString()},
                             {"display", no},
                             {"holding", no},
                             {"announcer", no},
                             {"pagedir", QString()}}))
        return XmlNode();
    key = event.appendChild(key);
    if (!key.isNull())
        m_modified = true;
    return key;
}

QString ProfileEditor::text(Cell cell, int column) const
{
    const XmlNode key = keyNode(cell);
    if (const char* attr = keyAttribute(column))
        return key.attribute(QString::fromLatin1(attr));
    if (column == ResultColumn || column == TimerColumn) {
        const XmlNode node = key.firstChildElement(
            actionElement(column == ResultColumn ? ActionKind::Result : ActionKind::Timer));
        return node.isNull() ? QString() : summary(readAction(node));
    }
    return QString();
}

bool ProfileEditor::setText(Cell cell, int column, const QString& value)
{
    const char* attr = keyAttribute(column);
    if (!isOpen() || !attr || eventNames().value(cell.event).isEmpty() ||
        DisplayKeys::text(cell.key).isEmpty())
        return false;
    const QString attribute = QString::fromLatin1(attr);
    XmlNode key = keyNode(cell);
    const QString current = key.attribute(attribute);
    if (isToggle(column) && value != QLatin1String("Yes") && value != QLatin1String("No"))
        return false;
    // A direction the list does not offer (say "Cut") may stay as it is.
    if (column == PageDirColumn && !pageDirChoices().contains(value) && value != current)
        return false;
    if (value == current) // a key without an element shows empty texts: nothing to make
        return true;
    if (key.isNull())
        key = makeKey(cell);
    if (key.isNull() || !key.setAttribute(attribute, value)) {
        logReport("Failed to set the attribute %s with value %s.  DlgDisplayProfCfg::SetCell  Error:%s",
                  attribute, value, errorDescription(m_doc.lastError()));
        return false;
    }
    m_modified = true;
    return true;
}

bool ProfileEditor::toggle(Cell cell, int column)
{
    if (!isToggle(column))
        return false;
    return setText(cell, column,
                   text(cell, column) == QLatin1String("Yes") ? QStringLiteral("No") : QStringLiteral("Yes"));
}

// --- actions -------------------------------------------------------------------------------------

QString ProfileEditor::summary(const ProfileAction& a)
{
    QString s = QStringLiteral("Sign:%1;Mode:%2;").arg(a.sign, a.mode);
    // The display controller reads the mode as a number: empty is 0.
    const int mode = leadingInt(a.mode);
    if (mode == 2)
        s += QStringLiteral("Frame:%1;").arg(a.frame);
    else if (mode == 0)
        s += QStringLiteral("Drive:%1;Library:%2;Sequence:%3;").arg(a.drive, a.library, a.sequence);
    return s + QStringLiteral("Message:%1;").arg(a.message);
}

bool ProfileEditor::hasAction(Cell cell, ActionKind kind) const
{
    return !keyNode(cell).firstChildElement(actionElement(kind)).isNull();
}

ProfileAction ProfileEditor::action(Cell cell, ActionKind kind) const
{
    const XmlNode node = keyNode(cell).firstChildElement(actionElement(kind));
    if (node.isNull())
        return {};
    for (const char* attr : kActionAttributes) {
        if (!node.hasAttribute(QString::fromLatin1(attr))) {
            logReport("Failed to get the attributes.  CDlgDisplyProfRTDOptions::OnInitDlg  XML:%s",
                      node.xml());
            break;
        }
    }
    return readAction(node);
}

bool ProfileEditor::setAction(Cell cell, ActionKind kind, const ProfileAction& action)
{
    if (!isOpen() || eventNames().value(cell.event).isEmpty() || DisplayKeys::text(cell.key).isEmpty())
        return false;
    XmlNode key = keyNode(cell);
    XmlNode node = key.firstChildElement(actionElement(kind));
    const auto fail = [&] {
        logReport("Failed to get the attributes.  CDlgDisplyProfRTDOptions::OnBtnOk  XML:%s",
                  node.isNull() ? key.xml() : node.xml());
        return false;
    };
    if (node.isNull()) {
        if (key.isNull())
            key = makeKey(cell);
        if (key.isNull())
            return fail();
        XmlNode made = m_doc.createElement(actionElement(kind));
        for (const char* attr : kActionAttributes)
            if (!made.setAttribute(QString::fromLatin1(attr), QString()))
                return fail();
        node = key.appendChild(made);
        if (node.isNull())
            return fail();
        m_modified = true;
    }
    ProfileAction wanted = action;
    wanted.times = node.attribute(QStringLiteral("times")); // the repeat count is not edited here
    for (int i = 0; i < 8; ++i) {
        const QString attr = QString::fromLatin1(kActionAttributes[i]);
        const QString value = *actionField(wanted, i);
        if (node.hasAttribute(attr) && node.attribute(attr) == value)
            continue;
        if (!node.setAttribute(attr, value))
            return fail();
        m_modified = true;
    }
    return true;
}
