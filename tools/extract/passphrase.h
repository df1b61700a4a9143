#pragma once

#include <archive.h>

#include <cstddef>
#include <optional>

// The password for encrypted entries, handed over on the descriptor that
// KESTRUNE_PASSPHRASE_FD names, never on the command line or in the
// environment itself. It is read once, kept in memory for the run and wiped
// at exit; it never goes to any output.
namespace Passphrase {

// The most bytes a password may have; a longer one is ignored as if none
// had been given.
constexpr std::size_t longest = 4096;

// Reads the descriptor to its end and closes it. Like the progress
// descriptor, before the process opens any file of its own. A missing or
// invalid value means no password. Returns false when one was handed over but
// could not be taken (too long, unreadable).
bool readFromEnvironment();
bool isGiven();
// Gives the password to a reader, which tries it on every encrypted entry.
void applyTo(archive* handle);

// The plan calls this for each encrypted entry it meets; the answer says
// whether there is a password to try on it.
bool noteEncryptedEntry(std::size_t index);
// The first encrypted entry, in reading order, if there is one.
std::optional<std::size_t> firstEncryptedEntry();

// Overwrites the password in memory. Called at exit.
void wipe();

} // namespace Passphrase
