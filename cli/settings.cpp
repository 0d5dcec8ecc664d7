// `read` and `write`: both settings blocks, to and from a settings file.
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/transaction.h"
#include "link/protocol.h"
#include "params/settingsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

constexpr qint64 kSettingsFileLimit = 64 * 1024;  // a real one is well under 1 KiB

ExitStatus readSettingsFile(const QString &fileName, QByteArray *text)
{
    // A FIFO or a device would block us until someone writes to it.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        return fail(ExitUsage, QStringLiteral("%1 is not a regular file").arg(fileName));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(ExitUsage,
                    QStringLiteral("cannot open %1: %2").arg(fileName, file.errorString()));
    }
    if (file.size() > kSettingsFileLimit)
        return fail(ExitUsage, QStringLiteral("%1 is too large for a settings file").arg(fileName));
    *text = file.readAll();
    return ExitOk;
}

QString errorText(const SettingsFileError &e)
{
    const QString range = QStringLiteral("a whole number from %1 to %2").arg(e.min).arg(e.max);
    switch (e.kind) {
    case SettingsFileError::None:
    case SettingsFileError::NulByte:
        return QStringLiteral("it holds a NUL byte");
    case SettingsFileError::BadLine:
        return QStringLiteral("line %1 is not \"key = value\"").arg(e.line);
    case SettingsFileError::DuplicateKey:
        return QStringLiteral("line %1: %2 is given a second time (first on line %3)")
            .arg(e.line)
            .arg(e.key)
            .arg(e.firstLine);
    case SettingsFileError::UnknownFormat:
        return QStringLiteral("unknown format version");
    case SettingsFileError::BadValue:
        return QStringLiteral("line %1: %2 must be %3").arg(e.line).arg(e.key, range);
    case SettingsFileError::MissingKey:
        return QStringLiteral("%1 is missing (%2)").arg(e.key, range);
    case SettingsFileError::UnknownKey:
        break;
    }
    return QStringLiteral("line %1: unknown key %2").arg(e.line).arg(e.key);
}

ExitStatus readSettings(const CliOptions &opt, const QString &pattern, QString *done)
{
    // Named after the port, so that every device of a gang leaves a file of its own.
    const QString fileName
        = QString(pattern).replace(QLatin1String("%p"), QFileInfo(opt.port).fileName());
    // Opened first, so that a file we could not write costs no device traffic; an earlier
    // content stays in place until the new one is complete.
    QSaveFile file(fileName);
    if (!fileName.isEmpty() && !file.open(QIODevice::WriteOnly)) {
        return fail(ExitUsage,
                    QStringLiteral("cannot write %1: %2").arg(fileName, file.errorString()));
    }
    Transaction tx(opt);
    QByteArray sys, hardw;
    if (const ExitStatus s = tx.open())
        return s;
    if (const ExitStatus s = tx.read(proto::kSysParAddr, proto::kSysParSize, &sys))
        return s;
    if (const ExitStatus s = tx.read(proto::kHardwParAddr, proto::kHardwParSize, &hardw))
        return s;
    const QByteArray text = settingsFileText(sys, hardw);
    if (fileName.isEmpty()) {
        writeOut(text);
        return ExitOk;
    }
    file.write(text);
    if (!file.commit()) {
        return fail(ExitUsage,
                    QStringLiteral("cannot write %1: %2").arg(fileName, file.errorString()));
    }
    if (opt.gang)
        *done = QStringLiteral("saved to %1").arg(fileName);
    return ExitOk;
}

ExitStatus writeSettings(const CliOptions &opt, const QByteArray &sys, const QByteArray &hardw,
                         QString *done)
{
    Transaction tx(opt);
    if (const ExitStatus s = tx.open())
        return s;
    if (const ExitStatus s = tx.write(proto::kSysParAddr, sys))
        return s;
    if (const ExitStatus s = tx.write(proto::kHardwParAddr, hardw))
        return fail(s, QStringLiteral("the system block was written already"));
    if (!opt.noVerify) {
        if (const ExitStatus s = tx.verify(proto::kSysParAddr, sys))
            return s;
        if (const ExitStatus s = tx.verify(proto::kHardwParAddr, hardw))
            return s;
    }
    *done = opt.noVerify ? QStringLiteral("written") : QStringLiteral("written and verified");
    return ExitOk;
}

}  // namespace

ExitStatus readJob(const CliOptions &opt, const QString &fileName, PortJob *job)
{
    if (opt.gang && !fileName.contains(QLatin1String("%p"))) {
        return fail(ExitUsage,
                    QStringLiteral("with several ports, read wants a file name with %p for "
                                   "the port's name, like settings-%p.vlt"));
    }
    *job = [fileName](const CliOptions &o, QString *done) {
        return readSettings(o, fileName, done);
    };
    return ExitOk;
}

ExitStatus writeJob(const CliOptions &, const QString &fileName, PortJob *job)
{
    QByteArray text, sys, hardw;
    SettingsFileError error;
    if (const ExitStatus s = readSettingsFile(fileName, &text))
        return s;
    if (!parseSettingsFile(text, &sys, &hardw, &error)) {
        return fail(
            ExitUsage,
            QStringLiteral("%1 is not a valid settings file: %2").arg(fileName, errorText(error)));
    }
    *job = [sys, hardw](const CliOptions &o, QString *done) {
        return writeSettings(o, sys, hardw, done);
    };
    return ExitOk;
}
