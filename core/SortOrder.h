#pragma once

#include <cstdint>

namespace torvel {

// The orders of the file list, each with the key it compares. How an order
// is shown and spelled (the sort box's item, the command line's word, its
// place in the settings file) is one row of the table of sort orders in
// session/SettingRows.cpp: a new order is a key here, its rule in
// sortKeyOf, and that row.
// Ties of the time and size orders: name ascending for newest and smallest
// first, name descending for oldest and largest first. Ties of the shooting
// date (equal to the sub-second): name ascending for oldest first, descending
// for newest first. Each order is the exact reverse of its partner.
enum class SortOrder : std::uint8_t
{
    NameUp,
    NameDown,
    NewestFirst,
    OldestFirst,
    SmallestFirst,
    LargestFirst,
    NaturalUp, // names with their digit runs compared as numbers
    NaturalDown,
    ShotOldestFirst, // the shooting date the file records, else its time stamp
    ShotNewestFirst,
};

// Whether the order is by name alone, as collated.
constexpr bool sortsByName(SortOrder order)
{
    return order == SortOrder::NameUp || order == SortOrder::NameDown;
}
// Whether the order compares names with their digit runs as numbers.
constexpr bool sortsNaturally(SortOrder order)
{
    return order == SortOrder::NaturalUp || order == SortOrder::NaturalDown;
}
// Whether the order needs the files' shooting dates.
constexpr bool sortsByShootingDate(SortOrder order)
{
    return order == SortOrder::ShotOldestFirst || order == SortOrder::ShotNewestFirst;
}

// What the list knows of one file when it sorts.
struct SortFacts
{
    std::int64_t time;      // last write, cut to its two-second step
    std::int64_t size;      // bytes
    std::int64_t own;       // the natural name rank or the shooting-date key
    std::uint32_t nameRank; // place in ascending name order
};

// One file's key under an order: the primary key, then the name rank, both
// already turned so that ascending order of (primary, secondary) is wanted.
struct SortKey
{
    std::int64_t primary;
    std::uint32_t secondary;
};

constexpr SortKey sortKeyOf(SortOrder order, const SortFacts& f)
{
    const std::uint32_t up = f.nameRank;
    const std::uint32_t down = ~f.nameRank;
    switch (order) {
    case SortOrder::NameDown:
        return {0, down};
    case SortOrder::NewestFirst:
        return {-f.time, up};
    case SortOrder::OldestFirst:
        return {f.time, down};
    case SortOrder::SmallestFirst:
        return {f.size, up};
    case SortOrder::LargestFirst:
        return {-f.size, down};
    case SortOrder::NaturalUp:
        return {f.own, up};
    case SortOrder::NaturalDown:
        return {-f.own, down};
    // Photos of one second keep the camera's order, which its names count
    // up: a run that numbers them so leaves names that sort the same way.
    case SortOrder::ShotOldestFirst:
        return {f.own, up};
    case SortOrder::ShotNewestFirst:
        return {-f.own, down};
    case SortOrder::NameUp:
        break;
    }
    return {0, up};
}

} // namespace torvel
