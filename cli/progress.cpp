#include "cli/progress.h"

#include "cli/console.h"
#include "cli/events.h"
#include "link/protocol.h"

#include <QCoreApplication>

namespace {

constexpr int kFrameOverhead = 5;  // sync pair, length, checksum
// The rate of the first requests (a quiet line awaited, short reads, a first chunk) says
// little about the rest: the time left is known once a few chunks or seconds are through.
constexpr qint64 kSteadyBytes = 3 * (proto::kChunkSize + proto::kHeaderSize + 2 * kFrameOverhead);
constexpr qint64 kSteadyMs = 3000;

}  // namespace

qint64 exchangeLineBytes(int body, int payload)
{
    return body + payload + 2 * kFrameOverhead;
}

qint64 writeLineBytes(int count)
{
    return exchangeLineBytes(proto::kHeaderSize + count, 1);
}

qint64 readLineBytes(int count)
{
    return exchangeLineBytes(proto::kHeaderSize, count);
}

JobProgress::JobProgress(const QString &verb, qint64 lineBytes, bool quiet)
    : m_verb(verb)
    , m_total(qMax<qint64>(1, lineBytes))
    , m_quiet(quiet)
    , m_terminal(stderrIsTerminal())
{
    m_clock.start();
}

void JobProgress::setStep(const QString &step, const char *phase, int n, int of)
{
    m_step = step;
    if (m_events)
        m_events->step(phase, n, of);
}

qint64 JobProgress::secondsLeft() const
{
    // The rate so far covers every phase alike: the line's bytes take the same time whatever
    // they carry.
    if (m_done == m_total)
        return 0;
    const qint64 elapsed = m_clock.elapsed();
    if (m_done < kSteadyBytes && elapsed < kSteadyMs)
        return -1;
    return elapsed * (m_total - m_done) / m_done / 1000;
}

void JobProgress::advance(qint64 lineBytes)
{
    m_done = qMin(m_total, m_done + lineBytes);
    const int percent = int(m_done * 100 / m_total);
    const qint64 left = secondsLeft();
    if (m_events)
        m_events->progress(percent, left);
    if (m_quiet)
        return;
    if (!m_terminal && percent / 10 <= m_tenths)
        return;
    m_tenths = percent / 10;
    const QString time = left < 0
        ? CliText::tr("estimating")
        : CliText::tr("%1:%2 left").arg(left / 60).arg(left % 60, 2, 10, QLatin1Char('0'));
    const QString text = QStringLiteral("%1%2 %3 %, %4 (%5)")
                             .arg(portTag(), m_verb)
                             .arg(percent)
                             .arg(time, m_step);
    if (m_terminal)
        progressLine(text, m_done == m_total);
    else
        note(text);
}
