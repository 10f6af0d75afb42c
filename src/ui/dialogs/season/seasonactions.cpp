#include "seasonactions.h"

#include "app/userprompt.h"
#include "db/databasemanager.h"

#include <QComboBox>
#include <algorithm>

namespace SeasonActions {

QString invalidNameMessage()
{
    return QStringLiteral("The title cannot be \".\" or \"..\", nor begin or end with a blank!");
}

QString openSeason(const CDatabaseManager& db)
{
    return db.isRodeoOpen() ? db.GetSeasonName() : QString();
}

QStringList sorted(QStringList names)
{
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int c = QString::compare(a, b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

QStringList seasons(const CDatabaseManager& db)
{
    QStringList names;
    db.EnumSeasons(names);
    return sorted(names);
}

void fillCombo(QComboBox* combo, const QStringList& names)
{
    combo->clear();
    combo->addItems(sorted(names));
    combo->setCurrentIndex(-1);
}

bool createSeason(CDatabaseManager& db, UserPrompt& prompt, const SeasonInfo& values)
{
    if (values.name.isEmpty() || values.profile.isEmpty() || values.rule.isEmpty()) {
        prompt.inform(QStringLiteral("Please Enter All The Information Required!"));
        return false;
    }
    if (seasons(db).contains(values.name)) {
        prompt.inform(QStringLiteral("The season already exists!"));
        return false;
    }
    if (!CDatabaseManager::IsValidSeasonName(values.name)) {
        prompt.inform(invalidNameMessage());
        return false;
    }
    if (!db.CreateSeason(values.name, values.profile, values.rule)) {
        // The reason is in the log; the operator must still learn that nothing was made.
        prompt.inform(QStringLiteral("Creating Season Database Failed!"));
        return false;
    }
    return true;
}

} // namespace SeasonActions
