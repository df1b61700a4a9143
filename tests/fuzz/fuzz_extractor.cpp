// Fuzz target: the extractor on arbitrary archive bytes. Whatever the bytes,
// it must neither crash nor write anything outside its destination folder,
// and the check of parts must neither crash nor call them whole when the
// directory could not be read.

#include "extractor.h"
#include "inspection.h"
#include "partedfile.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// sandbox/archive.zip is the input, sandbox/out the destination; after a run
// the sandbox must hold those two and nothing else.
const fs::path& sandbox() {
    static const fs::path path = [] {
        std::string pattern = (fs::temp_directory_path() / "kestrune-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return fs::path(pattern);
    }();
    return path;
}

void checkNothingOutside() {
    for (const fs::directory_entry& entry : fs::directory_iterator(sandbox())) {
        const std::string name = entry.path().filename().string();
        if (name != "archive.zip" && name != "out")
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const fs::path archive = sandbox() / "archive.zip";
    const fs::path destination = sandbox() / "out";
    {
        std::ofstream file(archive, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    fs::create_directory(destination);

    // Without a password, an encrypted entry ends the run as "protected by a
    // password"; a usage error or a full disk cannot happen here.
    const int status = Extractor(archive.string(), destination.string()).run();
    if (status != Extractor::succeeded && status != Extractor::failed &&
        status != Extractor::passwordRequired)
        std::abort();
    checkNothingOutside();

    // remove_all does not follow links, so a link the run made cannot lead it out.
    fs::remove_all(destination);

    // The same bytes as two parts: the second may hold the end alone.
    const fs::path second = sandbox() / "second.zip";
    fs::resize_file(archive, size / 2);
    {
        std::ofstream file(second, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data) + size / 2,
                   std::streamsize(size - size / 2));
    }
    const Inspection inspection = inspect(PartedFile({archive.string(), second.string()}), -1);
    if (inspection.complete && !inspection.entries)
        std::abort();
    fs::remove(second);
    return 0;
}
