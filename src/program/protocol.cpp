#include "protocol.h"

namespace vanto {

QList<QByteArray> splitReplyFields(const QByteArray& reply, int from, int limit) {
    QList<QByteArray> fields;
    int start = from;
    while (fields.size() < limit) {
        const auto end = static_cast<int>(reply.indexOf(kCR, start));
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

} // namespace vanto
