#include "CliOptions.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace torvel {

namespace {

// Where the help of an option begins, counted in terminal columns.
constexpr int helpColumn = 30;

constexpr std::string_view header = R"(使い方: torvel-cli [オプション]... ファイル...
      torvel-cli [オプション]... フォルダ
      torvel-cli --undo [--dry-run] [--yes]

ファイルに「識別名 + 連番 + 拡張子」の新しい名前を付けます。フォルダを一つ
指定すると、その中のファイルを対象にします。指定しなかったオプションは、
下の (既定) の値を使います。TORVEL のウィンドウの設定は、--settings を
指定したときだけ使います。保存方法は設定を使わず、--move か --copy を
指定しない限り、その場で名前を変更します。

)";

constexpr std::string_view footer =
    R"(実行中に Ctrl+C を押すと、次のファイルの前で止まります (もう一度押すと、
その場で終わります)。どちらの場合も --undo で元に戻せます。

終了状態: 0 すべてのファイルが新しい名前になった (--dry-run では、
表示した行がすべてそのまま変換できる)、1 変換できなかったファイルがある、
実行を始められなかった、または元に戻さないと答えた、2 コマンドラインの誤り
(端末がなく --yes もない --undo を含む)、130 Ctrl+C (SIGINT) で中断した、
143 SIGTERM で中断した。
)";

// Terminal columns of UTF-8 text: the Japanese of the usage takes two each.
int columns(std::string_view text)
{
    int width = 0;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        width += length >= 3 ? 2 : 1;
        i += length;
    }
    return width;
}

// One line of the usage: the option's words and what it does.
struct Entry
{
    std::string shortOption;
    std::string words;
    std::string help;
};

void write(const Entry& entry, std::string& out)
{
    std::string line =
        "  " + (entry.shortOption.empty() ? "    " : entry.shortOption + ", ") + entry.words;
    const int width = columns(line);
    line.append(static_cast<std::size_t>(width + 2 <= helpColumn ? helpColumn - width : 2), ' ');
    std::string_view help = entry.help;
    for (std::size_t end = help.find('\n'); end != std::string_view::npos; end = help.find('\n')) {
        line += std::string(help.substr(0, end)) + "\n" + std::string(helpColumn, ' ');
        help.remove_prefix(end + 1);
    }
    out += line + std::string(help) + "\n";
}

std::string marked(std::string_view help, bool isDefault)
{
    std::string text(help);
    if (isDefault && text.find("既定") == std::string::npos)
        text.insert(std::min(text.find('\n'), text.size()), " (既定)");
    return text;
}

std::string withWord(std::string_view option, std::string_view valueName)
{
    return valueName.empty() ? std::string(option)
                             : std::string(option) + "=" + std::string(valueName);
}

// A list of words, one a line after the help, the default marked.
std::string withWords(std::string help,
                      const std::vector<std::pair<std::string_view, std::string_view>>& words,
                      std::string_view byDefault)
{
    for (const auto& [word, wordHelp] : words) {
        std::string padded(word);
        padded.resize(std::max<std::size_t>(padded.size() + 2, 15), ' ');
        help += "\n  " + padded + marked(wordHelp, word == byDefault);
    }
    return help;
}

// A Choice row: its option with the words it takes, and the words that
// choose one value alone.
void choiceEntries(const SettingRow& row, std::vector<Entry>& entries)
{
    std::vector<std::pair<std::string_view, std::string_view>> words;
    std::string_view byDefault;
    for (const SettingChoice& choice : row.choices) {
        if (!choice.word.empty())
            words.emplace_back(choice.word, choice.help);
        if (choice.fileText == row.byDefault)
            byDefault = choice.word;
        if (!choice.flag.empty())
            entries.push_back({"", std::string(choice.flag), std::string(choice.help)});
    }
    if (!row.longOption.empty())
        entries.push_back({std::string(row.shortOption), withWord(row.longOption, row.valueName),
                           withWords(std::string(row.help), words, byDefault)});
}

// What the usage says of a rename option, its default side first.
void entriesOf(const SettingRow& row, std::vector<Entry>& entries)
{
    const std::string shortOption(row.shortOption);
    const std::string words = withWord(row.longOption, row.valueName);
    switch (row.kind) {
    case ValueKind::OnOff: {
        const bool onByDefault = row.byDefault == "ON";
        const Entry on{shortOption, words, marked(row.help, onByDefault)};
        const Entry off{"", std::string(row.offOption), marked(row.offHelp, !onByDefault)};
        for (const Entry* side : onByDefault ? std::array{&on, &off} : std::array{&off, &on})
            if (!side->words.empty())
                entries.push_back(*side);
        return;
    }
    case ValueKind::Number:
        entries.push_back({shortOption, words,
                           std::string(row.help) + " (" + std::to_string(row.min) + "〜"
                               + std::to_string(row.max) + "、既定 " + std::string(row.byDefault)
                               + ")"});
        return;
    case ValueKind::Order: {
        const std::optional<SortOrder> byDefault =
            sortOrderOfItem(std::stoi(std::string(row.byDefault)));
        std::vector<std::pair<std::string_view, std::string_view>> orders;
        std::string_view defaultWord;
        for (const SortRow& order : sortRows()) {
            orders.emplace_back(order.word, order.help);
            if (order.order == byDefault)
                defaultWord = order.word;
        }
        entries.push_back(
            {shortOption, words, withWords(std::string(row.help), orders, defaultWord)});
        return;
    }
    case ValueKind::Choice:
        choiceEntries(row, entries);
        return;
    default:
        entries.push_back({shortOption, words, std::string(row.help)});
        return;
    }
}

// The rename options of a group; options with the same help share a line,
// and a word that stands for several is listed once.
void writeRows(UsageGroup group, std::string& out)
{
    std::vector<Entry> entries;
    for (const SettingRow& row : settingRows())
        if (row.group == group)
            entriesOf(row, entries);
    std::vector<Entry> lines;
    for (const Entry& entry : entries) {
        const auto same = [&](const Entry& e) { return e.words == entry.words; };
        if (std::any_of(lines.begin(), lines.end(), same))
            continue;
        if (!lines.empty() && lines.back().help == entry.help && entry.shortOption.empty()
            && lines.back().shortOption.empty())
            lines.back().words += ", " + entry.words;
        else
            lines.push_back(entry);
    }
    for (const Entry& line : lines)
        write(line, out);
}

void writeRuns(UsageGroup group, bool afterRows, std::string& out)
{
    for (const RunOption& run : runOptions())
        if (run.group == group && run.afterRows == afterRows)
            write({std::string(run.shortOption), withWord(run.longOption, run.valueName),
                   std::string(run.help)},
                  out);
}

} // namespace

std::string cliUsage()
{
    std::string out(header);
    const std::pair<UsageGroup, std::string_view> groups[] = {
        {UsageGroup::Naming, "名前の付け方:\n"}, {UsageGroup::Running, "実行:\n"}};
    for (const auto& [group, title] : groups) {
        out += title;
        writeRuns(group, false, out);
        writeRows(group, out);
        writeRuns(group, true, out);
        out += '\n';
    }
    return out + std::string(footer);
}

} // namespace torvel
