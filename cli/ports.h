#pragma once

#include "cli/exitstatus.h"
#include "cli/location.h"
#include "cli/options.h"
#include "cli/slots.h"

ExitStatus listPorts(const CliOptions &, const QStringList &);
// `fixture new -o FILE`: a fixture file for the adapters plugged in now.
ExitStatus newFixture(const CliOptions &opt, const QStringList &args);
// The slots named by --fixture, --port, --serial, --ports or VELMOR4_PORT, and the port that
// serves each now (empty where none does yet). ExitUsage with a message when there is none,
// an identity matches several ports or one port is named twice, under any of its names.
ExitStatus chooseSlots(const CliOptions &opt, QVector<Slot> *slotList, QVector<SystemPort> *ports);
