#include "FormSettings.h"

namespace torvel {

FormSettings FormSettings::defaults(const std::string& programDir)
{
    FormSettings settings;
    settings.searchDir = programDir;
    settings.changeDir = programDir;
    return settings;
}

int saveMethodFromText(const std::string& text)
{
    if (text.empty()) {
        return 0;
    }
    switch (text.front()) {
    case 'C':
    case 'c':
        return 2;
    case 'M':
    case 'm':
        return 1;
    default:
        return 0;
    }
}

std::string saveMethodText(int saveMethod)
{
    switch (saveMethod) {
    case 1:
        return "MOVE";
    case 2:
        return "COPY";
    default:
        return "RENAME";
    }
}

} // namespace torvel
