// --report: a quality record of every device, JSON Lines.
#include "cli/report.h"

#include "cli/console.h"
#include "cli/runner.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>
#include <QSysInfo>

namespace {

QMutex g_reportLock;
QFile g_report;

QJsonValue textOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QString isoTime(const QDateTime &t)
{
    return t.toUTC().toString(Qt::ISODateWithMs);
}

}  // namespace

bool openReport(const QString &fileName, QString *error)
{
    // A FIFO would hold every device up until someone reads it.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile()) {
        *error = CliText::tr("not a regular file");
        return false;
    }
    g_report.setFileName(fileName);
    if (g_report.open(QIODevice::WriteOnly | QIODevice::Append))
        return true;
    *error = g_report.errorString();
    return false;
}

void reportRun(const Job &job, const DeviceRun &run)
{
    if (!g_report.isOpen())
        return;
    const JobRecord &rec = run.record;
    QJsonValue jobFields;
    if (!job.origin.jobPath.isEmpty()) {
        jobFields = QJsonObject{{QStringLiteral("path"), job.origin.jobPath},
                                {QStringLiteral("name"), textOrNull(job.origin.jobName)},
                                {QStringLiteral("line"), textOrNull(job.origin.jobLine)},
                                {QStringLiteral("sha256"), job.origin.jobSha256}};
    }
    QJsonArray files;
    for (const JobFile &f : job.files + rec.files) {
        files.append(QJsonObject{{QStringLiteral("role"), f.role},
                                 {QStringLiteral("path"), f.path},
                                 {QStringLiteral("size"), f.size},
                                 {QStringLiteral("sha256"), f.sha256}});
    }
    QJsonObject o{{QStringLiteral("start"), isoTime(run.start)},
                  {QStringLiteral("end"), isoTime(run.end)},
                  {QStringLiteral("slot"), textOrNull(run.slot)},
                  {QStringLiteral("location"), textOrNull(run.port.location)},
                  {QStringLiteral("port"), run.port.path},
                  {QStringLiteral("serial"), textOrNull(run.port.serial)},
                  {QStringLiteral("vid_pid"), textOrNull(run.port.vidPid)},
                  {QStringLiteral("description"), textOrNull(run.port.description)},
                  {QStringLiteral("command"), job.command},
                  {QStringLiteral("files"), files},
                  {QStringLiteral("version"), textOrNull(rec.version)},
                  {QStringLiteral("verify"),
                   job.settings || job.firmware ? QJsonValue(job.verify) : QJsonValue()},
                  {QStringLiteral("result"), resultWord(run.status)},
                  {QStringLiteral("exit_status"), int(run.status)},
                  {QStringLiteral("message"), run.message},
                  {QStringLiteral("operator"), textOrNull(job.origin.operatorName)},
                  {QStringLiteral("order"), textOrNull(job.origin.order)},
                  {QStringLiteral("station"), textOrNull(job.origin.station)},
                  {QStringLiteral("job"), jobFields},
                  {QStringLiteral("tool_version"), QStringLiteral(VELMOR4_VERSION)},
                  {QStringLiteral("qt_version"), QString::fromLatin1(qVersion())},
                  {QStringLiteral("os"), QSysInfo::prettyProductName()}};
    // A field that does not apply is null, never missing.
    o.insert(QStringLiteral("settings"),
             !job.settings ? QJsonValue()
                           : QJsonObject{{QStringLiteral("blocks_written"), rec.blocksWritten},
                                         {QStringLiteral("verified"), rec.settingsVerified}});
    o.insert(QStringLiteral("firmware"),
             !job.firmware ? QJsonValue()
                           : QJsonObject{{QStringLiteral("chunks_written"), rec.chunksWritten},
                                         {QStringLiteral("chunks_total"), rec.chunksTotal},
                                         {QStringLiteral("verified"), rec.firmwareVerified}});
    o.insert(QStringLiteral("expected_version"), textOrNull(job.expectVersion));

    QMutexLocker lock(&g_reportLock);
    const QByteArray line = QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
    if (g_report.write(line) != line.size() || !g_report.flush()) {
        lock.unlock();
        message(CliText::tr("cannot append to the report %1: %2")
                    .arg(g_report.fileName(), g_report.errorString()));
    }
}
