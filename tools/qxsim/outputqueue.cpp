#include "outputqueue.h"

#include <algorithm>

namespace qxsim {

OutputQueue::OutputQueue(Writer writer, bool pace, int chunk, int chunkGapMs, QObject* parent)
    : QObject(parent), m_writer(std::move(writer)), m_pace(pace), m_chunk(chunk),
      m_chunkGapNs(qint64(chunkGapMs) * 1000000) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &OutputQueue::pump);
    m_clock.start();
}

void OutputQueue::send(const QByteArray& reply, qint64 delayMs, qint64 gapMs) {
    if (reply.isEmpty())
        return;
    const qint64 notBefore = delayMs > 0 ? m_clock.nsecsElapsed() + delayMs * 1000000 : 0;
    const int size = m_chunk > 0 ? m_chunk : int(reply.size());
    for (int at = 0; at < reply.size(); at += size)
        m_pieces.push_back({reply.mid(at, size), at == 0 ? gapMs * 1000000 : m_chunkGapNs,
                            at == 0 ? notBefore : 0, false});
    if (!m_timer.isActive())
        pump();
}

void OutputQueue::clear() {
    m_pieces.clear();
    m_timer.stop();
}

void OutputQueue::wakeIn(qint64 ns) {
    const qint64 ms = std::max<qint64>(1, (ns + 999999) / 1000000);
    m_timer.start(int(std::min<qint64>(ms, 60000)));
}

void OutputQueue::pump() {
    while (!m_pieces.empty()) {
        const qint64 now = m_clock.nsecsElapsed();
        Piece& piece = m_pieces.front();
        if (!piece.started) {
            const qint64 startAt = std::max(m_lineFreeNs + piece.gapNs, piece.notBeforeNs);
            if ((piece.gapNs > 0 || piece.notBeforeNs > 0) && now < startAt) {
                wakeIn(startAt - now);
                return;
            }
            piece.started = true;
            m_lineFreeNs = std::max(m_lineFreeNs, now);
        }
        if (!m_pace) {
            m_writer(piece.bytes);
            m_lineFreeNs = now;
            m_pieces.pop_front();
            continue;
        }
        // The bytes whose wire time has passed arrive now; the next one when its time is up.
        const qint64 due = std::min<qint64>((now - m_lineFreeNs) / kByteNs, piece.bytes.size());
        if (due > 0) {
            m_writer(piece.bytes.left(int(due)));
            piece.bytes.remove(0, int(due));
            m_lineFreeNs += due * kByteNs;
        }
        if (!piece.bytes.isEmpty()) {
            wakeIn(m_lineFreeNs + kByteNs - now);
            return;
        }
        m_pieces.pop_front();
    }
}

} // namespace qxsim
