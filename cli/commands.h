#pragma once

#include "cli/exitstatus.h"
#include "cli/slots.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class Transaction;

// What the options say, checked for form by main(); the commands check the rest.
struct CliOptions
{
    QStringList ports;    // --port (repeatable), else VELMOR4_PORT
    QStringList serials;  // --serial (repeatable)
    QString fixture;      // --fixture: the slots of a fixture file
    QString portKind;     // --ports: "all", "usb" or a VID:PID such as "0403:6001"
    bool severalPorts = false;
    // Several ports at once, or devices one after another: data and success texts go to the
    // summary instead.
    bool gang = false;
    QString port;  // the one port a command runs on
    int timeoutMs = 0;
    int retries = 0;
    bool verify = false;    // --verify
    bool noVerify = false;  // --no-verify
    QString trace;          // --trace: a file name, "-" for standard error, empty for none
    bool quiet = false;
    bool wait = false;  // --wait: a fixture that serves one device after another
    int device = 0;     // with --wait, the device's number on its port, from 1
    QString report;     // --report: the JSON Lines file
    QString settingsFile, firmwareFile, expectVersion;  // program
    // Production: --job (program's job file, stats' job name or hash), --operator, --order,
    // --station, --events; job new's -o, --name, --line; stats' --since, --html.
    QString job, operatorName, order, station, events;
    QString output, jobName, jobLine, since, html;
};

// A file a command takes or leaves, as the report names it.
struct JobFile
{
    QString role;  // "settings", "firmware" or "output"
    QString path;  // absolute
    qint64 size = 0;
    QString sha256;  // hex
};
JobFile jobFile(const QString &role, const QString &fileName, const QByteArray &content);

// What a command did on one device, as far as the device confirmed it.
struct JobRecord
{
    QStringList done;  // the success line, in parts
    int blocksWritten = 0;
    bool settingsVerified = false;
    int chunksWritten = 0;
    int chunksTotal = 0;
    bool firmwareVerified = false;
    QString version;         // as read from the device
    QVector<JobFile> files;  // what it left, such as the file `read` saved
};

// Who set the devices up, where, after which job file: every record says so.
struct Provenance
{
    QString operatorName, order, station;
    QString jobPath, jobName, jobLine, jobSha256;  // empty without --job
};

// A command whose input has been checked, ready to run on any port; the transaction is open.
using PortJob = std::function<ExitStatus(const CliOptions &opt, Transaction &tx, JobRecord *rec)>;
struct Job
{
    QString command;       // as typed: "program"
    QString verb;          // what the live line says it is doing: "programming"
    qint64 lineBytes = 0;  // the frames of every request and reply, for the progress
    QVector<JobFile> files;
    bool settings = false;  // the record tells what was written of the settings
    bool firmware = false;  // and of the firmware
    bool verify = false;    // what was written is read back
    QString expectVersion;
    Provenance origin;
    PortJob run;
};

ExitStatus listPorts();
// `fixture new -o FILE`: a fixture file for the adapters plugged in now.
ExitStatus newFixture(const CliOptions &opt, const QStringList &args);
// Check a command's input, before any port is opened; ExitUsage with a message for bad input.
ExitStatus versionJob(const CliOptions &opt, const QString &unused, Job *job);
ExitStatus readJob(const CliOptions &opt, const QString &fileName, Job *job);
ExitStatus writeJob(const CliOptions &opt, const QString &fileName, Job *job);
ExitStatus flashJob(const CliOptions &opt, const QString &fileName, Job *job);
ExitStatus programJob(const CliOptions &opt, const QString &unused, Job *job);

// The steps `program` shares with the single commands, with their bytes on the line.
ExitStatus loadSettingsFile(const QString &fileName, QByteArray *text, QByteArray *sys,
                            QByteArray *hardw);
qint64 settingsLineBytes(bool verify);
ExitStatus writeSettings(const CliOptions &opt, Transaction &tx, const QByteArray &sys,
                         const QByteArray &hardw, JobRecord *rec);
ExitStatus loadImage(const QString &fileName, QByteArray *image);
qint64 flashLineBytes(int imageSize, bool verify);
ExitStatus flashImage(Transaction &tx, const QByteArray &image, bool verify, JobRecord *rec);
bool isVersionText(const QString &text);  // "1.05", as the device reports it
qint64 versionLineBytes();
ExitStatus readVersion(Transaction &tx, QString *version);

// The slots named by --fixture, --port, --serial, --ports or VELMOR4_PORT, and the port that
// serves each now (empty where none does yet). ExitUsage with a message when there is none,
// an identity matches several ports or one port is named twice, under any of its names.
ExitStatus chooseSlots(const CliOptions &opt, QVector<Slot> *slotList, QVector<SystemPort> *ports);
// Runs the job on every slot, several at once each on its own thread, or with --wait on one
// device after another; each device's run goes to the report. Several slots or --wait end
// with a summary table. Returns the worst device's status.
ExitStatus runJob(const CliOptions &opt, const QVector<Slot> &slotList,
                  const QVector<SystemPort> &ports, const Job &job);
// The word the summary and the report give an exit status: ok, device, input, link,
// interrupted.
QString resultWord(ExitStatus status);
