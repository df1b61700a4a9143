#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QUrl>

#include <atomic>
#include <optional>

class QThread;

// The sizes of part files as the window shows them, each read once, on a
// thread of its own: reading a size on a slow or network mount must never
// hold up painting. A size is unknown until its read has come back, and then
// kept for the window's lifetime; sizesArrived() tells the views to look again.
class FileSizeCache : public QObject {
    Q_OBJECT

public:
    explicit FileSizeCache(QObject* parent = nullptr);
    // Waits for the file being read, if any; the rest are dropped.
    ~FileSizeCache() override;

    // Asks for the sizes not read or asked for yet, in the order given.
    void request(const QList<QUrl>& locations);

    // Whether the size has come back, readable or not.
    bool isKnown(const QUrl& location) const { return m_sizes.contains(location); }
    // Nothing while unknown, or when the file's size could not be read.
    std::optional<qint64> size(const QUrl& location) const { return m_sizes.value(location); }
    // The sum of the sizes that could be read, once every one of them is
    // known; unreadable files add nothing.
    std::optional<qint64> totalSize(const QList<QUrl>& locations) const;

Q_SIGNALS:
    // Sizes have come back: at most once per turn of the event loop, however
    // many arrived in it.
    void sizesArrived();

private:
    void store(const QUrl& location, std::optional<qint64> size);

    QThread* m_thread;
    QObject* m_reader; // lives on m_thread; the reads run there, in order
    QHash<QUrl, std::optional<qint64>> m_sizes;
    QSet<QUrl> m_requested;
    std::atomic<bool> m_stopping = false;
    bool m_arrivalPending = false;
};
