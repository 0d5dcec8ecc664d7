#pragma once

#include "cli/exitstatus.h"
#include "cli/jobs/job.h"
#include "cli/location.h"

#include <QDateTime>

// One job on one device, from its start to its end.
struct DeviceRun
{
    QString slot;          // the fixture's name; empty without one
    SystemPort port;       // as it was opened, with its identity and location
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
