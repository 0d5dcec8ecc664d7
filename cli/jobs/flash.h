#pragma once

#include "cli/jobs/job.h"
#include "cli/options.h"

ExitStatus flashJob(const CliOptions &opt, const QString &fileName, Job *job);

// The steps `program` shares, with their bytes on the line.
ExitStatus loadImage(const QString &fileName, QByteArray *image);
qint64 flashLineBytes(int imageSize, bool verify);
ExitStatus flashImage(Transaction &tx, const QByteArray &image, bool verify, JobRecord *rec);
