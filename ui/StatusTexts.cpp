#include "StatusTexts.h"

#include "UndoTexts.h"

#include "NameText.h"
#include "Utf8Text.h"

namespace torvel::StatusText {

namespace {

QString shown(const std::string& name)
{
    return utf8Text(displayName(name));
}

} // namespace

QString readingFiles()
{
    return QStringLiteral("ファイルを読込んでいます。しばらくお待ちください。");
}

QString of(NameStatus status)
{
    return QString::fromUtf8(nameStatusText(status));
}

QString of(const RunStatus& status)
{
    switch (status.activity) {
    case RunActivity::Preparing:
        return QStringLiteral("しばらくお待ちください。");
    case RunActivity::Renaming:
        return QStringLiteral("ファイル名を変更しています。");
    case RunActivity::Transferring:
        return shown(status.name) + QStringLiteral(" を ") + shown(status.target)
               + QStringLiteral(" に転送しています。");
    case RunActivity::ChangingStamp:
        return shown(status.name) + QStringLiteral(" の 更新日時を変更しています。");
    case RunActivity::ChangingAttrs:
        return shown(status.name) + QStringLiteral(" の 属性を変更しています。");
    }
    return {};
}

QString converted(int count)
{
    return QString::fromStdString(convertedText(count));
}

} // namespace torvel::StatusText
