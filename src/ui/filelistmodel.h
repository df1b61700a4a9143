#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QUrl>

class FileSizeCache;

// The shown group's part files as rows, in merge order, with each size once
// FileSizeCache has read it. Files taken out of the list leave as removed
// rows, so the rows after them stay where they are; each row shows its part
// number, which does not change.
class FileListModel : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        PartNumberRole = Qt::UserRole, // as its name says: "2" for archive(2).zip
        FolderRole,
        SizeRole,      // formatted; empty until read, or when unreadable
        RemovableRole, // false while a run is going
        LocationRole,
    };

    explicit FileListModel(FileSizeCache* sizes, QObject* parent = nullptr);

    const QList<QUrl>& files() const { return m_files; }
    void setFiles(const QList<QUrl>& files);
    void setRemovable(bool removable);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    bool removeRowsMissingFrom(const QList<QUrl>& files);
    void showSizes();
    QString spokenText(const QUrl& location) const;

    FileSizeCache* m_sizes;
    QList<QUrl> m_files;
    bool m_isRemovable = true;
};
