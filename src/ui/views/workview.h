#pragma once

#include <QWidget>

// A page of the main window's stacked view area. Views hold no data of their
// own beyond their selections: they reload from the open rodeo when asked.
class CWorkView : public QWidget
{
    Q_OBJECT
public:
    CWorkView(int viewId, QWidget* parent = nullptr) : QWidget(parent), m_viewId(viewId) {}

    int viewId() const { return m_viewId; }

    // The main window's "update all views" call: hint 0 means everyone,
    // otherwise only the view whose id it carries reloads.
    void OnUpdate(int hint)
    {
        if (hint == 0 || hint == m_viewId)
            reload();
    }

    // Becoming the visible view, and leaving it.
    virtual void activated() {}
    virtual void deactivated() {}
    // The rodeo is about to change (another opens, it closes, the program
    // ends): edits the view still holds are saved or dropped now.
    virtual void settlePendingEdits() {}

    // How many times the view has reloaded (for diagnostics and tests).
    int reloadCount() const { return m_reloads; }

protected:
    virtual void reload() { ++m_reloads; }

private:
    int m_viewId;
    int m_reloads = 0;
};
