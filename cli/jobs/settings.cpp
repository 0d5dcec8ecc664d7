// `read` and `write`: both settings blocks, to and from a settings file.
#include "cli/jobs/settings.h"

#include "cli/console.h"
#include "cli/progress.h"
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
    case SettingsFileError::TooLarge:  // readSettingsFile refuses such a file first
    case SettingsFileError::UnknownKey:
        break;
    }
    return QStringLiteral("line %1: unknown key %2").arg(e.line).arg(e.key);
}

ExitStatus readSettings(const Target &target, bool gang, Transaction &tx, const QString &pattern,
                        JobRecord *rec)
{
    // Named after the port and the device, so that every device of a gang or a fixture
    // leaves a file of its own.
    const QString fileName = QString(pattern)
                                 .replace(QLatin1String("%p"), QFileInfo(target.port).fileName())
                                 .replace(QLatin1String("%n"), QString::number(target.device));
    // Opened first, so that a file we could not write costs no device traffic; an earlier
    // content stays in place until the new one is complete.
    QSaveFile file(fileName);
    if (!fileName.isEmpty() && !file.open(QIODevice::WriteOnly)) {
        return fail(ExitUsage,
                    QStringLiteral("cannot write %1: %2").arg(fileName, file.errorString()));
    }
    QByteArray sys, hardw;
    tx.setStep(QStringLiteral("system block"), phase::kRead, 1, 2);
    if (const ExitStatus s = tx.read(proto::kSysParAddr, proto::kSysParSize, &sys))
        return s;
    tx.setStep(QStringLiteral("hardware block"), phase::kRead, 2, 2);
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
    rec->files << jobFile(QStringLiteral("output"), fileName, text);
    if (gang)
        rec->done << QStringLiteral("saved to %1").arg(fileName);
    return ExitOk;
}

}  // namespace

ExitStatus loadSettingsFile(const QString &fileName, QByteArray *text, QByteArray *sys,
                            QByteArray *hardw)
{
    SettingsFileError error;
    if (const ExitStatus s = readSettingsFile(fileName, text))
        return s;
    if (!parseSettingsFile(*text, sys, hardw, &error)) {
        return fail(
            ExitUsage,
            QStringLiteral("%1 is not a valid settings file: %2").arg(fileName, errorText(error)));
    }
    return ExitOk;
}

qint64 settingsLineBytes(bool verify)
{
    const qint64 write = writeLineBytes(proto::kSysParSize) + writeLineBytes(proto::kHardwParSize);
    const qint64 read = readLineBytes(proto::kSysParSize) + readLineBytes(proto::kHardwParSize);
    return verify ? write + read : write;
}

ExitStatus writeSettings(bool verify, Transaction &tx, const QByteArray &sys,
                         const QByteArray &hardw, JobRecord *rec)
{
    tx.setStep(QStringLiteral("system block"), phase::kSettings, 1, 2);
    if (const ExitStatus s = tx.write(proto::kSysParAddr, sys))
        return s;
    rec->blocksWritten = 1;
    tx.setStep(QStringLiteral("hardware block"), phase::kSettings, 2, 2);
    if (const ExitStatus s = tx.write(proto::kHardwParAddr, hardw))
        return fail(s, QStringLiteral("the system block was written already"));
    rec->blocksWritten = 2;
    if (verify) {
        const QString back = QStringLiteral("reading the settings back");
        tx.setStep(back, phase::kSettingsVerify, 1, 2);
        if (const ExitStatus s = tx.verify(proto::kSysParAddr, sys))
            return s;
        tx.setStep(back, phase::kSettingsVerify, 2, 2);
        if (const ExitStatus s = tx.verify(proto::kHardwParAddr, hardw))
            return s;
        rec->settingsVerified = true;
    }
    rec->done << (verify ? QStringLiteral("settings written and verified")
                         : QStringLiteral("settings written"));
    return ExitOk;
}

ExitStatus readJob(const CliOptions &opt, const QString &fileName, Job *job)
{
    if (opt.wait && !fileName.contains(QLatin1String("%n"))) {
        return fail(ExitUsage,
                    QStringLiteral("with --wait, read wants a file name with %n for the "
                                   "device's number, like settings-%n.vlt"));
    }
    if (opt.severalPorts && !fileName.contains(QLatin1String("%p"))) {
        return fail(ExitUsage,
                    QStringLiteral("with several ports, read wants a file name with %p for "
                                   "the port's name, like settings-%p.vlt"));
    }
    job->verb = QStringLiteral("reading");
    job->lineBytes = readLineBytes(proto::kSysParSize) + readLineBytes(proto::kHardwParSize);
    job->run = [fileName, gang = opt.gang](const Target &target, Transaction &tx, JobRecord *rec) {
        return readSettings(target, gang, tx, fileName, rec);
    };
    return ExitOk;
}

ExitStatus writeJob(const CliOptions &opt, const QString &fileName, Job *job)
{
    QByteArray text, sys, hardw;
    if (const ExitStatus s = loadSettingsFile(fileName, &text, &sys, &hardw))
        return s;
    job->verb = QStringLiteral("writing");
    job->lineBytes = settingsLineBytes(!opt.noVerify);
    job->files << jobFile(QStringLiteral("settings"), fileName, text);
    job->settings = true;
    job->verify = !opt.noVerify;
    job->run = [sys, hardw, verify = job->verify](const Target &, Transaction &tx, JobRecord *rec) {
        return writeSettings(verify, tx, sys, hardw, rec);
    };
    return ExitOk;
}
