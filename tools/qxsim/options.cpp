#include "options.h"

#include <cmath>

namespace qxsim {

const char kUsage[] =
    "usage: qxsim [OPTIONS]\n"
    "Simulates a QX unit on a pseudo-terminal; prints \"device: PATH\" first.\n"
    "  --programs FILE.prg    the unit's eight programs (default: the demo programs)\n"
    "  --model QX3100|QX3700  unit model (default QX3700)\n"
    "  --options TEXT         option and version text (default \"2.16 M\", \"1.16 M\" on a "
    "QX3100)\n"
    "  --serial TEXT          serial number, up to 6 characters (default A12345)\n"
    "  --running N            running program 0..7 (default 0)\n"
    "  --link PATH            also make PATH a symlink to the device (removed on exit)\n"
    "  --tcp PORT             serve the unit on TCP port PORT of 127.0.0.1 instead of a\n"
    "                         pseudo-terminal (0: any free port); prints \"device: tcp://...\"\n"
    "  --rfc2217 PORT         the same as an RFC 2217 (Telnet) serial device server\n"
    "  --pace                 send at the wire speed of 19200 baud (0.521 ms per byte)\n"
    "  --chunk N              write every reply in pieces of N bytes\n"
    "  --chunk-gap MS         pause between those pieces (default 5)\n"
    "  --record-delay S       answer each record request S seconds late (0 to 60)\n"
    "  --drop P               lose a whole reply with probability P (0..1)\n"
    "  --corrupt P            flip one bit of one byte of a reply with probability P\n"
    "  --noise P              insert one stray byte into a reply with probability P\n"
    "  --stray P              send one stray byte after a reply with probability P\n"
    "  --silent-after S       ignore everything received after S seconds\n"
    "  --hangup-after S       hang up (close the device) after S seconds\n"
    "  --replug S             after a hang-up, open a new device S seconds later instead of\n"
    "                         exiting\n"
    "  --exit-on-close        exit when the other end, having used the device, closes it\n"
    "  --seed N               seed for the target's wobble and the faults\n"
    "  --verbose              log commands and replies on stderr\n"
    "  -h, --help             this text\n"
    "  --version              the version\n"
    "  --                     ends the options\n"
    "Standard input: run N | distance X | distance auto | silence S | dump FILE.prg | hangup |\n"
    "quit. Each is confirmed by a line \"ok ...\" or \"error ...\" on standard output.\n";

QByteArray defaultOptionsText(Model model) {
    return model == Model::QX3100 ? "1.16 M" : "2.16 M";
}

namespace {

bool readProbability(const QString& text, double* value) {
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && *value >= 0.0 && *value <= 1.0;
}

bool readSeconds(const QString& text, double* value) {
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && std::isfinite(*value) && *value >= 0.0;
}

// Text the unit sends as a field: printable single-byte characters only, so that it cannot
// end or split a reply.
bool isFieldText(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 32 || c.unicode() > 255 || c.unicode() == 127)
            return false;
    }
    return true;
}

} // namespace

std::optional<SimOptions> parseOptions(const QStringList& arguments, QString* error) {
    SimOptions o;
    for (int i = 0; i < arguments.size(); ++i) {
        QString name = arguments[i];
        if (name == QLatin1String("--")) { // ends the options; qxsim takes no other arguments
            if (i + 1 < arguments.size()) {
                *error = QStringLiteral("unexpected argument \"%1\"").arg(arguments[i + 1]);
                return std::nullopt;
            }
            break;
        }
        std::optional<QString> inlineValue;
        const qsizetype eq = name.indexOf(QLatin1Char('='));
        if (name.startsWith(QLatin1String("--")) && eq > 0) {
            inlineValue = name.mid(eq + 1);
            name = name.left(eq);
        }
        const auto flag = [&]() {
            if (inlineValue)
                *error = QStringLiteral("%1 takes no value").arg(name);
            return !inlineValue;
        };
        QString value;
        const auto takeValue = [&]() {
            if (inlineValue) {
                value = *inlineValue;
                return true;
            }
            if (i + 1 >= arguments.size()) {
                *error = QStringLiteral("%1 needs a value").arg(name);
                return false;
            }
            value = arguments[++i];
            return true;
        };
        const auto bad = [&](const QString& what) {
            *error = QStringLiteral("%1 %2: %3").arg(name, value, what);
            return std::nullopt;
        };

        if (name == QLatin1String("-h") || name == QLatin1String("--help")) {
            o.help = true;
        } else if (name == QLatin1String("--version")) {
            if (!flag())
                return std::nullopt;
            o.version = true;
        } else if (name == QLatin1String("--pace")) {
            if (!flag())
                return std::nullopt;
            o.pace = true;
        } else if (name == QLatin1String("--exit-on-close")) {
            if (!flag())
                return std::nullopt;
            o.exitOnClose = true;
        } else if (name == QLatin1String("--verbose")) {
            if (!flag())
                return std::nullopt;
            o.verbose = true;
        } else if (!name.startsWith(QLatin1Char('-'))) {
            *error = QStringLiteral("unexpected argument \"%1\"").arg(name);
            return std::nullopt;
        } else {
            static const QStringList withValue = {
                QStringLiteral("--programs"),     QStringLiteral("--model"),
                QStringLiteral("--options"),      QStringLiteral("--serial"),
                QStringLiteral("--running"),      QStringLiteral("--link"),
                QStringLiteral("--chunk"),        QStringLiteral("--chunk-gap"),
                QStringLiteral("--drop"),         QStringLiteral("--corrupt"),
                QStringLiteral("--noise"),        QStringLiteral("--silent-after"),
                QStringLiteral("--stray"),        QStringLiteral("--record-delay"),
                QStringLiteral("--hangup-after"), QStringLiteral("--replug"),
                QStringLiteral("--seed"),         QStringLiteral("--tcp"),
                QStringLiteral("--rfc2217")};
            if (!withValue.contains(name)) {
                *error = QStringLiteral("unknown option %1").arg(name);
                return std::nullopt;
            }
            if (!takeValue())
                return std::nullopt;
            bool ok = false;
            if (name == QLatin1String("--programs")) {
                if (value.isEmpty())
                    return bad(QStringLiteral("needs a file name"));
                o.programsFile = value;
            } else if (name == QLatin1String("--model")) {
                if (value == QLatin1String("QX3100"))
                    o.model = Model::QX3100;
                else if (value == QLatin1String("QX3700"))
                    o.model = Model::QX3700;
                else
                    return bad(QStringLiteral("the model is QX3100 or QX3700"));
            } else if (name == QLatin1String("--options")) {
                if (!isFieldText(value))
                    return bad(QStringLiteral("only printable characters"));
                o.options = value.toLatin1();
            } else if (name == QLatin1String("--serial")) {
                if (value.isEmpty() || value.size() > 6 || !isFieldText(value))
                    return bad(QStringLiteral("1 to 6 printable characters"));
                o.serial = value.toLatin1();
            } else if (name == QLatin1String("--running")) {
                o.running = value.toInt(&ok);
                if (!ok || o.running < 0 || o.running > 7)
                    return bad(QStringLiteral("a program number 0 to 7"));
            } else if (name == QLatin1String("--link")) {
                if (value.isEmpty())
                    return bad(QStringLiteral("needs a path"));
                o.link = value;
            } else if (name == QLatin1String("--chunk")) {
                o.chunk = value.toInt(&ok);
                if (!ok || o.chunk < 1)
                    return bad(QStringLiteral("a byte count of 1 or more"));
            } else if (name == QLatin1String("--chunk-gap")) {
                o.chunkGapMs = value.toInt(&ok);
                if (!ok || o.chunkGapMs < 0 || o.chunkGapMs > 10000)
                    return bad(QStringLiteral("milliseconds 0 to 10000"));
            } else if (name == QLatin1String("--drop")) {
                if (!readProbability(value, &o.faults.drop))
                    return bad(QStringLiteral("a probability 0 to 1"));
            } else if (name == QLatin1String("--corrupt")) {
                if (!readProbability(value, &o.faults.corrupt))
                    return bad(QStringLiteral("a probability 0 to 1"));
            } else if (name == QLatin1String("--noise")) {
                if (!readProbability(value, &o.faults.noise))
                    return bad(QStringLiteral("a probability 0 to 1"));
            } else if (name == QLatin1String("--stray")) {
                if (!readProbability(value, &o.faults.stray))
                    return bad(QStringLiteral("a probability 0 to 1"));
            } else if (name == QLatin1String("--record-delay")) {
                if (!readSeconds(value, &o.recordDelay) || o.recordDelay > 60)
                    return bad(QStringLiteral("seconds 0 to 60"));
            } else if (name == QLatin1String("--silent-after")) {
                if (!readSeconds(value, &o.silentAfter))
                    return bad(QStringLiteral("seconds, 0 or more"));
            } else if (name == QLatin1String("--hangup-after")) {
                if (!readSeconds(value, &o.hangupAfter))
                    return bad(QStringLiteral("seconds, 0 or more"));
            } else if (name == QLatin1String("--replug")) {
                if (!readSeconds(value, &o.replug))
                    return bad(QStringLiteral("seconds, 0 or more"));
            } else if (name == QLatin1String("--tcp") || name == QLatin1String("--rfc2217")) {
                if (o.networkPort >= 0)
                    return bad(QStringLiteral("only one of --tcp and --rfc2217, once"));
                o.networkPort = value.toInt(&ok);
                if (!ok || o.networkPort < 0 || o.networkPort > 65535)
                    return bad(QStringLiteral("a port number 0 to 65535"));
                o.rfc2217 = name == QLatin1String("--rfc2217");
            } else if (name == QLatin1String("--seed")) {
                const uint seed = value.toUInt(&ok);
                if (!ok)
                    return bad(QStringLiteral("a whole number 0 to 4294967295"));
                o.seed = seed;
            }
        }
    }
    if (o.networkPort >= 0 && !o.link.isEmpty()) {
        *error = QStringLiteral("--link makes a link to a pseudo-terminal; with --tcp or "
                                "--rfc2217 there is none");
        return std::nullopt;
    }
    if (!o.options)
        o.options = defaultOptionsText(o.model);
    return o;
}

std::optional<StdinCommand> parseStdinCommand(const QString& line, QString* error) {
    error->clear();
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return std::nullopt;
    const QString& verb = words[0];
    const auto fail = [&](const QString& why) {
        *error = why;
        return std::nullopt;
    };
    const auto arity = [&](int n) { return words.size() == n + 1; };
    StdinCommand c;
    bool ok = false;
    if (verb == QLatin1String("run")) {
        c.kind = StdinCommand::Run;
        c.program = arity(1) ? words[1].toInt(&ok) : -1;
        if (!ok || c.program < 0 || c.program > 7)
            return fail(QStringLiteral("run takes a program number 0 to 7"));
    } else if (verb == QLatin1String("distance")) {
        if (arity(1) && words[1] == QLatin1String("auto")) {
            c.kind = StdinCommand::DistanceAuto;
        } else {
            c.kind = StdinCommand::Distance;
            c.value = arity(1) ? words[1].toDouble(&ok) : -1;
            if (!ok || !std::isfinite(c.value) || c.value < 0 || c.value > 9999)
                return fail(QStringLiteral("distance takes inches 0 to 9999, or auto"));
        }
    } else if (verb == QLatin1String("silence")) {
        c.kind = StdinCommand::Silence;
        c.value = arity(1) ? words[1].toDouble(&ok) : -1;
        if (!ok || !std::isfinite(c.value) || c.value < 0)
            return fail(QStringLiteral("silence takes seconds, 0 or more"));
    } else if (verb == QLatin1String("dump")) {
        c.kind = StdinCommand::Dump;
        c.path = line.trimmed().mid(verb.size()).trimmed(); // a name may hold blanks
        if (c.path.isEmpty())
            return fail(QStringLiteral("dump takes a file name"));
    } else if (verb == QLatin1String("hangup") && arity(0)) {
        c.kind = StdinCommand::Hangup;
    } else if (verb == QLatin1String("quit") && arity(0)) {
        c.kind = StdinCommand::Quit;
    } else {
        return fail(QStringLiteral("unknown command \"%1\"").arg(line.simplified()));
    }
    return c;
}

} // namespace qxsim
