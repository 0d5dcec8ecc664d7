#pragma once

#include "link/frame.h"
#include "link/lineguard.h"
#include "link/porterror.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSerialPort>
#include <QString>

#include <functional>

// The outcome of one request: finished() once, then the reply's payload or one error.
class ExchangeReply : public QObject
{
    Q_OBJECT
public:
    // NoisyLine: the line never went quiet after an earlier request's failure.
    // Cancelled: another request overtook this one, which then ends without a word.
    enum Error { NoError, NoReply, BadChecksum, PortError, NoisyLine, Cancelled };

    bool isFinished() const { return m_finished; }
    Error error() const { return m_error; }
    const QByteArray &payload() const { return m_payload; }
    // PortError, and NoisyLine: the port and what happened to it.
    const PortFailure &portFailure() const { return m_failure; }

signals:
    void finished();

private:
    friend class Exchange;
    ExchangeReply(const QByteArray &body, int timeoutMs, int retries, QObject *parent);
    void finish(Error error, const QByteArray &payload = {});

    QByteArray m_body;
    int m_timeoutMs;
    int m_retries;
    int m_attempts = 0;
    bool m_finished = false;
    Error m_error = NoError;
    QByteArray m_payload;
    PortFailure m_failure;
};

// One request/reply exchange at a time on a port, as a state machine fed by what its owner
// sees: bytes (readPort), the two timers it asks for (timerWanted), port errors. The owner
// waits in its own way, on an event loop or in blocking calls. A request that lost its reply
// leaves the line suspect (LineGuard), and the next one waits until the line is clean.
class Exchange : public QObject
{
    Q_OBJECT
public:
    // When a request's reply time starts: at the write call, or once the line has carried the
    // request at 9600 baud.
    enum ReplyClock { FromWriteCall, FromBytesSent };
    // What becomes of a waiting request when the wait for a clean line is given up (the line
    // kept talking, or the port failed).
    enum LineGivenUp { WaitingGoesAhead, WaitingFails };
    Q_ENUM(ReplyClock)
    Q_ENUM(LineGivenUp)
    enum Timer { ReplyTimer, QuietTimer };
    using Tracer
        = std::function<void(const char *direction, const QByteArray &bytes, const char *remark)>;

    // The port stays the owner's; it is used only through this object while it lives.
    explicit Exchange(QSerialPort *port, QObject *parent = nullptr);

    void setTimeout(int ms) { m_timeoutMs = ms; }
    // Sends more after a lost or garbled reply; a port failure is never retried.
    void setRetries(int n) { m_retries = n; }
    void setReplyClock(ReplyClock clock) { m_replyClock = clock; }
    void setLineGivenUp(LineGivenUp rule) { m_lineGivenUp = rule; }
    // Closed between requests, opened again by the next one under portName().
    void setClosePortWhenIdle(bool close) { m_closeWhenIdle = close; }
    void setTracer(Tracer tracer) { m_tracer = std::move(tracer); }

    const QString &portName() const { return m_portName; }
    void setPortName(const QString &name) { m_portName = name; }
    // false with failure() saying why.
    bool open(const QString &portName);
    const PortFailure &failure() const { return m_failure; }
    // Another process's request may still be answered: the line is treated as suspect.
    void startSession() { m_guard.startSession(m_clock.elapsed(), m_timeoutMs); }

    // The reply is a child of this object; its receiver deletes it once finished. A request
    // still in hand is cancelled.
    ExchangeReply *send(const QByteArray &body);
    bool isAwaitingReply() const { return m_active; }
    bool isLineSuspect() const { return m_guard.isSuspect(); }

    // The inputs.
    void readPort();
    void replyTimedOut();
    void checkLine();  // the quiet timer
    void portFailed(QSerialPort::SerialPortError error);
    // The wait for this line's quiet no longer matters: a waiting request goes ahead.
    void releaseLine() { endSuspicion(Released); }
    // Drops the waiting request and everything on the line, and closes the port; a request
    // awaiting its reply keeps its timer.
    void clear();

signals:
    // ms < 0 stops the timer; on expiry the owner calls replyTimedOut or checkLine.
    void timerWanted(Exchange::Timer timer, int ms);
    void lineSuspect(bool suspect);
    // The line kept talking for a reply timeout after a failure.
    void noisyLine(const PortFailure &failure);
    void resending(ExchangeReply::Error why, int attempt, int retries);

private:
    enum LineEnd { Clean, Noisy, PortFailed, Released };

    void start();
    void endRequest();
    void failAttempt(ExchangeReply::Error error, bool frameSeen, const QByteArray &rest = {});
    void endSuspicion(LineEnd how);
    void finishCurrent(ExchangeReply::Error error, const QByteArray &payload = {});
    void discard(const QByteArray &bytes);
    PortFailure describe(QSerialPort::SerialPortError error) const;
    void closePort();
    void trace(const char *direction, const QByteArray &bytes, const char *remark = "");

    QSerialPort *m_port;
    QString m_portName;
    int m_timeoutMs = 3000;
    int m_retries = 0;
    ReplyClock m_replyClock = FromWriteCall;
    LineGivenUp m_lineGivenUp = WaitingGoesAhead;
    bool m_closeWhenIdle = true;
    Tracer m_tracer;
    FrameParser m_parser;
    LineGuard m_guard;
    QElapsedTimer m_clock;
    QPointer<ExchangeReply> m_current;  // awaiting its reply, or waiting for a clean line
    bool m_active = false;              // written, and its outcome not yet known
    PortFailure m_failure;
};

// How long the line takes to carry n bytes at 9600 baud, 10 bits a byte.
int lineTimeMs(int bytes);
