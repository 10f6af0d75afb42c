#pragma once

#include "xmldocument.h"

#include <QList>

// Takes elements out of their document's tree for a while, for example so that
// a stylesheet given the document reads and indexes less of it, and puts each
// back exactly where it was when the object goes (the last taken first). Unlike
// removeChild and appendChild this touches nothing in the elements themselves,
// so it costs the same for a large subtree as for a small one. The tree must
// not be changed otherwise while elements are aside.
class XmlChildrenAside
{
public:
    XmlChildrenAside() = default;
    ~XmlChildrenAside();
    XmlChildrenAside(const XmlChildrenAside&) = delete;
    XmlChildrenAside& operator=(const XmlChildrenAside&) = delete;

    // Takes an element out of the tree; false for anything but an element
    // inside another (nothing is taken then).
    bool take(const XmlNode& element);

private:
    struct Taken
    {
        XmlNode node; // keeps its document alive
        void* parent;
        void* next; // the sibling it stood before; null when it was the last
    };
    QList<Taken> m_taken;
};
