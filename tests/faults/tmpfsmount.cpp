#include "tmpfsmount.h"

#include <QFile>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

TmpfsMount::TmpfsMount(QString folder, qint64 size)
    : m_folder(std::move(folder)) {
    if (::geteuid() != 0) {
        m_isRefused = true;
        m_problem = QStringLiteral("mounting a small tmpfs to fill needs root; run the test as "
                                   "root to check a full file system");
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(size);
    if (::mount("tmpfs", QFile::encodeName(m_folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                options.constData()) == 0) {
        m_isMounted = true;
        return;
    }
    const int error = errno;
    // A container without the right to mount says so with EPERM or EACCES.
    m_isRefused = error == EPERM || error == EACCES;
    m_problem = QStringLiteral("cannot mount a small tmpfs to fill on %1 (%2); a full file "
                               "system needs the right to mount")
                    .arg(m_folder, QString::fromLocal8Bit(std::strerror(error)));
}

// Detached, so that a file some process still holds open there cannot keep
// the mount, and the folder under it, in place after the test.
TmpfsMount::~TmpfsMount() {
    if (m_isMounted)
        ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
}
