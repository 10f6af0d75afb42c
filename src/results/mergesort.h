#pragma once

#include <cstddef>
#include <utility>
#include <vector>

// A stable top-down merge sort driven only by a "goes before" predicate.
//
// Several standing orders are not strict weak orderings (two entries without a
// result can each "go before" the other), which makes std::sort and
// std::stable_sort undefined. This merge never relies on the predicate being
// consistent: the merge takes from the right run only when the right element
// goes before the left one, so the result is always a permutation of the input
// and elements that compare equal keep their order.
template <typename T, typename Before> void StableMergeSort(std::vector<T>& items, Before before)
{
    const std::size_t n = items.size();
    if (n < 2)
        return;
    std::vector<T> buffer(n);

    // Sorts items[lo, hi) using buffer[lo, hi) as scratch space.
    auto sortRange = [&](auto&& self, std::size_t lo, std::size_t hi) -> void {
        if (hi - lo < 2)
            return;
        const std::size_t mid = lo + (hi - lo) / 2;
        self(self, lo, mid);
        self(self, mid, hi);
        std::size_t i = lo;
        std::size_t j = mid;
        std::size_t out = lo;
        while (i < mid && j < hi) {
            if (before(items[j], items[i]))
                buffer[out++] = std::move(items[j++]);
            else
                buffer[out++] = std::move(items[i++]);
        }
        while (i < mid)
            buffer[out++] = std::move(items[i++]);
        while (j < hi)
            buffer[out++] = std::move(items[j++]);
        for (std::size_t k = lo; k < hi; ++k)
            items[k] = std::move(buffer[k]);
    };
    sortRange(sortRange, 0, n);
}
