#pragma once

#include "results/resultrecord.h"

#include <QVector>
#include <vector>

// The entries that go to the final, from the overall standing in its order,
// for a final of `places` competitors: the first `places`, and with them
// everyone tied with the last of those at the cut. An entry without a
// position (no result yet) never qualifies, so a standing with fewer placed
// entries gives a smaller final.
QVector<EntryKey> ChooseFinalists(const std::vector<ResultRecord>& overall, int places);
