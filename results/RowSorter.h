#pragma once

#include "results/RowStore.h"

#include <cstdint>
#include <span>
#include <vector>

namespace nuvero {

// The results list's sort (ListView1Compare) over the row store, without the model around
// it: key = Path for column 0, else the cell of that column (ResultColumns.h), compared by
// textcompare; an empty key becomes " " in the row itself first; descending reverses the
// order; rows with equal keys keep their order in both directions, so repeated sorts do
// not shuffle them. Runs on the window's thread, which owns the store.
class RowSorter {
public:
    struct Result {
        // Some row's empty key was set to " ": the column's cells changed.
        bool filled = false;
        // For every display position after the sort, the row's display position before
        // it. Empty when there was nothing to order (fewer than two rows).
        std::vector<std::uint32_t> from;
    };

    // order lists the store's slots in display order; slots not in it (removed rows) are
    // neither read nor changed.
    static Result sort(RowStore& store, std::span<const std::uint32_t> order, int column, bool descending);
};

} // namespace nuvero
