#include "extractor.h"

#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <string_view>

namespace {

constexpr std::string_view usage = "usage: kestrune-extract -x -k ARCHIVE DESTINATION\n";

// The library converts entry names to the character set of the locale; with a
// UTF-8 locale every name comes out as UTF-8, whatever the caller's LANG.
void useUtf8Locale() {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        if (std::setlocale(LC_CTYPE, name))
            return;
    }
}

// The zip reader turns every entry's DOS time into a timestamp with mktime(),
// and without TZ the C library reloads /etc/localtime on each call, behind a
// process-wide lock. Naming the same default zone once makes that a lookup.
void fixTimeZone() {
    if (!std::getenv("TZ"))
        ::setenv("TZ", ":/etc/localtime", 0);
}

} // namespace

int main(int argc, char* argv[]) {
    using namespace std::string_view_literals;
    if (argc != 5 || argv[1] != "-x"sv || argv[2] != "-k"sv) {
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, usage.data(), usage.size());
        return 2;
    }
    useUtf8Locale();
    fixTimeZone();
    // A reader that went away must not end the extraction half way.
    std::signal(SIGPIPE, SIG_IGN);
    return Extractor(argv[3], argv[4]).run();
}
