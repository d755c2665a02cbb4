#include "multiunit.h"

#include "commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace qxtool {

namespace {

// One unit's qxtool process and what it said.
struct Worker {
    int index = 0;
    UnitEntry unit;
    QString label; // how its lines are marked: the name, the serial number or the device
    QString serial;
    std::unique_ptr<QProcess> process;
    QByteArray outPending, errPending;
    QString lastError; // its last line on stderr, without "qxtool: "
    int exitCode = -1;
};

// A line a unit's command reported: the last one explains a failure; the one that reports the
// programs read names the unit's serial number, by which an unnamed unit is known from then on.
void noteLine(Worker& w, const QString& line) {
    static const QRegularExpression serialLine(QStringLiteral("programs of unit (\\S+)"));
    const QRegularExpressionMatch m = serialLine.match(line);
    if (m.hasMatch() && w.serial.isEmpty()) {
        w.serial = m.captured(1);
        if (w.unit.name.isEmpty())
            w.label = w.serial;
    }
    w.lastError = line;
}

bool severalUnits(const Args& args) {
    return args.values(QStringLiteral("--device")).size() > 1 ||
           args.option(QStringLiteral("--devices")).has_value();
}

QList<UnitEntry> unitsOf(const Args& args) {
    QList<UnitEntry> units;
    for (const QString& device : args.values(QStringLiteral("--device"))) {
        if (device.trimmed().isEmpty())
            throw Failure{kExitBadInput, QStringLiteral("--device needs a device")};
        units.append({QString(), device.trimmed()});
    }
    if (const auto path = args.option(QStringLiteral("--devices"))) {
        QFile file(*path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            throw Failure{kExitBadInput,
                          QStringLiteral("%1: cannot read: %2").arg(*path, file.errorString())};
        units += parseUnitList(QString::fromUtf8(file.readAll()), *path);
    }
    if (units.isEmpty())
        throw Failure{kExitBadInput, QStringLiteral("no units given")};
    QStringList devices;
    for (const UnitEntry& u : units) {
        // Two connections to one line would take each other's replies.
        if (devices.contains(u.device))
            throw Failure{kExitBadInput,
                          QStringLiteral("the device %1 is given twice").arg(u.device)};
        devices << u.device;
    }
    QStringList names;
    for (const UnitEntry& u : units) {
        if (u.name.isEmpty())
            continue;
        if (names.contains(u.name))
            throw Failure{kExitBadInput,
                          QStringLiteral("the unit name %1 is given twice").arg(u.name)};
        names << u.name;
    }
    return units;
}

// Passes the options every unit's command takes on to it.
QStringList passOn(const Args& args, const QStringList& names) {
    QStringList out;
    for (const QString& name : names) {
        if (const auto value = args.option(name))
            out << name << *value;
    }
    return out;
}

// Runs one qxtool per unit in parallel until all have ended. `onLine` gets each line of a
// worker's standard output as it comes.
void runAll(std::vector<Worker>& workers,
            const std::function<QStringList(const Worker&)>& argumentsOf,
            const std::function<void(Worker&, const QByteArray&)>& onLine) {
    QEventLoop loop;
    int running = 0;
    for (Worker& w : workers) {
        w.process = std::make_unique<QProcess>();
        QProcess* p = w.process.get();
        QObject::connect(p, &QProcess::readyReadStandardOutput, &loop, [&w, p, &onLine] {
            w.outPending += p->readAllStandardOutput();
            for (int end; (end = int(w.outPending.indexOf('\n'))) >= 0;) {
                const QByteArray line = w.outPending.left(end);
                w.outPending.remove(0, end + 1);
                onLine(w, line);
            }
        });
        QObject::connect(p, &QProcess::readyReadStandardError, &loop, [&w, p] {
            w.errPending += p->readAllStandardError();
            for (int end; (end = int(w.errPending.indexOf('\n'))) >= 0;) {
                QString line = QString::fromUtf8(w.errPending.left(end));
                w.errPending.remove(0, end + 1);
                if (line.startsWith(QLatin1String("qxtool: ")))
                    line.remove(0, 8);
                noteLine(w, line);
                printError(QStringLiteral("%1: %2").arg(w.label, line));
            }
        });
        QObject::connect(p, &QProcess::finished, &loop,
                         [&w, &running, &loop](int code, QProcess::ExitStatus status) {
                             w.exitCode = status == QProcess::NormalExit ? code : kExitBadInput;
                             if (status != QProcess::NormalExit)
                                 w.lastError =
                                     QStringLiteral("%1: the unit's process ended abnormally")
                                         .arg(w.unit.device);
                             if (--running == 0)
                                 loop.quit();
                         });
        QObject::connect(
            p, &QProcess::errorOccurred, &loop, [&w, &running, &loop](QProcess::ProcessError e) {
                if (e != QProcess::FailedToStart)
                    return;
                w.exitCode = kExitBadInput;
                w.lastError = QStringLiteral("cannot start qxtool for %1").arg(w.unit.device);
                if (--running == 0)
                    loop.quit();
            });
        ++running;
        p->start(QCoreApplication::applicationFilePath(), argumentsOf(w));
    }
    if (running > 0)
        loop.exec();
}

std::vector<Worker> workersFor(const QList<UnitEntry>& units) {
    std::vector<Worker> workers;
    for (const UnitEntry& u : units) {
        Worker w;
        w.index = int(workers.size());
        w.unit = u;
        w.label = u.name.isEmpty() ? u.device : u.name;
        workers.push_back(std::move(w));
    }
    return workers;
}

QString padded(const QString& text, int width) {
    return text.leftJustified(width, QLatin1Char(' '));
}

} // namespace

QList<UnitEntry> parseUnitList(const QString& text, const QString& fileName) {
    QList<UnitEntry> units;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList words = line.split(QRegularExpression(QStringLiteral("\\s+")));
        if (words.size() > 2)
            throw Failure{
                kExitBadInput,
                QStringLiteral("%1 line %2: one unit a line, \"DEVICE\" or \"NAME DEVICE\"")
                    .arg(fileName)
                    .arg(i + 1)};
        UnitEntry u;
        u.device = words.last();
        if (words.size() == 2) {
            u.name = words[0];
            if (safeUnitName(u.name) != u.name)
                throw Failure{kExitBadInput,
                              QStringLiteral("%1 line %2: the name %3 is not usable as a file name "
                                             "(letters, digits, '.', '_' and '-')")
                                  .arg(fileName)
                                  .arg(i + 1)
                                  .arg(u.name)};
        }
        units.append(u);
    }
    return units;
}

QString safeUnitName(const QString& name) {
    QString out;
    for (const QChar c : name) {
        const bool ok = (c.unicode() < 128 && c.isLetterOrNumber()) || c == QLatin1Char('.') ||
                        c == QLatin1Char('_') || c == QLatin1Char('-');
        out += ok ? c : QLatin1Char('_');
    }
    if (out.startsWith(QLatin1Char('.')))
        out[0] = QLatin1Char('_');
    return out;
}

QString backupName(const UnitEntry& unit, const QString& serial, int index, QStringList* taken) {
    QString base = !unit.name.isEmpty()          ? unit.name
                   : !serial.trimmed().isEmpty() ? safeUnitName(serial.trimmed())
                                                 : QStringLiteral("unit-%1").arg(index + 1);
    QString name = base;
    for (int n = 2; taken->contains(name, Qt::CaseInsensitive); ++n)
        name = QStringLiteral("%1-%2").arg(base).arg(n);
    taken->append(name);
    return name;
}

namespace {

int backupUnits(const Args& args) {
    expectArguments(args, 0,
                    {QStringLiteral("--device"), QStringLiteral("--devices"), QStringLiteral("-o"),
                     QStringLiteral("--timeout")});
    const QList<UnitEntry> units = unitsOf(args);
    const std::optional<QString> out = args.option(QStringLiteral("-o"));
    if (!out)
        throw Failure{kExitBadInput, QStringLiteral("backup of several units needs -o FOLDER")};
    const QDir folder(*out);
    if (QFileInfo(*out).exists() && !QFileInfo(*out).isDir())
        throw Failure{kExitBadInput,
                      QStringLiteral("%1: not a folder (several units are backed up into a folder, "
                                     "one .prg per unit)")
                          .arg(*out)};
    if (!QDir().mkpath(*out))
        throw Failure{kExitBadInput, QStringLiteral("%1: cannot make the folder").arg(*out)};

    std::vector<Worker> workers = workersFor(units);
    const QString stem =
        QStringLiteral(".qxtool-backup-%1-").arg(QCoreApplication::applicationPid());
    const QStringList common = passOn(args, {QStringLiteral("--timeout")});
    const auto partFile = [&](const Worker& w) {
        return folder.filePath(stem + QString::number(w.index) + QStringLiteral(".prg"));
    };
    printError(QStringLiteral("backing up %1 units into %2").arg(workers.size()).arg(*out));
    // Each unit's backup is the single-unit command, run in a thread of its own: its link, port
    // and timers live in that thread, whose events it processes while it waits. One process
    // serves them all, so that 8 units do not pay for starting 8 programs.
    QMutex printing;
    std::vector<std::unique_ptr<QThread>> threads;
    for (Worker& w : workers) {
        Args single;
        single.command = QStringLiteral("backup");
        single.options.insert(QStringLiteral("--device"), w.unit.device);
        single.options.insert(QStringLiteral("-o"), partFile(w));
        if (const auto timeout = args.option(QStringLiteral("--timeout")))
            single.options.insert(QStringLiteral("--timeout"), *timeout);
        threads.emplace_back(QThread::create([&w, &printing, single] {
            const ErrSink sink = [&w, &printing](const QString& line) {
                noteLine(w, line);
                const QByteArray text =
                    QStringLiteral("qxtool: %1: %2\n").arg(w.label, line).toUtf8();
                const QMutexLocker lock(&printing);
                std::fwrite(text.constData(), 1, size_t(text.size()), stderr);
                std::fflush(stderr);
            };
            setThreadErrSink(&sink);
            try {
                w.exitCode = cmdBackup(single);
            } catch (const Failure& failure) {
                w.exitCode = failure.exitCode;
                sink(failure.message);
            }
            setThreadErrSink(nullptr);
        }));
    }
    for (auto& t : threads)
        t->start();
    for (auto& t : threads)
        t->wait();

    // Name each saved file and tabulate.
    QStringList taken;
    struct Row {
        QString unit, device, result, detail;
    };
    QList<Row> rows;
    int worst = kExitOk;
    int saved = 0;
    for (int i = 0; i < int(workers.size()); ++i) {
        Worker& w = workers[i];
        const QString part = partFile(w);
        Row row{w.unit.name.isEmpty() ? (w.serial.isEmpty() ? QStringLiteral("-") : w.serial)
                                      : w.unit.name,
                w.unit.device, QString(), QString()};
        if (w.exitCode == kExitOk && QFileInfo::exists(part)) {
            const QString name = backupName(w.unit, w.serial, i, &taken);
            const QString target = folder.filePath(name + QStringLiteral(".prg"));
            // rename() replaces an older backup of the unit in one step.
            if (std::rename(QFile::encodeName(part).constData(),
                            QFile::encodeName(target).constData()) == 0) {
                row.result = QStringLiteral("saved");
                row.detail = target;
                ++saved;
                rows.append(row);
                continue;
            }
            w.lastError = QStringLiteral("%1: cannot rename to %2").arg(part, target);
            w.exitCode = kExitBadInput;
        }
        QFile::remove(part);
        row.result = QStringLiteral("FAILED");
        row.detail =
            w.lastError.isEmpty() ? QStringLiteral("exit code %1").arg(w.exitCode) : w.lastError;
        worst = std::max(worst, w.exitCode == kExitOk ? kExitBadInput : w.exitCode);
        rows.append(row);
    }
    int wu = 4, wd = 6;
    for (const Row& r : rows) {
        wu = std::max(wu, int(r.unit.size()));
        wd = std::max(wd, int(r.device.size()));
    }
    QString table = padded(QStringLiteral("UNIT"), wu) + QStringLiteral("  ") +
                    padded(QStringLiteral("DEVICE"), wd) +
                    QStringLiteral("  RESULT  FILE OR REASON\n");
    for (const Row& r : rows)
        table += padded(r.unit, wu) + QStringLiteral("  ") + padded(r.device, wd) +
                 QStringLiteral("  ") + padded(r.result, 6) + QStringLiteral("  ") + r.detail +
                 QLatin1Char('\n');
    writeOutput(table.toUtf8());
    std::fflush(stdout);
    printError(
        QStringLiteral("%1 of %2 units backed up into %3").arg(saved).arg(rows.size()).arg(*out));
    return worst;
}

int monitorUnits(const Args& args) {
    if (args.option(QStringLiteral("--csv")))
        throw Failure{kExitBadInput, QStringLiteral("--csv takes one unit; with several units "
                                                    "every line on stdout names its unit")};
    expectArguments(args, 0,
                    {QStringLiteral("--device"), QStringLiteral("--devices"),
                     QStringLiteral("--seconds"), QStringLiteral("--meter"),
                     QStringLiteral("--samples"), QStringLiteral("--timeout")});
    std::vector<Worker> workers = workersFor(unitsOf(args));
    const QStringList common =
        passOn(args, {QStringLiteral("--seconds"), QStringLiteral("--meter"),
                      QStringLiteral("--samples"), QStringLiteral("--timeout")});
    runAll(
        workers,
        [&](const Worker& w) {
            return QStringList{QStringLiteral("monitor"), QStringLiteral("--device"),
                               w.unit.device} +
                   common;
        },
        [](Worker& w, const QByteArray& line) {
            writeOutput(w.label.toUtf8() + "  " + line + '\n');
            std::fflush(stdout);
        });
    int worst = kExitOk;
    for (const Worker& w : workers) {
        if (w.exitCode != kExitOk) {
            printError(QStringLiteral("%1: FAILED: %2").arg(w.label, w.lastError));
            worst = std::max(worst, w.exitCode);
        }
    }
    return worst;
}

} // namespace

bool runMultiUnit(const Args& args, int* exitCode) {
    const bool backup = args.command == QLatin1String("backup");
    const bool monitor = args.command == QLatin1String("monitor");
    if (!backup && !monitor) {
        if (!args.repeated.isEmpty())
            throw Failure{kExitBadInput, QStringLiteral("option --device given twice")};
        return false;
    }
    if (!severalUnits(args))
        return false;
    *exitCode = backup ? backupUnits(args) : monitorUnits(args);
    return true;
}

} // namespace qxtool
