// The serial port as the link uses it: one port, opened by number or device path, with receive
// and send-complete notifications delivered on the thread that owns it. The link talks to the
// unit only through this interface; QtSerialPort implements it, tests use a fake.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <optional>

namespace vanto {

// Line settings in their usual text form, e.g. "19200,N,8,1".
struct LineSettings {
    qint32 baud = 19200;
    char parity = 'N'; // 'N', 'E', 'O', 'M' or 'S'
    int dataBits = 8;
    int stopBits = 1;

    static std::optional<LineSettings> parse(const QString& text);
    QString text() const;
    bool operator==(const LineSettings& o) const {
        return baud == o.baud && parity == o.parity && dataBits == o.dataBits &&
               stopBits == o.stopBits;
    }
};

// The device a port number opens: "COMn" on Windows, "/dev/ttyS(n-1)" elsewhere.
QString deviceForPort(int commPort);

// Why a port could not be opened or stopped working.
enum class PortFailure {
    NoSuchDevice,
    PermissionDenied,
    Busy,
    DeviceLost, // an open port that failed (device unplugged, line hung up)
    Other,
};

// One line naming the device and the reason and, for the common causes, what to do. `group` is
// the group that owns the device (PermissionDenied), `detail` the system's own words (Other,
// DeviceLost).
QString describePortFailure(PortFailure failure, const QString& device, const QString& group = {},
                            const QString& detail = {});

// What the file system says about a device the user may not open.
struct DeviceAccess {
    QString owner;                // the owning user's name
    QString group;                // the owning group's name
    uint gid = 0;                 // the owning group's id
    int mode = -1;                // the permission bits (0660, 0600, ...); -1 unknown
    bool memberOfGroup = false;   // the user is listed in that group ...
    bool sessionHasGroup = false; // ... and this login session already carries it
};

// The permission-denied line for `device`: it suggests joining the owning group only where the
// group may read and write the device and is not root; otherwise it names the owner, group and
// mode and suggests a udev rule. It never suggests the root group.
QString describePermissionDenied(const QString& device, const DeviceAccess& access);

class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialPort() override = default;

    // The device to open: a path such as /dev/ttyUSB0 or a name such as COM3. Only while closed.
    virtual void setDevice(const QString& device) = 0;
    virtual QString device() const = 0;
    // Baud rate, parity, data and stop bits. Flow control is always off (neither hardware nor
    // XON/XOFF), no end-of-file character is recognised, and a read returns every waiting byte.
    virtual void setLineSettings(const LineSettings& settings) = 0;

    // Opens the port with the settings given. On failure errorString() says why.
    virtual bool open() = 0;
    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    // The last failure, as describePortFailure words it.
    virtual QString errorString() const = 0;

    // 0: no received() notifications; n > 0: received() whenever at least n bytes are waiting.
    virtual void setReceiveThreshold(int bytes) = 0;
    virtual int receiveThreshold() const = 0;
    // 0: no sendComplete(); n > 0: sendComplete() once fewer than n bytes remain queued after a
    // write (1: the output queue has drained).
    virtual void setSendThreshold(int bytes) = 0;
    virtual int sendThreshold() const = 0;

    // Received bytes not yet read.
    virtual int waitingCount() const = 0;
    // Drops every received byte not yet read.
    virtual void discardInput() = 0;
    // Queues bytes for sending.
    virtual void write(const QByteArray& bytes) = 0;
    // Returns and removes every waiting byte.
    virtual QByteArray readAll() = 0;

signals:
    void received();
    void sendComplete();
    // The open port failed (device gone, line hung up) and has been closed.
    void failed(const QString& description);
};

} // namespace vanto
