#pragma once

#include <string>
#include <string_view>
#include <vector>

// Decides which entry names and link targets stay inside the destination,
// by looking at the text alone; the file system is not consulted here.
namespace EntryPath {

enum class Problem {
    None,
    Empty,
    Absolute,
    ParentComponent,
};

struct Normalized {
    // Components joined by single slashes, without "." or empty components;
    // empty when the name denotes the destination folder itself.
    std::string path;
    Problem problem = Problem::None;
};

Normalized normalize(std::string_view name);

enum class LinkProblem {
    None,
    Empty,
    Absolute,
    LeadsOut,
    ClimbsAfterName,
};

// A link target is accepted only as some ".." steps followed by names, with
// no more steps than the link's folder is deep. A ".." after a name is
// refused: the name may be another link, and its target decides where ".."
// leads, so the text alone cannot show that it stays inside.
LinkProblem checkLinkTarget(std::string_view linkPath, std::string_view target);

std::string describe(Problem problem);
std::string describe(LinkProblem problem);

std::vector<std::string_view> components(std::string_view path);
std::string_view parentOf(std::string_view path);
std::string_view fileNameOf(std::string_view path);

} // namespace EntryPath
