#include "cli/transaction.h"

#include "cli/console.h"
#include "cli/interrupt.h"
#include "cli/progress.h"
#include "link/porterror.h"
#include "link/protocol.h"
#include "link/request.h"

#include <QDeadlineTimer>
#include <QFileInfo>

namespace {

constexpr int kBaud = 9600;
constexpr int kPollMs = 50;  // how soon an interrupt is noticed while a reply is awaited

// How long the line takes to carry n bytes (10 bits each): the reply cannot start before.
int lineTimeMs(int n)
{
    return (n * 10 * 1000 + kBaud - 1) / kBaud;
}

QString describeRequest(const QByteArray &body)
{
    Request req;
    parseRequestBody(body, &req);
    return QStringLiteral("%1 of %2 bytes at %3")
        .arg(req.operation == proto::kOpWrite ? QStringLiteral("write") : QStringLiteral("read"))
        .arg(req.count)
        .arg(hexAddress(req.address));
}

}  // namespace

Transaction::Transaction(const CliOptions &opt)
    : m_opt(opt)
    , m_portName(opt.port)
{
    m_clock.start();
}

ExitStatus Transaction::open()
{
    m_port.setPortName(m_portName);
    m_port.setBaudRate(kBaud);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite))
        return portFailure(m_port.error());
    m_guard.startSession(m_clock.elapsed(), m_opt.timeoutMs);
    return ExitOk;
}

void Transaction::setStep(const QString &step, const char *phase, int n, int of)
{
    if (m_progress)
        m_progress->setStep(step, phase, n, of);
}

ExitStatus Transaction::exchange(const QByteArray &body, QByteArray *reply)
{
    const QByteArray frame = encodeFrame(body);
    for (int tries = 0;; ++tries) {
        const Outcome outcome = attempt(frame, m_opt.timeoutMs, reply);
        if (outcome == Reply) {
            if (m_progress)
                m_progress->advance(exchangeLineBytes(body.size(), reply->size()));
            return ExitOk;
        }
        if (outcome == PortError || outcome == Interrupted || outcome == Noisy
            || tries == m_opt.retries)
            return failure(outcome, body);
        if (!m_opt.quiet) {
            message(QStringLiteral("%1, resending (%2 of %3)")
                        .arg(outcome == NoReply ? QStringLiteral("no reply")
                                                : QStringLiteral("bad checksum"))
                        .arg(tries + 1)
                        .arg(m_opt.retries));
        }
    }
}

ExitStatus Transaction::probe(int timeoutMs, bool *answered)
{
    const QByteArray body
        = buildRequestBody(proto::kOpRead, proto::kVersionAddr, nullptr, proto::kVersionSize);
    QByteArray reply;
    const Outcome outcome = attempt(encodeFrame(body), timeoutMs, &reply);
    *answered = outcome == Reply;
    switch (outcome) {
    case Reply:
    case NoReply:
    case BadChecksum:
        return ExitOk;
    case Interrupted:
        return ExitInterrupted;
    default:
        return failure(outcome, body);
    }
}

Transaction::Outcome Transaction::attempt(const QByteArray &frame, int timeoutMs, QByteArray *reply)
{
    if (const Outcome o = waitUntilClean(); o != Reply)
        return o;
    // Whatever waits now answers nothing we are about to ask: line noise.
    discard(m_port.readAll());
    m_port.clear(QSerialPort::Input);
    m_port.clearError();
    m_parser.reset();
    if (interrupted())
        return Interrupted;

    const QDeadlineTimer deadline(lineTimeMs(frame.size()) + timeoutMs);
    trace("TX", frame);
    const auto portError = [this] {
        m_portError = m_port.error();
        return PortError;
    };
    if (m_port.write(frame) != frame.size())
        return portError();
    while (m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(int(deadline.remainingTime())))
            return portError();
    }
    for (;;) {
        const QByteArray bytes = m_port.readAll();
        for (int i = 0; i < bytes.size(); ++i) {
            switch (m_parser.feed(quint8(bytes.at(i)))) {
            case FrameParser::Frame:
                *reply = m_parser.payload();
                trace("RX", encodeFrame(*reply));
                return Reply;
            case FrameParser::BadChecksum: {
                QByteArray received = encodeFrame(m_parser.payload());
                received[received.size() - 1] = bytes.at(i);
                trace("RX", received, " (bad checksum)");
                m_guard.suspect(m_clock.elapsed(), timeoutMs, true);
                discard(bytes.mid(i + 1));
                return BadChecksum;
            }
            case FrameParser::NeedMore:
                break;
            }
        }
        if (deadline.hasExpired()) {
            m_guard.suspect(m_clock.elapsed(), timeoutMs, false);
            return NoReply;
        }
        Outcome outcome;
        if (!waitForBytes(int(deadline.remainingTime()), &outcome))
            return outcome;
    }
}

// The reply to a failed request may still be on its way; nothing that comes meanwhile is
// taken for anything.
Transaction::Outcome Transaction::waitUntilClean()
{
    for (;;) {
        discard(m_port.readAll());
        const int quiet = m_guard.quietNeeded(m_clock.elapsed());
        if (quiet == 0)
            return Reply;
        if (quiet == LineGuard::kNoisy) {
            m_port.close();  // nothing more is read from it
            return Noisy;
        }
        Outcome outcome;
        if (!waitForBytes(quiet, &outcome))
            return outcome;
    }
}

bool Transaction::waitForBytes(int ms, Outcome *outcome)
{
    if (interrupted()) {
        *outcome = Interrupted;
        return false;
    }
    if (m_port.waitForReadyRead(qBound(0, ms, kPollMs)))
        return true;
    const QSerialPort::SerialPortError error = m_port.error();
    if (error == QSerialPort::TimeoutError || error == QSerialPort::NoError) {
        m_port.clearError();
        return true;
    }
    m_portError = error;
    *outcome = PortError;
    return false;
}

void Transaction::discard(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return;
    m_guard.discard(bytes, m_clock.elapsed());
    trace("RX", bytes, " (discarded: answers no request)");
}

// The one place where a failed request becomes a message and an exit status.
ExitStatus Transaction::failure(Outcome outcome, const QByteArray &body)
{
    const QString tries
        = m_opt.retries > 0 ? QStringLiteral(", %1 attempts").arg(m_opt.retries + 1) : QString();
    switch (outcome) {
    case NoReply:
        return fail(ExitLink,
                    QStringLiteral("no reply from the device on %1 within %2 ms (%3%4)")
                        .arg(m_portName)
                        .arg(m_opt.timeoutMs)
                        .arg(describeRequest(body), tries));
    case BadChecksum:
        return fail(ExitLink,
                    QStringLiteral("reply with a bad checksum from the device on %1 (%2%3)")
                        .arg(m_portName, describeRequest(body), tries));
    case Noisy:
        return fail(ExitLink, portFailureTextEn(noisyPort(m_portName)));
    case Interrupted:
        return fail(ExitInterrupted,
                    QStringLiteral("interrupted during the %1; nothing more was sent")
                        .arg(describeRequest(body)));
    default:
        return portFailure(m_portError);
    }
}

ExitStatus Transaction::portFailure(QSerialPort::SerialPortError error)
{
    PortFailure f = describePortFailure(m_port, error);
    f.portName = m_portName;
#ifndef Q_OS_WIN
    // A read or write that failed because the adapter was pulled out: its node went with it.
    if (f.kind == PortFailure::Broken && !QFileInfo::exists(portKey(m_portName)))
        f.kind = PortFailure::Gone;
#endif
    return fail(ExitLink, portFailureTextEn(f));
}

ExitStatus Transaction::read(quint32 address, int count, QByteArray *data)
{
    const QByteArray body = buildRequestBody(proto::kOpRead, address, nullptr, quint16(count));
    if (const ExitStatus s = exchange(body, data))
        return s;
    if (data->size() != count) {
        return fail(ExitDevice,
                    QStringLiteral("the device answered %1 bytes to a read of %2 "
                                   "bytes at %3")
                        .arg(data->size())
                        .arg(count)
                        .arg(hexAddress(address)));
    }
    return ExitOk;
}

ExitStatus Transaction::write(quint32 address, const QByteArray &data)
{
    const QByteArray body
        = buildRequestBody(proto::kOpWrite, address, data.constData(), quint16(data.size()));
    QByteArray ack;
    if (const ExitStatus s = exchange(body, &ack))
        return s;
    if (ack.isEmpty() || ack.at(0) == 0) {
        return fail(ExitDevice,
                    QStringLiteral("the device refused the write of %1 bytes at %2")
                        .arg(data.size())
                        .arg(hexAddress(address)));
    }
    return ExitOk;
}

ExitStatus Transaction::verify(quint32 address, const QByteArray &expected,
                               const std::function<void(int)> &progress)
{
    QByteArray got;
    for (int done = 0; done < expected.size(); done += got.size()) {
        const int count = qMin(expected.size() - done, proto::kMaxCount);
        if (const ExitStatus s = read(address + quint32(done), count, &got))
            return s;
        for (int i = 0; i < count; ++i) {
            if (got.at(i) != expected.at(done + i)) {
                return fail(ExitDevice,
                            QStringLiteral("verify failed at %1: wrote 0x%2, read back 0x%3")
                                .arg(hexAddress(address + quint32(done + i)))
                                .arg(quint8(expected.at(done + i)), 2, 16, QLatin1Char('0'))
                                .arg(quint8(got.at(i)), 2, 16, QLatin1Char('0')));
            }
        }
        if (progress)
            progress(done + count);
    }
    return ExitOk;
}

void Transaction::trace(const char *direction, const QByteArray &frame, const char *remark)
{
    traceFrame(m_portName, direction, frame, remark);
}
