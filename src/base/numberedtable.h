// Tables of rows numbered 0, 1, 2, … by an enumeration stored as its number (the map views, the
// update types): a row is found by its number, and a stored number with no row is told apart.
#pragma once

#include <array>
#include <cstddef>
#include <optional>

// True when row i of table has the number i, so that a number finds its row directly.
template <class Row, std::size_t N>
constexpr bool RowsInNumberOrder(const std::array<Row, N>& table)
{
    for (std::size_t i = 0; i < N; ++i)
        if (static_cast<std::size_t>(table[i].id) != i)
            return false;
    return true;
}

// The row numbered id, or nullopt for a number outside 0..N-1.
template <class Row, std::size_t N, class Id>
constexpr std::optional<Row> FindNumberedRow(const std::array<Row, N>& table, Id id)
{
    const auto index = static_cast<long long>(id);
    if (index < 0 || index >= static_cast<long long>(N))
        return std::nullopt;
    return table[static_cast<std::size_t>(index)];
}
