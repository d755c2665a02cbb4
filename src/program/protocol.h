// The bytes of the unit protocol, shared by the link, the record and transmission formats and
// the simulator.
#pragma once

namespace vanto {

constexpr char kSTX = 2;  // poll: temperature
constexpr char kEOT = 4;  // ends a reply and a transmission
constexpr char kCR = 13;  // ends a field or a line
constexpr char kDLE = 16; // poll: serial number, distance, status, one more field
constexpr char kDC1 = 17; // a program transmission follows / the unit is ready for it
constexpr char kDC3 = 19; // poll: distance, status
constexpr char kDC4 = 20; // poll: serial number, distance, status
constexpr char kSYN = 22; // the handshake byte
constexpr char kETB = 23; // the unit's answer to the handshake
constexpr char kCAN = 24; // poll: serial number, distance, analog output, status
constexpr unsigned char kRecordCommand = 120; // 120 + program number asks for its record

} // namespace vanto
