// `version`: the firmware version as "major.minor".
#include "firmware/version.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/transaction.h"
#include "link/protocol.h"

namespace {

ExitStatus showVersion(const CliOptions &opt, QString *done)
{
    Transaction tx(opt);
    QByteArray record;
    if (const ExitStatus s = tx.open())
        return s;
    if (const ExitStatus s = tx.read(proto::kVersionAddr, proto::kVersionSize, &record))
        return s;
    const QString version = firmwareVersion(record);
    if (version.isNull()) {
        return fail(ExitDevice,
                    QStringLiteral("unknown device: version record %1")
                        .arg(QString::fromLatin1(record.toHex(' '))));
    }
    if (opt.gang)
        *done = version;
    else
        writeOut(version.toLatin1() + '\n');
    return ExitOk;
}

}  // namespace

ExitStatus versionJob(const CliOptions &, const QString &, PortJob *job)
{
    *job = showVersion;
    return ExitOk;
}
