#include "pseudoterminal.h"

#include <QtGlobal>

// Built on POSIX systems only (see CMakeLists.txt).
#if defined(Q_OS_UNIX)

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#if defined(Q_OS_MACOS)
#include <util.h>
#elif defined(Q_OS_FREEBSD)
#include <libutil.h>
#else
#include <pty.h>
#endif

namespace qxsim {

QString Pty::open() {
    close();
    char name[256] = {};
    struct termios tio = {};
    cfmakeraw(&tio);
    cfsetispeed(&tio, B19200);
    cfsetospeed(&tio, B19200);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (::openpty(&m_master, &m_slave, name, &tio, nullptr) != 0)
        return QStringLiteral("cannot open a pseudo-terminal: %1")
            .arg(QString::fromLocal8Bit(std::strerror(errno)));
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_path = QString::fromLocal8Bit(name);
    return QString();
}

void Pty::releaseSlave() {
    if (m_slave >= 0)
        ::close(m_slave);
    m_slave = -1;
}

void Pty::close() {
    releaseSlave();
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
    m_path.clear();
}

} // namespace qxsim

#endif // Q_OS_UNIX
