#include "filemgr.h"

#include "builtinprofiles.h"
#include "datafolder.h"
#include "log.h"
#include "platform/errortext.h"
#include "textnumber.h"
#include "unreadablefile.h"

#include <QDir>
#include <QFileInfo>
#include <utility>

namespace {

const char* const kStateTemplate = ":/xml/tallyra.xml";
const char* const kIoTemplate = ":/xml/io.xml";

// Profiles we ship, and what each is made from.
struct BuiltInProfile
{
    const char* fileName;
    BuiltInProfiles::Kind kind;
};
const BuiltInProfile kProfiles[] = {
    {"ProfileDefault.rpf", BuiltInProfiles::Kind::Default},
    {"ProfilePlaySeq.rpf", BuiltInProfiles::Kind::PlaySequence},
};

int profileVersion(const XmlDocument& doc)
{
    const XmlNode v = doc.selectSingleNode(QStringLiteral("Profile/@version"));
    return v.isNull() ? 0 : leadingInt(v.text());
}

} // namespace

FileMgr::FileMgr(const QString& dataFolder) : m_dataFolder(dataFolder)
{
    if (!m_dataFolder.isEmpty() && !m_dataFolder.endsWith(QLatin1Char('/')))
        m_dataFolder += QLatin1Char('/');
}

FileMgr::~FileMgr()
{
    // Nothing else writes the state file; a failure here cannot be reported.
    SaveCfg();
}

bool FileMgr::SaveCfg() const
{
    // A state document without content (its file could not be read) is not
    // written: that would replace whatever is on disk with nothing.
    if (!m_hasState || m_state.isEmpty())
        return false;
    return m_state.save(stateFilePath());
}

bool FileMgr::Create()
{
    if (!DataFolder::ensureExists(m_dataFolder))
        return false;
    for (const BuiltInProfile& p : kProfiles)
        installProfile(QString::fromLatin1(p.fileName), static_cast<int>(p.kind));
    LoadCfg();
    installDefaultIo();
    return true;
}

void FileMgr::installProfile(const QString& fileName, int kind)
{
    XmlDocument builtIn;
    if (!BuiltInProfiles::build(static_cast<BuiltInProfiles::Kind>(kind), builtIn)) {
        logReport("Failed to load the profile xml.  FileMgr::Create");
        return;
    }
    const int builtInVersion = profileVersion(builtIn);

    const QString path = m_dataFolder + fileName;
    if (QFileInfo::exists(path)) {
        XmlDocument existing;
        if (existing.loadFile(path) == XmlDocument::LoadStatus::Ok) {
            if (profileVersion(existing) >= builtInVersion)
                return; // the operator's edited copy is kept
        } else {
            // Whatever the operator had in it stays on disk beside the new one.
            QString error;
            const QString kept = UnreadableFile::keep(path, error);
            if (kept.isEmpty()) {
                logReport("Failed to keep the unreadable profile.  FileMgr::Create  Path:%s, Error:%s", path,
                          errorDescription(error));
                return;
            }
            m_notices << QStringLiteral(
                             "The display profile \"%1\" could not be read (%2). It was kept as \"%3\" "
                             "and the built-in profile was put in its place.")
                             .arg(path, existing.lastError(), kept);
        }
    }
    if (!builtIn.save(path))
        logReport("Failed to save the profile.  FileMgr::Create  Path:%s, Error:%s", path,
                  errorDescription(builtIn.lastError()));
}

QStringList FileMgr::takeNotices()
{
    return std::exchange(m_notices, {});
}

void FileMgr::installDefaultIo()
{
    const QString path = m_dataFolder + QStringLiteral("IO.xml");
    if (QFileInfo::exists(path))
        return; // never replaced, whatever it holds
    XmlDocument io;
    if (!io.load(QString::fromLatin1(kIoTemplate))) {
        logReport("Failed to load the io xml.  FileMgr::Create");
        return;
    }
    if (!io.save(path))
        logReport("Failed to save the io xml.  FileMgr::Create  Path:%s, Error:%s", path,
                  errorDescription(io.lastError()));
}

bool FileMgr::LoadCfg()
{
    const QString path = stateFilePath();
    const bool exists = QFileInfo::exists(path);
    QString fileVersion;
    if (exists) {
        m_state = XmlDocument();
        m_hasState = true;
        if (m_state.loadFile(path) == XmlDocument::LoadStatus::Unreadable) {
            logReport("Failed to load the rodeo configuration file.  FileMgr::LoadCfg  Path:%s, Error:%s",
                      path, errorDescription(m_state.lastError()));
            return false;
        }
        // A text that is not well-formed gets no version, so the template
        // replaces it below; the operator's file is kept aside first.
        if (m_state.isEmpty()) {
            QString error;
            const QString kept = UnreadableFile::keep(path, error);
            if (kept.isEmpty()) {
                logReport(
                    "Failed to keep the unreadable configuration file.  FileMgr::LoadCfg  Path:%s, Error:%s",
                    path, errorDescription(error));
                return false;
            }
            m_notices << QStringLiteral(
                             "The program's settings file \"%1\" could not be read (%2). It was kept as "
                             "\"%3\" and the settings start afresh.")
                             .arg(path, m_state.lastError(), kept);
        }
        GetCfgAtt(fileVersion, 0, QStringLiteral("version"));
    }

    XmlDocument templ;
    if (!templ.load(QString::fromLatin1(kStateTemplate))) {
        logReport("Failed to load the default rodeo config file.  FileMgr::LoadCfg");
        return false;
    }
    const XmlNode versionNode = templ.selectSingleNode(cfgXPath(0, QStringLiteral("version"), {}, {}));
    if (versionNode.isNull()) {
        logReport("Failed to get the version node.  FileMgr::LoadCfg  Error:%s",
                  errorDescription(templ.lastError()));
        return false;
    }

    if (!exists || fileVersion != versionNode.text()) {
        m_state = std::move(templ);
        m_hasState = true;
        if (!m_state.save(path)) {
            logReport("Failed to save the rodeo config file.  FileMgr::LoadCfg  Path:%s, Error:%s", path,
                      errorDescription(m_state.lastError()));
            return false;
        }
    } else {
        // Attributes and elements the template has gained since the file was
        // written are added with their defaults; what the file holds stays.
        addMissingDefaults(templ.root(), m_state.root());
    }
    return true;
}

void FileMgr::addMissingDefaults(const XmlNode& from, XmlNode to)
{
    if (from.isNull() || to.isNull())
        return;
    for (const XmlNode& a : from.attributes())
        if (!to.hasAttribute(a.name()))
            to.setAttribute(a.name(), a.text());
    for (const XmlNode& child : from.childElements()) {
        const XmlNode held = to.firstChildElement(child.name());
        if (held.isNull())
            to.appendChild(child); // an element the template gained: copied with its defaults
        else
            addMissingDefaults(child, held);
    }
}

void FileMgr::changed()
{
    if (m_onChange)
        m_onChange();
}

QString FileMgr::cfgXPath(int level, const QString& attr, const QString& elem1, const QString& elem2)
{
    switch (level) {
    case 0:
        return formatMessage("./child::node()/@%s", attr);
    case 1:
        return formatMessage(".//Frame/@%s", attr);
    case 2:
        return formatMessage(".//Frame/%s/@%s", elem1, attr);
    case 3:
        return formatMessage(".//Frame/%s/%s/@%s", elem1, elem2, attr);
    default:
        return QString();
    }
}

bool FileMgr::GetCfgAtt(QString& value, int level, const QString& attr, const QString& elem1,
                        const QString& elem2) const
{
    if (!m_hasState)
        return false;
    value.clear();
    const QString xpath = cfgXPath(level, attr, elem1, elem2);
    const XmlNode node = xpath.isEmpty() ? XmlNode() : m_state.selectSingleNode(xpath);
    if (node.isNull()) {
        logReport("Failed to get the control node.  FileMgr::GetCfgAtt  XPath:%s, Error:%s", xpath,
                  errorDescription(m_state.lastError()));
        return false;
    }
    if (node.kind() != XmlNode::Kind::Attribute) {
        logReport("Failed to get the value of the attribute.  FileMgr::GetCfgAtt  Error:%s",
                  errorDescription(m_state.lastError()));
        return false;
    }
    value = node.text();
    return true;
}

bool FileMgr::SetCfgAtt(const QString& value, int level, const QString& attr, const QString& elem1,
                        const QString& elem2)
{
    if (!m_hasState)
        return false;
    const QString xpath = cfgXPath(level, attr, elem1, elem2);
    XmlNode node = xpath.isEmpty() ? XmlNode() : m_state.selectSingleNode(xpath);
    if (node.isNull()) {
        logReport("Failed to get the node.  FileMgr::SetCfgAtt  XPath:%s, Error:%s", xpath,
                  errorDescription(m_state.lastError()));
        return false;
    }
    if (node.kind() != XmlNode::Kind::Attribute) {
        logReport("Failed to set the attribute.  FileMgr::SetCfgAtt  Error:%s",
                  errorDescription(m_state.lastError()));
        return false;
    }
    if (node.text() == value)
        return true;
    if (!node.setText(value)) {
        logReport("Failed to set the attribute.  FileMgr::SetCfgAtt  Error:%s",
                  errorDescription(m_state.lastError()));
        return false;
    }
    changed();
    return true;
}

namespace {

QString sizeXPath(int level, const QString& elem1, const QString& elem2)
{
    if (level == 1)
        return QStringLiteral(".//Frame");
    if (level == 3)
        return formatMessage(".//Frame/%s/%s", elem1, elem2);
    return QString();
}

} // namespace

bool FileMgr::GetSize(WindowRect& rect, int level, const QString& elem1, const QString& elem2) const
{
    rect = WindowRect();
    if (!m_hasState)
        return false;
    const QString xpath = sizeXPath(level, elem1, elem2);
    const XmlNode node = xpath.isEmpty() ? XmlNode() : m_state.selectSingleNode(xpath);
    if (node.isNull()) {
        logReport("Failed to get the node.  FileMgr::GetSize  XPath:%s, Error:%s", xpath,
                  errorDescription(m_state.lastError()));
        return false;
    }
    if (node.kind() != XmlNode::Kind::Element) {
        logReport("Failed to get the attributes.  FileMgr::GetSize  Error:%s",
                  errorDescription(m_state.lastError()));
        return false;
    }
    auto side = [&node](const char* name) {
        const QString text = node.attribute(QString::fromLatin1(name)).trimmed();
        return text.isEmpty() ? 0 : leadingInt(text);
    };
    rect.left = side("left");
    rect.right = side("right");
    rect.top = side("top");
    rect.bottom = side("bottom");
    return true;
}

bool FileMgr::SetSize(const WindowRect& rect, int level, const QString& elem1, const QString& elem2)
{
    if (rect.isEmpty())
        return false;
    if (!m_hasState)
        return false;
    const QString xpath = sizeXPath(level, elem1, elem2);
    XmlNode node = xpath.isEmpty() ? XmlNode() : m_state.selectSingleNode(xpath);
    if (node.isNull()) {
        logReport("Failed to get the node.  FileMgr::SetSize  XPath:%s, Error:%s", xpath,
                  errorDescription(m_state.lastError()));
        return false;
    }
    if (node.kind() != XmlNode::Kind::Element) {
        logReport("Failed to get the attributes.  FileMgr::SetSize  Error:%s",
                  errorDescription(m_state.lastError()));
        return false;
    }
    // The state file holds only the attributes of its template: one that is
    // missing is skipped, never created.
    const std::pair<const char*, int> sides[] = {
        {"left", rect.left}, {"right", rect.right}, {"top", rect.top}, {"bottom", rect.bottom}};
    bool differs = false;
    for (const auto& [name, v] : sides) {
        const QString attr = QString::fromLatin1(name);
        if (node.hasAttribute(attr) && node.attribute(attr) != QString::number(v)) {
            node.setAttribute(attr, QString::number(v));
            differs = true;
        }
    }
    if (differs)
        changed();
    return true;
}

void FileMgr::GetRules(QStringList& rules)
{
    rules.clear();
    rules << QStringLiteral("PRCA") << QStringLiteral("College");
}

QStringList FileMgr::GetProfileNames() const
{
    QStringList names;
    const QFileInfoList files =
        QDir(m_dataFolder)
            .entryInfoList({QStringLiteral("*.rpf")}, QDir::Files | QDir::CaseSensitive, QDir::Name);
    for (const QFileInfo& f : files)
        names << f.completeBaseName();
    return names;
}
