// The simulator's sending side: replies leave whole and at once, or, as asked, in pieces with a
// pause between them and/or at the speed of the wire (one byte per 0.521 ms at 19200 baud).
// Timed output runs from a timer, so that input keeps being read while a reply is on its way.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>

namespace qxsim {

// Wire time of one byte at 19200 baud with a start bit, 8 data bits and a stop bit.
constexpr qint64 kByteNs = 1000000000LL * 10 / 19200;

class OutputQueue : public QObject {
    Q_OBJECT
public:
    using Writer = std::function<void(const QByteArray&)>;

    // `chunk` 0 sends each reply as one piece.
    OutputQueue(Writer writer, bool pace, int chunk, int chunkGapMs, QObject* parent = nullptr);

    // `delayMs`: the reply starts no sooner than this long from now (a unit slow to answer);
    // `gapMs`: and no sooner than this long after the previous byte has left.
    void send(const QByteArray& reply, qint64 delayMs = 0, qint64 gapMs = 0);
    // Forgets everything not yet written (the line went away).
    void clear();
    bool idle() const { return m_pieces.empty(); }

private:
    struct Piece {
        QByteArray bytes;
        qint64 gapNs = 0;       // pause after the previous piece before this one starts
        qint64 notBeforeNs = 0; // and not before this time of the queue's clock
        bool started = false;
    };
    void pump();
    void wakeIn(qint64 ns);

    Writer m_writer;
    bool m_pace;
    int m_chunk;
    qint64 m_chunkGapNs;
    std::deque<Piece> m_pieces;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lineFreeNs = 0; // when the last byte written has left the wire
};

} // namespace qxsim
