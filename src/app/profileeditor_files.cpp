// The display profile being edited: writing it (Save, Save As, Rename, New).
#include "filemgr.h"
#include "log.h"
#include "platform/errortext.h"
#include "profileeditor.h"

#include <QFile>
#include <utility>

void ProfileEditor::markWritten(const QString& name)
{
    if (!m_written.contains(name))
        m_written << name;
}

bool ProfileEditor::write(const QString& name, const char* failureFormat)
{
    const QString path = m_files.profilePath(name);
    if (!m_doc.save(path)) {
        m_lastError = m_doc.lastError();
        logReport(failureFormat, path, errorDescription(m_lastError));
        return false;
    }
    markWritten(name);
    return true;
}

ProfileEditor::Outcome ProfileEditor::save()
{
    if (!isOpen()) {
        m_lastError = QStringLiteral("No profile is open.");
        logReport("Failed to save the profile.  DlgDisplayProfCfg::OnBtnSave  Path:%s  Error:%s", QString(),
                  errorDescription(m_lastError));
        return Outcome::NoProfile;
    }
    if (!write(m_name, "Failed to save the profile.  DlgDisplayProfCfg::OnBtnSave  Path:%s  Error:%s"))
        return Outcome::WriteFailed;
    m_modified = false;
    return Outcome::Done;
}

ProfileEditor::Outcome ProfileEditor::saveAs(const QString& name)
{
    if (!isOpen()) {
        m_lastError = QStringLiteral("No profile is open.");
        return Outcome::NoProfile;
    }
    if (!isValidName(name)) {
        m_lastError = invalidNameMessage();
        logReport("Refused the profile name.  DlgDisplayProfCfg::OnBtnSaveAs  Name:%s", name);
        return Outcome::BadName;
    }
    // Replacing a profile of exactly this name is the caller's question; one
    // that differs only in case would make two profiles look the same.
    const QString existing = existingName(name);
    if (!existing.isEmpty() && existing != name) {
        m_lastError = QStringLiteral("The profile \"%1\" exists already.").arg(existing);
        logReport("Refused the profile name.  DlgDisplayProfCfg::OnBtnSaveAs  Name:%s", name);
        return Outcome::NameTaken;
    }
    if (!write(name, "Failed to save the profile.  DlgDisplayProfCfg::OnBtnSaveAs  Path:%s  Error:%s"))
        return Outcome::WriteFailed;
    m_name = name;
    m_modified = false;
    return Outcome::Done;
}

ProfileEditor::Outcome ProfileEditor::rename(const QString& newName)
{
    if (!isOpen()) {
        m_lastError = QStringLiteral("No profile is open.");
        return Outcome::NoProfile;
    }
    if (!isValidName(newName)) {
        m_lastError = invalidNameMessage();
        logReport("Refused the profile name.  DlgDisplayProfCfg::OnBtnRename  Name:%s", newName);
        return Outcome::BadName;
    }
    // Also refuses a change of case only: on a file system that ignores case,
    // removing the old file would remove the new one.
    const QString existing = existingName(newName);
    if (!existing.isEmpty()) {
        m_lastError = QStringLiteral("The profile \"%1\" exists already.").arg(existing);
        logReport("Refused the profile name.  DlgDisplayProfCfg::OnBtnRename  Name:%s", newName);
        return Outcome::NameTaken;
    }
    // The old file goes only once the new one is safely written.
    if (!write(newName, "Failed to save the profile.  DlgDisplayProfCfg::OnBtnRename  Path:%s  Error:%s"))
        return Outcome::WriteFailed;
    const QString oldPath = m_files.profilePath(m_name);
    m_name = newName;
    m_modified = false;
    QFile old(oldPath);
    if (old.exists() && !old.remove()) {
        m_lastError = old.errorString();
        logReport("Failed to delete the old profile.  DlgDisplayProfCfg::OnBtnRename  Path:%s  Error:%s",
                  oldPath, errorDescription(m_lastError));
        return Outcome::OldNotRemoved;
    }
    return Outcome::Done;
}

ProfileEditor::Outcome ProfileEditor::createNew(const QString& name, BuiltInProfiles::Kind start)
{
    if (!isValidName(name)) {
        m_lastError = invalidNameMessage();
        logReport("Refused the profile name.  DlgDisplayProfCfg::OnBtnNew  Name:%s", name);
        return Outcome::BadName;
    }
    const QString existing = existingName(name);
    if (!existing.isEmpty()) {
        m_lastError = QStringLiteral("The profile \"%1\" exists already.").arg(existing);
        logReport("Refused the profile name.  DlgDisplayProfCfg::OnBtnNew  Name:%s", name);
        return Outcome::NameTaken;
    }
    XmlDocument doc;
    const QString path = m_files.profilePath(name);
    if (!BuiltInProfiles::build(start, doc) || !doc.save(path)) {
        m_lastError = doc.lastError();
        logReport("Failed to create the profile.  DlgDisplayProfCfg::OnBtnNew  Path:%s  Error:%s", path,
                  errorDescription(m_lastError));
        return Outcome::WriteFailed;
    }
    markWritten(name);
    m_doc = std::move(doc);
    m_name = name;
    m_modified = false;
    m_lastError.clear();
    return Outcome::Done;
}
