#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QStringList>

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
    std::optional<quint32> crc; // the real CRC-32 when empty
    std::optional<quint32> declaredSize;
};
Q_DECLARE_METATYPE(ZipEntry)

namespace ZipFixture {

ZipEntry fileEntry(const QByteArray& name, const QByteArray& data, quint32 mode = 0100644);
ZipEntry folderEntry(const QByteArray& name);
ZipEntry linkEntry(const QByteArray& name, const QByteArray& target);

QByteArray buildZip(const QList<ZipEntry>& entries);
quint32 crc32(const QByteArray& data);

struct Item {
    QString name;
    QByteArray data;
    quint32 mode = 0100644; // with the file type
    qint64 modified = 1600000000;
};
// Streamed: sizes unknown up front, so the writer puts them in data descriptors.
enum class Sizes { Declared, Streamed };
// Writes a zip with libarchive's writer; options as for
// archive_write_set_options, e.g. "zip:compression=deflate,zip:zip64".
bool writeWithLibarchive(const QString& path, const QList<Item>& items, const char* options,
                         Sizes sizes = Sizes::Declared, const char* passphrase = nullptr);

constexpr qint64 mebibyte = 1024 * 1024;

// Files, as the tests write and read them; readFile gives nothing for a
// file it cannot read. tree lists everything below root, hidden items too,
// sorted, one line per item: "file=content", "folder/", "link->target";
// links are never followed.
QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& data);
QStringList tree(const QString& root);
// Bytes that differ everywhere, the same for the same seed.
QByteArray randomBytes(qsizetype size, quint32 seed);
// Cuts bytes into `count` parts of equal size, the last one shorter, named as
// downloads are (base.zip, base(1).zip, …); their paths in part order, or
// none when one cannot be written.
QStringList writeParts(const QByteArray& bytes, const QString& folder, const QString& baseName,
                       int count);

} // namespace ZipFixture
