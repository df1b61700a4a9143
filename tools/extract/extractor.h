#pragma once

#include "endrecord.h"
#include "extractionplan.h"
#include "reporter.h"
#include "uniquefd.h"

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class EntryWriter;

// Extracts one zip archive into one destination folder and returns the exit
// status. Reads nothing but the archive, writes nothing outside the
// destination, asks nothing of anyone. A stop asked for by a signal ends the
// process by that signal, once the output is complete and no entry half
// written.
class Extractor {
public:
    Extractor(std::string archivePath, std::string destinationPath);

    static constexpr int succeeded = 0;
    static constexpr int failed = 1;
    static constexpr int usageError = 2;
    static constexpr int diskFull = 3;
    static constexpr int wrongPassword = 4;
    static constexpr int passwordRequired = 5;

    int run();

private:
    bool openArchive();
    bool openDestination();
    bool readPlan();
    bool checkEntryCount();
    bool checkPassword();
    std::size_t expectedEntryCount() const;
    void removeStaleTemporaries();
    int finish();
    void createFolders(EntryWriter& writer);
    void writeFiles();
    void createLinks(EntryWriter& writer);
    void finishFolders(EntryWriter& writer);

    std::string m_archivePath;
    std::string m_destinationPath;
    // Opened once, before anything is written: should an entry replace the
    // archive itself, every reader still reads the original.
    UniqueFd m_archive;
    std::int64_t m_archiveSize = 0;
    std::int64_t m_archiveStart = 0;
    std::optional<EndRecord> m_endRecord;
    UniqueFd m_destination;
    mode_t m_umask = 022;
    Reporter m_reporter;
    ExtractionPlan m_plan;
    std::vector<const EntryDetails*> m_createdFolders; // into the plan
    std::optional<int> m_passwordProblem;              // the exit status that says which
};
