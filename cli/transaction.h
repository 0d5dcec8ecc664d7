#pragma once

#include "cli/commands.h"
#include "link/frame.h"

#include <QFile>
#include <QSerialPort>

#include <functional>

// The port, kept open for the whole command, and one request at a time on it: each request
// ends in its reply or in one failure, whose message is out by the time a call returns.
class Transaction
{
public:
    explicit Transaction(const CliOptions &opt);

    // Chooses the port, opens the trace and then the port.
    ExitStatus open();

    ExitStatus exchange(const QByteArray &body, QByteArray *reply);
    // A read whose reply holds exactly count bytes (at most one request's worth).
    ExitStatus read(quint32 address, int count, QByteArray *data);
    // A write the device confirmed.
    ExitStatus write(quint32 address, const QByteArray &data);
    // Reads expected.size() bytes back in request-sized pieces and compares them.
    ExitStatus verify(quint32 address, const QByteArray &expected,
                      const std::function<void(int)> &progress = {});

private:
    enum Outcome { Reply, NoReply, BadChecksum, PortError };

    Outcome attempt(const QByteArray &frame, QByteArray *reply);
    ExitStatus failure(Outcome outcome, const QByteArray &body);
    ExitStatus portFailure(QSerialPort::SerialPortError error);
    void trace(const char *direction, const QByteArray &frame, const char *remark = "");

    const CliOptions &m_opt;
    QString m_portName;
    QSerialPort m_port;
    QSerialPort::SerialPortError m_portError = QSerialPort::NoError;
    QFile m_trace;
    FrameParser m_parser;
};
