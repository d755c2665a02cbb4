#include "usage.h"

namespace qxtool {

namespace {

struct Usage {
    const char* command;
    const char* text;
};

const Usage kUsages[] = {
    {"show", "usage: qxtool show FILE.prg [--program N]\n"
             "The eight programs of a program file as a table, fields by name; with --program N\n"
             "only program N (0 to 7), one field a line, and its derived values.\n"},
    {"export", "usage: qxtool export FILE.prg [-o FILE.json]\n"
               "The eight programs as lossless JSON (field texts, trailing blanks cut), into\n"
               "FILE.json or, without -o or with -o -, onto standard output.\n"},
    {"import",
     "usage: qxtool import FILE.json -o FILE.prg\n"
     "A program file from JSON as export writes it (-o - writes it to standard output).\n"},
    {"diff", "usage: qxtool diff A.prg B.prg [--exact]\n"
             "The fields that differ between two program files as the readers read them (blanks\n"
             "around a value are no difference), one a line; --exact compares the bytes; exit 1\n"
             "when any.\n"},
    {"xmt",
     "usage: qxtool xmt FILE.prg --program N [-o FILE.xmt]\n"
     "The transmit-file text of program N (0 to 7), into FILE.xmt or onto standard output.\n"},
    {"demo",
     "usage: qxtool demo -o FILE.prg\n"
     "The simulator's eight default programs as a program file (-o - to standard output).\n"},
    {"backup",
     "usage: qxtool backup --device PATH -o FILE.prg [--timeout S]\n"
     "Connects to the unit on PATH, reads its eight programs and saves them (-o - writes\n"
     "them to standard output). Progress goes to standard error.\n"},
    {"send", "usage: qxtool send --device PATH FILE.prg --program N [--timeout S]\n"
             "Transmits program N of FILE.prg to the unit, reads it back and compares every\n"
             "transmitted field; exit 1 when the read-back differs.\n"},
    {"monitor",
     "usage: qxtool monitor --device PATH [--seconds S] [--csv FILE]\n"
     "                      [--meter distance|output|analog] [--samples N] [--timeout S]\n"
     "Polls the unit and prints one line per sample; --csv also writes them to FILE\n"
     "with a header; --seconds or --samples ends it, else it runs until stopped.\n"},
    {"report", "usage: qxtool report FILE.prg [-o FILE.pdf|FILE.html]\n"
               "The printable report of the eight programs, as PDF or HTML (HTML on standard\n"
               "output without -o). Needs no display.\n"},
};

} // namespace

QByteArray commandUsage(const QString& command) {
    for (const Usage& u : kUsages) {
        if (command == QLatin1String(u.command))
            return QByteArray(u.text) +
                   "--timeout S (unit commands): seconds for each wait on the unit, default 20.\n"
                   "exit codes: 0 success, 1 differences or failed verification, 2 bad usage or "
                   "input\n";
    }
    return QByteArray();
}

} // namespace qxtool
