#include "zipfixture.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
#include <memory>

namespace {

void put16(QByteArray& out, quint32 value) {
    out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
}

void put32(QByteArray& out, quint32 value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// The fields local and central headers share, from "version needed" on.
QByteArray commonFields(const ZipEntry& entry) {
    const quint32 crc = entry.crc.value_or(ZipFixture::crc32(entry.data));
    const quint32 size = quint32(entry.data.size());
    QByteArray fields;
    put16(fields, 20);
    put16(fields, entry.flags);
    put16(fields, entry.method);
    put16(fields, 0);    // DOS time
    put16(fields, 0x21); // DOS date: 1980-01-01
    put32(fields, crc);
    put32(fields, size);
    put32(fields, entry.declaredSize.value_or(size));
    put16(fields, quint32(entry.name.size()));
    put16(fields, 0); // extra field length
    return fields;
}

} // namespace

quint32 ZipFixture::crc32(const QByteArray& data) {
    quint32 crc = ~0u;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

ZipEntry ZipFixture::fileEntry(const QByteArray& name, const QByteArray& data, quint32 mode) {
    ZipEntry entry;
    entry.name = name;
    entry.data = data;
    entry.mode = mode;
    return entry;
}

ZipEntry ZipFixture::folderEntry(const QByteArray& name) {
    return fileEntry(name.endsWith('/') ? name : name + '/', {}, 040755);
}

ZipEntry ZipFixture::linkEntry(const QByteArray& name, const QByteArray& target) {
    return fileEntry(name, target, 0120777);
}

QByteArray ZipFixture::buildZip(const QList<ZipEntry>& entries) {
    QByteArray out;
    QByteArray directory;
    for (const ZipEntry& entry : entries) {
        const quint32 offset = quint32(out.size());
        put32(out, 0x04034b50);
        out += commonFields(entry) + entry.name + entry.data;
        put32(directory, 0x02014b50);
        put16(directory, 0x0314); // made by Unix, so the mode counts
        directory += commonFields(entry);
        put16(directory, 0); // comment length
        put16(directory, 0); // disk number
        put16(directory, 0); // internal attributes
        put32(directory, entry.mode << 16);
        put32(directory, offset);
        directory += entry.name;
    }
    const quint32 directoryOffset = quint32(out.size());
    out += directory;
    put32(out, 0x06054b50);
    put32(out, 0); // disk numbers
    put16(out, quint32(entries.size()));
    put16(out, quint32(entries.size()));
    put32(out, quint32(directory.size()));
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

bool ZipFixture::writeWithLibarchive(const QString& path, const QList<Item>& items,
                                     const char* options, Sizes sizes, const char* passphrase) {
    const std::unique_ptr<archive, decltype(&archive_write_free)> writer(archive_write_new(),
                                                                         archive_write_free);
    archive_write_set_format_zip(writer.get());
    if ((options && archive_write_set_options(writer.get(), options) != ARCHIVE_OK) ||
        (passphrase && archive_write_set_passphrase(writer.get(), passphrase) != ARCHIVE_OK) ||
        archive_write_open_filename(writer.get(), path.toLocal8Bit().constData()) != ARCHIVE_OK)
        return false;
    for (const Item& item : items) {
        const std::unique_ptr<archive_entry, decltype(&archive_entry_free)> entry(
            archive_entry_new(), archive_entry_free);
        // A link's target travels in its data here, as it does inside a zip.
        const bool isLink = (item.mode & 0170000) == 0120000;
        const QByteArray data = isLink ? QByteArray() : item.data;
        archive_entry_set_pathname_utf8(entry.get(), item.name.toUtf8().constData());
        archive_entry_set_mode(entry.get(), item.mode);
        archive_entry_set_mtime(entry.get(), item.modified, 0);
        if (isLink)
            archive_entry_set_symlink(entry.get(), item.data.constData());
        if (sizes == Sizes::Declared)
            archive_entry_set_size(entry.get(), data.size());
        if (archive_write_header(writer.get(), entry.get()) != ARCHIVE_OK ||
            archive_write_data(writer.get(), data.constData(), std::size_t(data.size())) !=
                data.size())
            return false;
    }
    return archive_write_close(writer.get()) == ARCHIVE_OK;
}

QByteArray ZipFixture::readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool ZipFixture::writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QStringList ZipFixture::tree(const QString& root) {
    namespace fs = std::filesystem;
    QStringList items;
    const fs::path base(root.toStdString());
    for (const auto& item : fs::recursive_directory_iterator(base)) {
        const QString name = QString::fromStdString(item.path().lexically_relative(base).string());
        if (item.is_symlink())
            items << name + "->" + QString::fromStdString(fs::read_symlink(item.path()).string());
        else if (item.is_directory())
            items << name + "/";
        else if (item.is_regular_file())
            items << name + "=" +
                         QString::fromLatin1(readFile(QString::fromStdString(item.path())));
        else
            items << name + " (special file)";
    }
    items.sort();
    return items;
}

QByteArray ZipFixture::randomBytes(qsizetype size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (char& byte : bytes)
        byte = char(generator.generate());
    return bytes;
}

QStringList ZipFixture::writeParts(const QByteArray& bytes, const QString& folder,
                                   const QString& baseName, int count) {
    QStringList parts;
    const qsizetype partSize = (bytes.size() + count - 1) / count;
    for (int i = 0; i < count; ++i) {
        parts << QDir(folder).filePath(i == 0 ? baseName + ".zip"
                                              : QStringLiteral("%1(%2).zip").arg(baseName).arg(i));
        if (!writeFile(parts.last(), bytes.mid(i * partSize, partSize)))
            return {};
    }
    return parts;
}
