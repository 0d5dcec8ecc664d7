// Job files: released files pinned by their hashes, and who ran them where.
#include "cli/jobs/jobfile.h"

#include "cli/console.h"
#include "cli/jobs/program.h"
#include "cli/jobs/version.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSysInfo>

namespace {

constexpr qint64 kJobFileLimit = 64 * 1024;  // a real one is a few hundred bytes
const char kFormat[] = "1";

// The hash of a file as it is now; empty with the reason when it cannot be read.
QString fileSha256(const QString &fileName, QString *why)
{
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile()) {
        *why = CliText::tr("not a regular file");
        return QString();
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return QString();
    }
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return QString::fromLatin1(hash.result().toHex());
}

ExitStatus checkFile(const ReleasedJob &released, const QString &role, const QString &fileName,
                     const QString &expected, const QString &actual, const QString &why)
{
    if (actual == expected)
        return ExitOk;
    const QString job = QDir::toNativeSeparators(released.path);
    const QString file = QDir::toNativeSeparators(fileName);
    const QString what = role == QLatin1String("settings") ? CliText::tr("settings file")
                                                           : CliText::tr("firmware file");
    if (actual.isEmpty()) {
        return fail(ExitUsage,
                    CliText::tr("the job %1 names the %2 %3, which cannot be read (%4): its "
                                "SHA-256 is unknown, the job's is %5; nothing was sent")
                        .arg(job, what, file, why, expected));
    }
    return fail(ExitUsage,
                CliText::tr("the %1 %2 is not the one the job %3 released: its SHA-256 "
                            "is %4, the job's is %5; nothing was sent")
                    .arg(what, file, job, actual, expected));
}

QString badLine(const QString &fileName, int line, const QString &what)
{
    return CliText::tr("%1 line %2: %3").arg(fileName).arg(line).arg(what);
}

bool isOneLine(const QString &text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

}  // namespace

ExitStatus newJobFile(const CliOptions &opt, const QStringList &args)
{
    if (args.value(0) != QLatin1String("new"))
        return fail(ExitUsage, CliText::tr("usage: velmor4_cli job new [options] -o FILE"));
    if (opt.output.isEmpty())
        return fail(ExitUsage, CliText::tr("job new wants -o FILE, the job file to write"));
    if (opt.settingsFile.isEmpty() && opt.firmwareFile.isEmpty() && opt.expectVersion.isEmpty()) {
        return fail(ExitUsage,
                    CliText::tr("job new wants --settings FILE, --firmware IMAGE or "
                                "--expect-version X.YY, or several of them"));
    }
    if (!isOneLine(opt.jobName) || !isOneLine(opt.jobLine))
        return fail(ExitUsage, CliText::tr("--name and --line want text on one line"));
    if (!opt.expectVersion.isEmpty() && !isVersionText(opt.expectVersion)) {
        return fail(ExitUsage,
                    CliText::tr("--expect-version wants the version as the device reports "
                                "it, like 1.05; not %1")
                        .arg(opt.expectVersion));
    }
    // The files as program will load them, so that a job never releases one it would refuse.
    Job checked;
    if (const ExitStatus s = programJob(opt, QString(), &checked))
        return s;

    // Paths relative to the job file, so that the job and its files move together.
    const QDir folder = QFileInfo(opt.output).absoluteDir();
    QByteArray text = "# Velmor4 job, written by velmor4_cli " VELMOR4_VERSION " on "
        + QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8()
        + ".\n# program --job checks every file against its SHA-256 before any port is "
          "opened.\nformat = "
        + kFormat + '\n';
    if (!opt.jobName.isEmpty())
        text += "name = " + opt.jobName.toUtf8() + '\n';
    if (!opt.jobLine.isEmpty())
        text += "line = " + opt.jobLine.toUtf8() + '\n';
    for (const JobFile &f : checked.files) {
        text += f.role.toUtf8() + " = " + folder.relativeFilePath(f.path).toUtf8() + '\n'
            + f.role.toUtf8() + "_sha256 = " + f.sha256.toLatin1() + '\n';
    }
    if (!opt.expectVersion.isEmpty())
        text += "expect_version = " + opt.expectVersion.toLatin1() + '\n';
    QSaveFile out(opt.output);
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size() || !out.commit()) {
        return fail(ExitUsage,
                    CliText::tr("cannot write %1: %2").arg(opt.output, out.errorString()));
    }
    if (!opt.quiet)
        note(CliText::tr("job written to %1").arg(opt.output));
    return ExitOk;
}

ExitStatus readJobFile(const QString &fileName, ReleasedJob *released)
{
    const QFileInfo info(fileName);
    QFile file(fileName);
    if (info.exists() && !info.isFile())
        return fail(ExitUsage, CliText::tr("the job %1 is not a regular file").arg(fileName));
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(ExitUsage,
                    CliText::tr("cannot read the job %1: %2").arg(fileName, file.errorString()));
    }
    if (file.size() > kJobFileLimit)
        return fail(ExitUsage, CliText::tr("%1 is too large for a job file").arg(fileName));
    QByteArray content = file.readAll();
    released->path = info.absoluteFilePath();
    released->sha256 = QString::fromLatin1(
        QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex());
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);  // as some Windows editors save it

    static const QStringList keys = {QStringLiteral("format"),
                                     QStringLiteral("name"),
                                     QStringLiteral("line"),
                                     QStringLiteral("settings"),
                                     QStringLiteral("settings_sha256"),
                                     QStringLiteral("firmware"),
                                     QStringLiteral("firmware_sha256"),
                                     QStringLiteral("expect_version")};
    const QRegularExpression sha(QStringLiteral("^[0-9a-fA-F]{64}$"));
    QHash<QString, QString> values;
    const QList<QByteArray> lines = content.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines.at(i)).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const int eq = line.indexOf(QLatin1Char('='));
        const QString key = line.left(eq).trimmed(), value = line.mid(eq + 1).trimmed();
        if (eq < 0 || !keys.contains(key)) {
            return fail(ExitUsage,
                        badLine(fileName, i + 1,
                                eq < 0 ? CliText::tr("not \"key = value\"")
                                       : CliText::tr("unknown key %1").arg(key)));
        }
        if (values.contains(key))
            return fail(ExitUsage,
                        badLine(fileName, i + 1, CliText::tr("%1 given twice").arg(key)));
        if (key.endsWith(QLatin1String("_sha256")) && !sha.match(value).hasMatch()) {
            return fail(
                ExitUsage,
                badLine(fileName, i + 1, CliText::tr("%1 wants 64 hexadecimal digits").arg(key)));
        }
        values.insert(key, key.endsWith(QLatin1String("_sha256")) ? value.toLower() : value);
    }
    if (values.value(QStringLiteral("format")) != QLatin1String(kFormat)) {
        return fail(ExitUsage,
                    CliText::tr("%1 is not a job file of format %2 (format = %2)")
                        .arg(fileName, QLatin1String(kFormat)));
    }
    for (const QString &role : {QStringLiteral("settings"), QStringLiteral("firmware")}) {
        const QString hashKey = role + QStringLiteral("_sha256");
        if (values.contains(role) != values.contains(hashKey)) {
            return fail(ExitUsage,
                        CliText::tr("%1 wants %2 and %3 together").arg(fileName, role, hashKey));
        }
    }
    released->name = values.value(QStringLiteral("name"));
    released->line = values.value(QStringLiteral("line"));
    released->expectVersion = values.value(QStringLiteral("expect_version"));
    released->settingsSha256 = values.value(QStringLiteral("settings_sha256"));
    released->firmwareSha256 = values.value(QStringLiteral("firmware_sha256"));
    const QDir folder = info.absoluteDir();
    for (QString *path : {&released->settings, &released->firmware}) {
        const QString given = values.value(
            path == &released->settings ? QStringLiteral("settings") : QStringLiteral("firmware"));
        if (!given.isEmpty())
            *path = QDir::cleanPath(folder.absoluteFilePath(given));
    }
    if (released->settings.isEmpty() && released->firmware.isEmpty()
        && released->expectVersion.isEmpty()) {
        return fail(
            ExitUsage,
            CliText::tr("the job %1 names no settings, no firmware and no version").arg(fileName));
    }
    if (!released->expectVersion.isEmpty() && !isVersionText(released->expectVersion)) {
        return fail(ExitUsage,
                    CliText::tr("the job %1 wants version %2, which no device reports (1.05 "
                                "is the form)")
                        .arg(fileName, released->expectVersion));
    }
    // Each file the job names must be the one it released.
    for (const QString *path : {&released->settings, &released->firmware}) {
        if (path->isEmpty())
            continue;
        const bool settings = path == &released->settings;
        QString why;
        const QString actual = fileSha256(*path, &why);
        if (const ExitStatus s = checkFile(
                *released, settings ? QStringLiteral("settings") : QStringLiteral("firmware"),
                *path, settings ? released->settingsSha256 : released->firmwareSha256, actual, why))
            return s;
    }
    return ExitOk;
}

ExitStatus checkJobFiles(const ReleasedJob &released, const QVector<JobFile> &loaded)
{
    if (released.path.isEmpty())
        return ExitOk;
    for (const JobFile &f : loaded) {
        const bool settings = f.role == QLatin1String("settings");
        const QString &expected = settings ? released.settingsSha256 : released.firmwareSha256;
        if (const ExitStatus s = checkFile(released, f.role, f.path, expected, f.sha256, QString()))
            return s;
    }
    return ExitOk;
}

Provenance provenance(const CliOptions &opt, const ReleasedJob &released)
{
    return {opt.operatorName,
            opt.order,
            opt.station.isEmpty() ? QSysInfo::machineHostName() : opt.station,
            released.path,
            released.name,
            released.line,
            released.sha256};
}
