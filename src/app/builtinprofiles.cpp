#include "builtinprofiles.h"

#include "displaykeys.h"
#include "platform/xml/xmldocument.h"

#include <initializer_list>

namespace BuiltInProfiles {

namespace {

enum EventKind { Scored, Timed, TeamTimed, NoKeys };

struct EventDesc
{
    const char* name;
    EventKind kind;
    int graphicFrame;   // frame of its "Event Graphic" action
    bool custom;        // custom events show their graphic like any other frame
    bool shortPageBack; // "Page Back" rather than "Page Backward" (scored events)
};

const EventDesc kEvents[] = {
    {"Bareback", Scored, 7, false, false},       {"Barrel Racing", Timed, 6, false, true},
    {"Break Away", Timed, 12, false, true},      {"Bull Fighting", Scored, 11, false, true},
    {"Bull Riding", Scored, 9, false, true},     {"Cutting", NoKeys, 0, false, false},
    {"Goat Tying", Timed, 13, false, true},      {"Saddle Bronc", Scored, 8, false, true},
    {"Steer Roping", Timed, 10, false, true},    {"Steer Wrestling", Timed, 4, false, true},
    {"Team Penning", TeamTimed, 1, false, true}, {"Team Roping", TeamTimed, 5, false, true},
    {"Tie Down Roping", Timed, 3, false, true},  {"Custom Score", Scored, 7, true, false},
    {"Custom Time", Timed, 6, true, true},
};

enum Flag { No, Yes, Absent };

struct KeyDesc
{
    int key; // display key index
    QString name;
    Flag display;
    Flag holding;
    Flag announcer;
    QString pageDir;
    int resultFrame; // 0: no Result action
    int timerFrame;  // 0: no Timer action
};

QString flagText(Flag f)
{
    return f == Yes ? QStringLiteral("Yes") : QStringLiteral("No");
}

// The keys of one event, F2 to F12 and CTRL+F2, as the default profile has them.
QList<KeyDesc> keysOf(const EventDesc& e)
{
    if (e.kind == NoKeys)
        return {};
    const bool timed = e.kind != Scored;
    const bool team = e.kind == TeamTimed;
    const Flag held = timed ? No : Yes; // timed results are not held on the board
    const QString back = e.shortPageBack ? QStringLiteral("Page Back") : QStringLiteral("Page Backward");
    QList<KeyDesc> keys;
    if (timed)
        keys << KeyDesc{0, QStringLiteral("Logo"), No, No, No, QString(), 2, 0};
    else
        keys << KeyDesc{0, QStringLiteral("Run Time"), Yes, Yes, Yes, QString(), 20, 0};
    keys << KeyDesc{1, QStringLiteral("Announcer"), No, No, Yes, QString(), 0, 0};
    keys << KeyDesc{2, QStringLiteral("Event Text"), No, No, No, QString(), 14, 0};
    keys << KeyDesc{3, QStringLiteral("Curr Profile"), Yes, No, Yes, QString(), team ? 16 : 15, 0};
    if (timed)
        keys << KeyDesc{4, QStringLiteral("Curr Time"), Yes, No, Yes, QString(), 19, 18};
    else
        keys << KeyDesc{4, QStringLiteral("Curr Score"), Yes, Yes, Yes, QString(), 17, 0};
    keys << KeyDesc{5,
                    QStringLiteral("Curr GR"),
                    Yes,
                    held,
                    Yes,
                    QString(),
                    team ? 28 : (timed ? 22 : 20),
                    team ? 27 : (timed ? 21 : 0)};
    keys << KeyDesc{6,
                    QStringLiteral("Curr Avg"),
                    Yes,
                    held,
                    Yes,
                    QString(),
                    team ? 30 : 24,
                    team ? 29 : (timed ? 23 : 0)};
    keys << KeyDesc{7, QStringLiteral("GR Leaders"), No, No, No, QStringLiteral("Top"), team ? 31 : 25, 0};
    keys << KeyDesc{8, QStringLiteral("Avg Leaders"), No, No, No, QStringLiteral("Top"), team ? 32 : 26, 0};
    keys << KeyDesc{9, back, No, No, No, QStringLiteral("Backward"), 0, 0};
    keys << KeyDesc{10, QStringLiteral("Page Fwd"), No, No, No, QStringLiteral("Forward"), 0, 0};
    keys << KeyDesc{
        11, QStringLiteral("Event Graphic"), No, e.custom ? No : Absent, No, QString(), e.graphicFrame, 0};
    return keys;
}

struct Action
{
    int frame;
    QString drive;
    QString library;
    QString sequence;
};

bool setAttributes(XmlNode& node, std::initializer_list<std::pair<const char*, QString>> attributes)
{
    for (const auto& [name, value] : attributes)
        if (!node.setAttribute(QString::fromLatin1(name), value))
            return false;
    return true;
}

bool appendAction(XmlDocument& doc, XmlNode& key, const char* element, const Action& a, Kind kind)
{
    XmlNode node = doc.createElement(QString::fromLatin1(element));
    const bool playSequence = kind == Kind::PlaySequence;
    const bool ok =
        setAttributes(node, {{"sign", QStringLiteral("1")},
                             {"mode", playSequence ? QStringLiteral("0") : QStringLiteral("2")},
                             {"times", QString()},
                             {"frame", QString::number(a.frame)},
                             {"drive", playSequence ? QStringLiteral("C") : a.drive},
                             {"library", playSequence ? QStringLiteral("Rodeo") : a.library},
                             {"sequence", playSequence ? QStringLiteral("Frame%1").arg(a.frame) : a.sequence},
                             {"message", QString()}});
    return ok && !key.appendChild(node).isNull();
}

bool appendKey(XmlDocument& doc, XmlNode& event, const EventDesc& e, const KeyDesc& k, Kind kind)
{
    XmlNode key = doc.createElement(QStringLiteral("FunctionKey"));
    bool ok = setAttributes(
        key, {{"sequence", DisplayKeys::text(k.key)}, {"name", k.name}, {"display", flagText(k.display)}});
    if (ok && k.holding != Absent)
        ok = key.setAttribute(QStringLiteral("holding"), flagText(k.holding));
    ok = ok && setAttributes(key, {{"announcer", flagText(k.announcer)}, {"pagedir", k.pageDir}});
    if (!ok)
        return false;

    // The event graphic of a standard event comes from the controller's own
    // library; everything else from the default library on drive C.
    const bool graphic = k.key == 11 && !e.custom;
    const Action usual{0, QStringLiteral("C"), QStringLiteral("Default"), QString()};
    if (k.resultFrame > 0) {
        Action a =
            graphic ? Action{0, QStringLiteral("D"), QStringLiteral("RTD"), QStringLiteral("Rodeo")} : usual;
        a.frame = k.resultFrame;
        if (!appendAction(doc, key, "Result", a, kind))
            return false;
    }
    if (k.timerFrame > 0) {
        Action a = usual;
        a.frame = k.timerFrame;
        if (!appendAction(doc, key, "Timer", a, kind))
            return false;
    }
    return !event.appendChild(key).isNull();
}

} // namespace

QStringList eventNames()
{
    QStringList names;
    for (const EventDesc& e : kEvents)
        names << QString::fromLatin1(e.name);
    return names;
}

bool build(Kind kind, XmlDocument& doc)
{
    XmlNode root = doc.setRoot(QStringLiteral("Profile"));
    if (root.isNull())
        return false;
    bool ok = root.setAttribute(QStringLiteral("name"), kind == Kind::PlaySequence
                                                            ? QStringLiteral("PlaySequenceDefault")
                                                            : QStringLiteral("Default"));
    if (kind != Kind::Blank)
        ok = ok && root.setAttribute(QStringLiteral("version"),
                                     kind == Kind::PlaySequence ? QStringLiteral("4") : QStringLiteral("3"));
    ok = ok && setAttributes(root, {{"display", QStringLiteral("Last, First")},
                                    {"teamdisplay", QStringLiteral("Last/Last")},
                                    {"paging", QStringLiteral("4")}});
    for (const EventDesc& e : kEvents) {
        if (!ok)
            break;
        XmlNode event = doc.createElement(QStringLiteral("Event"));
        ok = event.setAttribute(QStringLiteral("name"), QString::fromLatin1(e.name));
        if (kind != Kind::Blank)
            for (const KeyDesc& k : keysOf(e))
                ok = ok && appendKey(doc, event, e, k, kind);
        ok = ok && !root.appendChild(event).isNull();
    }
    return ok;
}

} // namespace BuiltInProfiles
