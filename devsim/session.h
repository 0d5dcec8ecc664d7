#pragma once

#include "devsim/device.h"
#include "link/frame.h"
#include "link/request.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QMetaType>
#include <QObject>
#include <QQueue>
#include <QString>

class Pty;
class QTimer;

Q_DECLARE_METATYPE(Request)

// The device on a pseudo-terminal: reassembles request frames, answers them from a Device
// and applies the faults and the line timing of its options.
class Simulator : public QObject
{
    Q_OBJECT
public:
    explicit Simulator(const SimOptions &opts, QObject *parent = nullptr);
    ~Simulator() override;

    bool start();  // loads the state file and opens the line; false with errorString()
    void stop();   // closes the line at once; nothing more is served
    bool isServing() const { return m_serving; }

    QString slavePath() const;
    QString errorString() const { return m_error; }

    QByteArray memory(quint32 address, int size) const;
    void setMemory(quint32 address, const QByteArray &bytes);
    Device &device() { return m_device; }

    int requestCount() const { return m_requestCount; }
    QList<Request> requests() const { return m_requests; }

    // Faults may be changed between requests; they apply from the next one on.
    SimOptions &options() { return m_opts; }
    const SimOptions &options() const { return m_opts; }

    // Writes the state file and the firmware dump, when they are configured.
    bool saveFiles();

    // Puts the device on the fixture or takes it off (see SimOptions::presence).
    void setPresent(bool present);
    // Pulls the adapter out (the terminal closes) or plugs it back in, as a new terminal with
    // a new slavePath(); the device and its memory stay as they are.
    bool setPlugged(bool plugged);
    bool isPlugged() const;

signals:
    void requestHandled(const Request &req);
    void disconnected();

private:
    struct Arrived
    {
        Request req;
        QByteArray frame;  // as received, for the log
        qint64 at;         // when its last byte was on the line, ns
    };
    struct Outgoing
    {
        QByteArray bytes;
        int sent;
        qint64 notBefore;  // ns
    };

    void onReadyRead();
    void feed(quint8 b, qint64 at);
    void frameReceived(const QByteArray &body, qint64 at);
    void processArrived();
    void handle(const Request &req, const QByteArray &frame, qint64 arrivedAt);
    void pumpOutput();
    void floodLine();
    void closeWhenDrained();
    void saveIfDue();
    void nextPresenceStep();

    void ignore(const QByteArray &bytes, const char *why);
    void flushNoise();
    void log(const QString &line) const;

    qint64 now() const { return m_clock.nsecsElapsed(); }
    qint64 byteTime() const;
    static void arm(QTimer *timer, qint64 ns);

    SimOptions m_opts;
    Device m_device;
    Pty *m_pty = nullptr;
    QString m_error;
    bool m_serving = false;
    bool m_closing = false;
    bool m_saveDue = false;

    FrameParser m_parser;
    QByteArray m_candidate;  // raw bytes of the frame being received
    QByteArray m_noise;      // bytes skipped since the last report (verbose only)
    int m_noiseCount = 0;
    quint8 m_lengthLow = 0;
    qint64 m_lastArrival = -1;
    qint64 m_rxLineFree = 0;
    qint64 m_txLineFree = 0;

    QQueue<Arrived> m_arrived;
    QQueue<Outgoing> m_outgoing;
    QTimer *m_rxTimer = nullptr;
    QTimer *m_txTimer = nullptr;
    QTimer *m_drainTimer = nullptr;
    QTimer *m_presenceTimer = nullptr;
    int m_presenceStep = 0;
    bool m_present = true;
    int m_putOn = 0;  // devices put on the fixture so far
    QTimer *m_floodTimer = nullptr;
    qint64 m_drainStarted = 0;
    QElapsedTimer m_clock;

    int m_requestCount = 0;
    int m_writeCount = 0;
    QList<Request> m_requests;
};
