// The current display profile: loading it and answering the Run Performance
// view's display buttons.
#include "displaykeys.h"
#include "filemgr.h"
#include "log.h"
#include "platform/errortext.h"
#include "textnumber.h"

namespace {

// Elements are matched by comparing attributes here rather than by splicing
// names into an XPath text, so no name can break the query.
XmlNode childWithAttribute(const XmlNode& parent, const QString& element, const QString& attribute,
                           const QString& value)
{
    for (const XmlNode& child : parent.childElements())
        if (child.localName() == element && child.attribute(attribute) == value)
            return child;
    return XmlNode();
}

XmlNode eventNode(const XmlNode& root, const QString& profileEvent)
{
    return childWithAttribute(root, QStringLiteral("Event"), QStringLiteral("name"), profileEvent);
}

} // namespace

bool FileMgr::SetCurProf(const QString& name)
{
    m_profile = XmlDocument();
    m_profileName = name;
    m_profileSettings = DisplayProfileSettings();
    const QString path = profilePath(name);
    if (name.isEmpty() || !m_profile.load(path)) {
        logReport("Failed to load the profile.  FileMgr::SetCurProf  Path:%s, Error:%s", path,
                  errorDescription(m_profile.lastError()));
        m_profile = XmlDocument();
        return false;
    }
    const XmlNode root = m_profile.root();
    if (root.isNull() || root.localName() != QLatin1String("Profile")) {
        logReport("Failed to get the profile node.  FileMgr::SetCurProf  XPath:%s, Error:%s",
                  QStringLiteral("Profile"), errorDescription(m_profile.lastError()));
        m_profile = XmlDocument();
        return false;
    }
    if (root.attributes().isEmpty()) {
        logReport("Failed to get the profile attributes.  FileMgr::SetCurProf  Node:%s, Error:%s",
                  QStringLiteral("Profile"), errorDescription(m_profile.lastError()));
        return false;
    }
    bool ok = true;
    for (const char* attr : {"display", "teamdisplay", "paging"}) {
        if (!root.hasAttribute(QString::fromLatin1(attr))) {
            logReport("Failed to get the %s attribute.  FileMgr::SetCurProf  Error:%s",
                      QString::fromLatin1(attr), errorDescription(QString()));
            ok = false;
        }
    }
    m_profileSettings.display = root.attribute(QStringLiteral("display"));
    m_profileSettings.teamDisplay = root.attribute(QStringLiteral("teamdisplay"));
    m_profileSettings.paging = static_cast<int>(leadingInt(root.attribute(QStringLiteral("paging"))));
    return ok;
}

QStringList FileMgr::GetKeyCaptions(const QString& profileEvent) const
{
    QStringList captions(DisplayKeys::Count);
    const XmlNode event = eventNode(m_profile.root(), profileEvent);
    for (const XmlNode& key : event.childElements()) {
        if (key.localName() != QLatin1String("FunctionKey"))
            continue;
        const int index = DisplayKeys::index(key.attribute(QStringLiteral("sequence")));
        if (index >= 0)
            captions[index] = key.attribute(QStringLiteral("name"));
    }
    return captions;
}

XmlNode FileMgr::DisplayButtonPressed(const QString& profileEvent, const QString& keyText) const
{
    // Keys match by their index, so "ctrl+f5" in a hand-edited file is CTRL+F5.
    const int wanted = DisplayKeys::index(keyText);
    XmlNode key;
    if (wanted >= 0) {
        for (const XmlNode& k : eventNode(m_profile.root(), profileEvent).childElements()) {
            if (k.localName() == QLatin1String("FunctionKey") &&
                DisplayKeys::index(k.attribute(QStringLiteral("sequence"))) == wanted) {
                key = k;
                break;
            }
        }
    }
    if (key.isNull())
        logReport(
            "Failed to get the display button node.  FileMgr::DisplayButtonPressed  XPath:%s",
            QStringLiteral("//Event[@name = '%1']/FunctionKey[@sequence = '%2']").arg(profileEvent, keyText));
    return key;
}
