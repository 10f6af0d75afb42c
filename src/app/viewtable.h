#pragma once

#include <QString>

// The program's views and the command ids that name them everywhere: menus,
// tabs, the state file's "curView", refresh hints.
namespace ViewTable {

constexpr int Logo = 32800; // the logo page, shown while no rodeo is open
constexpr int RodeoSetup = 32801;
constexpr int ContestantEntry = 32802;
constexpr int StockEntry = 32803;
constexpr int Import = 32804;
constexpr int PerformanceEntry = 32805;
constexpr int RunPerformance = 32806;
constexpr int BoxEntry = 32807;
constexpr int Reports = 32808;

constexpr int First = RodeoSetup;
constexpr int Last = Reports;

struct Entry
{
    int id;
    const char* caption;   // menu and tab caption
    const char* className; // the name written to "curView"
};

// The eight work views in menu and tab order.
const Entry* workViews(int* count);

bool isWorkView(int id);
bool isView(int id); // the logo page or a work view
QString caption(int id);
QString className(int id); // empty for the logo page and unknown ids
// The view named by a class name; any other text, the empty text included,
// gives Rodeo Setup.
int idForClassName(const QString& className);

// Each view's child id: the first pane id plus its distance from the logo page.
constexpr int FirstPaneId = 59648;
constexpr int childId(int viewId)
{
    return FirstPaneId + (viewId - Logo);
}

} // namespace ViewTable
