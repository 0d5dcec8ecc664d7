#pragma once

#include <QSerialPort>
#include <QString>

// A port that could not be used, with what the engineer can do about it. Each program words it in
// its own way, from the same sentences.
struct PortFailure
{
    // Noisy: the port keeps sending data that answers no request.
    enum Kind { Broken, NotFound, NoAccess, Busy, Gone, Noisy };

    QString portName;    // as the user chose it
    QString systemText;  // the system's own words
    Kind kind = Broken;
    // NoAccess on systems with device nodes: the node's owner, group and permission bits, and
    // whether joining the group would help (it grants read and write and is not root's).
    QString owner;
    QString group;
    int mode = 0;
    bool joinGroup = false;
};

PortFailure describePortFailure(const QSerialPort &port, QSerialPort::SerialPortError error);
PortFailure noisyPort(const QString &portName);

// What happened and what to do, one sentence in the program's language.
QString portFailureAdvice(const PortFailure &failure);
// The window's wording: the advice, the port, the system's text last.
QString portFailureText(const PortFailure &failure);
// The command-line tool's: one line, "port X: advice (system's text)".
QString portFailureLine(const PortFailure &failure);
