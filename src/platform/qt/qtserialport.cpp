#include "qtserialport.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>
#endif

namespace vanto {

namespace {

QSerialPort::Parity parityOf(char p) {
    switch (p) {
    case 'E':
        return QSerialPort::EvenParity;
    case 'O':
        return QSerialPort::OddParity;
    case 'M':
        return QSerialPort::MarkParity;
    case 'S':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

#ifdef Q_OS_UNIX
// Owner, group and mode of a device, and whether the user is in its group (listed in the group
// database) and whether this process already carries that group.
DeviceAccess deviceAccess(const struct stat& info) {
    DeviceAccess a;
    a.gid = info.st_gid;
    a.mode = int(info.st_mode & 07777);
    if (const struct passwd* pw = ::getpwuid(info.st_uid))
        a.owner = QString::fromLocal8Bit(pw->pw_name);
    else
        a.owner = QString::number(info.st_uid);
    if (const struct group* gr = ::getgrgid(info.st_gid))
        a.group = QString::fromLocal8Bit(gr->gr_name);
    else
        a.group = QString::number(info.st_gid);
    const int n = ::getgroups(0, nullptr);
    if (n > 0) {
        std::vector<gid_t> groups(static_cast<size_t>(n));
        if (::getgroups(n, groups.data()) == n)
            for (gid_t g : groups)
                a.sessionHasGroup = a.sessionHasGroup || g == info.st_gid;
    }
    a.sessionHasGroup = a.sessionHasGroup || ::getegid() == info.st_gid;
    a.memberOfGroup = a.sessionHasGroup;
    if (const struct passwd* me = ::getpwuid(::geteuid())) {
        int count = 64;
        std::vector<gid_t> listed(static_cast<size_t>(count));
        if (::getgrouplist(me->pw_name, me->pw_gid, listed.data(), &count) < 0 && count > 0) {
            listed.resize(static_cast<size_t>(count));
            ::getgrouplist(me->pw_name, me->pw_gid, listed.data(), &count);
        }
        for (int i = 0; i < count && i < int(listed.size()); ++i)
            a.memberOfGroup = a.memberOfGroup || listed[size_t(i)] == info.st_gid;
    }
    return a;
}
#endif

} // namespace

QtSerialPort::QtSerialPort(QObject* parent) : SerialPort(parent) {
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialPort::onReadyRead);
    connect(&m_port, &QSerialPort::bytesWritten, this, &QtSerialPort::onBytesWritten);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
}

QtSerialPort::~QtSerialPort() {
    if (m_port.isOpen())
        m_port.close();
}

void QtSerialPort::setDevice(const QString& device) {
    if (m_port.isOpen())
        return;
    m_device = device;
    m_port.setPortName(device);
}

bool QtSerialPort::open() {
    m_error.clear();
    m_port.setBaudRate(m_settings.baud);
    m_port.setParity(parityOf(m_settings.parity));
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(m_settings.dataBits));
    m_port.setStopBits(m_settings.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_error = describeOpenFailure(m_port.error());
        m_port.clearError();
        return false;
    }
    return true;
}

QString QtSerialPort::describeOpenFailure(QSerialPort::SerialPortError error) const {
    const QString detail = m_port.errorString();
#ifdef Q_OS_UNIX
    // QSerialPort reports a missing device, a device we may not open and one whose lock another
    // program holds in overlapping ways; the file system tells them apart.
    const QByteArray path = QFileInfo(m_device).absoluteFilePath().toLocal8Bit();
    struct stat info {};
    if (::stat(path.constData(), &info) != 0)
        return describePortFailure(PortFailure::NoSuchDevice, m_device);
    if (::access(path.constData(), R_OK | W_OK) != 0)
        return describePermissionDenied(m_device, deviceAccess(info));
    if (error == QSerialPort::PermissionError)
        return describePortFailure(PortFailure::Busy, m_device);
#endif
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return describePortFailure(PortFailure::NoSuchDevice, m_device);
    case QSerialPort::PermissionError:
        return describePortFailure(PortFailure::PermissionDenied, m_device);
    default:
        return describePortFailure(PortFailure::Other, m_device, {}, detail);
    }
}

void QtSerialPort::close() {
    if (m_port.isOpen())
        m_port.close();
    m_sendThreshold = 0;
}

int QtSerialPort::waitingCount() const {
    return m_port.isOpen() ? static_cast<int>(m_port.bytesAvailable()) : 0;
}

void QtSerialPort::discardInput() {
    if (!m_port.isOpen())
        return;
    m_port.clear(QSerialPort::Input);
    m_port.readAll(); // whatever Qt had already taken from the device
}

void QtSerialPort::write(const QByteArray& bytes) {
    if (m_port.isOpen())
        m_port.write(bytes);
}

QByteArray QtSerialPort::readAll() {
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void QtSerialPort::onReadyRead() {
    if (m_receiveThreshold > 0 && m_port.bytesAvailable() >= m_receiveThreshold)
        emit received();
}

void QtSerialPort::onBytesWritten() {
    if (m_sendThreshold > 0 && m_port.bytesToWrite() < m_sendThreshold)
        emit sendComplete();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    if (!m_port.isOpen())
        return; // open failures are reported by open()
    // Closing a lost device can fail again (restoring its settings on a hung-up terminal), and
    // QSerialPort reports that from inside close(), while the port still counts as open.
    if (m_closingLostPort)
        return;
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError: {
        // The device is gone (unplugged, hung up). Qt 6.4 keeps reporting ReadError in a busy
        // loop while such a port stays open, so it is closed here, at once.
        m_error = describePortFailure(PortFailure::DeviceLost, m_device, {}, m_port.errorString());
        m_closingLostPort = true;
        m_port.clearError();
        m_port.close();
        m_closingLostPort = false;
        m_sendThreshold = 0;
        emit failed(m_error);
        break;
    }
    default:
        break;
    }
}

} // namespace vanto
