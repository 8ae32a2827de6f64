#pragma once

#include <QString>

#include <cstddef>

#include "RunFeedback.h"
#include "StatusMessages.h"

namespace torvel {

// The status line's words for what the layers below the window report as
// codes, and for the counts the window shows after a run.
namespace StatusText {

// Shown while the chosen files are read into the list.
QString readingFiles();
// Shown while the shooting dates of the listed files are read.
QString readingShootingDates(std::size_t done, std::size_t total);
// What the name generator reports.
QString of(NameStatus status);
// What a run reports, with the names in it shown as text.
QString of(const RunStatus& status);
// "N個のファイルを変換しました。": the files that reached their new names,
// or whose time stamp or attributes were changed.
QString converted(int count);

} // namespace StatusText

} // namespace torvel
