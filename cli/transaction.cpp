#include "cli/transaction.h"

#include "cli/console.h"
#include "cli/interrupt.h"
#include "cli/progress.h"
#include "cli/slots.h"
#include "link/porterror.h"
#include "link/protocol.h"
#include "link/request.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <memory>

namespace {

constexpr int kPollMs = 50;  // how soon an interrupt is noticed while a reply is awaited

QString describeRequest(const QByteArray &body)
{
    Request req;
    parseRequestBody(body, &req);
    return (req.operation == proto::kOpWrite ? CliText::tr("write of %1 bytes at %2")
                                             : CliText::tr("read of %1 bytes at %2"))
        .arg(req.count)
        .arg(hexAddress(req.address));
}

}  // namespace

Transaction::Transaction(const QString &portName, int timeoutMs, int retries, bool quiet)
    : m_timeoutMs(timeoutMs)
    , m_retries(retries)
    , m_exchange(&m_port)
{
    m_exchange.setPortName(portName);
    // A production tool counts the reply time from when the request has left, and fails a
    // request rather than send it on a line that never went quiet.
    m_exchange.setReplyClock(Exchange::FromBytesSent);
    m_exchange.setLineGivenUp(Exchange::WaitingFails);
    m_exchange.setClosePortWhenIdle(false);
    m_exchange.setTracer(
        [this](const char *direction, const QByteArray &bytes, const char *remark) {
            traceFrame(m_exchange.portName(), direction, bytes, remark);
        });
    QObject::connect(
        &m_exchange, &Exchange::timerWanted, &m_exchange, [this](Exchange::Timer timer, int ms) {
            (timer == Exchange::ReplyTimer ? m_replyDue : m_quietDue)
                = ms < 0 ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(ms);
        });
    QObject::connect(&m_exchange, &Exchange::resending, &m_exchange,
                     [quiet](ExchangeReply::Error why, int attempt, int retries) {
                         if (quiet)
                             return;
                         message((why == ExchangeReply::NoReply
                                      ? CliText::tr("no reply, resending (%1 of %2)")
                                      : CliText::tr("bad checksum, resending (%1 of %2)"))
                                     .arg(attempt)
                                     .arg(retries));
                     });
}

ExitStatus Transaction::open()
{
    m_port.setBaudRate(9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_exchange.open(m_exchange.portName()))
        return portFailure(m_exchange.failure());
    m_exchange.setTimeout(m_timeoutMs);
    m_exchange.startSession();
    return ExitOk;
}

void Transaction::setStep(const QString &step, const char *phase, int n, int of)
{
    if (m_progress)
        m_progress->setStep(step, phase, n, of);
}

ExitStatus Transaction::exchange(const QByteArray &body, QByteArray *reply)
{
    if (const ExchangeReply::Error error = run(body, m_timeoutMs, m_retries, reply))
        return failure(error, body);
    if (m_progress)
        m_progress->advance(exchangeLineBytes(body.size(), reply->size()));
    return ExitOk;
}

ExitStatus Transaction::probe(int timeoutMs, bool *answered)
{
    const QByteArray body
        = buildRequestBody(proto::kOpRead, proto::kVersionAddr, nullptr, proto::kVersionSize);
    QByteArray reply;
    const ExchangeReply::Error error = run(body, timeoutMs, 0, &reply);
    *answered = error == ExchangeReply::NoError;
    switch (error) {
    case ExchangeReply::NoError:
    case ExchangeReply::NoReply:
    case ExchangeReply::BadChecksum:
        return ExitOk;
    case ExchangeReply::Cancelled:
        return ExitInterrupted;
    default:
        return failure(error, body);
    }
}

ExchangeReply::Error Transaction::run(const QByteArray &body, int timeoutMs, int retries,
                                      QByteArray *reply)
{
    if (interrupted())
        return ExchangeReply::Cancelled;
    m_exchange.setTimeout(timeoutMs);
    m_exchange.setRetries(retries);
    const std::unique_ptr<ExchangeReply> r(m_exchange.send(body));
    while (!r->isFinished()) {
        if (interrupted())
            return ExchangeReply::Cancelled;
        if (m_port.isOpen() && m_port.bytesToWrite() > 0) {
            // The reply is read once the request has left.
            if (!m_port.waitForBytesWritten(int(m_replyDue.remainingTime()))) {
                const QSerialPort::SerialPortError error = m_port.error();
                m_exchange.portFailed(error == QSerialPort::NoError ? QSerialPort::TimeoutError
                                                                    : error);
            }
            continue;
        }
        if (m_quietDue.hasExpired()) {
            m_quietDue = QDeadlineTimer(QDeadlineTimer::Forever);
            m_exchange.checkLine();
            continue;
        }
        m_exchange.readPort();
        if (r->isFinished())
            break;
        if (m_replyDue.hasExpired()) {
            m_replyDue = QDeadlineTimer(QDeadlineTimer::Forever);
            m_exchange.replyTimedOut();
            continue;
        }
        qint64 wait = kPollMs;
        for (const QDeadlineTimer &due : {m_replyDue, m_quietDue}) {
            if (!due.isForever())
                wait = qMin(wait, due.remainingTime());
        }
        if (m_port.waitForReadyRead(int(qMax<qint64>(0, wait))))
            continue;
        const QSerialPort::SerialPortError error = m_port.error();
        if (error == QSerialPort::TimeoutError || error == QSerialPort::NoError)
            m_port.clearError();
        else
            m_exchange.portFailed(error);
    }
    m_portFailure = r->portFailure();
    if (r->error() == ExchangeReply::NoError)
        *reply = r->payload();
    return r->error();
}

// The one place where a failed request becomes a message and an exit status.
ExitStatus Transaction::failure(ExchangeReply::Error error, const QByteArray &body)
{
    const QString tries
        = m_retries > 0 ? CliText::tr(", %1 attempts").arg(m_retries + 1) : QString();
    switch (error) {
    case ExchangeReply::NoReply:
        return fail(ExitLink,
                    CliText::tr("no reply from the device on %1 within %2 ms (%3%4)")
                        .arg(m_exchange.portName())
                        .arg(m_timeoutMs)
                        .arg(describeRequest(body), tries));
    case ExchangeReply::BadChecksum:
        return fail(ExitLink,
                    CliText::tr("reply with a bad checksum from the device on %1 (%2%3)")
                        .arg(m_exchange.portName(), describeRequest(body), tries));
    case ExchangeReply::NoisyLine:
        return fail(ExitLink, portFailureLine(m_portFailure));
    case ExchangeReply::Cancelled:
        return fail(ExitInterrupted,
                    CliText::tr("interrupted during the %1; nothing more was sent")
                        .arg(describeRequest(body)));
    default:
        return portFailure(m_portFailure);
    }
}

ExitStatus Transaction::portFailure(PortFailure f)
{
#ifndef Q_OS_WIN
    // A read or write that failed because the adapter was pulled out: its node went with it.
    if (f.kind == PortFailure::Broken && !QFileInfo::exists(portKey(m_exchange.portName())))
        f.kind = PortFailure::Gone;
#endif
    return fail(ExitLink, portFailureLine(f));
}

ExitStatus Transaction::read(quint32 address, int count, QByteArray *data)
{
    const QByteArray body = buildRequestBody(proto::kOpRead, address, nullptr, quint16(count));
    if (const ExitStatus s = exchange(body, data))
        return s;
    if (data->size() != count) {
        return fail(ExitDevice,
                    CliText::tr("the device answered %1 bytes to a read of %2 "
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
                    CliText::tr("the device refused the write of %1 bytes at %2")
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
                            CliText::tr("verify failed at %1: wrote 0x%2, read back 0x%3")
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
