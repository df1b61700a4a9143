#include "extractor.h"
#include "inspection.h"
#include "partedfile.h"
#include "passphrase.h"
#include "progressreport.h"
#include "stoprequest.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view usage =
    "usage: kestrune-extract -x -k ARCHIVE DESTINATION\n"
    "       kestrune-extract --inspect [--json] [--destination DIR] PART...\n";
constexpr std::string_view help =
    "usage: kestrune-extract -x -k ARCHIVE DESTINATION\n"
    "       kestrune-extract --inspect [--json] [--destination DIR] PART...\n"
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
    "  4  the password does not open the archive's first encrypted entry;\n"
    "     nothing was written\n"
    "  5  the archive holds encrypted entries and no password was given;\n"
    "     nothing was written\n"
    "SIGTERM, SIGINT and SIGHUP stop it within a block of data; it then removes\n"
    "the entry it was writing, prints its summary and ends by that signal.\n"
    "\n"
    "--inspect checks, without joining them, that the PARTs in the order given\n"
    "hold one whole zip archive: it reads the archive's end and directory and a\n"
    "few bytes where each entry begins, never the data. It prints one verdict\n"
    "(with --json, one JSON object), counting with --destination the files the\n"
    "extraction would replace there, and exits 0 when the check ran, whatever\n"
    "it found, and 1 when a part could not be read.\n"
    "\n"
    "Environment:\n"
    "  KESTRUNE_PROGRESS_FD  an open descriptor (3 or more) on which extraction\n"
    "      reports the bytes of file data written so far and in all, as lines\n"
    "      \"WRITTEN TOTAL\", a few a second; lines a slow reader is not ready\n"
    "      for are dropped.\n"
    "  KESTRUNE_PASSPHRASE_FD  an open descriptor (3 or more) from which the\n"
    "      password for encrypted entries is read, to its end (at most 4096\n"
    "      bytes, up to the first NUL), before anything else; it is then closed.\n"
    "      Entries the password does not open fail one by one.\n";

void write(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written <= 0)
            return;
        text.remove_prefix(std::size_t(written));
    }
}

// kestrune-extract --inspect [--json] [--destination DIR] PART...
int inspectParts(int argc, char* argv[]) {
    using namespace std::string_view_literals;
    bool json = false;
    const char* destination = nullptr;
    int next = 2;
    for (; next < argc; ++next) {
        if (argv[next] == "--json"sv) {
            json = true;
        } else if (argv[next] == "--destination"sv && next + 1 < argc) {
            destination = argv[++next];
        } else {
            break;
        }
    }
    if (next == argc) {
        write(STDERR_FILENO, usage);
        return Extractor::usageError;
    }
    const PartedFile parts(std::vector<std::string>(argv + next, argv + argc));
    if (!parts.isOpen()) {
        write(STDERR_FILENO, "kestrune-extract: " + parts.problem() + "\n");
        return Extractor::failed;
    }
    // A destination that is not there yet holds nothing to replace.
    UniqueFd folder(destination ? ::open(destination, O_PATH | O_DIRECTORY | O_CLOEXEC) : -1);
    Inspection result = inspect(parts, folder.get());
    if (destination && !folder.isValid()) {
        result.conflicts = 0;
        result.replacedBytes = 0;
    }
    write(STDOUT_FILENO, json ? result.toJson() : result.toText());
    return Extractor::succeeded;
}

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

// Kept folder descriptors save two system calls per file when an archive goes
// round many folders; the soft limit is often far below what is allowed.
void raiseDescriptorLimit() {
    constexpr rlim_t enough = 65536;
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= enough)
        return;
    limit.rlim_cur = std::min(limit.rlim_max, enough);
    ::setrlimit(RLIMIT_NOFILE, &limit);
}

} // namespace

int main(int argc, char* argv[]) {
    using namespace std::string_view_literals;
    if (argc == 2 && (argv[1] == "--help"sv || argv[1] == "-h"sv)) {
        write(STDOUT_FILENO, help);
        return Extractor::succeeded;
    }
    if (argc >= 2 && argv[1] == "--inspect"sv) {
        useUtf8Locale();
        return inspectParts(argc, argv);
    }
    if (argc != 5 || argv[1] != "-x"sv || argv[2] != "-k"sv) {
        write(STDERR_FILENO, usage);
        return Extractor::usageError;
    }
    // First, before any file of ours can take the descriptor's number.
    ProgressReport::openFromEnvironment();
    if (!Passphrase::readFromEnvironment())
        write(STDERR_FILENO,
              "kestrune-extract: the password handed over is unreadable or too long; "
              "ignored\n");
    useUtf8Locale();
    fixTimeZone();
    // A reader that went away must not end the extraction half way.
    std::signal(SIGPIPE, SIG_IGN);
    StopRequest::catchEndSignals();
    raiseDescriptorLimit();
    const int status = Extractor(argv[3], argv[4]).run();
    Passphrase::wipe();
    return status;
}
