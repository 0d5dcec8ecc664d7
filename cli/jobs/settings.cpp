// `read` and `write`: both settings blocks, to and from a settings file.
#include "cli/jobs/settings.h"

#include "cli/console.h"
#include "cli/progress.h"
#include "cli/transaction.h"
#include "link/protocol.h"
#include "params/settingsfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// The file's text; its content is judged by the caller, its size included, so that every fault
// of the content reads the same.
ExitStatus readSettingsFile(const QString &fileName, QByteArray *text, SettingsFileError *error)
{
    // A FIFO or a device would block us until someone writes to it.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile())
        return fail(ExitUsage, CliText::tr("%1 is not a regular file").arg(fileName));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ExitUsage, CliText::tr("cannot open %1: %2").arg(fileName, file.errorString()));
    if (file.size() > kSettingsFileLimit)
        error->kind = SettingsFileError::TooLarge;
    else
        *text = file.readAll();
    return ExitOk;
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
                    CliText::tr("cannot write %1: %2").arg(fileName, file.errorString()));
    }
    QByteArray sys, hardw;
    tx.setStep(CliText::tr("system block"), phase::kRead, 1, 2);
    if (const ExitStatus s = tx.read(proto::kSysParAddr, proto::kSysParSize, &sys))
        return s;
    tx.setStep(CliText::tr("hardware block"), phase::kRead, 2, 2);
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
                    CliText::tr("cannot write %1: %2").arg(fileName, file.errorString()));
    }
    rec->files << jobFile(QStringLiteral("output"), fileName, text);
    if (gang)
        rec->done << CliText::tr("saved to %1").arg(fileName);
    return ExitOk;
}

}  // namespace

ExitStatus loadSettingsFile(const QString &fileName, QByteArray *text, QByteArray *sys,
                            QByteArray *hardw)
{
    SettingsFileError error;
    if (const ExitStatus s = readSettingsFile(fileName, text, &error))
        return s;
    if (error.kind != SettingsFileError::None || !parseSettingsFile(*text, sys, hardw, &error)) {
        return fail(ExitUsage,
                    CliText::tr("%1 is not a valid settings file: %2")
                        .arg(fileName, settingsFileErrorText(error)));
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
    tx.setStep(CliText::tr("system block"), phase::kSettings, 1, 2);
    if (const ExitStatus s = tx.write(proto::kSysParAddr, sys))
        return s;
    rec->blocksWritten = 1;
    tx.setStep(CliText::tr("hardware block"), phase::kSettings, 2, 2);
    if (const ExitStatus s = tx.write(proto::kHardwParAddr, hardw))
        return fail(s, CliText::tr("the system block was written already"));
    rec->blocksWritten = 2;
    if (verify) {
        const QString back = CliText::tr("reading the settings back");
        tx.setStep(back, phase::kSettingsVerify, 1, 2);
        if (const ExitStatus s = tx.verify(proto::kSysParAddr, sys))
            return s;
        tx.setStep(back, phase::kSettingsVerify, 2, 2);
        if (const ExitStatus s = tx.verify(proto::kHardwParAddr, hardw))
            return s;
        rec->settingsVerified = true;
    }
    rec->done << (verify ? CliText::tr("settings written and verified")
                         : CliText::tr("settings written"));
    return ExitOk;
}

ExitStatus readJob(const CliOptions &opt, const QString &fileName, Job *job)
{
    if (opt.wait && !fileName.contains(QLatin1String("%n"))) {
        return fail(ExitUsage,
                    CliText::tr("with --wait, read wants a file name with %n for the "
                                "device's number, like settings-%n.vlt"));
    }
    if (opt.severalPorts && !fileName.contains(QLatin1String("%p"))) {
        return fail(ExitUsage,
                    CliText::tr("with several ports, read wants a file name with %p for "
                                "the port's name, like settings-%p.vlt"));
    }
    job->verb = CliText::tr("reading");
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
    job->verb = CliText::tr("writing");
    job->lineBytes = settingsLineBytes(!opt.noVerify);
    job->files << jobFile(QStringLiteral("settings"), fileName, text);
    job->settings = true;
    job->verify = !opt.noVerify;
    job->run = [sys, hardw, verify = job->verify](const Target &, Transaction &tx, JobRecord *rec) {
        return writeSettings(verify, tx, sys, hardw, rec);
    };
    return ExitOk;
}
