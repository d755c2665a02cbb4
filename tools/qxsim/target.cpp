#include "target.h"

#include <algorithm>
#include <cmath>

namespace qxsim {

using vanto::Field;

double Target::pathAt(qint64 nowMs, double base, double range, double nearRelay) {
    range = std::max(range, 0.0);
    const double far = base + range;
    const qint64 phase = ((nowMs % kCycleMs) + kCycleMs) % kCycleMs;
    if (phase < kSweepMs) // sweeping out from the base to the far end
        return base + range * double(phase) / double(kSweepMs);
    if (phase < kSweepMs + kExcursionMs) // beyond FAR
        return far + std::max(1.0, 0.1 * range);
    const qint64 down = phase - kSweepMs - kExcursionMs;
    if (down < kSweepMs) // sweeping back in to the base
        return far - range * double(down) / double(kSweepMs);
    // Inside NEAR: a fifth closer than the near-relay distance (or than the base when no near
    // relay is set), so that the NEAR bit shows even where the sweep never reaches it.
    const double inner = nearRelay > 0.0 ? nearRelay : base;
    return std::max(0.0, inner * 0.8);
}

double Target::distanceAt(qint64 nowMs, const vanto::ProgramRecord& program) {
    double d = 0.0;
    if (m_pinned) {
        d = *m_pinned;
    } else {
        const double base = program.number(Field::Base);
        const double range = program.number(Field::Range);
        d = pathAt(nowMs, base, range, program.number(Field::NearRelay));
        const qint64 phase = nowMs % kCycleMs;
        const bool sweeping = phase < kSweepMs || (phase >= kSweepMs + kExcursionMs &&
                                                   phase < 2 * kSweepMs + kExcursionMs);
        if (sweeping) {
            std::uniform_real_distribution<double> wobble(-kJitter / 2, kJitter / 2);
            d = std::max(0.0, d + wobble(m_rng));
        }
    }
    return std::round(d * 100.0) / 100.0;
}

} // namespace qxsim
