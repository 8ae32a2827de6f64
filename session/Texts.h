#pragma once

// The words the person reads for what the layers below report as codes,
// UTF-8, shared by both front ends; the window makes screen text of them at
// the widget.

#include <cstddef>
#include <string>

#include "RunFeedback.h"
#include "StatusMessages.h"

namespace torvel {

// The words of a name generator status.
const char* nameStatusText(NameStatus status);
// Shown while the chosen files are read into the list.
std::string readingFilesText();
// Shown while the shooting dates of the listed files are read.
std::string readingShootingDatesText(std::size_t done, std::size_t total);
// What a run is doing, with the names in it shown as text.
std::string runStatusText(const RunStatus& status);

} // namespace torvel
