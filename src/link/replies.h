// The unit's poll replies: how many fields each holds, which one is the status byte, and the
// flags the status byte carries. Pure functions, used by UnitLink and tested on their own. The
// framing of fields is the protocol's (program/protocol.h).
#pragma once

#include "program/protocol.h"

#include "program/programrecord.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vanto {

// Fields a poll reply must hold: 3 for PollSerial, 2 for PollDistance and Temperature, 4 for
// PollAdaptive and PollAnalog; 0 for any other request.
int pollReplyFieldCount(LinkRequest request);

// The field of a poll reply to `request` that holds the status byte (0-based), or -1.
int pollStatusField(LinkRequest request);

// True when the fields of a poll reply could be what the unit sent: no field holds a byte below
// 32, and the status field is empty or one byte.
bool pollFieldsClean(LinkRequest request, const QList<QByteArray>& fields);

struct StatusFlags {
    bool near = false;
    bool far = false;
    bool reload = false;
};

// The flags of a status byte: value − 128 carries FAR (2), NEAR (4) and RELOAD (8). On a QX3100
// bit 16 says whether the unit's minimum base is 13; when that disagrees with MinimumBase of the
// running program the records are stale and RELOAD is set as well.
StatusFlags deriveStatusFlags(int status, const QString& modelName, const ProgramRecord& running);

} // namespace vanto
