#include "CommandLine.h"

#include "ByteText.h"

namespace torvel {

namespace {

std::string absolutePath(const std::string& arg, const std::string& currentFolder)
{
    const std::string whole = arg.starts_with('/') ? arg : currentFolder + arg;
    std::string path;
    for (const std::string_view name : resolvedNamesInPath(whole)) {
        path += '/';
        path += name;
    }
    // A folder named with a trailing "/" keeps it; the root stays the root.
    if (path.empty() || whole.ends_with('/') || whole.ends_with("/.") || whole.ends_with("/.."))
        path += '/';
    return path;
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args, const std::string& currentFolder)
{
    CommandLine command;
    bool options = true;
    for (const std::string& arg : args) {
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "--help" || arg == "-h")) {
            return {CommandAction::Help, {}, {}};
        } else if (options && (arg == "--version" || arg == "-V")) {
            command.action = CommandAction::Version;
        } else if (options && arg.size() > 1 && arg.starts_with('-')) {
            if (command.action == CommandAction::Open) {
                command.action = CommandAction::Bad;
                command.badOption = arg;
            }
        } else if (!arg.empty() && !arg.starts_with('/') && currentFolder.empty()) {
            command.needsWorkingFolder = true;
        } else if (!arg.empty()) {
            command.paths.push_back(absolutePath(arg, currentFolder));
        }
    }
    if (command.action == CommandAction::Version) {
        return {CommandAction::Version, {}, {}};
    }
    if (command.action == CommandAction::Bad) {
        command.paths.clear();
    }
    return command;
}

const char* commandLineHelp()
{
    return "使い方: torvel [オプション] [ファイル… | フォルダ]\n"
           "ファイル名を識別名と連番にそろえて一括変換し、更新日時や属性も変更します。\n"
           "ファイルを指定すると、一覧にドロップしたときと同じように選んで開きます。\n"
           "フォルダを一つだけ指定すると、その中のファイルを選びます。\n"
           "ウィンドウがすでに開いているときは、そのウィンドウに渡します。\n"
           "\n"
           "  -h, --help     この説明を表示して終了します\n"
           "  -V, --version  バージョンを表示して終了します\n"
           "  --             これより後ろはすべてファイル名として扱います\n"
           "\n"
           "設定は ~/.config/torvel/torvel.ini に保存されます。\n";
}

} // namespace torvel
