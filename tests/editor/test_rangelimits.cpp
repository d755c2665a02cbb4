// The range checks of the lengths and the sample interval: the one home of these rules (the
// editor's tests only check what it stores and shows of the results).
#include "../tablerows.h"
#include "editor/rangelimits.h"
#include "program/programrecord.h"
#include "shared/numtext.h"

#include <QTest>

#include <limits>

using namespace vanto;

// Base 13, Range 30, TotalSpan 43, NearRelay 13, 0.0067 in per count, 10 ms, relay 20 to 40.
ProgramRecord sample(const char* minimumBase, const char* conversion = "0.0067") {
    ProgramRecord r;
    r.set(Field::Base, "13");
    r.set(Field::Range, "30");
    r.set(Field::TotalSpan, "43");
    r.set(Field::NearRelay, "13");
    r.set(Field::MinimumBase, minimumBase);
    r.set(Field::Conversion, conversion);
    r.set(Field::SampleInterval, "10000");
    r.set(Field::RelayOnDistance, "20");
    r.set(Field::RelayOffDistance, "40");
    return r;
}

const float kInfinity = std::numeric_limits<float>::infinity();

struct LimitCase {
    const char *name, *minimumBase, *conversion;
    int kind;
    float value, limited;
    bool beep;
};
const LimitCase kLimits[] = {
    {"base below 6-inch minimum", "6", "0.0067", kCheckBase, 5, 6, true},
    {"base below 13-inch minimum", "13", "0.0067", kCheckBase, 5, 13, true},
    {"base beyond 360 with range", "13", "0.0067", kCheckBase, 400, 330, true},
    {"base fraction beeps unchanged", "13", "0.0067", kCheckBase, 20.4f, 20.4f, true},
    {"range 0", "13", "0.0067", kCheckRange, 0, 1, true},
    {"range beyond 360 with base", "13", "0.0067", kCheckRange, 400, 347, true},
    {"near relay one beyond base", "13", "0.0067", kCheckNearRelay, 14, 13, true},
    {"near relay below minimum", "6", "0.0067", kCheckNearRelay, 2, 6, true},
    {"total span beyond 360", "13", "0.0067", kCheckTotalSpan, 370, 360, true},
    {"total span leaves base below minimum", "6", "0.0067", kCheckTotalSpan, 20, 36, true},
    {"interval beyond measurement limit", "13", "0.0067", kCheckSampleInterval, 70, 58.935f, true},
    {"interval below minimum base", "6", "0.0067", kCheckSampleInterval, 2, 6, true},
    {"interval with zero conversion", "13", "0", kCheckSampleInterval, 100, 65.353f, true},
    {"interval with absurd conversion never negative", "13", "0.0000001", kCheckSampleInterval, 20,
     0, true},
    // Entries outside the 16-bit range: limited, and always beeped.
    {"huge base", "13", "0.0067", kCheckBase, 1e9f, 330, true},
    {"unknown kind limited to 16 bits", "13", "0.0067", 3, 40000, 32767, true},
    {"infinite entry", "13", "0.0067", 3, kInfinity, 32767, true},
};

// What an entry moves besides itself: the near relay, the relay distances (against the span
// before the edit) and the sample interval (a longer span leaves less of 65353 us for it).
struct MoveCase {
    const char* name;
    int kind;
    float value;
    const char* changes; // Field=value pairs before the entry
    Field field;
    const char* after;
};
const MoveCase kMoves[] = {
    {"near relay raised to the minimum", kCheckBase, 20, "NearRelay=3", Field::NearRelay, " 13"},
    {"near relay pulled down to the base", kCheckBase, 20, "NearRelay=50 MinimumBase=6",
     Field::NearRelay, "20"},
    {"pulled down to a metric base", kCheckBase, float(33 / 2.54), "NearRelay=50 MinimumBase=6",
     Field::NearRelay, "12.99213"},
    {"near relay within the base stays", kCheckBase, 20, "NearRelay=10 MinimumBase=6",
     Field::NearRelay, "10"},
    {"relay ON to the old base", kCheckBase, 100, "RelayOnDistance=50 RelayOffDistance=60",
     Field::RelayOnDistance, "13"},
    {"relay OFF to the old span", kCheckBase, 100, "RelayOnDistance=50 RelayOffDistance=60",
     Field::RelayOffDistance, "43"},
    {"relay within the span stays", kCheckBase, 100, "", Field::RelayOffDistance, "40"},
    // 0.0067 in per count: 350 inches take 52238.8 us, leaving 13114.19 us.
    {"base 50 + range 300", kCheckBase, 50, "Range=300 SampleInterval=60000", Field::SampleInterval,
     "13114.19"},
    {"base fits", kCheckBase, 50, "Range=300", Field::SampleInterval, "10000"},
    {"range 337 + base 13", kCheckRange, 337, "SampleInterval=60000", Field::SampleInterval,
     "13114.19"},
    {"total span 350", kCheckTotalSpan, 350, "SampleInterval=60000", Field::SampleInterval,
     "13114.19"},
    {"near relay leaves the interval", kCheckNearRelay, 10, "SampleInterval=65000",
     Field::SampleInterval, "65000"},
};

class TestRangeLimits : public QObject {
    Q_OBJECT
private slots:
    void limits_data() { addRows(kLimits); }
    void limits() {
        QFETCH(int, row);
        const LimitCase& c = kLimits[row];
        ProgramRecord r = sample(c.minimumBase, c.conversion);
        const RangeResult result = limitToRange(r, c.value, c.kind);
        QVERIFY2(qAbs(result.value - c.limited) < 0.001f,
                 qPrintable(QString::number(result.value)));
        QCOMPARE(result.beep, c.beep);
    }

    void entryMovesOtherFields_data() { addRows(kMoves); }
    void entryMovesOtherFields() {
        QFETCH(int, row);
        const MoveCase& c = kMoves[row];
        ProgramRecord r = sample("13");
        for (const QByteArray& pair : QByteArray(c.changes).split(' ')) {
            const QList<QByteArray> nameValue = pair.split('=');
            if (nameValue.size() == 2)
                r.set(*fieldByName(QString::fromLatin1(nameValue[0])), nameValue[1]);
        }
        limitToRange(r, c.value, c.kind);
        const QByteArray after(c.after);
        if (c.field == Field::SampleInterval)
            QVERIFY2(qAbs(r.number(c.field) - after.toDouble()) < 0.2, r.text(c.field).constData());
        else
            QCOMPARE(r.text(c.field), after.leftJustified(infoOf(c.field).width, ' '));
    }
};

QTEST_GUILESS_MAIN(TestRangeLimits)
#include "test_rangelimits.moc"
