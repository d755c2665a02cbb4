// qxtool's file commands: show, export, import, diff, xmt.
#include "commands.h"
#include "programjson.h"
#include "usage.h"

#include "program/demoprograms.h"
#include "program/derived.h"
#include "program/programcompare.h"
#include "program/programfile.h"
#include "program/transmission.h"
#include "shared/atomicfile.h"
#include "shared/numtext.h"

#include <QFileInfo>

#include <sys/stat.h>

namespace qxtool {

using namespace vanto;

namespace {

QByteArray shown(const ProgramRecord& record, Field field) {
    QByteArray text = record.text(field);
    while (text.endsWith(' '))
        text.chop(1);
    return text;
}

QByteArray pad(const QByteArray& text, int width) {
    return text.size() >= width ? text : text + QByteArray(width - text.size(), ' ');
}

void requireExtension(const QString& path, const char* ext) {
    if (!isStdout(path) && !hasExtension(path, ext)) {
        throw Failure{kExitBadInput,
                      QStringLiteral("%1: the file name must end in .%2").arg(path, ext)};
    }
}

QByteArray describeProgram(const ProgramRecord& r) {
    const double factor = r.unitFactor();
    QByteArray out;
    out += "    units " + QByteArray(factor == 1.0 ? "U.S. (in, F)" : "metric (cm, C)");
    out += ", output " + QByteArray(r.linearMode() ? "linear" : "adaptive");
    out += ", hold " + QByteArray(r.holdOn() ? "on" : "off");
    out += ", " + QByteArray(r.payOut() ? "pay-out" : "take-up") + "\n";
    out += "    total span " + formatNumber(totalSpanOf(r) * factor, "0");
    out += ", PWM KHz " + formatNumber(pwmFrequency(r), "0.00");
    out += ", sample time " + formatNumber(sampleTimeMs(r), "0.00") + " ms";
    out += ", cone dia. " + formatNumber(coneDiameter(r), "0.00") + "\n";
    return out;
}

} // namespace

ProgramSet loadPrg(const QString& path) {
    ProgramSet programs;
    const QString error = readProgramFile(path, &programs);
    if (!error.isEmpty())
        throw Failure{kExitBadInput, QStringLiteral("%1: %2").arg(path, error)};
    return programs;
}

void checkOutput(const QString& path, const char* format, const QStringList& inputs) {
    const QLatin1String own(format);
    if (own == QLatin1String("prg") || own == QLatin1String("xmt")) {
        requireExtension(path, format);
    } else {
        const QString suffix = QFileInfo(path).suffix().toLower();
        for (const char* other : {"prg", "xmt", "json", "csv"}) {
            if (suffix == QLatin1String(other) && own != QLatin1String(other)) {
                throw Failure{kExitBadInput,
                              QStringLiteral("%1: a .%2 name for %3 output would pass for "
                                             "another kind of file")
                                  .arg(path, suffix, own)};
            }
        }
    }
    struct stat out;
    if (::stat(encodeFileName(path).constData(), &out) != 0)
        return; // a new file
    for (const QString& input : inputs) {
        struct stat in;
        if (::stat(encodeFileName(input).constData(), &in) == 0 && in.st_dev == out.st_dev &&
            in.st_ino == out.st_ino)
            throw Failure{kExitBadInput,
                          QStringLiteral("%1: the output is also the input %2").arg(path, input)};
    }
}

void saveFile(const QString& path, const QByteArray& bytes) {
    if (isStdout(path)) {
        writeOutput(bytes);
        return;
    }
    const QString error = writeFileAtomically(path, bytes);
    if (!error.isEmpty())
        throw Failure{kExitBadInput, QStringLiteral("%1: cannot write: %2").arg(path, error)};
}

int cmdShow(const Args& args) {
    expectArguments(args, 1, {QStringLiteral("--program")});
    const ProgramSet programs = loadPrg(args.positional[0]);
    const int only = programOption(args, false);
    QByteArray out;
    if (only >= 0) {
        out += "Program #" + QByteArray::number(only) + "\n";
        for (const FieldInfo& f : kFieldTable) {
            out += pad(QByteArray::number(int(f.field)), 4) + pad(f.name, 20) + "\"" +
                   shown(programs[only], f.field) + "\"\n";
        }
        out += describeProgram(programs[only]);
    } else {
        out += "No. " + pad("Field", 20);
        for (int p = 0; p < kProgramCount; ++p)
            out += pad("#" + QByteArray::number(p), 10);
        out = out.trimmed() + "\n";
        for (const FieldInfo& f : kFieldTable) {
            QByteArray row = pad(QByteArray::number(int(f.field)), 4) + pad(f.name, 20);
            for (int p = 0; p < kProgramCount; ++p)
                row += pad(shown(programs[p], f.field), 10);
            while (row.endsWith(' '))
                row.chop(1);
            out += row + "\n";
        }
    }
    writeOutput(out);
    return kExitOk;
}

int cmdExport(const Args& args) {
    expectArguments(args, 1, {QStringLiteral("-o")});
    const std::optional<QString> out = args.option(QStringLiteral("-o"));
    if (out)
        checkOutput(*out, "json", args.positional);
    const QByteArray json = programsToJson(loadPrg(args.positional[0]));
    if (out)
        saveFile(*out, json);
    else
        writeOutput(json);
    return kExitOk;
}

int cmdImport(const Args& args) {
    expectArguments(args, 1, {QStringLiteral("-o")});
    const std::optional<QString> out = args.option(QStringLiteral("-o"));
    if (!out)
        throw Failure{kExitBadInput, QStringLiteral("import needs -o FILE.prg")};
    checkOutput(*out, "prg", args.positional);
    const QString& path = args.positional[0];
    QByteArray json;
    constexpr qint64 kMaxJson = 16 * 1024 * 1024;
    QString error = readFileHead(path, kMaxJson + 1, &json);
    if (error.isEmpty() && json.size() > kMaxJson)
        error = QStringLiteral("larger than 16 MiB, not a program export");
    ProgramSet programs;
    if (error.isEmpty())
        error = programsFromJson(json, &programs);
    if (!error.isEmpty())
        throw Failure{kExitBadInput, QStringLiteral("%1: %2").arg(path, error)};
    saveFile(*out, programs.bytes());
    return kExitOk;
}

int cmdDiff(const Args& args) {
    expectArguments(args, 2, {QStringLiteral("--exact")});
    const bool exact = args.options.contains(QStringLiteral("--exact"));
    const ProgramSet a = loadPrg(args.positional[0]);
    const ProgramSet b = loadPrg(args.positional[1]);
    QByteArray out;
    int differences = 0;
    for (int p = 0; p < kProgramCount; ++p) {
        for (const FieldInfo& f : kFieldTable) {
            if (exact ? a[p].text(f.field) == b[p].text(f.field)
                      : fieldTextsEqual(f.field, a[p].text(f.field), b[p].text(f.field)))
                continue;
            ++differences;
            out += "#" + QByteArray::number(p) + " " + pad(QByteArray::number(int(f.field)), 3) +
                   pad(f.name, 20) + "\"" + shown(a[p], f.field) + "\" -> \"" +
                   shown(b[p], f.field) + "\"\n";
        }
    }
    writeOutput(out);
    return differences == 0 ? kExitOk : kExitDifference;
}

int cmdXmt(const Args& args) {
    expectArguments(args, 1, {QStringLiteral("--program"), QStringLiteral("-o")});
    const int program = programOption(args, true);
    const std::optional<QString> out = args.option(QStringLiteral("-o"));
    if (out)
        checkOutput(*out, "xmt", args.positional);
    ProgramState state;
    state.programs = loadPrg(args.positional[0]);
    state.transmitProgram = program;
    state.transmitFileMode = true;
    if (const std::optional<TransmissionRefusal> refusal = buildTransmissionText(state))
        throw Failure{kExitBadInput,
                      QStringLiteral("%1: %2").arg(args.positional[0], refusal->message())};
    if (out)
        saveFile(*out, state.transmitText);
    else
        writeOutput(state.transmitText);
    return kExitOk;
}

int cmdDemo(const Args& args) {
    expectArguments(args, 0, {QStringLiteral("-o")});
    const std::optional<QString> out = args.option(QStringLiteral("-o"));
    if (!out)
        throw Failure{kExitBadInput, QStringLiteral("demo needs -o FILE.prg")};
    checkOutput(*out, "prg");
    saveFile(*out, demoPrograms().bytes());
    return kExitOk;
}

} // namespace qxtool
