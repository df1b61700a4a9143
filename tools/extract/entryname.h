#pragma once

#include <string>
#include <string_view>

// Turns the name bytes stored in a zip into text: UTF-8 as it is, anything
// else read as the legacy DOS code page 437. Also makes names safe to print.
namespace EntryName {

bool isValidUtf8(std::string_view bytes);

// Zips without the UTF-8 flag usually still carry UTF-8 (many tools omit the
// flag); bytes that do not form UTF-8 are taken as code page 437, the
// encoding the zip format names for unflagged names.
std::string toUtf8(std::string_view bytes);

// The name as one printable line: control characters and invalid bytes are
// shown as \xNN escapes, so a hostile name cannot break the one-line-per-entry
// output or steer the terminal, and overlong names are shortened.
std::string printable(std::string_view name);

} // namespace EntryName
