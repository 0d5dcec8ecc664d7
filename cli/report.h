#pragma once

#include "cli/commands.h"

#include <QDateTime>
#include <QList>

class QSerialPortInfo;

// Where a device is plugged in, as the system lists its port; empty where it does not.
struct PortIdentity
{
    QString serial;
    QString vidPid;  // "0403:6001"
    QString description;
};
PortIdentity identifyPort(const QString &port, const QList<QSerialPortInfo> &system);
QString vidPidText(const QSerialPortInfo &info);  // empty for a port that is not USB

// One job on one device, from its start to its end.
struct DeviceRun
{
    QString port;
    PortIdentity identity;
    QDateTime start, end;  // UTC
    JobRecord record;
    ExitStatus status = ExitOk;
    QString message;  // the success line or the failure messages, on one line
};

// --report: opened for appending before anything is sent; false with the reason.
bool openReport(const QString &fileName, QString *error);
// The run as one JSON object on a line of its own, appended and flushed at once, so that a
// crash or Ctrl+C loses no finished device. Any port's thread may call it.
void reportRun(const Job &job, const DeviceRun &run);
