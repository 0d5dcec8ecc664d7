#pragma once

#include "cli/exitstatus.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class Transaction;

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

// The device one run of a job is about; each thread of a gang has its own.
struct Target
{
    QString port;    // the port it is on, as opened
    int device = 0;  // with --wait, the device's number on its port, from 1
};

// A command whose input has been checked, ready to run on any port; the transaction is open.
// Each command's ...Job(opt, file, &job) checks the input, before any port is opened: ExitUsage
// with a message for bad input.
using PortJob = std::function<ExitStatus(const Target &target, Transaction &tx, JobRecord *rec)>;
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
