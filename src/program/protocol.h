// The unit protocol: its bytes, the requests the host makes, and the framing of the unit's
// replies. Shared by the link, the record and transmission formats and the simulator.
#pragma once

#include <QByteArray>
#include <QList>

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

// What the host has asked the unit for and waits for the answer to: it decides the command byte
// sent and how the next complete reply is taken. Ordinary polling sends one of the four polls,
// the one the running program's output mode needs (MainDisplayModel::pollRequest).
enum class LinkRequest {
    None,         // nothing outstanding: the last reply was taken
    AllRecords,   // 120 + k: the record of the current program, then of every program after it
    PollSerial,   // DC4: serial number, distance, status (the poll before any program is known)
    PollDistance, // DC3: distance, status (linear output)
    Temperature,  // STX: temperature, conversion value
    PollAdaptive, // DLE: serial number, distance, status, one more field (adaptive output)
    PollAnalog,   // CAN: serial number, distance, analog output, status (linear with sum/scale)
    Transmission, // DC1: a program transmission waits for the unit's DC1, or is being sent
    OneRecord,    // 120 + k: the record of one program (the read-back after a transmission)
};

// True for the requests whose answer is a poll reply (the four polls and the temperature).
constexpr bool isPollReply(LinkRequest request) {
    return request == LinkRequest::PollSerial || request == LinkRequest::PollDistance ||
           request == LinkRequest::Temperature || request == LinkRequest::PollAdaptive ||
           request == LinkRequest::PollAnalog;
}

// True for the requests whose answer is a program record.
constexpr bool isRecordRequest(LinkRequest request) {
    return request == LinkRequest::AllRecords || request == LinkRequest::OneRecord;
}

// Splits `reply` from `from` into CR-terminated fields. Stops when no further CR follows, at a
// field that begins with EOT (not taken), or once `limit` fields have been taken.
QList<QByteArray> splitReplyFields(const QByteArray& reply, int from, int limit);

// True when a field holds a byte below 32: no field of a reply can (the unit sends decimal and
// printable text; CR and EOT are the framing), so such a byte is damage from the line.
bool hasControlBytes(const QList<QByteArray>& fields);

} // namespace vanto
