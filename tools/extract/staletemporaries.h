#pragma once

#include <string_view>

// What an extraction that was killed left behind: files and links under
// this command's temporary names, whose process is gone. Only names of that
// exact pattern are touched, never folders, never anything of a running
// extraction.
namespace StaleTemporaries {

// ".kestrune-<pid>-" and then dash-separated numbers or "main".
bool isTemporaryName(std::string_view name);
// The process in a temporary name, or 0 for any other name.
long processOf(std::string_view name);

// Removes the stale temporaries directly in the folder.
void removeFrom(int folderFd);

} // namespace StaleTemporaries
