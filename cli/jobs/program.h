#pragma once

#include "cli/jobs/job.h"
#include "cli/options.h"

// `job new` checks its files with it too.
ExitStatus programJob(const CliOptions &opt, const QString &unused, Job *job);
