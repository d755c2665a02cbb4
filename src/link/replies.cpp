#include "replies.h"

namespace vanto {

int pollReplyFieldCount(LinkRequest request) {
    switch (request) {
    case LinkRequest::PollSerial:
        return 3;
    case LinkRequest::PollDistance:
    case LinkRequest::Temperature:
        return 2;
    case LinkRequest::PollAdaptive:
    case LinkRequest::PollAnalog:
        return 4;
    default:
        return 0;
    }
}

int pollStatusField(LinkRequest request) {
    switch (request) {
    case LinkRequest::PollSerial:
    case LinkRequest::PollAdaptive:
        return 2;
    case LinkRequest::PollDistance:
        return 1;
    case LinkRequest::PollAnalog:
        return 3;
    default:
        return -1;
    }
}

bool pollFieldsClean(LinkRequest request, const QList<QByteArray>& fields) {
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

} // namespace vanto
