#include "finalists.h"

QVector<EntryKey> ChooseFinalists(const std::vector<ResultRecord>& overall, int places)
{
    QVector<EntryKey> chosen;
    if (places <= 0)
        return chosen;
    const size_t cut = static_cast<size_t>(places);
    if (overall.size() > cut && overall[cut - 1].position > 0) {
        const qint16 tied = overall[cut - 1].position;
        for (size_t i = 0; i < overall.size() && (i < cut || overall[i].position == tied); ++i)
            chosen.append(overall[i].key);
        return chosen;
    }
    for (size_t i = 0; i < overall.size() && i < cut; ++i)
        if (overall[i].position > 0)
            chosen.append(overall[i].key);
    return chosen;
}
