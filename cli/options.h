#pragma once

#include <QString>
#include <QStringList>

// What the options say, checked for form by main(); the commands check the rest. Read-only
// once parsed: the threads of a gang run share it.
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
    int timeoutMs = 0;
    int retries = 0;
    bool verify = false;    // --verify
    bool noVerify = false;  // --no-verify
    QString trace;          // --trace: a file name, "-" for standard error, empty for none
    bool quiet = false;
    bool wait = false;  // --wait: a fixture that serves one device after another
    QString report;     // --report: the JSON Lines file
    QString settingsFile, firmwareFile, expectVersion;  // program
    // Production: --job (program's job file, stats' job name or hash), --operator, --order,
    // --station, --events; job new's -o, --name, --line; stats' --since, --html.
    QString job, operatorName, order, station, events;
    QString output, jobName, jobLine, since, html;
};
