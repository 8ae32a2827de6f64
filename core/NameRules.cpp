#include "NameRules.h"

#include <cerrno>

#include "ByteText.h"

namespace torvel {

namespace {

constexpr std::size_t maxNameBytes = 255;

} // namespace

std::string_view extensionOf(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.find('/', dot) != std::string_view::npos)
        return {};
    return name.substr(dot);
}

std::string_view baseNameOf(std::string_view name)
{
    return name.substr(0, name.size() - extensionOf(name).size());
}

std::string PadNumber(std::int64_t n, int d)
{
    const std::size_t places = d <= 0 ? 0 : static_cast<std::size_t>(d > 20 ? 20 : d);
    std::string text = std::string(places, ' ') + std::to_string(n);
    if (text.size() > places)
        text.erase(0, text.size() - places);
    for (char& c : text)
        if (c == ' ')
            c = '0';
    return text;
}

NameProblem nameProblem(std::string_view name)
{
    if (name.empty())
        return NameProblem::Empty;
    if (isDotOrDotDot(name) || name.find('/') != std::string_view::npos
        || name.find('\0') != std::string_view::npos)
        return NameProblem::BadCharacter;
    if (name.size() > maxNameBytes)
        return NameProblem::TooLong;
    return NameProblem::None;
}

int nameError(std::string_view name)
{
    switch (nameProblem(name)) {
    case NameProblem::None:
        return 0;
    case NameProblem::TooLong:
        return ENAMETOOLONG;
    case NameProblem::BadCharacter:
    case NameProblem::Empty:
        break;
    }
    return EINVAL;
}

} // namespace torvel
