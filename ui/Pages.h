#pragma once

namespace torvel {

// The pages of the window's upper page control (PageControl1), in tab order.
enum class Page
{
    Rename,
    TimeStamp,
    Attributes
};

// The pages of the lower page control (PageControl2): the destination folder
// tree and the extension filter.
enum class LowerPage
{
    Destination,
    Filter
};

constexpr int tabOf(Page page)
{
    return static_cast<int>(page);
}
constexpr int tabOf(LowerPage page)
{
    return static_cast<int>(page);
}
constexpr Page pageOfTab(int tab)
{
    return tab == 1 ? Page::TimeStamp : tab == 2 ? Page::Attributes : Page::Rename;
}

} // namespace torvel
