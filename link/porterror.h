#pragma once

#include <QSerialPort>
#include <QString>

// A port that could not be used, with what the engineer can do about it. The window and the
// command-line tool word it each in their own language.
struct PortFailure
{
    enum Hint { NoHint, NoAccess, Busy };

    QString portName;    // as the user chose it
    QString systemText;  // the system's own words
    Hint hint = NoHint;
    QString group;  // owner group of the device node, for NoAccess; empty where unknown
};

PortFailure describePortFailure(const QSerialPort &port, QSerialPort::SerialPortError error);

// The window's wording: the system's text, the port, and what to do where we know it.
QString portFailureText(const PortFailure &failure);
