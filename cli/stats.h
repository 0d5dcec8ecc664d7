#pragma once

#include "cli/exitstatus.h"
#include "cli/options.h"

#include <QStringList>

// `stats REPORT...`: the yield in the records of one or more reports (of several stations
// too): devices, passed and failed by slot, job and day (UTC), the failures seen most, and
// the slots whose failures stand out. opt.since, opt.job and opt.station pick the records;
// opt.html also writes it all as one page. A broken line (a record cut by a power loss) is
// counted and skipped.
ExitStatus printStats(const CliOptions &opt, const QStringList &reports);
