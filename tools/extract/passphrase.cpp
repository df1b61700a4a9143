#include "passphrase.h"

#include "progressreport.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Sized once before reading, so that no reallocation leaves a copy of the
// password behind in freed memory.
std::string passphrase;
bool isPassphraseGiven = false;
std::optional<std::size_t> firstEncrypted;

} // namespace

bool Passphrase::readFromEnvironment() {
    const char* value = std::getenv("KESTRUNE_PASSPHRASE_FD");
    if (!value)
        return true;
    // The same rules as for the progress descriptor: a number from 3 on,
    // open in this process. Anything else is no hand-over.
    const std::optional<int> fd = ProgressReport::descriptorFrom(value);
    if (!fd)
        return true;
    passphrase.assign(longest + 1, '\0');
    std::size_t length = 0;
    ssize_t count = 0;
    do {
        count = ::read(*fd, passphrase.data() + length, longest + 1 - length);
        if (count > 0)
            length += std::size_t(count);
    } while ((count > 0 && length <= longest) || (count < 0 && errno == EINTR));
    ::close(*fd);
    if (count < 0 || length > longest) {
        wipe();
        return false;
    }
    // The library takes a C string, so the password ends at its first NUL;
    // an empty one it refuses, and is no password.
    isPassphraseGiven = passphrase[0] != '\0';
    return true;
}

bool Passphrase::isGiven() {
    return isPassphraseGiven;
}

void Passphrase::applyTo(archive* handle) {
    if (isPassphraseGiven)
        archive_read_add_passphrase(handle, passphrase.c_str());
}

bool Passphrase::noteEncryptedEntry(std::size_t index) {
    if (!firstEncrypted)
        firstEncrypted = index;
    return isPassphraseGiven;
}

std::optional<std::size_t> Passphrase::firstEncryptedEntry() {
    return firstEncrypted;
}

void Passphrase::wipe() {
    if (!passphrase.empty())
        ::explicit_bzero(passphrase.data(), passphrase.size());
    passphrase.clear();
    isPassphraseGiven = false;
}
