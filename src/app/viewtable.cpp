#include "viewtable.h"

namespace ViewTable {

namespace {
const Entry kViews[] = {
    {RodeoSetup, "Rodeo Setup", "CViewRodeoSetup"},
    {ContestantEntry, "Contestant Entry", "CViewContEntry"},
    {StockEntry, "Stock Entry", "CViewStockEntry"},
    {Import, "Import File", "CViewImport"},
    {PerformanceEntry, "Performance Entry", "CViewRegEntry"},
    {RunPerformance, "Run Performance", "CViewRunPerf"},
    {BoxEntry, "Box Entry", "CViewBoxEntry"},
    {Reports, "Reports", "CViewReports"},
};
} // namespace

const Entry* workViews(int* count)
{
    if (count)
        *count = static_cast<int>(sizeof(kViews) / sizeof(kViews[0]));
    return kViews;
}

bool isWorkView(int id)
{
    return id >= First && id <= Last;
}

bool isView(int id)
{
    return id == Logo || isWorkView(id);
}

QString caption(int id)
{
    for (const Entry& e : kViews)
        if (e.id == id)
            return QString::fromLatin1(e.caption);
    return QString();
}

QString className(int id)
{
    for (const Entry& e : kViews)
        if (e.id == id)
            return QString::fromLatin1(e.className);
    return QString();
}

int idForClassName(const QString& name)
{
    for (const Entry& e : kViews)
        if (name == QLatin1String(e.className))
            return e.id;
    return RodeoSetup;
}

} // namespace ViewTable
