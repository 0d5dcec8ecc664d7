#pragma once

#include "cli/exitstatus.h"

#include <QString>
#include <QStringList>

#include <functional>

// What the options say, checked for form by main(); the commands check the rest.
struct CliOptions
{
    QStringList ports;      // --port (repeatable), else VELMOR4_PORT
    QStringList serials;    // --serial (repeatable)
    bool allPorts = false;  // --ports all
    // Several ports at once: data and success texts go to the summary instead.
    bool gang = false;
    QString port;  // the one port a command runs on
    int timeoutMs = 0;
    int retries = 0;
    bool verify = false;    // --verify
    bool noVerify = false;  // --no-verify
    QString trace;          // --trace: a file name, "-" for standard error, empty for none
    bool quiet = false;
};

// A command whose input has been checked, as it runs on the port opt.port. On success it may
// leave the line the summary, or a message, shows in *done.
using PortJob = std::function<ExitStatus(const CliOptions &opt, QString *done)>;

ExitStatus listPorts();
// Check a command's input, before any port is opened; ExitUsage with a message for bad input.
ExitStatus versionJob(const CliOptions &opt, const QString &unused, PortJob *job);
ExitStatus readJob(const CliOptions &opt, const QString &fileName, PortJob *job);
ExitStatus writeJob(const CliOptions &opt, const QString &fileName, PortJob *job);
ExitStatus flashJob(const CliOptions &opt, const QString &fileName, PortJob *job);

// The ports named by --port, --serial, --ports or VELMOR4_PORT, each once; ExitUsage with a
// message when there is none, one is named twice or a serial number does not pick one port.
ExitStatus choosePorts(const CliOptions &opt, QStringList *ports);
// Runs the job on every port at once, each on its own thread; prints the summary table and
// returns the worst port's status.
ExitStatus runGang(const CliOptions &opt, const QStringList &ports, const PortJob &job);
