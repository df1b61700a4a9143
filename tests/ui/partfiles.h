#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

// Part files of given sizes in a folder of their own, removed with it.
class PartFiles {
public:
    QUrl make(const QString& name, qint64 size = 0) {
        QFile file(QDir(m_folder.path()).filePath(name));
        if (file.open(QIODevice::WriteOnly))
            file.resize(size);
        return QUrl::fromLocalFile(file.fileName());
    }

    QUrl location(const QString& name) const {
        return QUrl::fromLocalFile(QDir(m_folder.path()).filePath(name));
    }

    QString path() const { return m_folder.path(); }

private:
    QTemporaryDir m_folder;
};
