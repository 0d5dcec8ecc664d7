#pragma once

#include "cli/jobs/job.h"
#include "cli/options.h"

ExitStatus readJob(const CliOptions &opt, const QString &fileName, Job *job);
ExitStatus writeJob(const CliOptions &opt, const QString &fileName, Job *job);

// The steps `program` shares, with their bytes on the line.
ExitStatus loadSettingsFile(const QString &fileName, QByteArray *text, QByteArray *sys,
                            QByteArray *hardw);
qint64 settingsLineBytes(bool verify);
ExitStatus writeSettings(bool verify, Transaction &tx, const QByteArray &sys,
                         const QByteArray &hardw, JobRecord *rec);
