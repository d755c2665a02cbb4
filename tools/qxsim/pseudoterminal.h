// A pseudo-terminal pair: the simulator keeps the master end, the host opens the slave device.
#pragma once

#include <QString>

namespace qxsim {

class Pty {
public:
    Pty() = default;
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    ~Pty() { close(); }

    // Opens a new pair: the slave in raw mode at 19200 baud, the master non-blocking. Returns ""
    // or the reason it failed.
    QString open();
    // Closes both ends: a host that holds the device sees the line hang up.
    void close();

    bool isOpen() const { return m_master >= 0; }
    int master() const { return m_master; }
    const QString& path() const { return m_path; }

    // While the simulator holds the slave open, the master never reports a hang-up, whether or
    // not a host has the device open. Letting it go makes the master report one (POLLHUP, read
    // fails with EIO) as soon as no host holds the device.
    bool holdsSlave() const { return m_slave >= 0; }
    void releaseSlave();

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
};

} // namespace qxsim
