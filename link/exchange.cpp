#include "link/exchange.h"

#include <utility>

int lineTimeMs(int bytes)
{
    constexpr int kBaud = 9600;
    return (bytes * 10 * 1000 + kBaud - 1) / kBaud;
}

ExchangeReply::ExchangeReply(const QByteArray &body, int timeoutMs, int retries, QObject *parent)
    : QObject(parent)
    , m_body(body)
    , m_timeoutMs(timeoutMs)
    , m_retries(retries)
{
}

void ExchangeReply::finish(Error error, const QByteArray &payload)
{
    m_finished = true;
    m_error = error;
    m_payload = payload;
    emit finished();
}

Exchange::Exchange(QSerialPort *port, QObject *parent)
    : QObject(parent)
    , m_port(port)
{
    m_clock.start();
}

bool Exchange::open(const QString &portName)
{
    m_portName = portName;
    m_port->setPortName(portName);
    if (m_port->open(QIODevice::ReadWrite))
        return true;
    m_failure = describe(m_port->error());
    return false;
}

ExchangeReply *Exchange::send(const QByteArray &body)
{
    auto *reply = new ExchangeReply(body, m_timeoutMs, m_retries, this);
    // One request at a time: one that overtakes another ends it.
    if (m_active)
        endRequest();
    if (ExchangeReply *old = std::exchange(m_current, reply))
        old->finish(ExchangeReply::Cancelled);
    if (m_guard.isSuspect())
        emit timerWanted(QuietTimer, 0);
    else
        start();
    return reply;
}

void Exchange::start()
{
    if (!m_port->isOpen() && !open(m_portName)) {
        m_current->m_failure = m_failure;
        finishCurrent(ExchangeReply::PortError);
        return;
    }
    // Whatever waits in the port is left over from an earlier exchange, never this reply.
    discard(m_port->readAll());
    m_port->clear(QSerialPort::Input);
    m_port->clearError();
    m_parser.reset();
    ++m_current->m_attempts;
    m_active = true;
    const QByteArray frame = encodeFrame(m_current->m_body);
    // Armed before the write: a write that fails at once ends the request through portFailed.
    const int replyMs
        = m_current->m_timeoutMs + (m_replyClock == FromBytesSent ? lineTimeMs(frame.size()) : 0);
    emit timerWanted(ReplyTimer, replyMs);
    trace("TX", frame);
    if (m_port->write(frame) != frame.size() && m_active)
        portFailed(m_port->error());
}

void Exchange::readPort()
{
    const QByteArray chunk = m_port->readAll();
    if (m_guard.isSuspect()) {
        discard(chunk);
        checkLine();
        return;
    }
    // The device answers only what it has received whole: anything before that is not our reply.
    if (!m_active || m_port->bytesToWrite() > 0)
        return;
    for (int i = 0; i < chunk.size(); ++i) {
        switch (m_parser.feed(quint8(chunk.at(i)))) {
        case FrameParser::NeedMore:
            continue;
        case FrameParser::Frame: {
            const QByteArray payload = m_parser.payload();
            trace("RX", encodeFrame(payload));
            endRequest();
            finishCurrent(ExchangeReply::NoError, payload);
            return;
        }
        case FrameParser::BadChecksum: {
            QByteArray received = encodeFrame(m_parser.payload());
            received[received.size() - 1] = chunk.at(i);
            trace("RX", received, " (bad checksum)");
            failAttempt(ExchangeReply::BadChecksum, true, chunk.mid(i + 1));
            return;
        }
        }
    }
}

void Exchange::replyTimedOut()
{
    if (m_active)
        failAttempt(ExchangeReply::NoReply, false);
}

void Exchange::failAttempt(ExchangeReply::Error error, bool frameSeen, const QByteArray &rest)
{
    m_active = false;
    emit timerWanted(ReplyTimer, -1);
    m_parser.reset();
    m_guard.suspect(m_clock.elapsed(), m_current ? m_current->m_timeoutMs : m_timeoutMs, frameSeen);
    discard(rest);
    emit lineSuspect(true);
    if (m_current && m_current->m_attempts <= m_current->m_retries)
        emit resending(error, m_current->m_attempts, m_current->m_retries);
    else
        finishCurrent(error);
    // Through the owner's loop, so that the bytes after a bad frame count before we look.
    emit timerWanted(QuietTimer, 0);
}

// The reply to a failed request may still be on its way; nothing that comes meanwhile is
// taken for anything.
void Exchange::checkLine()
{
    if (!m_guard.isSuspect())
        return;
    if (m_port->isOpen())
        discard(m_port->readAll());
    const int quiet = m_guard.quietNeeded(m_clock.elapsed());
    if (quiet > 0)
        emit timerWanted(QuietTimer, quiet);
    else
        endSuspicion(quiet == LineGuard::kNoisy ? Noisy : Clean);
}

void Exchange::endSuspicion(LineEnd how)
{
    m_guard.clear();
    emit timerWanted(QuietTimer, -1);
    if (m_closeWhenIdle || how == Noisy)
        closePort();  // nothing more is read from a noisy port
    emit lineSuspect(false);
    if (how == Noisy)
        emit noisyLine(noisyPort(m_portName));
    if (!m_current)
        return;
    if ((how == Noisy || how == PortFailed) && m_lineGivenUp == WaitingFails) {
        m_current->m_failure = how == Noisy ? noisyPort(m_portName) : m_failure;
        finishCurrent(how == Noisy ? ExchangeReply::NoisyLine : ExchangeReply::PortError);
        return;
    }
    start();
}

void Exchange::portFailed(QSerialPort::SerialPortError error)
{
    // A vanished adapter or a hang-up ends the request at once; open failures are the
    // request's own.
    if (error == QSerialPort::NoError)
        return;
    if (m_guard.isSuspect()) {
        m_failure = describe(error);
        endSuspicion(PortFailed);
        return;
    }
    if (!m_active)
        return;
    const PortFailure failure = describe(error);
    endRequest();
    if (m_current)
        m_current->m_failure = failure;
    finishCurrent(ExchangeReply::PortError);
}

void Exchange::clear()
{
    m_guard.clear();
    emit timerWanted(QuietTimer, -1);
    if (m_current && !m_active)
        std::exchange(m_current, nullptr)->finish(ExchangeReply::Cancelled);
    m_port->clear(QSerialPort::AllDirections);
    closePort();
    m_parser.reset();
}

void Exchange::endRequest()
{
    m_active = false;
    emit timerWanted(ReplyTimer, -1);
    if (m_closeWhenIdle)
        closePort();
    m_parser.reset();
}

void Exchange::finishCurrent(ExchangeReply::Error error, const QByteArray &payload)
{
    if (ExchangeReply *reply = std::exchange(m_current, nullptr))
        reply->finish(error, payload);
}

void Exchange::discard(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    m_guard.discard(bytes, m_clock.elapsed());
    trace("RX", bytes, " (discarded: answers no request)");
}

PortFailure Exchange::describe(QSerialPort::SerialPortError error) const
{
    PortFailure failure = describePortFailure(*m_port, error);
    failure.portName = m_portName;  // as the user chose it, not as Qt shortens it
    return failure;
}

void Exchange::closePort()
{
    if (m_port->isOpen())
        m_port->close();
}

void Exchange::trace(const char *direction, const QByteArray &bytes, const char *remark)
{
    if (m_tracer)
        m_tracer(direction, bytes, remark);
}
