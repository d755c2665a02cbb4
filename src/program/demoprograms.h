#pragma once

#include "programrecord.h"

namespace vanto {

// Eight plausible, different programs: the simulator's default unit and the sample program file.
// They cover U.S. and metric units, adaptive and linear output (with an offset), pay-out and
// take-up, hold on and off, Sum/Scale, the control relay, RS232, clock and counter settings.
ProgramSet demoPrograms();

} // namespace vanto
