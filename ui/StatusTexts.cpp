#include "StatusTexts.h"

#include "Texts.h"
#include "UndoTexts.h"
#include "Utf8Text.h"

namespace torvel::StatusText {

QString readingFiles()
{
    return utf8Text(readingFilesText());
}

QString readingShootingDates(std::size_t done, std::size_t total)
{
    return utf8Text(readingShootingDatesText(done, total));
}

QString of(NameStatus status)
{
    return QString::fromUtf8(nameStatusText(status));
}

QString of(const RunStatus& status)
{
    return utf8Text(runStatusText(status));
}

QString converted(int count)
{
    return QString::fromStdString(convertedText(count));
}

} // namespace torvel::StatusText
