#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct UCollator;

namespace torvel {

// Orders file names the way the person reads them: ASCII letters lower-cased
// first, then the collation of the person's locale. A sort key is made once per
// name so that sorting compares bytes, never calls the collator. Names that
// are not UTF-8 are keyed by their CP932 decoding (unmappable bytes replaced).
// Two names with equal keys ("a.txt" and "A.txt" can both exist here) are
// then ordered by their bytes, so the order is total and repeatable.
// How runs of digits in a name compare.
enum class DigitRuns : std::uint8_t
{
    AsText,    // digit by digit: "img10" before "img2"
    AsNumbers, // by their values, full-width digits too: "img2" before "img10";
               // equal values ("img01", "img1") are then ordered by their bytes
};

class NameCollator
{
public:
    // The locale of LC_ALL / LC_COLLATE / LANG.
    NameCollator();
    // An ICU locale id such as "ja_JP"; "" is the root collation.
    explicit NameCollator(const std::string& localeId, DigitRuns digits = DigitRuns::AsText);
    ~NameCollator();
    NameCollator(const NameCollator&) = delete;
    NameCollator& operator=(const NameCollator&) = delete;

    // Appends the sort key of `name` to `out` (without ICU's final 0 byte).
    void appendSortKey(std::string_view name, std::string& out) const;
    std::string sortKey(std::string_view name) const;

    // Negative, zero or positive; zero only for identical bytes.
    int compare(std::string_view a, std::string_view b) const;

private:
    UCollator* m_collator = nullptr;
};

// Orders two names by their sort keys, then by their bytes.
int compareNameKeys(std::string_view keyA, std::string_view nameA, std::string_view keyB,
                    std::string_view nameB);

} // namespace torvel
