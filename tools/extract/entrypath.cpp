#include "entrypath.h"

#include <algorithm>

std::vector<std::string_view> EntryPath::components(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const std::size_t slash = path.find('/');
        const std::string_view part = path.substr(0, slash);
        if (!part.empty() && part != ".")
            parts.push_back(part);
        if (slash == std::string_view::npos)
            break;
        path.remove_prefix(slash + 1);
    }
    return parts;
}

EntryPath::Normalized EntryPath::normalize(std::string_view name) {
    if (name.empty())
        return {{}, Problem::Empty};
    if (name.front() == '/')
        return {{}, Problem::Absolute};
    const std::vector<std::string_view> parts = components(name);
    if (std::find(parts.begin(), parts.end(), "..") != parts.end())
        return {{}, Problem::ParentComponent};
    Normalized result;
    for (const std::string_view part : parts) {
        if (!result.path.empty())
            result.path += '/';
        result.path += part;
    }
    return result;
}

EntryPath::LinkProblem EntryPath::checkLinkTarget(std::string_view linkPath,
                                                  std::string_view target) {
    if (target.empty())
        return LinkProblem::Empty;
    if (target.front() == '/')
        return LinkProblem::Absolute;
    std::size_t climbs = 0;
    bool seenName = false;
    for (const std::string_view part : components(target)) {
        if (part != "..") {
            seenName = true;
            continue;
        }
        if (seenName)
            return LinkProblem::ClimbsAfterName;
        ++climbs;
    }
    const std::size_t folderDepth = components(parentOf(linkPath)).size();
    return climbs > folderDepth ? LinkProblem::LeadsOut : LinkProblem::None;
}

std::string EntryPath::describe(Problem problem) {
    switch (problem) {
    case Problem::None:
        break;
    case Problem::Empty:
        return "refused: the name is empty";
    case Problem::Absolute:
        return "refused: absolute path";
    case Problem::ParentComponent:
        return "refused: the path contains a \"..\" component";
    }
    return {};
}

std::string EntryPath::describe(LinkProblem problem) {
    switch (problem) {
    case LinkProblem::None:
        break;
    case LinkProblem::Empty:
        return "refused: symbolic link without a target";
    case LinkProblem::Absolute:
        return "refused: symbolic link to an absolute path";
    case LinkProblem::LeadsOut:
        return "refused: symbolic link leads outside the destination";
    case LinkProblem::ClimbsAfterName:
        return "refused: symbolic link target goes up (\"..\") after a name, so it may lead "
               "outside the destination";
    }
    return {};
}

std::string_view EntryPath::parentOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

std::string_view EntryPath::fileNameOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}
