// The atomic writer under failing disks (a full tmpfs, injected faults at each step), the
// temporary files of killed saves, special files and file names that are not UTF-8.
#include "../fullfs.h"

#include "shared/atomicfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vanto;
using vanto::testing::WriteFaultAt;

Q_DECLARE_METATYPE(WriteFaultAt)

namespace {

using vanto::test::readAll;
using vanto::test::writeAll;

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

class TestAtomicFile : public QObject {
    Q_OBJECT
private slots:
    void failureKeepsOldFile_data() {
        QTest::addColumn<WriteFaultAt>("at");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("full disk") << WriteFaultAt::Write << ENOSPC << "no space left on device";
        QTest::newRow("sync") << WriteFaultAt::Sync << EIO << "input/output error";
        QTest::newRow("rename") << WriteFaultAt::Rename << EXDEV << "invalid cross-device link";
    }
    void failureKeepsOldFile() {
        QFETCH(WriteFaultAt, at);
        QFETCH(int, error);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Prog00.prg"));
        QVERIFY(writeAll(file, "old contents"));
        testing::injectWriteFault(at, error);
        QCOMPARE(writeFileAtomically(file, QByteArray(2224, 'n')), reason);
        QCOMPARE(readAll(file), QByteArray("old contents"));
        QCOMPARE(entries(dir.path()), QStringList{"Prog00.prg"}); // no temporary file left
        // A new file that fails is not created at all.
        QVERIFY(!writeFileAtomically(dir.filePath(QStringLiteral("new.prg")), "x").isEmpty());
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("new.prg"))));
        testing::injectWriteFault(WriteFaultAt::Nothing, 0);
        QCOMPARE(writeFileAtomically(file, QByteArray(2224, 'n')), QString());
        QCOMPARE(readAll(file), QByteArray(2224, 'n'));
    }

    void fullFilesystem() {
        QTemporaryDir dir;
        test::SmallTmpfs fs(dir.filePath(QStringLiteral("small")), 64);
        if (!fs.mounted())
            QSKIP(qPrintable(fs.why()));
        const QString file = fs.path(QStringLiteral("Prog00.prg"));
        QVERIFY(writeAll(file, QByteArray(2224, 'o')));
        // Room for a 2224-byte save, but not for a 100 KiB one.
        QCOMPARE(writeFileAtomically(file, QByteArray(2224, 'n')), QString());
        QCOMPARE(writeFileAtomically(file, QByteArray(100 * 1024, 'b')),
                 QStringLiteral("no space left on device"));
        QCOMPARE(readAll(file), QByteArray(2224, 'n'));
        QVERIFY(fs.fill());
        QCOMPARE(writeFileAtomically(file, QByteArray(2224, 'o')),
                 QStringLiteral("no space left on device"));
        QCOMPARE(readAll(file), QByteArray(2224, 'n'));
        QCOMPARE(entries(fs.path(QString())), (QStringList{".filler", "Prog00.prg"}));
    }

    void leftoversOfKilledSavesRemoved() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("Prog00.prg"));
        const QStringList kept = {"Other.prg.vanto-Ab3dE9", "Prog00.prg.backup",
                                  "Prog00.prg.vanto-Ab3dE", "Prog00.prg.vanto-Ab3dE9x",
                                  "Prog00.prg.vanto-ab.d0"};
        for (const QString& name :
             kept + QStringList{"Prog00.prg.vanto-Ab3dE9", "Prog00.prg.vanto-zz0000"})
            QVERIFY(writeAll(dir.filePath(name), "partial"));
        // A save in progress (another process) holds a lock on its temporary file.
        QFile busy(dir.filePath(QStringLiteral("Prog00.prg.vanto-busy00")));
        QVERIFY(busy.open(QIODevice::WriteOnly));
        QCOMPARE(::flock(busy.handle(), LOCK_EX), 0);
        QCOMPARE(writeFileAtomically(file, "new"), QString());
        QStringList expected = kept + QStringList{"Prog00.prg", "Prog00.prg.vanto-busy00"};
        expected.sort();
        QCOMPARE(entries(dir.path()), expected);
    }

    void specialFilesRefused() {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("fifo.prg"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QElapsedTimer clock;
        clock.start();
        QByteArray bytes;
        QCOMPARE(readFileHead(fifo, 2225, &bytes), QStringLiteral("not a regular file"));
        QCOMPARE(readFileHead(dir.path(), 2225, &bytes), QStringLiteral("it is a directory"));
        QCOMPARE(readFileHead(QStringLiteral("/dev/zero"), 2225, &bytes),
                 QStringLiteral("not a regular file"));
        QCOMPARE(writeFileAtomically(fifo, "x"), QStringLiteral("not a regular file"));
        QVERIFY(clock.elapsed() < 2000); // nothing waited for a writer or reader
        QFileInfo info(fifo);
        QVERIFY(info.exists() && !info.isFile()); // still the FIFO
    }

    void symbolicLinkStays() {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("real.prg"));
        const QString link = dir.filePath(QStringLiteral("link.prg"));
        QVERIFY(writeAll(target, "old"));
        QVERIFY(QFile::link(target, link));
        QCOMPARE(writeFileAtomically(link, "new"), QString());
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(readAll(target), QByteArray("new"));
    }

    // A read-only file is not replaced, even though its folder would let a new file take its name.
    // Root may write anything: the check runs as an ordinary user for its duration.
    void readOnlyFileStays() {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::Permissions(0x7777)));
        const QString file = dir.filePath(QStringLiteral("locked.prg"));
        QVERIFY(writeAll(file, "old"));
        QVERIFY(
            QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const bool root = ::geteuid() == 0;
        if (root)
            QCOMPARE(::setresuid(65534, 65534, 0), 0); // nobody, keeping the way back
        const QString reason = writeFileAtomically(file, "new");
        if (root)
            QCOMPARE(::setresuid(0, 0, 0), 0);
        QCOMPARE(reason, QStringLiteral("the file is read-only"));
        QCOMPARE(readAll(file), QByteArray("old"));
    }

    void fileNamesKeepTheirBytes_data() {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("Latin-1 e acute") << QByteArray("out\xe9.prg");
        QTest::newRow("cut sequence") << QByteArray("a\xe2\x82.prg");
        QTest::newRow("overlong slash") << QByteArray("a\xc0\xaf.prg");
        QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9 \xe2\x82\xac.prg");
    }
    void fileNamesKeepTheirBytes() {
        QFETCH(QByteArray, name);
        const QString decoded = decodeFileName(name);
        QCOMPARE(encodeFileName(decoded), name);
        if (QString::fromUtf8(name).toUtf8() == name) // valid UTF-8 reads as Qt reads it
            QCOMPARE(decoded, QFile::decodeName(name));
        QTemporaryDir dir;
        const QString path = decodeFileName(QFile::encodeName(dir.path()) + '/' + name);
        QCOMPARE(writeFileAtomically(path, "programs"), QString());
        struct stat st;
        QCOMPARE(::stat((QFile::encodeName(dir.path()) + '/' + name).constData(), &st), 0);
        QByteArray back;
        QCOMPARE(readFileHead(path, 100, &back), QString());
        QCOMPARE(back, QByteArray("programs"));
    }

    void cleanup() { testing::injectWriteFault(WriteFaultAt::Nothing, 0); }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "test_atomicfile.moc"
