#include "CliOptions.h"

#include <algorithm>
#include <charconv>

#include "DatePattern.h"
#include "SettingsRecord.h"
#include "Texts.h"

namespace torvel {

namespace {

bool fail(std::string& error, std::string_view text, std::string_view what)
{
    error = std::string(text) + std::string(what);
    return false;
}

// With --undo too: what would be taken back is shown.
void dryRun(CliOptions& c)
{
    c.dryRun = true;
    if (c.action == CliAction::Run)
        c.action = CliAction::DryRun;
}

bool moveOrCopy(CliOptions& c, std::string_view name, std::string_view value, std::string& error)
{
    if (value.empty())
        return fail(error, "保存先のフォルダを指定してください: ", name);
    c.save = name == "--move" ? SaveMode::Move : SaveMode::Copy;
    c.destination = std::string(value);
    return true;
}

bool onlyThese(CliOptions& c, std::string_view, std::string_view text, std::string&)
{
    c.only.clear();
    while (!text.empty()) {
        const std::size_t comma = text.find(',');
        std::string_view item = text.substr(0, comma);
        while (item.starts_with('.'))
            item.remove_prefix(1);
        c.only.emplace_back(item);
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return true;
}

bool settingsFile(CliOptions& c, std::string_view, std::string_view value, std::string& error)
{
    // Alone, --settings names the window's own file: only "=" gives one.
    if (value.empty())
        return fail(error, "設定ファイルを指定してください: ", "--settings=");
    c.settingsFile = std::string(value);
    return true;
}

using G = UsageGroup;

// The options that are not rename options, in the usage's order.
const RunOption Runs[] = {
    {"", "--only", "拡張子[,拡張子]", "この拡張子のファイルだけを対象にする", G::Naming, true,
     nullptr, onlyThese},
    {"", "--settings", "",
     "指定しなかったオプションに、ウィンドウの設定ファイル\n(torvel.ini) の値を使う", G::Naming,
     true, [](CliOptions& c) { c.settingsFile = std::string(); }, nullptr},
    {"", "--settings", "ファイル", "指定しなかったオプションに、このファイルの値を使う", G::Naming,
     true, nullptr, settingsFile},
    {"", "--rename", "", "その場で名前を変更する (既定)", G::Running, false,
     [](CliOptions& c) { c.save = SaveMode::Rename; }, nullptr},
    {"", "--move", "フォルダ", "新しい名前でフォルダに移動する", G::Running, false, nullptr,
     moveOrCopy},
    {"", "--copy", "フォルダ", "新しい名前でフォルダにコピーする", G::Running, false, nullptr,
     moveOrCopy},
    {"-y", "--yes", "", "ごみ箱に移動してよいか、元に戻してよいかをたずねない", G::Running, true,
     [](CliOptions& c) { c.yes = true; }, nullptr},
    {"-n", "--dry-run", "",
     "何も変更せず、元の名前 → 新しい名前 を表示する\n(使った設定ファイルを標準エラーに表示する)",
     G::Running, true, dryRun, nullptr},
    {"", "--undo", "",
     "最後の実行を元に戻す。いつ、どこで、どのプログラムが\n"
     "行った実行かを表示して、端末でたずねる (端末がない\n"
     "ときは --yes が必要)。ファイルやフォルダは指定できない。\n"
     "--dry-run と一緒なら、戻す内容を表示するだけ",
     G::Running, true, [](CliOptions& c) { c.action = CliAction::Undo; }, nullptr},
    {"-h", "--help", "", "この説明を表示する", G::Running, true,
     [](CliOptions& c) { c.action = CliAction::Help; }, nullptr},
    {"-V", "--version", "", "版を表示する", G::Running, true,
     [](CliOptions& c) { c.action = CliAction::Version; }, nullptr},
    // Taken by the parser before any option: listed for the usage only.
    {"", "--", "", "これより後はすべてファイル名として扱う", G::Running, true, nullptr, nullptr},
};

bool names(std::string_view word, std::string_view shortOption, std::string_view longOption)
{
    return !word.empty() && (word == shortOption || word == longOption);
}

// A rename option's value from the command line, checked against its row.
bool optionValue(const SettingRow& row, std::string_view text, GivenOption& given,
                 std::string& error)
{
    switch (row.kind) {
    case ValueKind::Number: {
        int value = 0;
        const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (problem != std::errc() || end != text.data() + text.size() || value < row.min
            || value > row.max)
            return fail(error,
                        std::string(row.label) + "は " + std::to_string(row.min) + " から "
                            + std::to_string(row.max) + " までの数で指定してください: ",
                        text);
        given.value = value;
        return true;
    }
    case ValueKind::Order:
        if (const auto order = sortOrderOfWord(text)) {
            given.value = *order;
            return true;
        }
        return fail(error, std::string(row.label) + "がわかりません: ", text);
    case ValueKind::Extension:
        while (text.starts_with('.'))
            text.remove_prefix(1);
        given.value = std::string(text);
        return true;
    case ValueKind::Choice:
        for (std::size_t place = 0; place < row.choices.size(); ++place) {
            if (!row.choices[place].word.empty() && row.choices[place].word == text) {
                given.value = ChoicePlace{static_cast<int>(place)};
                return true;
            }
        }
        return fail(error, std::string(row.label) + "がわかりません: ", text);
    case ValueKind::Pattern:
        if (!DatePattern::parse(text))
            return fail(error, datePatternRefusal(text, row.label) + ": ", text);
        given.value = std::string(text);
        return true;
    default:
        given.value = std::string(text);
        return true;
    }
}

class Parser
{
public:
    Parser(CliOptions& options, std::string& error)
        : m_options(options)
        , m_error(error)
    {}

    // A word that takes no value; false when it is none.
    bool flag(std::string_view word)
    {
        for (const RunOption& run : Runs) {
            if (run.flag != nullptr && names(word, run.shortOption, run.longOption)) {
                run.flag(m_options);
                return true;
            }
        }
        // An off word may stand for several options (--keep-case).
        bool known = false;
        for (const SettingRow& row : settingRows()) {
            for (std::size_t place = 0; place < row.choices.size(); ++place) {
                if (names(word, "", row.choices[place].flag)) {
                    m_options.given.emplace_back().row = &row; // in place: see below
                    m_options.given.back().value = ChoicePlace{static_cast<int>(place)};
                    known = true;
                }
            }
            if (row.kind != ValueKind::OnOff)
                continue;
            const bool on = names(word, row.shortOption, row.longOption);
            if (on || names(word, "", row.offOption)) {
                // Built in place: an optimiser warns (wrongly) of the string
                // alternative of a braced temporary being read uninitialised.
                m_options.given.emplace_back().row = &row;
                m_options.given.back().value = on;
                known = true;
            }
        }
        return known;
    }

    static bool takesValue(std::string_view name)
    {
        for (const RunOption& run : Runs)
            if (run.valued != nullptr && names(name, run.shortOption, run.longOption))
                return true;
        for (const SettingRow& row : settingRows())
            if (!row.valueName.empty() && names(name, row.shortOption, row.longOption))
                return true;
        return false;
    }

    // An option that takes a value; false with the error set on a bad value.
    bool valued(std::string_view name, std::string_view value)
    {
        for (const RunOption& run : Runs)
            if (run.valued != nullptr && names(name, run.shortOption, run.longOption))
                return run.valued(m_options, name, value, m_error);
        for (const SettingRow& row : settingRows()) {
            if (row.valueName.empty() || !names(name, row.shortOption, row.longOption))
                continue;
            GivenOption given{&row, false};
            if (!optionValue(row, value, given, m_error))
                return false;
            m_options.given.push_back(std::move(given));
            return true;
        }
        return fail(m_error, "不明なオプションです: ", name);
    }

    bool refuse(std::string_view text, std::string_view what) { return fail(m_error, text, what); }

private:
    CliOptions& m_options;
    std::string& m_error;
};

// Sets the field of a given option.
struct Setter
{
    RenameOptions& options;
    const SettingRow& row;

    template <typename T>
    void operator()(const T& value) const
    {
        if (T* target = fieldIn<T>(options, row.field))
            *target = value;
    }
    void operator()(ChoicePlace choice) const { setChoice(options, row, choice.place); }
};

} // namespace

std::span<const RunOption> runOptions()
{
    return Runs;
}

std::vector<std::string_view> cliOptionWords()
{
    std::vector<std::string_view> words;
    const auto add = [&](std::string_view word) {
        if (!word.empty() && std::find(words.begin(), words.end(), word) == words.end())
            words.push_back(word);
    };
    for (const SettingRow& row : settingRows()) {
        add(row.shortOption);
        add(row.longOption);
        add(row.offOption);
        for (const SettingChoice& choice : row.choices)
            add(choice.flag);
    }
    for (const RunOption& run : Runs) {
        add(run.shortOption);
        add(run.longOption);
    }
    return words;
}

std::optional<CliOptions> parseCliOptions(const std::vector<std::string>& args, std::string& error)
{
    CliOptions options;
    Parser parser(options, error);
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
        if (parser.flag(arg))
            continue;
        // --name=value, or --name value.
        const std::size_t equals = arg.starts_with("--") ? arg.find('=') : std::string_view::npos;
        const std::string_view name = arg.substr(0, equals);
        if (!Parser::takesValue(name)) {
            parser.refuse("不明なオプションです: ", name);
            return std::nullopt;
        }
        std::string_view value;
        if (equals != std::string_view::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            parser.refuse("値がありません: ", name);
            return std::nullopt;
        }
        if (!parser.valued(name, value))
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
    defaults.rename.identifier.clear();
    defaults.saveMethodText = saveMethodToText(SaveMode::Rename);
    return defaults;
}

SettingsRecord withOptions(SettingsRecord settings, const CliOptions& options)
{
    for (const GivenOption& given : options.given) {
        std::visit(Setter{settings.rename, *given.row}, given.value);
        const bool* on = std::get_if<bool>(&given.value);
        const bool setsAlso = on == nullptr || *on;
        if (given.row->alsoField != nullptr && setsAlso)
            settings.rename.*given.row->alsoField = given.row->alsoValue;
    }
    settings.saveMethodText = saveMethodToText(options.save);
    return settings;
}

} // namespace torvel
