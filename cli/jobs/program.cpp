// `program`: a device set up in one job: settings, firmware, version check, in that order.
#include "cli/jobs/program.h"

#include "cli/console.h"
#include "cli/jobs/flash.h"
#include "cli/jobs/settings.h"
#include "cli/jobs/version.h"

#include <QCoreApplication>

ExitStatus programJob(const CliOptions &opt, const QString &, Job *job)
{
    if (opt.settingsFile.isEmpty() && opt.firmwareFile.isEmpty() && opt.expectVersion.isEmpty()) {
        return fail(ExitUsage,
                    CliText::tr("program wants --settings FILE, --firmware IMAGE or "
                                "--expect-version X.YY, or several of them"));
    }
    QByteArray text, sys, hardw, image;
    if (!opt.settingsFile.isEmpty()) {
        if (const ExitStatus s = loadSettingsFile(opt.settingsFile, &text, &sys, &hardw))
            return s;
        job->files << jobFile(QStringLiteral("settings"), opt.settingsFile, text);
        job->lineBytes += settingsLineBytes(!opt.noVerify);
        job->settings = true;
    }
    if (!opt.firmwareFile.isEmpty()) {
        if (const ExitStatus s = loadImage(opt.firmwareFile, &image))
            return s;
        job->files << jobFile(QStringLiteral("firmware"), opt.firmwareFile, image);
        job->lineBytes += flashLineBytes(image.size(), !opt.noVerify);
        job->firmware = true;
    }
    const QString expected = opt.expectVersion;
    if (!expected.isEmpty()) {
        if (!isVersionText(expected)) {
            return fail(ExitUsage,
                        CliText::tr("--expect-version wants the version as the device "
                                    "reports it, major.minor with two digits or more "
                                    "after the dot, like 1.05; not %1")
                            .arg(expected));
        }
        job->lineBytes += versionLineBytes();
        job->expectVersion = expected;
    }
    job->verb = CliText::tr("programming");
    // What a production job wrote is read back unless told not to: the image as the settings.
    job->verify = !opt.noVerify;
    job->run = [sys, hardw, image, expected, verify = job->verify](const Target &, Transaction &tx,
                                                                   JobRecord *rec) {
        if (!sys.isEmpty()) {
            if (const ExitStatus s = writeSettings(verify, tx, sys, hardw, rec))
                return s;
        }
        if (!image.isEmpty()) {
            if (const ExitStatus s = flashImage(tx, image, verify, rec))
                return s;
        }
        if (!expected.isEmpty()) {
            if (const ExitStatus s = readVersion(tx, &rec->version))
                return s;
            if (rec->version != expected) {
                return fail(ExitDevice,
                            CliText::tr("version %1, expected %2").arg(rec->version, expected));
            }
            rec->done << CliText::tr("version %1").arg(rec->version);
        }
        return ExitOk;
    };
    return ExitOk;
}
