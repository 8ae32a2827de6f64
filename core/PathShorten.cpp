#include "PathShorten.h"

#include "ByteText.h"

namespace torvel {

namespace {

constexpr std::string_view Ellipsis = ".../";

// The folder part with its first folder cut away; a ".../" left by an earlier
// cut stands for everything cut so far.
std::string cutFirstFolder(std::string_view folders)
{
    if (folders == "/.../")
        return std::string(Ellipsis);
    if (folders == "/")
        return {};
    const bool rooted = folders.starts_with('/');
    std::string_view rest = rooted ? folders.substr(1) : folders;
    if (rest.starts_with(Ellipsis))
        rest.remove_prefix(Ellipsis.size());
    const auto slash = rest.find('/');
    if (slash == std::string_view::npos)
        return {};
    return (rooted ? "/" : "") + std::string(Ellipsis) + std::string(rest.substr(slash + 1));
}

// Walks the forms of a path, one at a time, so that a fitting path costs one
// measurement and a deep one no list.
class Shortenings
{
public:
    explicit Shortenings(std::string_view path)
        : m_folders(folderPart(path))
        , m_name(namePart(path))
        , m_current(path)
    {}
    const std::string& current() const { return m_current; }
    bool next()
    {
        if (m_folders.empty())
            return false;
        m_folders = cutFirstFolder(m_folders);
        m_current = m_folders + m_name;
        return true;
    }

private:
    std::string m_folders; // up to and including the last "/"
    std::string m_name;    // after the last "/"
    std::string m_current;
};

} // namespace

std::string shortenPath(std::string_view path, int availableWidth, const DisplayTextFn& displayText,
                        const TextWidthFn& textWidth)
{
    Shortenings forms(path);
    for (;;) {
        std::string text = displayText(forms.current());
        if (textWidth(text) < availableWidth || !forms.next())
            return text;
    }
}

} // namespace torvel
