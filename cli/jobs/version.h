#pragma once

#include "cli/jobs/job.h"
#include "cli/options.h"

ExitStatus versionJob(const CliOptions &opt, const QString &unused, Job *job);

// The step `program` shares, with its bytes on the line.
bool isVersionText(const QString &text);  // "1.05", as the device reports it
qint64 versionLineBytes();
ExitStatus readVersion(Transaction &tx, QString *version);
