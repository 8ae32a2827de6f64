#include "CliOptions.h"

#include <charconv>
#include <functional>
#include <map>
#include <string_view>

#include "SettingsRecord.h"

namespace torvel {

namespace {

// Option words of the sort orders, in the order of the sort box's items.
const std::map<std::string_view, SortOrder> sortWords{
    {"name", SortOrder::NameUp},
    {"name-desc", SortOrder::NameDown},
    {"newest", SortOrder::NewestFirst},
    {"oldest", SortOrder::OldestFirst},
    {"smallest", SortOrder::SmallestFirst},
    {"largest", SortOrder::LargestFirst},
    {"natural", SortOrder::NaturalUp},
    {"natural-desc", SortOrder::NaturalDown},
    {"shot-oldest", SortOrder::ShotOldestFirst},
    {"shot-newest", SortOrder::ShotNewestFirst},
};

bool numberIn(std::string_view text, int min, int max, std::optional<int>& out)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < min || value > max)
        return false;
    out = value;
    return true;
}

std::vector<std::string> commaList(std::string_view text)
{
    std::vector<std::string> items;
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        while (item.starts_with('.'))
            item.remove_prefix(1);
        items.emplace_back(item);
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return items;
}

class Parser
{
public:
    explicit Parser(std::string& error)
        : m_error(error)
    {}

    // With --undo too: what would be taken back is shown.
    static void dryRun(CliOptions& c)
    {
        c.dryRun = true;
        if (c.action == CliAction::Run)
            c.action = CliAction::DryRun;
    }

    bool flag(std::string_view name, CliOptions& o)
    {
        static const std::map<std::string_view, std::function<void(CliOptions&)>> flags{
            {"--help", [](CliOptions& c) { c.action = CliAction::Help; }},
            {"-h", [](CliOptions& c) { c.action = CliAction::Help; }},
            {"--version", [](CliOptions& c) { c.action = CliAction::Version; }},
            {"-V", [](CliOptions& c) { c.action = CliAction::Version; }},
            {"--dry-run", dryRun},
            {"-n", dryRun},
            {"--undo", [](CliOptions& c) { c.action = CliAction::Undo; }},
            {"--yes", [](CliOptions& c) { c.yes = true; }},
            {"-y", [](CliOptions& c) { c.yes = true; }},
            {"--keep-extension", [](CliOptions& c) { c.changeExtension = false; }},
            {"--upper",
             [](CliOptions& c) {
                 c.upper = true;
                 c.lower = false;
             }},
            {"--lower",
             [](CliOptions& c) {
                 c.lower = true;
                 c.upper = false;
             }},
            {"--keep-case",
             [](CliOptions& c) {
                 c.upper = false;
                 c.lower = false;
             }},
            {"--keep-number", [](CliOptions& c) { c.keepNumber = true; }},
            {"-k", [](CliOptions& c) { c.keepNumber = true; }},
            {"--number-only", [](CliOptions& c) { c.keepNumber = false; }},
            {"--keep-number-identifier", [](CliOptions& c) { c.keepNumberIdentifier = true; }},
            {"--no-duplicates", [](CliOptions& c) { c.noDuplicates = true; }},
            {"--replace-duplicates", [](CliOptions& c) { c.noDuplicates = false; }},
            {"--same-name", [](CliOptions& c) { c.sameName = true; }},
            {"--no-same-name", [](CliOptions& c) { c.sameName = false; }},
            {"--rename", [](CliOptions& c) { c.save = SaveMode::Rename; }},
            {"--settings", [](CliOptions& c) { c.settingsFile = std::string(); }},
        };
        const auto it = flags.find(name);
        if (it == flags.end())
            return false;
        it->second(o);
        return true;
    }

    // An option that takes a value; false with error set on a bad value.
    bool valued(std::string_view name, std::string_view value, CliOptions& o)
    {
        if (name == "--identifier" || name == "-i") {
            o.identifier = std::string(value);
        } else if (name == "--start" || name == "-s") {
            return numberIn(value, ChangeNomMin, ChangeNomMax, o.start)
                   || fail("開始番号は 0 から 32000 までの数で指定してください: ", value);
        } else if (name == "--digits" || name == "-d") {
            return numberIn(value, ChangeDigitMin, ChangeDigitMax, o.digits)
                   || fail("桁数は 1 から 5 までの数で指定してください: ", value);
        } else if (name == "--extension" || name == "-e") {
            while (value.starts_with('.'))
                value.remove_prefix(1);
            o.extension = std::string(value);
            o.changeExtension = true;
        } else if (name == "--sort") {
            const auto it = sortWords.find(value);
            if (it == sortWords.end())
                return fail("並べ替えの順序がわかりません: ", value);
            o.sort = it->second;
        } else if (name == "--move" || name == "--copy") {
            if (value.empty())
                return fail("保存先のフォルダを指定してください: ", name);
            o.save = name == "--move" ? SaveMode::Move : SaveMode::Copy;
            o.destination = std::string(value);
        } else if (name == "--only") {
            o.only = commaList(value);
        } else if (name == "--settings") {
            // Alone, --settings names the window's own file: only "=" gives one.
            if (value.empty())
                return fail("設定ファイルを指定してください: ", "--settings=");
            o.settingsFile = std::string(value);
        } else {
            return fail("不明なオプションです: ", name);
        }
        return true;
    }

    static bool takesValue(std::string_view name)
    {
        for (std::string_view known :
             {"--identifier", "-i", "--start", "-s", "--digits", "-d", "--extension", "-e",
              "--sort", "--move", "--copy", "--only", "--settings"}) {
            if (name == known)
                return true;
        }
        return false;
    }

    bool fail(std::string_view text, std::string_view what)
    {
        m_error = std::string(text) + std::string(what);
        return false;
    }

private:
    std::string& m_error;
};

} // namespace

std::vector<std::string_view> sortOrderWords()
{
    std::vector<std::string_view> words;
    for (const auto& [word, order] : sortWords)
        words.push_back(word);
    return words;
}

std::optional<CliOptions> parseCliOptions(const std::vector<std::string>& args, std::string& error)
{
    CliOptions options;
    Parser parser(error);
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            options.paths.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (parser.flag(arg, options))
            continue;
        // --name=value, or --name value.
        const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string_view::npos;
        const std::string_view name = arg.substr(0, equals);
        if (!Parser::takesValue(name)) {
            parser.fail("不明なオプションです: ", name);
            return std::nullopt;
        }
        std::string_view value;
        if (equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            parser.fail("値がありません: ", name);
            return std::nullopt;
        }
        if (!parser.valued(name, value, options))
            return std::nullopt;
    }
    if (options.action == CliAction::Undo && !options.paths.empty()) {
        error = "--undo は最後の実行を元に戻します。ファイルやフォルダは指定できません: "
                + options.paths.front();
        return std::nullopt;
    }
    const bool needsFiles = options.action == CliAction::Run || options.action == CliAction::DryRun;
    if (needsFiles && options.paths.empty()) {
        error = "ファイルまたはフォルダを指定してください。";
        return std::nullopt;
    }
    return options;
}

SettingsRecord commandLineDefaults()
{
    SettingsRecord defaults;
    defaults.changeName.clear();
    defaults.saveMethodText = saveMethodToText(SaveMode::Rename);
    return defaults;
}

SettingsRecord withOptions(SettingsRecord s, const CliOptions& o)
{
    s.changeName = o.identifier.value_or(s.changeName);
    s.changeNom = o.start.value_or(s.changeNom);
    s.changeDigit = o.digits.value_or(s.changeDigit);
    s.changeExt = o.extension.value_or(s.changeExt);
    s.extCheck = o.changeExtension.value_or(s.extCheck);
    s.upper = o.upper.value_or(s.upper);
    s.lowwer = o.lower.value_or(s.lowwer);
    s.column = o.keepNumber.value_or(s.column);
    s.columnName = o.keepNumberIdentifier.value_or(s.columnName);
    if (o.sort)
        s.sort = itemOfSortOrder(*o.sort);
    s.duplicate = o.noDuplicates.value_or(s.duplicate);
    s.sameName = o.sameName.value_or(s.sameName);
    s.saveMethodText = saveMethodToText(o.save);
    return s;
}

} // namespace torvel
