#pragma once

#include "cli/jobs/job.h"
#include "cli/location.h"
#include "cli/options.h"
#include "cli/report.h"
#include "cli/slots.h"

// How a slot fared over the run: its one device, or with --wait all the devices it served.
struct SlotVerdict
{
    ExitStatus status = ExitOk;  // the worst
    QString text;                // the success line or the failure messages
    double seconds = 0;
    int devices = 0;
    int passed = 0;
    int interrupted = 0;  // devices cut off by Ctrl+C
    SystemPort port;      // the adapter last seen in the slot
};

// Runs the job on every slot, several at once each on its own thread, or with --wait on one
// device after another; each device's run goes to the report. Several slots or --wait end
// with a summary table. Returns the worst device's status.
ExitStatus runJob(const CliOptions &opt, const QVector<Slot> &slotList,
                  const QVector<SystemPort> &ports, const Job &job);
// The word the summary and the report give an exit status: ok, device, input, link,
// interrupted.
QString resultWord(ExitStatus status);
// How a slot is named on its live line: its name, its adapter's location and system name.
QString slotTag(const Slot &slot, const SystemPort &port);

// One job on the device at port (with --wait its number `device` there), recorded in the
// report. In a session of its own, or in `session` when a fixture keeps the port open.
DeviceRun runDevice(const CliOptions &opt, const Job &job, const Slot &slot, const SystemPort &port,
                    int device = 0, Transaction *session = nullptr);
