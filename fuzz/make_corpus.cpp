// Writes the seed corpus of every fuzz target from real replies, records and files: the record
// replies the simulator builds, the transmission text, the demo program file, a vanto.cfg, the
// JSON qxtool exports. Run it again after a format changes:
//
//   build/fuzz/fuzz_make_corpus fuzz/corpus
//
// Files already there with other names (regression inputs found by fuzzing) are kept.
#include "link/commconfig.h"
#include "link/replies.h"
#include "program/demoprograms.h"
#include "program/recordreply.h"
#include "program/transmission.h"
#include "programjson.h"
#include "unitformat.h"

#include <QDir>
#include <QFile>

#include <cstdio>

using namespace vanto;

namespace {

QString g_root;

void put(const char* target, const char* name, const QByteArray& bytes) {
    const QString dir = g_root + QLatin1Char('/') + QLatin1String(target);
    QDir().mkpath(dir);
    QFile file(dir + QLatin1Char('/') + QLatin1String(name));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "make_corpus: cannot write %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
}

// The link target's steps: `bytes` in pieces of `piece` (1..64), with `flags` (0x80 tick,
// 0x40 send-complete) on the first step.
QByteArray steps(const QByteArray& bytes, int piece, int flags = 0) {
    QByteArray out;
    for (int i = 0; i < bytes.size(); i += piece) {
        const QByteArray part = bytes.mid(i, piece);
        out += char(((part.size() - 1) & 0x3f) | (i == 0 ? flags : 0));
        out += part;
    }
    return out;
}

// The link target's header: request (1..8) and the set-up byte.
QByteArray header(int request, int setup) {
    return QByteArray(1, char(request - 1)) + char(setup);
}

QByteArray field(const QByteArray& text) {
    return text + kCR;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_make_corpus CORPUS_DIR\n");
        return 2;
    }
    g_root = QString::fromLocal8Bit(argv[1]);
    const ProgramSet demo = demoPrograms();
    const qxsim::UnitIdentity unit{2, "2.16 M", "A12345"};
    const QByteArray status(1, char(128 + 2 + 8));
    const QByteArray eot(1, kEOT);
    QList<QByteArray> records;
    for (int k = 0; k < kProgramCount; ++k)
        records.append(qxsim::unitRecordReply(demo, k, unit, QByteArray("x") + kCR));

    // --- records
    put("record", "program0", records[0]);
    put("record", "program3", records[3]);
    put("record", "program7", records[7]);
    QByteArray damaged = records[5];
    damaged[40] = char(damaged[40] ^ 0x04);
    put("record", "bad-checksum", damaged);
    put("record", "cut-short", records[1].left(records[1].size() / 2));
    QByteArray outOfRange = records[2];
    outOfRange[2] = '9'; // field 0 names no program
    put("record", "running-9", outOfRange);

    // --- the link
    const QByteArray dc4 = field("A12345") + field("27.50") + field(status) + eot;
    const QByteArray dc3 = field("27.50") + field(status) + eot;
    const QByteArray stx = field("21.0") + field("1.0000000") + eot;
    const QByteArray dle = field("A12345") + field("31.25") + field(status) + field("128") + eot;
    const QByteArray can = field("A12345") + field("12.00") + field("200") + field(status) + eot;
    put("link", "poll-dc4-whole", header(2, 0x0c) + steps(dc4, 64));
    put("link", "poll-dc4-bytes", header(2, 0x08) + steps(dc4, 1));
    put("link", "poll-dc3", header(3, 0x04) + steps(dc3, 5));
    put("link", "poll-stx", header(4, 0x02) + steps(stx, 7));
    put("link", "poll-dle-qx3100", header(5, 0x01) + steps(dle, 3));
    put("link", "poll-can", header(6, 0x30) + steps(can, 64, 0x80) + steps(can, 9, 0x80));
    QByteArray fetch = header(1, 0x00);
    for (const QByteArray& r : records)
        fetch += steps(r, 64);
    put("link", "fetch-eight", fetch);
    put("link", "fetch-damaged", header(1, 0x00) + steps(records[0], 17) + steps(damaged, 64));
    put("link", "read-back", header(8, 0x50) + steps(records[5], 33));
    put("link", "reload", header(2, 0xa0) + steps(dc4, 64) + steps(records[2], 64, 0x80));
    put("link", "transmit",
        header(7, 0x30) + steps(QByteArray(1, kDC1), 1) + steps(QByteArray(1, ' '), 1, 0x40) +
            steps(records[3], 64, 0x80));
    put("link", "overlong", header(2, 0x00) + steps(QByteArray(4200, '7'), 64) + steps(dc4, 64));
    put("link", "noise", header(2, 0x00) + steps(QByteArray("\x05\x7f") + dc4, 4));

    // --- the program file
    put("prgfile", "demo", demo.bytes());
    put("prgfile", "blank", ProgramSet().bytes());
    put("prgfile", "short", demo.bytes().left(ProgramSet::kFileSize - 1));
    put("prgfile", "long", demo.bytes() + '\n');

    // --- vanto.cfg
    CommConfig config = CommConfig::defaults(QStringLiteral("/opt/vanto"));
    put("config", "defaults", config.bytes());
    config.commPort = 3;
    config.spareWord = -2;
    put("config", "port3", config.bytes());
    config.commPort = 12;
    put("config", "port12-long", config.bytes() + "trailing");
    put("config", "short", config.bytes().left(CommConfig::kSize - 1));

    // --- qxtool's JSON
    put("json", "demo", qxtool::programsToJson(demo));
    put("json", "blank", qxtool::programsToJson(ProgramSet()));
    put("json", "sparse", "{\"programs\":[{},{},{},{\"fields\":{\"Base\":\"12\"}},{},{},{},{}]}");
    put("json", "unknown-field",
        "{\"programs\":[{\"fields\":{\"Nope\":\"1\"}},{},{},{},{},{},{},{}]}");

    // --- the simulator's engine: host bytes in steps (control byte, piece)
    TransmitContext context;
    context.unitSerial = "A12345";
    const QByteArray text = buildTransmissionText(demo, 3, context);
    QByteArray badText = text;
    badText[10] = char(badText[10] ^ 0x01);
    const auto sim = [](const QByteArray& bytes, int piece, int pause = 0) {
        QByteArray out;
        for (int i = 0; i < bytes.size(); i += piece) {
            const QByteArray part = bytes.mid(i, piece);
            out += char(((part.size() - 1) & 0x3f) | (pause << 6));
            out += part;
        }
        return out;
    };
    put("qxsim", "polls", sim(QByteArray("\x16\x14\x13\x02\x10\x18xyz\x7f"), 3));
    put("qxsim", "transmit", sim(QByteArray(1, kDC1), 1) + sim(text, 64, 1) + sim("{", 1));
    put("qxsim", "transmit-bad", sim(QByteArray(1, kDC1), 1) + sim(badText, 50));
    put("qxsim", "transmit-abandoned",
        sim(QByteArray(1, kDC1), 1) + sim(text.left(100), 64) + sim("\x14", 1, 3));
    put("qxsim", "text-only", text);
    return 0;
}
