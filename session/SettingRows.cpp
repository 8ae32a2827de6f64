#include "SettingRows.h"

#include "ByteText.h"
#include "DatePattern.h"

#include <algorithm>
#include <type_traits>

namespace torvel {

namespace {

using O = RenameOptions;
using R = SettingsRecord;

constexpr SettingChoice DateSources[] = {
    {"NONE", "none", "", "日付を入れない", "日付を入れない"},
    {"SHOT", "shot", "", "撮影日時 (ないときは更新日時)", "撮影日時 (ないときは更新日時)"},
    {"MODIFIED", "modified", "", "更新日時", "更新日時"},
};

constexpr SettingChoice ExtensionCases[] = {
    {"NONE", "", "", "", "拡張子はそのまま"},
    {"LOWER", "", "--ext-lower", "拡張子だけを小文字・大文字にする", "拡張子を小文字に"},
    {"UPPER", "", "--ext-upper", "拡張子だけを小文字・大文字にする", "拡張子を大文字に"},
};

// Every key of the settings file, in the order a new file lists them; the
// rename options among them with their command-line words and controls.
// torvel-cli's usage lists its options in this order within each group, the
// default of an on/off option first; options with the same help share a line.
constexpr SettingRow Rows[] = {
    {.section = "SEARCH", .key = "SEARCH_DIR", .kind = ValueKind::Folder, .field = &R::searchDir},
    {.section = "SEARCH",
     .key = "SEARCH_EXT",
     .kind = ValueKind::Text,
     .field = &R::searchExt,
     .byDefault = "txt"},
    {.section = "SEARCH",
     .key = "SORT",
     .kind = ValueKind::Order,
     .field = &O::sortOrder,
     .byDefault = "0",
     .control = "MaeSort",
     .group = UsageGroup::Naming,
     .longOption = "--sort",
     .valueName = "順序",
     .help = "連番を付ける順序",
     .label = "並べ替えの順序"},
    {.section = "CHANGE", .key = "CHANGE_DIR", .kind = ValueKind::Folder, .field = &R::changeDir},
    {.section = "CHANGE",
     .key = "CHANGE_NAME",
     .kind = ValueKind::Text,
     .field = &O::identifier,
     .byDefault = "TOR",
     .control = "Edit1",
     .group = UsageGroup::Naming,
     .shortOption = "-i",
     .longOption = "--identifier",
     .valueName = "識別名",
     .help = "新しい名前の先頭 (既定はなし。-k か --date のとき以外は必要)"},
    {.section = "CHANGE",
     .key = "CHANGE_NOM",
     .kind = ValueKind::Number,
     .field = &O::startNumber,
     .byDefault = "1",
     .min = 0,
     .max = 32000,
     .control = "UpDown2",
     .group = UsageGroup::Naming,
     .shortOption = "-s",
     .longOption = "--start",
     .valueName = "番号",
     .help = "最初の連番",
     .label = "開始番号"},
    {.section = "CHANGE",
     .key = "CHANGE_DIGIT",
     .kind = ValueKind::Number,
     .field = &O::digits,
     .byDefault = "5",
     .min = 1,
     .max = 5,
     .control = "UpDown1",
     .group = UsageGroup::Naming,
     .shortOption = "-d",
     .longOption = "--digits",
     .valueName = "桁数",
     .help = "連番の桁数",
     .label = "桁数"},
    {.section = "CHANGE",
     .key = "CHANGE_EXT",
     .kind = ValueKind::Extension,
     .field = &O::extension,
     .byDefault = "txt",
     .control = "Edit3",
     .group = UsageGroup::Naming,
     .shortOption = "-e",
     .longOption = "--extension",
     .valueName = "拡張子",
     .help = "拡張子をこれに変える",
     .alsoField = &O::changeExtension,
     .alsoValue = true},
    // The save method never comes from the command line: it renames in
    // place unless it names a folder.
    {.section = "CHANGE",
     .key = "CHANGE_MOVE",
     .kind = ValueKind::Text,
     .field = &R::saveMethodText,
     .byDefault = "MOVE"},
    {.section = "CHANGE",
     .key = "UPPER",
     .kind = ValueKind::OnOff,
     .field = &O::upperCase,
     .byDefault = "OFF",
     .control = "UpCheck",
     .group = UsageGroup::Naming,
     .longOption = "--upper",
     .help = "名前を大文字・小文字にする",
     .offOption = "--keep-case",
     .offHelp = "大文字・小文字を変えない",
     .alsoField = &O::lowerCase},
    {.section = "CHANGE",
     .key = "LOWWER",
     .kind = ValueKind::OnOff,
     .field = &O::lowerCase,
     .byDefault = "OFF",
     .control = "LowCheck",
     .group = UsageGroup::Naming,
     .longOption = "--lower",
     .help = "名前を大文字・小文字にする",
     .offOption = "--keep-case",
     .offHelp = "大文字・小文字を変えない",
     .alsoField = &O::upperCase},
    {.section = "CHANGE",
     .key = "PREVIEW",
     .kind = ValueKind::OnOff,
     .field = &R::preview,
     .byDefault = "ON",
     .control = "NonPreCheck"},
    {.section = "CHANGE",
     .key = "EXT_CASE",
     .kind = ValueKind::Choice,
     .field = &O::extensionCase,
     .byDefault = "NONE",
     .control = "ExtCaseBox",
     .group = UsageGroup::Naming,
     .choices = ExtensionCases},
    {.section = "CHANGE",
     .key = "DATE_SOURCE",
     .kind = ValueKind::Choice,
     .field = &O::dateSource,
     .byDefault = "NONE",
     .control = "DateSourceBox",
     .group = UsageGroup::Naming,
     .longOption = "--date",
     .valueName = "日時",
     .help = "名前に入れる日付",
     .label = "日付の種類",
     .choices = DateSources},
    {.section = "CHANGE",
     .key = "DATE_FORMAT",
     .kind = ValueKind::Pattern,
     .field = &O::datePattern,
     .byDefault = "yyyyMMdd",
     .control = "DateFormatBox",
     .group = UsageGroup::Naming,
     .longOption = "--date-format",
     .valueName = "書式",
     .help = "日付の書式 (既定 yyyyMMdd)\n"
             "年 yyyy yy、月 MM M、日 dd d、時 HH H、\n"
             "分 mm m、秒 ss s。ほかの文字はそのまま",
     .label = "日付の書式"},
    {.section = "CHANGE",
     .key = "DATE_AFTER",
     .kind = ValueKind::OnOff,
     .field = &O::dateAfterIdentifier,
     .byDefault = "OFF",
     .control = "DateAfterCheck",
     .group = UsageGroup::Naming,
     .longOption = "--date-after",
     .help = "日付を識別名の後に置く (既定は前)"},
    {.section = "CHANGE",
     .key = "DATE_NUMBER",
     .kind = ValueKind::OnOff,
     .field = &O::numberPerDate,
     .byDefault = "OFF",
     .control = "DateNumberCheck",
     .group = UsageGroup::Naming,
     .longOption = "--number-per-date",
     .help = "日付ごとに連番を最初の番号から付ける"},
    {.section = "OPTIONS",
     .key = "HELP_HINT",
     .kind = ValueKind::OnOff,
     .field = &R::helpHint,
     .byDefault = "ON",
     .control = "CheckBox2"},
    {.section = "OPTIONS",
     .key = "DUPLICATE",
     .kind = ValueKind::OnOff,
     .field = &O::avoidDuplicates,
     .byDefault = "OFF",
     .control = "JuuhukuCheck",
     .group = UsageGroup::Running,
     .longOption = "--no-duplicates",
     .help = "同じ名前のファイルがあれば、そのファイルは変換しない",
     .offOption = "--replace-duplicates",
     .offHelp = "同じ名前のファイルをごみ箱に移動して変換する (既定。\n"
                "端末ではたずねる。たずねられないときは変換しない)"},
    {.section = "OPTIONS",
     .key = "SAMENAME",
     .kind = ValueKind::OnOff,
     .field = &O::carrySameNameFiles,
     .byDefault = "OFF",
     .control = "CheckBox1",
     .group = UsageGroup::Running,
     .longOption = "--same-name",
     .help = "拡張子だけが違う同名ファイルも一緒に変換する",
     .offOption = "--no-same-name",
     .offHelp = "同名ファイルは変換しない"},
    {.section = "OPTIONS",
     .key = "COLUMN",
     .kind = ValueKind::OnOff,
     .field = &O::keepNumber,
     .byDefault = "OFF",
     .control = "KetaCheck",
     .group = UsageGroup::Naming,
     .shortOption = "-k",
     .longOption = "--keep-number",
     .help = "ファイル名の末尾の数字を連番として使う",
     .offOption = "--number-only",
     .offHelp = "末尾の数字を使わず、並べた順に番号を付ける"},
    {.section = "OPTIONS",
     .key = "COLUMNNAME",
     .kind = ValueKind::OnOff,
     .field = &O::keepNumberIdentifier,
     .byDefault = "OFF",
     .control = "KetaName",
     .group = UsageGroup::Naming,
     .longOption = "--keep-number-identifier",
     .help = "そのとき数字の前を識別名にする"},
    {.section = "OPTIONS",
     .key = "EXT_CHECK",
     .kind = ValueKind::OnOff,
     .field = &O::changeExtension,
     .byDefault = "OFF",
     .control = "ExtCheck",
     .group = UsageGroup::Naming,
     .offOption = "--keep-extension",
     .offHelp = "拡張子を変えない"},
    {.section = "OPTIONS",
     .key = "BUTTONSIDE",
     .kind = ValueKind::Side,
     .field = &R::buttonSide,
     .byDefault = "ON"},
    {.section = "OPTIONS",
     .key = "HEIGHTSIZE",
     .kind = ValueKind::Height,
     .field = &R::heightSize,
     .byDefault = "M"},
    // Window coordinates as the window system holds them: 16 bits, signed.
    {.section = "OPTIONS",
     .key = "FORM_LEFT",
     .kind = ValueKind::Number,
     .field = &R::formLeft,
     .byDefault = "233",
     .min = -32768,
     .max = 32767},
    {.section = "OPTIONS",
     .key = "FORM_TOP",
     .kind = ValueKind::Number,
     .field = &R::formTop,
     .byDefault = "104",
     .min = -32768,
     .max = 32767},
};

// The sort box's items, in order: the settings file stores an item's place,
// so a new order goes at the end.
constexpr SortRow Orders[] = {
    {SortOrder::NameUp, "ファイル名・正順", "name", "名前の順"},
    {SortOrder::NameDown, "ファイル名・逆順", "name-desc", "名前の逆順"},
    {SortOrder::NewestFirst, "新しい順", "newest", "更新日時の新しい順"},
    {SortOrder::OldestFirst, "古い順", "oldest", "更新日時の古い順"},
    {SortOrder::SmallestFirst, "サイズ順・小→大", "smallest", "サイズの小さい順"},
    {SortOrder::LargestFirst, "サイズ順・大→小", "largest", "サイズの大きい順"},
    {SortOrder::NaturalUp, "ファイル名・自然順", "natural", "数字を数として比べた名前の順"},
    {SortOrder::NaturalDown, "ファイル名・自然逆順", "natural-desc", "natural の逆順"},
    {SortOrder::ShotOldestFirst, "撮影日時・古い順", "shot-oldest",
     "撮影日時の古い順 (ないときは更新日時)"},
    {SortOrder::ShotNewestFirst, "撮影日時・新しい順", "shot-newest", "撮影日時の新しい順"},
};

template <typename Member>
struct ClassOf;
template <typename T, typename C>
struct ClassOf<T C::*>
{
    using type = C;
};

constexpr int lastItem = static_cast<int>(std::size(Orders)) - 1;

bool isOn(std::string_view value)
{
    return value == "ON";
}

int heightSizeFromText(std::string_view value)
{
    if (value == "S")
        return 0;
    if (value == "M")
        return 1;
    return 2; // "L", and everything else: "m", "", "Large" ...
}

std::string heightSizeToText(int heightSize)
{
    switch (heightSize) {
    case 0:
        return "S";
    case 2:
        return "L";
    default:
        return "M"; // any other state shows the medium height
    }
}

} // namespace

std::span<const SettingRow> settingRows()
{
    return Rows;
}

std::span<const SortRow> sortRows()
{
    return Orders;
}

std::optional<SortOrder> sortOrderOfItem(int item)
{
    if (item < 0 || static_cast<std::size_t>(item) >= std::size(Orders))
        return std::nullopt;
    return Orders[item].order;
}

int itemOfSortOrder(SortOrder order)
{
    const auto* row = std::find_if(std::begin(Orders), std::end(Orders),
                                   [&](const SortRow& r) { return r.order == order; });
    return row == std::end(Orders) ? -1 : static_cast<int>(row - std::begin(Orders));
}

std::optional<SortOrder> sortOrderOfWord(std::string_view word)
{
    for (const SortRow& row : Orders)
        if (row.word == word)
            return row.order;
    return std::nullopt;
}

bool isRenameOption(const SettingRow& row)
{
    return std::visit(
        [](auto member) { return std::is_same_v<typename ClassOf<decltype(member)>::type, O>; },
        row.field);
}

int choiceIn(const RenameOptions& options, const SettingRow& row)
{
    if (const auto* source = fieldIn<DateSource>(options, row.field))
        return static_cast<int>(*source);
    if (const auto* extensionCase = fieldIn<ExtensionCase>(options, row.field))
        return static_cast<int>(*extensionCase);
    return -1;
}

void setChoice(RenameOptions& options, const SettingRow& row, int place)
{
    if (auto* source = fieldIn<DateSource>(options, row.field))
        *source = static_cast<DateSource>(place);
    else if (auto* extensionCase = fieldIn<ExtensionCase>(options, row.field))
        *extensionCase = static_cast<ExtensionCase>(place);
}

void setFromFileText(const SettingRow& row, std::string_view text, SettingsRecord& record)
{
    switch (row.kind) {
    case ValueKind::Folder:
        // An empty folder would make every bare name relative to wherever the
        // program happens to run: it counts as missing, like no key at all.
        if (!text.empty())
            *fieldIn<std::string>(record, row.field) = withTrailingSlash(std::string(text));
        break;
    case ValueKind::Text:
    case ValueKind::Extension:
        *fieldIn<std::string>(record, row.field) = std::string(text);
        break;
    case ValueKind::Number: {
        int& number = *fieldIn<int>(record, row.field);
        number = decimalOr(text, row.min, row.max, number);
        break;
    }
    case ValueKind::OnOff:
        *fieldIn<bool>(record, row.field) = isOn(text);
        break;
    case ValueKind::Order:
        if (const auto order = sortOrderOfItem(decimalOr(text, 0, lastItem, -1)))
            *fieldIn<SortOrder>(record, row.field) = *order;
        break;
    case ValueKind::Side:
        *fieldIn<int>(record, row.field) = isOn(text) ? 1 : 0;
        break;
    case ValueKind::Height:
        *fieldIn<int>(record, row.field) = heightSizeFromText(text);
        break;
    case ValueKind::Choice:
        for (std::size_t place = 0; place < row.choices.size(); ++place)
            if (row.choices[place].fileText == text)
                setChoice(record.rename, row, static_cast<int>(place));
        break;
    case ValueKind::Pattern:
        if (DatePattern::parse(text))
            *fieldIn<std::string>(record, row.field) = std::string(text);
        break;
    }
}

std::string fileTextOf(const SettingRow& row, const SettingsRecord& record)
{
    switch (row.kind) {
    case ValueKind::Folder:
    case ValueKind::Text:
    case ValueKind::Extension:
        return *fieldIn<std::string>(record, row.field);
    case ValueKind::Number:
        return std::to_string(*fieldIn<int>(record, row.field));
    case ValueKind::OnOff:
        return *fieldIn<bool>(record, row.field) ? "ON" : "OFF";
    case ValueKind::Order:
        return std::to_string(itemOfSortOrder(*fieldIn<SortOrder>(record, row.field)));
    case ValueKind::Side:
        return *fieldIn<int>(record, row.field) == 1 ? "ON" : "OFF";
    case ValueKind::Height:
        return heightSizeToText(*fieldIn<int>(record, row.field));
    case ValueKind::Choice: {
        const int place = choiceIn(record.rename, row);
        return place >= 0 && static_cast<std::size_t>(place) < row.choices.size()
                   ? std::string(row.choices[static_cast<std::size_t>(place)].fileText)
                   : std::string(row.choices.front().fileText);
    }
    case ValueKind::Pattern:
        return *fieldIn<std::string>(record, row.field);
    }
    return {};
}

} // namespace torvel
