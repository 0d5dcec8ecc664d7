#pragma once

#include "cli/exitstatus.h"

#include <QString>

// What the options say, checked for form by main(); the commands check the rest.
struct CliOptions
{
    QString port;    // --port, else VELMOR4_PORT
    QString serial;  // --serial
    int timeoutMs = 0;
    int retries = 0;
    bool verify = false;    // --verify
    bool noVerify = false;  // --no-verify
    QString trace;          // --trace: a file name, "-" for standard error, empty for none
    bool quiet = false;
};

ExitStatus listPorts();
ExitStatus showVersion(const CliOptions &opt);
ExitStatus readSettings(const CliOptions &opt, const QString &fileName);
ExitStatus writeSettings(const CliOptions &opt, const QString &fileName);
ExitStatus flashImage(const CliOptions &opt, const QString &fileName);

// The port named by --port, --serial or VELMOR4_PORT; ExitUsage with a message when there is
// none or --serial does not pick exactly one.
ExitStatus choosePort(const CliOptions &opt, QString *portName);
