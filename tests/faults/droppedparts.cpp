#include "droppedparts.h"

#include "fifo.h"
#include "testsupport.h"

#include "platform/filedescriptor.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

DroppedParts::DroppedParts(QString folder, QString name)
    : m_folder(std::move(folder))
    , m_name(std::move(name)) {}

// A merge that a failed test left waiting to open a pipe part would hold the
// service's thread, and the service's end, for ever; a writer that comes and
// goes lets it read the pipe to its end.
DroppedParts::~DroppedParts() {
    for (const Part& part : std::as_const(m_parts)) {
        if (part.kind == Kind::Fifo)
            const FileDescriptor writer(Fifo::openWriter(part.path));
    }
}

void DroppedParts::split(const QByteArray& bytes, int count) {
    const qsizetype partSize = (bytes.size() + count - 1) / count;
    for (int part = 0; part < count; ++part)
        addFile(bytes.mid(part * partSize, partSize));
}

void DroppedParts::addFile(const QByteArray& bytes) {
    const QString path = nextPath();
    writeFile(path, bytes);
    m_parts.append({path, bytes, Kind::File});
}

bool DroppedParts::addFifo(const QByteArray& bytesItWillCarry) {
    const QString path = nextPath();
    if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
        return false;
    m_parts.append({path, bytesItWillCarry, Kind::Fifo});
    return true;
}

bool DroppedParts::remove(int part) {
    m_parts[part].kind = Kind::Removed;
    return QFile::remove(m_parts[part].path);
}

QList<QUrl> DroppedParts::locations() const {
    QList<QUrl> locations;
    for (const Part& part : m_parts)
        locations.append(QUrl::fromLocalFile(part.path));
    return locations;
}

QByteArray DroppedParts::joined(int count) const {
    QByteArray bytes;
    for (const Part& part : m_parts.first(count))
        bytes += part.bytes;
    return bytes;
}

QStringList DroppedParts::changed() const {
    QStringList changed;
    for (const Part& part : m_parts) {
        if (part.kind == Kind::File && readFile(part.path) != part.bytes)
            changed.append(QFileInfo(part.path).fileName());
    }
    return changed;
}

QString DroppedParts::nextPath() const {
    const qsizetype part = m_parts.size();
    const QString name = part == 0 ? m_name + QStringLiteral(".zip")
                                   : QStringLiteral("%1(%2).zip").arg(m_name).arg(part);
    return QDir(m_folder).filePath(name);
}
