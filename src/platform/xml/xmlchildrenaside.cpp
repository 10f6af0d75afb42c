#include "xmlchildrenaside.h"

#include "xmldocumentdata.h"

XmlChildrenAside::~XmlChildrenAside()
{
    // Each goes back in front of the sibling it stood before when it was
    // taken: in reverse order that sibling is back in its place already.
    for (auto it = m_taken.crbegin(); it != m_taken.crend(); ++it) {
        const auto node = static_cast<xmlNodePtr>(it->node.m_node);
        if (it->next)
            xmlAddPrevSibling(static_cast<xmlNodePtr>(it->next), node);
        else
            xmlAddChild(static_cast<xmlNodePtr>(it->parent), node);
    }
}

bool XmlChildrenAside::take(const XmlNode& element)
{
    const auto node = static_cast<xmlNodePtr>(element.m_node);
    if (!node || node->type != XML_ELEMENT_NODE || !node->parent || node->parent->type != XML_ELEMENT_NODE)
        return false;
    m_taken.append(Taken{element, node->parent, node->next});
    xmlUnlinkNode(node);
    return true;
}
