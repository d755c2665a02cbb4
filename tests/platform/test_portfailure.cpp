// What the operator is told when a serial device may not be opened: advice that can work, never
// to join the root group.
#include "platform/serialport.h"

#include <QTest>

using namespace vanto;

class TestPortFailure : public QObject {
    Q_OBJECT
private slots:
    void permissionAdvice_data() {
        QTest::addColumn<QString>("owners"); // owner:group
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("member");
        QTest::addColumn<bool>("session");
        QTest::addColumn<QString>("advice"); // a part the line must hold
        QTest::newRow("dialout may, not a member")
            << "root:dialout" << 0660 << false << false
            << "belongs to group dialout (mode 0660): join it with sudo usermod -aG dialout $USER";
        QTest::newRow("member, session older")
            << "root:plugdev" << 0660 << true << false << "log out and in again";
        QTest::newRow("member, session has it")
            << "root:dialout" << 0660 << true << true << "an ACL or a security module";
        QTest::newRow("root:root 600")
            << "root:root" << 0600 << false << false << "owned by root:root with mode 0600";
        QTest::newRow("group root may") << "root:root" << 0660 << false << false << "a udev rule";
        QTest::newRow("group may only read")
            << "root:dialout" << 0640 << false << false << "owned by root:dialout with mode 0640";
        QTest::newRow("mode unknown, dialout")
            << ":dialout" << -1 << false << false << "sudo usermod -aG dialout $USER";
        QTest::newRow("mode unknown, root")
            << ":root" << -1 << false << false << "the user may not open it";
    }

    void permissionAdvice() {
        QFETCH(QString, owners);
        QFETCH(int, mode);
        QFETCH(bool, member);
        QFETCH(QString, advice);
        DeviceAccess a;
        a.owner = owners.section(QLatin1Char(':'), 0, 0);
        a.group = owners.section(QLatin1Char(':'), 1);
        a.gid = a.group == QLatin1String("root") ? 0 : 20;
        a.mode = mode;
        a.memberOfGroup = member;
        QFETCH(bool, session);
        a.sessionHasGroup = session;
        const QString line = describePermissionDenied(QStringLiteral("/dev/ttyUSB0"), a);
        QVERIFY2(line.startsWith(QLatin1String("/dev/ttyUSB0: permission denied: ")),
                 qPrintable(line));
        QVERIFY2(line.contains(advice), qPrintable(line));
        QVERIFY2(!line.contains(QLatin1String("-aG root")), qPrintable(line));
        // Only a group that can open the device is worth joining.
        const bool groupWorks =
            a.group != QLatin1String("root") && (mode < 0 || (mode & 0060) == 0060);
        QCOMPARE(line.contains(QLatin1String("usermod")), groupWorks && !member);
    }
};

QTEST_GUILESS_MAIN(TestPortFailure)
#include "test_portfailure.moc"
