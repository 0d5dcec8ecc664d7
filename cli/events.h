#pragma once

#include "cli/exitstatus.h"

#include <QDateTime>
#include <QString>

// --events: what happens, one JSON object a line, flushed per event, for a line controller or
// a bench's own screen. Every event has "event", "time" (UTC), "slot", "port" and "device".

// Opened before anything is sent; "-" is standard output, which then carries nothing else.
bool openEvents(const QString &target, QString *error);

// Which device an event is about.
struct EventSource
{
    QString slot;  // the fixture's name for the port; empty (null) without a fixture
    QString port;
    int device = 1;  // its number on the port, from 1
};

// A slot's adapter went away or came back, whatever the device on it was doing.
void adapterLost(const EventSource &who, const QDateTime &at = QDateTime::currentDateTimeUtc());
void adapterBack(const EventSource &who, const QDateTime &at = QDateTime::currentDateTimeUtc());

// One device's job from "started" to its one "ended", in the thread that runs it. A phase
// ("settings", "firmware_verify", ...) ends with a "step" event when the next one begins, or
// with the job.
class DeviceEvents
{
public:
    DeviceEvents(const EventSource &who, const QString &command);
    DeviceEvents(const DeviceEvents &) = delete;
    DeviceEvents &operator=(const DeviceEvents &) = delete;

    // The request `n` of `of` in `phase` is next.
    void step(const char *phase, int n, int of);
    // After each request: the whole job's share done, never less than before, and the
    // seconds it still needs (negative while that is not known).
    void progress(int percent, qint64 secondsLeft);
    void ended(ExitStatus status, const QString &message);

private:
    void stepEnded(const QString &result);

    EventSource m_who;
    QString m_phase;
    int m_n = 0, m_of = 0;
    int m_percent = 0;
};
