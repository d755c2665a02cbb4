#include "faults.h"

namespace qxsim {

bool FaultInjector::chance(double probability) {
    if (probability <= 0.0)
        return false;
    if (probability >= 1.0)
        return true;
    return std::uniform_real_distribution<double>(0.0, 1.0)(m_rng) < probability;
}

int FaultInjector::below(int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(m_rng);
}

QByteArray FaultInjector::apply(QByteArray reply) {
    if (reply.isEmpty() || chance(m_settings.drop))
        return {};
    if (reply.size() > 1 && chance(m_settings.corrupt)) {
        const int at = below(int(reply.size()) - 1);
        const unsigned char original = static_cast<unsigned char>(reply[at]);
        // Of the eight single-bit changes at most two give EOT or DC1; pick among the others.
        unsigned char damaged = original;
        do {
            damaged = original ^ static_cast<unsigned char>(1u << below(8));
        } while (damaged == 4 || damaged == 17);
        reply[at] = char(damaged);
    }
    if (chance(m_settings.noise)) {
        unsigned char stray = 0;
        do {
            stray = static_cast<unsigned char>(below(256));
        } while (isFraming(stray));
        reply.insert(below(int(reply.size()) + 1), char(stray));
    }
    return reply;
}

int FaultInjector::strayAfterReply() {
    if (!chance(m_settings.stray))
        return -1;
    unsigned char stray = 0;
    do {
        stray = static_cast<unsigned char>(below(256));
    } while (isFraming(stray));
    return stray;
}

} // namespace qxsim
