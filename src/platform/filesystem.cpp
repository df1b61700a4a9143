#include "platform/filesystem.h"

#include <QDir>
#include <QFile>
#include <QStorageInfo>

#include <sys/stat.h>

namespace FileSystem {

QString localPath(const QUrl& location) {
    const QString path = location.toLocalFile();
    return QDir::isAbsolutePath(path) ? path : QString();
}

namespace {

std::optional<struct stat> status(const QUrl& location) {
    const QString path = localPath(location);
    struct stat result {};
    if (path.isEmpty() || ::stat(QFile::encodeName(path).constData(), &result) != 0)
        return std::nullopt;
    return result;
}

} // namespace

std::optional<qint64> fileSize(const QUrl& location) {
    const std::optional<struct stat> found = status(location);
    if (!found)
        return std::nullopt;
    return qint64(found->st_size);
}

std::optional<qint64> availableSpace(const QUrl& folder) {
    const QString path = localPath(folder);
    if (path.isEmpty())
        return std::nullopt;
    const QStorageInfo storage(path);
    if (!storage.isValid() || storage.bytesTotal() <= 0 || storage.bytesAvailable() < 0)
        return std::nullopt;
    return storage.bytesAvailable();
}

void removeFile(const QUrl& location) {
    const QString path = localPath(location);
    if (!path.isEmpty())
        QFile::remove(path);
}

bool isSameFile(const QUrl& first, const QUrl& second) {
    const std::optional<struct stat> one = status(first);
    const std::optional<struct stat> other = status(second);
    return one && other && one->st_dev == other->st_dev && one->st_ino == other->st_ino;
}

std::optional<FileIdentity> fileIdentity(const QUrl& location) {
    const QString path = localPath(location);
    struct stat result {};
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &result) != 0)
        return std::nullopt;
    return FileIdentity{quint64(result.st_dev), quint64(result.st_ino)};
}

bool startAccess(const QUrl& location) {
    Q_UNUSED(location);
    return false;
}

void stopAccess(const QUrl& location) {
    Q_UNUSED(location);
}

} // namespace FileSystem
