#include "ui/filelistmodel.h"

#include "grouping/filegrouper.h"
#include "ui/filesizecache.h"
#include "ui/filesizes.h"

#include <QFileInfo>

namespace {

// The part number the grouping reads from the name, which the missing-parts
// warning also uses: 2 for archive(2).zip, 0 for archive.zip, 1 for
// archive.zip.001.
qint64 partNumber(const QUrl& location) {
    return partIndexOf(location).value_or(0);
}

} // namespace

FileListModel::FileListModel(FileSizeCache* sizes, QObject* parent)
    : QAbstractListModel(parent)
    , m_sizes(sizes) {
    connect(m_sizes, &FileSizeCache::sizesArrived, this, &FileListModel::showSizes);
}

void FileListModel::setFiles(const QList<QUrl>& files) {
    m_sizes->request(files);
    if (files == m_files)
        return;
    if (removeRowsMissingFrom(files))
        return;
    beginResetModel();
    m_files = files;
    endResetModel();
}

// True when `files` is the current list with some rows taken out, which
// then leave one by one; anything else is shown afresh.
bool FileListModel::removeRowsMissingFrom(const QList<QUrl>& files) {
    if (files.size() >= m_files.size())
        return false;
    QList<int> missing;
    qsizetype next = 0;
    for (int row = 0; row < m_files.size(); ++row) {
        if (next < files.size() && m_files.at(row) == files.at(next))
            ++next;
        else
            missing << row;
    }
    if (next != files.size())
        return false;
    for (auto row = missing.crbegin(); row != missing.crend(); ++row) {
        beginRemoveRows(QModelIndex(), *row, *row);
        m_files.removeAt(*row);
        endRemoveRows();
    }
    return true;
}

void FileListModel::setRemovable(bool removable) {
    if (removable == m_isRemovable)
        return;
    m_isRemovable = removable;
    if (!m_files.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_files.size()) - 1), {RemovableRole});
}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_files.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_files.size())
        return {};
    const QUrl& location = m_files.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return location.fileName();
    case PartNumberRole:
        return QString::number(partNumber(location));
    case FolderRole:
        return QFileInfo(location.toLocalFile()).path();
    case SizeRole: {
        const std::optional<qint64> size = m_sizes->size(location);
        return size ? FileSizes::formatted(*size) : QString();
    }
    case RemovableRole:
        return m_isRemovable;
    case LocationRole:
        return location;
    case Qt::ToolTipRole:
        // The whole path, which the row may show shortened.
        return location.toLocalFile();
    case Qt::AccessibleTextRole:
        return spokenText(location);
    case Qt::AccessibleDescriptionRole:
        return QFileInfo(location.toLocalFile()).path();
    default:
        return {};
    }
}

// "archive(2).zip, part 2, 1.2 GB": the part number that the name gives,
// which differs from the row's place where parts are missing, and the size
// once it has been read.
QString FileListModel::spokenText(const QUrl& location) const {
    const QString name = location.fileName();
    const qint64 part = partNumber(location);
    QStringList pieces{name, part == 0 ? tr("base part") : tr("part %1").arg(part)};
    if (const std::optional<qint64> size = m_sizes->size(location))
        pieces << FileSizes::formatted(*size);
    return pieces.join(QStringLiteral(", "));
}

void FileListModel::showSizes() {
    if (!m_files.isEmpty())
        Q_EMIT dataChanged(index(0), index(int(m_files.size()) - 1),
                           {SizeRole, Qt::AccessibleTextRole});
}
