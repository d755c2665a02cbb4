#include "replies.h"

#include "monitor/maindisplay.h"

#include <cmath>

namespace vanto {

QList<QByteArray> splitReplyFields(const QByteArray& reply, int from, int limit) {
    QList<QByteArray> fields;
    int start = from;
    while (fields.size() < limit) {
        const int end = reply.indexOf(kCR, start);
        if (end < 0)
            break;
        if (end > start && reply[start] == kEOT)
            break;
        fields.append(reply.mid(start, end - start));
        start = end + 1;
    }
    return fields;
}

bool hasControlBytes(const QList<QByteArray>& fields) {
    for (const QByteArray& field : fields) {
        for (const char c : field) {
            if (static_cast<unsigned char>(c) < 32)
                return true;
        }
    }
    return false;
}

int pollReplyFieldCount(int request) {
    switch (request) {
    case 2:
        return 3;
    case 3:
    case 4:
        return 2;
    case 5:
    case 6:
        return 4;
    default:
        return 0;
    }
}

int pollStatusField(int request) {
    switch (request) {
    case 2:
    case 5:
        return 2;
    case 3:
        return 1;
    case 6:
        return 3;
    default:
        return -1;
    }
}

bool pollFieldsClean(int request, const QList<QByteArray>& fields) {
    const int status = pollStatusField(request);
    if (status >= 0 && status < fields.size() && fields[status].size() > 1)
        return false;
    return !hasControlBytes(fields);
}

StatusFlags deriveStatusFlags(int status, const QString& modelName, const ProgramRecord& running) {
    const int s = status - 128; // a byte below 128 gives a negative value: its bits still count
    StatusFlags flags;
    flags.far = (s & 2) != 0;
    flags.near = (s & 4) != 0;
    flags.reload = (s & 8) != 0;
    if (modelName == QLatin1String("QX3100")) {
        const double minimumBase = running.number(Field::MinimumBase);
        const bool base13 = (s & 16) != 0;
        if ((base13 && minimumBase != 13) || (!base13 && minimumBase != 6))
            flags.reload = true;
    }
    return flags;
}

float computeMeterValue(int meterMode, const LiveValues& live, const MainDisplayModel& d,
                        float* lastOutputPercent) {
    switch (meterMode) {
    case 1:
        return live.liveAnalogPercent;
    case 3:
        return live.liveDistance;
    case 2:
        break;
    default:
        return 0;
    }
    if (d.holdOn && live.farFlag)
        return *lastOutputPercent;
    if (live.farFlag && (d.outputMode == 0 || d.outputMode == 1))
        return 0;
    const double distance = live.liveDistance;
    const double base = d.baseShown;
    const double analog = live.liveAnalogPercent;
    const double x = (distance - base) / double(d.rangeShown);
    double v = 0;
    switch (d.outputMode) {
    case 1:
        v = x * 100 - d.offsetValue;
        if (d.payOutMode == 1)
            v = 100 - v;
        break;
    case 2:
    case 4: {
        const double p = d.sumScaleShare / 100.0;
        const double t = distance >= base ? x * 2 * p : 0;
        const double dev = t - p;
        v = d.payOutMode == 1 ? analog - dev * analog : analog + dev * analog;
        break;
    }
    case 3: {
        const double p = d.sumScaleShare / 100.0;
        if (d.payOutMode == 1) {
            const double y = distance > base ? x : 0;
            v = (p - p * y) * analog;
        } else {
            v = p * x * analog;
        }
        break;
    }
    default:
        v = 0;
        break;
    }
    // A zero range gives no defined fraction at the base itself (0 / 0): show 0 rather than
    // carrying a non-number into the display and the held value.
    if (std::isnan(v) || v < 0) {
        *lastOutputPercent = 0;
        return 0;
    }
    if (v > 100)
        v = 100;
    *lastOutputPercent = static_cast<float>(v);
    return *lastOutputPercent;
}

} // namespace vanto
