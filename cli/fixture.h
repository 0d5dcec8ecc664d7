#pragma once

#include "cli/jobs/job.h"
#include "cli/options.h"
#include "cli/runner.h"
#include "cli/slots.h"

// --wait: in the slot, one device after another until Ctrl+C, whatever its adapter does.
void watchFixture(const CliOptions &opt, const Job &job, const Slot &slot, SlotVerdict *verdict);
