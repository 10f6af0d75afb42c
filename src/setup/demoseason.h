#pragma once

#include <QByteArray>
#include <QString>

class CDatabaseManager;

// The demo season a new user can open at once: a rodeo with a scored, a
// timed and a team event in two go-rounds and two performances, contestants,
// stock drawn, and results for part of the first go-round. It is made from a
// description (resources/demo/demo-season.xml) through the database
// manager's own operations, so it is a season like any other.
class DemoSeason
{
public:
    enum class Outcome { Created, Exists, Failed };

    explicit DemoSeason(CDatabaseManager& db) : m_db(db) {}

    // The built-in description.
    static QByteArray builtInDescription();
    // The season and rodeo names the description gives, and its first event.
    static bool names(const QByteArray& description, QString& season, QString& rodeo,
                      QString* firstEvent = nullptr);

    // Creates the season. A season of that name is never touched (Exists).
    // On a failure half-way the season made so far is deleted again; the
    // open rodeo is the demo's after Created.
    Outcome create(const QByteArray& description);
    QString lastError() const { return m_error; }

private:
    bool fail(const QString& text);

    CDatabaseManager& m_db;
    QString m_error;
};
