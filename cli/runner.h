#pragma once

#include "cli/report.h"

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

// How a slot is named on its live line: its name, its adapter's location and system name.
QString slotTag(const Slot &slot, const SystemPort &port);

// One job on the device at opt.port, recorded in the report. In a session of its own, or in
// `session` when a fixture keeps the port open.
DeviceRun runDevice(const CliOptions &opt, const Job &job, const Slot &slot, const SystemPort &port,
                    Transaction *session = nullptr);
// --wait: in the slot, one device after another until Ctrl+C, whatever its adapter does.
void watchFixture(const CliOptions &opt, const Job &job, const Slot &slot, SlotVerdict *verdict);
