#pragma once

#include <QString>

// The settings of a display profile that the outputs are formatted with.
struct DisplayProfileSettings
{
    QString display;     // contestant name format ("Last, First", ...)
    QString teamDisplay; // "Last/Last" or "Name"
    int paging = 0;      // leaders per page

    bool operator==(const DisplayProfileSettings&) const = default;
};
