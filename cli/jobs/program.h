#pragma once

#include "cli/jobs/job.h"
#include "cli/options.h"

// Checks every input of the job before any port is opened; ExitUsage with a message for bad
// input.
ExitStatus programJob(const CliOptions &opt, const QString &unused, Job *job);
