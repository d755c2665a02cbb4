// A save killed at any moment (SIGKILL: no clean-up, no flush) leaves the file whole: exactly
// its size and byte for byte either the image before the save or the one being saved.
#include "saveimages.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <thread>

using namespace vanto;
using namespace vanto::test;

namespace {

constexpr int kSavesPerRun = 100;
constexpr int kKills = 25;

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

class TestKillSave : public QObject {
    Q_OBJECT
private slots:
    void killedSaveLeavesOldOrNew_data();
    void killedSaveLeavesOldOrNew();
};

void TestKillSave::killedSaveLeavesOldOrNew_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("oldImage");
    QTest::addColumn<QByteArray>("newImage");
    QTest::addColumn<int>("size");
    QTest::newRow("program file") << "prg"
                                  << "Prog00.prg" << programImage(false).bytes()
                                  << programImage(true).bytes() << 2224;
    QTest::newRow("vanto.cfg") << "cfg"
                               << "vanto.cfg" << configImage(false).bytes()
                               << configImage(true).bytes() << 126;
}

void TestKillSave::killedSaveLeavesOldOrNew() {
    QFETCH(QString, kind);
    QFETCH(QString, fileName);
    QFETCH(QByteArray, oldImage);
    QFETCH(QByteArray, newImage);
    QFETCH(int, size);
    QCOMPARE(oldImage.size(), size);
    QCOMPARE(newImage.size(), size);
    QVERIFY(oldImage != newImage);

    QTemporaryDir dir;
    const QString file = dir.filePath(fileName);
    const QString target = kind == QLatin1String("prg") ? file : dir.path();
    QVERIFY(writeAll(file, oldImage));

    const auto start = [&](QProcess& p) {
        p.setProgram(QStringLiteral(SAVE_LOOP_PATH));
        p.setArguments({kind, target, QString::number(kSavesPerRun)});
        p.start();
        return p.waitForStarted(5000) && p.waitForReadyRead(5000) &&
               p.readLine().trimmed() == "ready";
    };

    // How long an undisturbed run of saves takes, so that the kills fall inside such a run.
    QElapsedTimer t;
    qint64 runUs = 0;
    {
        QProcess p;
        QVERIFY(start(p));
        t.start();
        QVERIFY(p.waitForFinished(30000));
        runUs = t.nsecsElapsed() / 1000;
        QCOMPARE(p.exitCode(), 0);
        QCOMPARE(readAll(file), oldImage); // an even number of saves ends on the old image
    }

    int killedMidRun = 0;
    int sawOld = 0;
    int sawNew = 0;
    QRandomGenerator random(20240611);
    for (int i = 0; i < kKills; ++i) {
        QProcess p;
        QVERIFY(start(p));
        std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(runUs + 1)));
        if (p.state() == QProcess::Running && !p.canReadLine())
            ++killedMidRun;
        p.kill(); // SIGKILL
        QVERIFY(p.waitForFinished(5000));

        const QByteArray now = readAll(file);
        QVERIFY2(now.size() == size,
                 qPrintable(QStringLiteral("kill %1: %2 bytes").arg(i).arg(now.size())));
        QVERIFY2(now == oldImage || now == newImage,
                 qPrintable(QStringLiteral("kill %1: neither image").arg(i)));
        (now == oldImage ? sawOld : sawNew) += 1;
        // The next run starts from the image the file holds now.
        if (now != oldImage)
            QVERIFY(writeAll(file, oldImage));
    }
    qInfo("%d kills, %d during the saves; the file held the old image %d times, the new %d times "
          "(a run of %d saves takes %lld us)",
          kKills, killedMidRun, sawOld, sawNew, kSavesPerRun, runUs);
    QVERIFY(killedMidRun > 0); // otherwise nothing was tested
}

QTEST_GUILESS_MAIN(TestKillSave)
#include "test_killsave.moc"
