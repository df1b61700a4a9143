#pragma once

#include <QString>

// Mounts a small tmpfs on a folder for as long as it lives, so that a test
// can fill the file system under a destination. Mounting needs root (or the
// right to mount in a namespace of one's own); where it is refused,
// isRefused() tells the test to skip rather than fail.
class TmpfsMount {
public:
    TmpfsMount(QString folder, qint64 size);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    bool isMounted() const { return m_isMounted; }
    bool isRefused() const { return m_isRefused; }
    // Why the folder is not mounted; empty when it is.
    const QString& problem() const { return m_problem; }

private:
    QString m_folder;
    bool m_isMounted = false;
    bool m_isRefused = false;
    QString m_problem;
};
