// The unit's short replies: framing of fields, the status byte and the value the meter shows.
// Pure functions, used by UnitLink and tested on their own.
#pragma once

#include "program/protocol.h"

#include "program/programrecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vanto {

struct MainDisplayModel;

// Splits `reply` from `from` into CR-terminated fields. Stops when no further CR follows, at a
// field that begins with EOT (not taken), or once `limit` fields have been taken.
QList<QByteArray> splitReplyFields(const QByteArray& reply, int from, int limit);

// True when a field holds a byte below 32: no field of a reply can (the unit sends decimal and
// printable text; CR and EOT are the framing), so such a byte is damage from the line.
bool hasControlBytes(const QList<QByteArray>& fields);

// Fields a poll reply must hold: 3 for request 2, 2 for 3 and 4, 4 for 5 and 6; 0 otherwise.
int pollReplyFieldCount(int request);

// The field of a poll reply to `request` that holds the status byte (0-based), or -1.
int pollStatusField(int request);

// True when the fields of a poll reply could be what the unit sent: no field holds a byte below
// 32, and the status field is empty or one byte.
bool pollFieldsClean(int request, const QList<QByteArray>& fields);

struct StatusFlags {
    bool near = false;
    bool far = false;
    bool reload = false;
};

// The flags of a status byte: value − 128 carries FAR (2), NEAR (4) and RELOAD (8). On a QX3100
// bit 16 says whether the unit's minimum base is 13; when that disagrees with MinimumBase of the
// running program the records are stale and RELOAD is set as well.
StatusFlags deriveStatusFlags(int status, const QString& modelName, const ProgramRecord& running);

// What computeMeterValue reads besides the display model.
struct LiveValues {
    float liveDistance = 0;
    float liveAnalogPercent = 0;
    bool farFlag = false;
};

// The value of the large display for meterMode 1 (analog %), 2 (percent output) or 3 (distance).
// `lastOutputPercent` keeps the last percent output between calls (it is held while FAR is
// exceeded with hold on).
float computeMeterValue(int meterMode, const LiveValues& live, const MainDisplayModel& display,
                        float* lastOutputPercent);

} // namespace vanto
