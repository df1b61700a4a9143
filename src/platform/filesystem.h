#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The file-system operations that extraction runs and the window call, on
// file locations (absolute local paths as URLs). None of them reports an
// error: each says what its caller may rely on.
namespace FileSystem {

// The absolute local path of a location; empty for anything else (a remote or
// relative location), which every operation below treats as unreachable.
QString localPath(const QUrl& location);

// The size in bytes, or nothing when the item's attributes cannot be read.
std::optional<qint64> fileSize(const QUrl& location);

// The bytes an unprivileged writer may still put on the file system that
// holds the folder; nothing where it cannot be read, or where the file
// system reports no size at all (pseudo file systems such as /proc).
std::optional<qint64> availableSpace(const QUrl& folder);

// Removes a file; a failure is ignored.
void removeFile(const QUrl& location);

// Whether both locations exist and are one file, through links or not.
bool isSameFile(const QUrl& first, const QUrl& second);

// Which file sits at a location itself (a link is not followed): two
// identities are equal only for the very same file, so a file replaced by
// another of the same name shows as a different one.
struct FileIdentity {
    quint64 device;
    quint64 inode;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};
std::optional<FileIdentity> fileIdentity(const QUrl& location);

// Access to a location the user dropped or chose. Linux has no per-location
// grants on top of the file permissions, so nothing is ever granted and
// nothing has to be given back; callers still ask and give back, so that a
// platform with such grants slots in here.
bool startAccess(const QUrl& location);
void stopAccess(const QUrl& location);

} // namespace FileSystem
