// The unit link against a unit whose replies arrive on arbitrary schedules: each reply split at
// random offsets, late by up to seconds, doubled, lost, cut short, with bytes lost from a record,
// control bytes inside fields and stray bytes between replies. A fake clock drives the link's
// timers, so hundreds of schedules run in a few seconds. Whatever the schedule:
//  - a stored program always equals what the unit holds for that number;
//  - no reading is shown or charted that the unit did not send;
//  - the fetch ends, with all eight programs read or the missing ones named.
#include "../fakes.h"
#include "program/demoprograms.h"
#include "unitformat.h"

#include <QtTest>

#include <map>
#include <random>
#include <set>

using namespace vanto;
using namespace vanto::test;

namespace {

// How the line treats the replies of one run. Probabilities are per reply.
struct Schedule {
    int recordLatencyMs[2] = {5, 40}; // a record starts this late (uniform in the range)
    int pollLatencyMs[2] = {2, 40};
    int pieces = 1;                 // a reply arrives in up to this many pieces...
    int pieceGapMs = 0;             // ...up to this far apart
    double drop = 0;                // the reply is lost
    double twice = 0;               // the line doubles a record: it starts again within 40 ms
    double cut = 0;                 // the reply's tail (with its EOT) is lost
    double loseBytes = 0;           // a record loses bytes from its middle
    double controlByte = 0;         // a NUL or control byte lands inside a field
    double stray = 0;               // a byte of line noise follows the reply
    bool damageRecordsOnly = false; // lost, cut and control bytes only in records
    int silentRecordsMs = 0;        // record requests go unanswered this long after the start
    quint32 seed = 1;
};

constexpr int kBytesPerMs = 2; // about the speed of the line at 19200 baud
constexpr int kAdapterMs = 16; // a serial adapter passes bytes on at least this often

// One run of a schedule, with the invariants checked.
struct ScheduledRun : LinkRig {
    ProgramSet programs = demoPrograms();
    qxsim::UnitIdentity unit{3, "2.16 M", "A12345"};
    std::set<float> distancesSent;
    QByteArray requests; // every command byte the unit received, in order
    bool fetchEnded = false;
    int pollsAfterFetch = 0;
    QStringList violations;

    explicit ScheduledRun(const Schedule& schedule) : m_sch(schedule), m_rng(schedule.seed) {
        programs[6] = programs[5]; // two programs alike: a record taken for the wrong number
                                   // could hide behind them
        QObject::connect(&link, &UnitLink::recordDecoded, [this](int k, RecordOutcome outcome) {
            if (outcome == RecordOutcome::Stored &&
                !carriedFieldsEqual(state.programs[k], programs[k], k == 0))
                violations << QStringLiteral("program #%1 stored with another's data").arg(k);
        });
        QObject::connect(&link, &UnitLink::pollingStarted, [this] { fetchEnded = true; });
        QObject::connect(&link, &UnitLink::pollReplyApplied,
                         [this] { pollsAfterFetch += fetchEnded ? 1 : 0; });
    }

    // Runs until the fetch has ended and `polls` poll replies were applied after it, or until
    // `limitMs` of the fake clock have passed; returns the programs the link could not read.
    QList<int> run(int polls = 20, qint64 limitMs = 240000) {
        const qint64 start = now();
        link.switchOnLine(true);
        afterAction();
        while (now() - start < limitMs && !(fetchEnded && pollsAfterFetch >= polls)) {
            qint64 next = std::numeric_limits<qint64>::max();
            if (!m_deliveries.empty())
                next = m_deliveries.begin()->first;
            if (m_pollOn)
                next = std::min(next, m_pollNext);
            if (m_watchOn)
                next = std::min(next, m_watchNext);
            if (next == std::numeric_limits<qint64>::max())
                break;
            pump.advanceMs(std::max<qint64>(0, next - now()));
            if (!m_deliveries.empty() && m_deliveries.begin()->first <= now()) {
                const auto [bytes, onlyBefore] = m_deliveries.begin()->second;
                m_deliveries.erase(m_deliveries.begin());
                // Noise, and the pieces of a reply cut short, only before the next request:
                // once it is out they would be part of that exchange, and no host could tell
                // a leading "1" from the reply's own digits.
                if (onlyBefore < 0 || onlyBefore == requests.size())
                    port.inject(bytes);
            } else if (m_pollOn && m_pollNext <= now()) {
                m_pollNext = now() + link.pollInterval();
                probe.pollTick();
            } else if (m_watchOn && m_watchNext <= now()) {
                m_watchNext = now() + UnitLink::kRecordCheckMs;
                probe.recordLineCheck();
            }
            afterAction();
        }
        if (!fetchEnded || pollsAfterFetch < polls)
            violations << QStringLiteral("%1 polls after the fetch").arg(pollsAfterFetch);
        for (const float d : view.chart + view.meter) {
            if (!distancesSent.count(d))
                violations << QStringLiteral("shown %1, never sent").arg(double(d));
        }
        if (!view.serialLabel.isEmpty() && view.serialLabel != unit.serial)
            violations << "serial shown as " + QString::fromLatin1(view.serialLabel);
        const QList<int> unread = link.unreadPrograms();
        for (int k = 0; k < kProgramCount; ++k) {
            if (!unread.contains(k) && !carriedFieldsEqual(state.programs[k], programs[k], k == 0))
                violations << QStringLiteral("program #%1 counts as read but is not").arg(k);
        }
        return unread;
    }

private:
    qint64 now() const { return pump.nowMs(); }
    bool chance(double p) { return p > 0 && std::uniform_real_distribution<>(0, 1)(m_rng) < p; }
    int between(int a, int b) { return std::uniform_int_distribution<>(a, std::max(a, b))(m_rng); }

    // The unit answers what the link wrote; the test follows the link's timers.
    void afterAction() {
        for (; m_seen < port.written.size(); ++m_seen) {
            for (const char byte : port.written[m_seen])
                answer(static_cast<unsigned char>(byte));
        }
        if (link.pollTimerActive() && (!m_pollOn || link.pollInterval() != m_pollInterval))
            m_pollNext = now() + link.pollInterval();
        m_pollOn = link.pollTimerActive();
        m_pollInterval = link.pollInterval();
        if (link.recordWatchdogActive() && !m_watchOn)
            m_watchNext = now() + UnitLink::kRecordCheckMs;
        m_watchOn = link.recordWatchdogActive();
    }

    QByteArray pollReply(char command) {
        // Every reading differs, so a reading shown can be traced to the reply that sent it.
        const QByteArray distance = QByteArray::number(10.0 + (++m_polls % 997) * 0.25, 'f', 2);
        const QByteArray status = QByteArray(1, char(128 + (m_polls % 3) * 2)) + '\r';
        distancesSent.insert(float(distance.toDouble()));
        switch (command) {
        case kDC4:
            return unit.serial + '\r' + distance + '\r' + status + "\x04";
        case kDC3:
            return distance + '\r' + status + "\x04";
        case kDLE:
            return unit.serial + '\r' + distance + '\r' + status + "17\r\x04";
        case kCAN:
            return unit.serial + '\r' + distance + "\r200\r" + status + "\x04";
        default:
            return "20.5\r0.0067571\r\x04"; // STX: temperature
        }
    }

    void answer(unsigned char command) {
        if (command == static_cast<unsigned char>(kSYN))
            return; // the handshake is answered at once (not the subject here)
        requests += char(command);
        const bool record = command >= kRecordCommand && command < kRecordCommand + 8;
        if (record && now() < 1000 + m_sch.silentRecordsMs)
            return;
        QByteArray reply = record ? qxsim::unitRecordReply(programs, command - kRecordCommand, unit,
                                                           QByteArray(1, char(command)) + '\r')
                                  : pollReply(char(command));
        const int* latency = record ? m_sch.recordLatencyMs : m_sch.pollLatencyMs;
        const qint64 at = std::max(now() + between(latency[0], latency[1]), m_busyUntil);
        m_busyUntil = at + reply.size() / kBytesPerMs;
        const bool damage = record || !m_sch.damageRecordsOnly;
        if (damage && chance(m_sch.drop))
            return;
        if (damage && chance(m_sch.controlByte)) {
            // Inside a field: after the lead bytes, never onto a CR or the EOT.
            const int from = record ? 3 : 1;
            int i = between(from, int(reply.size()) - 2);
            while (i > from && (reply[i] == '\r' || reply[i - 1] == '\r'))
                --i;
            static const char controls[] = {0, 1, 2, 7, 9, 10, 16, 19, 24, 27, 31};
            reply.insert(i, controls[between(0, int(sizeof controls) - 1)]);
        }
        if (record && chance(m_sch.loseBytes))
            reply.remove(between(3, int(reply.size()) - 10), between(1, 5));
        const bool cut = damage && chance(m_sch.cut);
        if (cut)
            reply.truncate(between(1, int(reply.size()) - 1));
        const qint64 end = deliver(reply, at, cut && !record ? requests.size() : -1);
        if (record && !cut && chance(m_sch.twice))
            deliver(reply, end + between(0, 40));
        if (chance(m_sch.stray)) {
            char noise = 0;
            do {
                noise = char(between(0, 255));
            } while (noise == kEOT || noise == kCR || noise == kDC1);
            // Between replies: before the next request can have been answered.
            const qint64 strayAt = end + between(1, 20);
            m_deliveries.insert({strayAt, {QByteArray(1, noise), requests.size()}});
            m_busyUntil = std::max(m_busyUntil, strayAt + 1); // the next reply comes after it
        }
    }

    // Schedules `reply` in pieces from `at`; returns when its last byte arrives.
    qint64 deliver(const QByteArray& reply, qint64 at, qsizetype onlyBefore = -1) {
        std::vector<int> cuts{int(reply.size())};
        for (int i = between(1, std::min<int>(m_sch.pieces, int(reply.size()))); i > 1; --i)
            cuts.push_back(between(1, int(reply.size()) - 1));
        std::sort(cuts.begin(), cuts.end());
        int from = 0;
        for (const int to : cuts) {
            if (to <= from)
                continue;
            if (from > 0)
                at += between(0, m_sch.pieceGapMs);
            // A piece arrives with its last byte, or in parts as the adapter passes them on.
            at += std::min((to - from) / kBytesPerMs, kAdapterMs);
            m_deliveries.insert({at, {reply.mid(from, to - from), onlyBefore}});
            from = to;
        }
        m_busyUntil = std::max(m_busyUntil, at);
        return at;
    }

    Schedule m_sch;
    std::mt19937 m_rng;
    // Bytes due at a time, delivered only while this many requests have been sent (-1: always).
    std::multimap<qint64, std::pair<QByteArray, qsizetype>> m_deliveries;
    qsizetype m_seen = 0;
    int m_polls = 0;
    qint64 m_busyUntil = 0;
    bool m_pollOn = false;
    int m_pollInterval = 0;
    qint64 m_pollNext = 0;
    bool m_watchOn = false;
    qint64 m_watchNext = 0;
};

} // namespace

Q_DECLARE_METATYPE(Schedule)

class TestLinkSchedules : public QObject {
    Q_OBJECT
private slots:
    void randomSchedules() {
        constexpr int kRuns = 300;
        int allRead = 0;
        QStringList failures;
        for (quint32 seed = 1; seed <= kRuns; ++seed) {
            std::mt19937 rng(seed * 7919u);
            const auto p = [&](double max) {
                return std::uniform_real_distribution<>(0, max)(rng);
            };
            const auto n = [&](int a, int b) { return std::uniform_int_distribution<>(a, b)(rng); };
            Schedule s;
            s.seed = seed;
            s.recordLatencyMs[0] = n(0, 200);
            s.recordLatencyMs[1] = s.recordLatencyMs[0] + (seed % 4 == 0 ? n(0, 4000) : n(0, 300));
            s.pollLatencyMs[1] = n(5, 150);
            s.pieces = n(1, 8);
            s.pieceGapMs = seed % 5 == 0 ? n(0, 400) : n(0, 30);
            s.drop = p(0.15);
            s.twice = p(0.1);
            s.cut = p(0.1);
            s.loseBytes = p(0.1);
            s.controlByte = p(0.15);
            s.stray = p(0.3);
            ScheduledRun run(s);
            allRead += run.run().isEmpty() ? 1 : 0;
            if (!run.violations.isEmpty())
                failures << QStringLiteral("seed %1: %2").arg(seed).arg(run.violations.join("; "));
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 10).join(QLatin1Char('\n'))));
        // Damage that comes and goes is overcome by asking again: nearly every fetch reads all.
        QVERIFY2(allRead >= kRuns * 95 / 100, qPrintable(QString::number(allRead)));
    }

    // The faults of the link one at a time, each on a schedule that showed it.
    void faults_data() {
        QTest::addColumn<Schedule>("schedule");
        QTest::addColumn<bool>("askedOnce"); // each record asked for once
        const auto row = [](const char* name, bool askedOnce, void (*set)(Schedule&)) {
            Schedule s;
            set(s);
            QTest::newRow(name) << s << askedOnce;
        };
        // A unit slower than the old one-second record watchdog.
        row("records 1.1 s late", true,
            [](Schedule& s) { s.recordLatencyMs[0] = s.recordLatencyMs[1] = 1100; });
        // Slower than the silence that counts as a lost request: asked again, then drained.
        row("records 4 s late", false,
            [](Schedule& s) { s.recordLatencyMs[0] = s.recordLatencyMs[1] = 4000; });
        // Records in 7-byte pieces 50 ms apart: still sending, never asked again.
        row("records in slow pieces", true, [](Schedule& s) { s.pieces = 40, s.pieceGapMs = 50; });
        // A record without its EOT: the part received must not prefix the full reply.
        row("records cut short", false, [](Schedule& s) { s.cut = 0.3, s.seed = 11; });
        // The unit stops answering record requests: re-connect, and the fetch resumes.
        row("records unanswered for 15 s", false, [](Schedule& s) { s.silentRecordsMs = 15000; });
        // A byte of noise after every reply must not prefix the next reading.
        row("stray byte after every reply", false, [](Schedule& s) { s.stray = 1.0; });
        // A NUL inside a field passes the byte sum: still damaged, and every program unread.
        row("control byte in every record", false,
            [](Schedule& s) { s.controlByte = 1.0, s.damageRecordsOnly = true; });
    }

    void faults() {
        QFETCH(Schedule, schedule);
        QFETCH(bool, askedOnce);
        ScheduledRun run(schedule);
        const QList<int> unread = run.run();
        QVERIFY2(run.violations.isEmpty(), qPrintable(run.violations.join(QLatin1Char('\n'))));
        if (schedule.controlByte < 1) {
            QCOMPARE(unread, QList<int>());
            QVERIFY(!run.view.chart.isEmpty());
        } else {
            QCOMPARE(unread, (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
            QVERIFY(run.link.remoteEditRefusal().contains(QStringLiteral("#0, #1")));
        }
        // A unit answering within the silence is asked for each record once.
        if (askedOnce)
            QCOMPARE(run.requests.left(8), QByteArray("xyz{|}~\x7f"));
    }
};

QTEST_GUILESS_MAIN(TestLinkSchedules)
#include "test_link_schedules.moc"
