#include "extractor.h"
#include "stoprequest.h"

#include <unistd.h>

#include <clocale>
#include <csignal>
#include <cstdlib>
#include <string_view>

namespace {

constexpr std::string_view usage = "usage: kestrune-extract -x -k ARCHIVE DESTINATION\n";
constexpr std::string_view help =
    "usage: kestrune-extract -x -k ARCHIVE DESTINATION\n"
    "\n"
    "Extracts every entry of the zip ARCHIVE into the folder DESTINATION, made\n"
    "if missing, keeping nothing half written and nothing outside DESTINATION.\n"
    "One line per entry goes to standard output, one per problem to standard\n"
    "error; after a failure the last line on standard error names its cause.\n"
    "\n"
    "Exit status:\n"
    "  0  every entry was extracted\n"
    "  1  the archive or some of its entries could not be extracted\n"
    "  2  the command was used wrongly\n"
    "  3  the destination's disk is full (no space or quota left)\n"
    "SIGTERM, SIGINT and SIGHUP stop it within a block of data; it then removes\n"
    "the entry it was writing, prints its summary and ends by that signal.\n";

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
    if (argc == 2 && (argv[1] == "--help"sv || argv[1] == "-h"sv)) {
        [[maybe_unused]] const auto written = ::write(STDOUT_FILENO, help.data(), help.size());
        return Extractor::succeeded;
    }
    if (argc != 5 || argv[1] != "-x"sv || argv[2] != "-k"sv) {
        [[maybe_unused]] const auto written = ::write(STDERR_FILENO, usage.data(), usage.size());
        return Extractor::usageError;
    }
    useUtf8Locale();
    fixTimeZone();
    // A reader that went away must not end the extraction half way.
    std::signal(SIGPIPE, SIG_IGN);
    StopRequest::catchEndSignals();
    return Extractor(argv[3], argv[4]).run();
}
