#pragma once

#include <QString>

// Opens a rodeo on behalf of the dialogs that choose one (the main window).
class RodeoActivator
{
public:
    virtual ~RodeoActivator() = default;
    virtual bool ActivateRodeo(const QString& season, const QString& rodeo) = 0;
};
