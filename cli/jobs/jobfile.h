#pragma once

#include "cli/jobs/job.h"
#include "cli/options.h"

// A job file: what an engineer released for a line, each file with its SHA-256, so that the
// operator's `program --job FILE` cannot flash a wrong or damaged file. Plain text, one
// `key = value` a line, `#` for comments:
//
//   format = 1
//   name = Board C, release 7          (optional)
//   line = Line 3, station 2           (optional)
//   settings = reference.vlt           (relative to the job file's folder, or absolute)
//   settings_sha256 = 64 hex digits
//   firmware = firmware.bin
//   firmware_sha256 = 64 hex digits
//   expect_version = 1.05
//
// At least one of settings, firmware and expect_version; a file always with its hash.
struct ReleasedJob
{
    QString path;    // absolute
    QString sha256;  // of the job file itself
    QString name, line;
    QString settings, settingsSha256;  // absolute paths
    QString firmware, firmwareSha256;
    QString expectVersion;
};

// `job new`: a job file from released files, all of them checked as program would.
ExitStatus newJobFile(const CliOptions &opt, const QStringList &args);
// Reads a job file and checks every file it names against its hash; ExitUsage with a
// message naming the file and both hashes for a file that is missing or not the released one.
ExitStatus readJobFile(const QString &fileName, ReleasedJob *released);
// The files the command loaded are the ones the job released: a file replaced after the
// check above is caught before anything is sent.
ExitStatus checkJobFiles(const ReleasedJob &released, const QVector<JobFile> &loaded);

// Who, where, with what: from the options (the station defaults to the host name) and the job.
Provenance provenance(const CliOptions &opt, const ReleasedJob &released);
