#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>

#include <optional>

// Fixture archives, made by the tests themselves. ZipEntry and buildZip write
// a zip byte by byte, for names, modes and damage no archiver would produce;
// writeWithLibarchive makes ordinary archives the way real tools do.
struct ZipEntry {
    QByteArray name;
    QByteArray data; // stored as is; a link's target
    quint32 mode = 0100644;
    quint16 flags = 0;
    quint16 method = 0;
    qint64 modified = 1600000000; // seconds since the epoch
    std::optional<quint32> crc;   // the real CRC-32 when empty
    std::optional<quint32> declaredSize;
};
Q_DECLARE_METATYPE(ZipEntry)

namespace ZipFixture {

ZipEntry fileEntry(const QByteArray& name, const QByteArray& data, quint32 permissions = 0644);
ZipEntry folderEntry(const QByteArray& name, quint32 permissions = 0755);
ZipEntry linkEntry(const QByteArray& name, const QByteArray& target);

QByteArray buildZip(const QList<ZipEntry>& entries);
quint32 crc32(const QByteArray& data);

struct Item {
    QString name;
    QByteArray data;
    quint32 mode = 0100644; // with the file type
    qint64 modified = 1600000000;
};
enum class Sizes {
    Declared,
    // Sizes unknown up front: the writer puts them in data descriptors.
    Streamed,
};
// Writes a zip with libarchive's writer; options as for
// archive_write_set_options, e.g. "zip:compression=deflate,zip:zip64".
bool writeWithLibarchive(const QString& path, const QList<Item>& items, const char* options,
                         Sizes sizes = Sizes::Declared, const char* passphrase = nullptr);

} // namespace ZipFixture
