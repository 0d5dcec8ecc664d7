#pragma once

#include "cli/runner.h"

// --wait: in the slot, one device after another until Ctrl+C, whatever its adapter does.
void watchFixture(const CliOptions &opt, const Job &job, const Slot &slot, SlotVerdict *verdict);
