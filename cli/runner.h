#pragma once

#include "cli/report.h"

// How a port fared over the run: its one device, or with --wait all the devices it served.
struct PortVerdict
{
    ExitStatus status = ExitOk;  // the worst
    QString text;                // the success line or the failure messages
    double seconds = 0;
    int devices = 0;
    int passed = 0;
};

// One job on the device at opt.port, recorded in the report. In a session of its own, or in
// `session` when a fixture keeps the port open.
DeviceRun runDevice(const CliOptions &opt, const Job &job, const PortIdentity &identity,
                    Transaction *session = nullptr);
// --wait: on the port opt.port, one device after another until Ctrl+C.
void watchFixture(const CliOptions &opt, const Job &job, const PortIdentity &identity,
                  PortVerdict *verdict);
