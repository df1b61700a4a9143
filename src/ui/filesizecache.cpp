#include "ui/filesizecache.h"

#include "platform/filesystem.h"

#include <QThread>
#include <QTimer>

FileSizeCache::FileSizeCache(QObject* parent)
    : QObject(parent)
    , m_thread(new QThread(this))
    , m_reader(new QObject) {
    m_thread->setObjectName(QStringLiteral("FileSizeCache"));
    m_reader->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_reader, &QObject::deleteLater);
    m_thread->start();
}

FileSizeCache::~FileSizeCache() {
    m_stopping = true;
    m_thread->quit();
    m_thread->wait();
}

void FileSizeCache::request(const QList<QUrl>& locations) {
    QList<QUrl> unread;
    for (const QUrl& location : locations) {
        if (m_sizes.contains(location) || m_requested.contains(location))
            continue;
        m_requested.insert(location);
        unread << location;
    }
    if (unread.isEmpty())
        return;
    // Each size comes back on its own, so one slow file does not hold back
    // the others already read; queued calls to this object are dropped if it
    // goes first.
    QMetaObject::invokeMethod(
        m_reader,
        [this, unread] {
            for (const QUrl& location : unread) {
                if (m_stopping)
                    return;
                const std::optional<qint64> size = FileSystem::fileSize(location);
                QMetaObject::invokeMethod(
                    this, [this, location, size] { store(location, size); }, Qt::QueuedConnection);
            }
        },
        Qt::QueuedConnection);
}

std::optional<qint64> FileSizeCache::totalSize(const QList<QUrl>& locations) const {
    qint64 total = 0;
    for (const QUrl& location : locations) {
        const auto found = m_sizes.constFind(location);
        if (found == m_sizes.cend())
            return std::nullopt;
        total += found->value_or(0);
    }
    return total;
}

void FileSizeCache::store(const QUrl& location, std::optional<qint64> size) {
    m_requested.remove(location);
    m_sizes.insert(location, size);
    if (m_arrivalPending)
        return;
    m_arrivalPending = true;
    QTimer::singleShot(0, this, [this] {
        m_arrivalPending = false;
        Q_EMIT sizesArrived();
    });
}
