// `version`: the firmware version as "major.minor".
#include "cli/jobs/version.h"

#include "cli/console.h"
#include "cli/progress.h"
#include "cli/transaction.h"
#include "firmware/version.h"
#include "link/protocol.h"

#include <QCoreApplication>
#include <QRegularExpression>

// The version as the device reports it ("1.05", never "1.5"), so that a match is exact.
bool isVersionText(const QString &text)
{
    const QRegularExpressionMatch m
        = QRegularExpression(QStringLiteral("^(\\d{1,3})\\.(\\d{2,3})$")).match(text);
    if (!m.hasMatch() || m.captured(1).toInt() > 255 || m.captured(2).toInt() > 255)
        return false;
    const char record[] = {0, char(0x65), char(m.captured(2).toInt()), char(m.captured(1).toInt())};
    return firmwareVersion(QByteArray(record, sizeof record)) == text;
}

qint64 versionLineBytes()
{
    return readLineBytes(proto::kVersionSize);
}

ExitStatus readVersion(Transaction &tx, QString *version)
{
    QByteArray record;
    tx.setStep(CliText::tr("version"), phase::kVersion);
    if (const ExitStatus s = tx.read(proto::kVersionAddr, proto::kVersionSize, &record))
        return s;
    *version = firmwareVersion(record);
    if (version->isNull()) {
        return fail(ExitDevice,
                    CliText::tr("unknown device: version record %1")
                        .arg(QString::fromLatin1(record.toHex(' '))));
    }
    return ExitOk;
}

ExitStatus versionJob(const CliOptions &opt, const QString &, Job *job)
{
    job->verb = CliText::tr("reading the version");
    job->lineBytes = versionLineBytes();
    job->run = [gang = opt.gang](const Target &, Transaction &tx, JobRecord *rec) {
        if (const ExitStatus s = readVersion(tx, &rec->version))
            return s;
        if (gang)
            rec->done << rec->version;
        else
            writeOut(rec->version.toLatin1() + '\n');
        return ExitOk;
    };
    return ExitOk;
}
