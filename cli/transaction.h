#pragma once

#include "cli/exitstatus.h"
#include "link/exchange.h"

#include <QDeadlineTimer>
#include <QSerialPort>

#include <functional>

class JobProgress;

// The port, kept open for the whole command, and one request at a time on it: each request
// ends in its reply or in one failure, whose message is out by the time a call returns. A
// request that lost its reply leaves the line suspect, and the next one waits till it is clean,
// for one reply timeout at most: a port still talking then fails that request.
class Transaction
{
public:
    // A reply within timeoutMs, or up to `retries` more attempts; `quiet`: resends unsaid.
    Transaction(const QString &portName, int timeoutMs, int retries, bool quiet);

    // Another process's request may still be answered, so the first request waits for a
    // quiet line.
    ExitStatus open();

    // Each request the device answers counts towards the job's progress, if there is one.
    void setProgress(JobProgress *progress) { m_progress = progress; }
    // The live line's words for what comes next, and its place in the job for the events.
    void setStep(const QString &step, const char *phase, int n = 1, int of = 1);

    ExitStatus exchange(const QByteArray &body, QByteArray *reply);
    // Is a device there? One version request without a message when nothing answers within
    // timeoutMs: only a port failure or an interrupt give a status other than ExitOk.
    ExitStatus probe(int timeoutMs, bool *answered);
    // A read whose reply holds exactly count bytes (at most one request's worth).
    ExitStatus read(quint32 address, int count, QByteArray *data);
    // A write the device confirmed.
    ExitStatus write(quint32 address, const QByteArray &data);
    // Reads expected.size() bytes back in request-sized pieces and compares them.
    ExitStatus verify(quint32 address, const QByteArray &expected,
                      const std::function<void(int)> &progress = {});

private:
    // Drives the engine through one request from the port's blocking waits. Cancelled stands
    // for Ctrl+C: nothing overtakes a request here.
    ExchangeReply::Error run(const QByteArray &body, int timeoutMs, int retries, QByteArray *reply);
    ExitStatus failure(ExchangeReply::Error error, const QByteArray &body);
    ExitStatus portFailure(PortFailure failure);

    int m_timeoutMs;
    int m_retries;
    QSerialPort m_port;
    Exchange m_exchange;
    QDeadlineTimer m_replyDue{QDeadlineTimer::Forever};
    QDeadlineTimer m_quietDue{QDeadlineTimer::Forever};
    PortFailure m_portFailure;
    JobProgress *m_progress = nullptr;
};
