#pragma once

#include <QStringList>

class XmlDocument;

// The display profiles the program ships, made from one description of the
// keys of every event:
// - Default ("ProfileDefault.rpf"): every action shows a stored frame;
// - PlaySequenceDefault ("ProfilePlaySeq.rpf"): the same keys, every action
//   playing the sequence "Frame<n>" of the library "Rodeo" instead;
// - Blank: the profile root and the events without any key.
namespace BuiltInProfiles {

enum class Kind { Default, PlaySequence, Blank };

// The events a profile holds keys for, in file order.
QStringList eventNames();

// Replaces doc's content with the profile. False only when the document
// refuses a node.
bool build(Kind kind, XmlDocument& doc);

} // namespace BuiltInProfiles
