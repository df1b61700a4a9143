#pragma once

#include "extractionplan.h"
#include "reporter.h"
#include "uniquefd.h"

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

class EntryWriter;

// Extracts one zip archive into one destination folder and returns the exit
// status: 0 when every entry was extracted, 1 otherwise. Reads nothing but the
// archive, writes nothing outside the destination, asks nothing of anyone.
class Extractor {
public:
    Extractor(std::string archivePath, std::string destinationPath);

    int run();

private:
    bool openArchive();
    bool openDestination();
    bool readPlan();
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
    UniqueFd m_destination;
    mode_t m_umask = 022;
    Reporter m_reporter;
    ExtractionPlan m_plan;
    std::vector<std::size_t> m_createdFolders; // positions in the plan
};
