// Real write failures for tests: a small tmpfs filled to the last byte (needs the right to mount,
// as root; a test without it skips), and a child process whose file size limit makes the kernel
// refuse its writes (works everywhere).
#pragma once

#include "fakes.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace vanto::test {

class SmallTmpfs {
public:
    // Mounts a tmpfs of `kib` KiB on `dir` (created when missing).
    explicit SmallTmpfs(const QString& dir, int kib = 64) : m_dir(dir) {
        QDir().mkpath(dir);
        const QByteArray options = "size=" + QByteArray::number(kib) + "k";
        m_mounted = ::mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0,
                            options.constData()) == 0;
        m_error = m_mounted ? 0 : errno;
    }
    ~SmallTmpfs() {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_dir).constData(), MNT_DETACH);
    }
    SmallTmpfs(const SmallTmpfs&) = delete;
    SmallTmpfs& operator=(const SmallTmpfs&) = delete;

    bool mounted() const { return m_mounted; }
    QString why() const {
        return QStringLiteral("cannot mount a tmpfs: %1").arg(strerror(m_error));
    }
    QString path(const QString& name) const { return QDir(m_dir).filePath(name); }

    // Takes all the space that is left with a filler file.
    bool fill() {
        const int fd = ::open(QFile::encodeName(path(QStringLiteral(".filler"))).constData(),
                              O_WRONLY | O_CREAT | O_APPEND, 0600);
        if (fd < 0)
            return false;
        const QByteArray block(512, 'f');
        while (::write(fd, block.constData(), size_t(block.size())) > 0) {
        }
        ::write(fd, block.constData(), 1);
        const bool full = errno == ENOSPC;
        ::close(fd);
        return full;
    }

private:
    QString m_dir;
    bool m_mounted = false;
    int m_error = 0;
};

// Lets the child write no file beyond `bytes` bytes: a longer write fails with EFBIG.
inline void limitFileSize(QProcess& process, rlim_t bytes) {
    process.setChildProcessModifier([bytes] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    });
}

} // namespace vanto::test
