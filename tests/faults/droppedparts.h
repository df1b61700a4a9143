#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

// The part files of one split archive, named as downloads name them
// (name.zip, name(1).zip, …), together with the bytes each was written with,
// so that a test can tell afterwards whether a run changed any of them.
class DroppedParts {
public:
    DroppedParts(QString folder, QString name);
    ~DroppedParts();
    DroppedParts(const DroppedParts&) = delete;
    DroppedParts& operator=(const DroppedParts&) = delete;

    // Cuts the bytes into `count` parts of equal size, the last one shorter.
    void split(const QByteArray& bytes, int count);
    void addFile(const QByteArray& bytes);
    // A named pipe in the place of the next part; whatever the test writes
    // into it is what the merge reads, and it is never read back here.
    bool addFifo(const QByteArray& bytesItWillCarry);
    bool remove(int part);

    QList<QUrl> locations() const;
    QString path(int part) const { return m_parts[part].path; }
    // The bytes of the first `count` parts in order: what a merge that got
    // that far has written.
    QByteArray joined(int count) const;
    // The file names of the parts that differ from what was written.
    QStringList changed() const;

private:
    enum class Kind { File, Fifo, Removed };
    struct Part {
        QString path;
        QByteArray bytes;
        Kind kind;
    };

    QString nextPath() const;

    QString m_folder;
    QString m_name;
    QList<Part> m_parts;
};
