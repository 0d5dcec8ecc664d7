#pragma once

#include <QElapsedTimer>
#include <QString>

class DeviceEvents;

// The phases of a job, as the events name them.
namespace phase {
constexpr char kRead[] = "read";  // both settings blocks, for `read`
constexpr char kSettings[] = "settings";
constexpr char kSettingsVerify[] = "settings_verify";
constexpr char kFirmware[] = "firmware";
constexpr char kFirmwareVerify[] = "firmware_verify";
constexpr char kVersion[] = "version";
}  // namespace phase

// The frames of one request with `body` bytes and of its reply with `payload` bytes: what a
// job's progress and time left are counted in, whatever the phase.
qint64 exchangeLineBytes(int body, int payload);
qint64 writeLineBytes(int count);
qint64 readLineBytes(int count);

// The live line of one job on one device: its share of the bytes the whole job puts on the
// line, the time left for all of it, and the step it is at. On a terminal it keeps changing;
// in a log it is a line every 10 %.
class JobProgress
{
public:
    JobProgress(const QString &verb, qint64 lineBytes, bool quiet);

    void setEvents(DeviceEvents *events) { m_events = events; }
    // What the next requests do: the live line's words, and the request n of `of` in a
    // phase of the job ("settings", "firmware", ...), as the events name it.
    void setStep(const QString &step, const char *phase, int n, int of);
    void advance(qint64 lineBytes);  // a request and its reply are through
    qint64 secondsLeft() const;      // for the whole job; negative while unknown

private:
    QString m_verb;
    QString m_step;
    qint64 m_total;
    qint64 m_done = 0;
    bool m_quiet;
    bool m_terminal;
    int m_tenths = 0;
    QElapsedTimer m_clock;
    DeviceEvents *m_events = nullptr;
};
