// `version`: the firmware version as "major.minor".
#include "firmware/version.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/progress.h"
#include "cli/transaction.h"
#include "link/protocol.h"

qint64 versionLineBytes()
{
    return readLineBytes(proto::kVersionSize);
}

ExitStatus readVersion(Transaction &tx, QString *version)
{
    QByteArray record;
    tx.setStep(QStringLiteral("version"), phase::kVersion);
    if (const ExitStatus s = tx.read(proto::kVersionAddr, proto::kVersionSize, &record))
        return s;
    *version = firmwareVersion(record);
    if (version->isNull()) {
        return fail(ExitDevice,
                    QStringLiteral("unknown device: version record %1")
                        .arg(QString::fromLatin1(record.toHex(' '))));
    }
    return ExitOk;
}

ExitStatus versionJob(const CliOptions &, const QString &, Job *job)
{
    job->verb = QStringLiteral("reading the version");
    job->lineBytes = versionLineBytes();
    job->run = [](const CliOptions &opt, Transaction &tx, JobRecord *rec) {
        if (const ExitStatus s = readVersion(tx, &rec->version))
            return s;
        if (opt.gang)
            rec->done << rec->version;
        else
            writeOut(rec->version.toLatin1() + '\n');
        return ExitOk;
    };
    return ExitOk;
}
