#include "devsim/session.h"

#include "devsim/pty.h"

#include <QFile>
#include <QTimer>

#include <cstdio>

namespace {

// No request body is longer than a header and a full chunk; a frame announcing more is noise.
constexpr int kMaxBody = proto::kHeaderSize + proto::kMaxCount;
// Requests waiting for their line time, or replies for theirs; more is an overrun.
constexpr int kMaxQueued = 64;
constexpr int kBytewiseGapMs = 1;
constexpr int kDrainPollMs = 2;
constexpr qint64 kDrainSettleNs = 20 * 1000000LL;  // the terminal passes bytes on with a lag
constexpr qint64 kDrainLimitNs = 1000 * 1000000LL;
constexpr int kHexPreview = 40;
constexpr int kFloodBytesPerMs = 16 * 1024;  // more than the program can take on a slow machine

QString hex(const QByteArray &bytes)
{
    QString s = QString::fromLatin1(bytes.left(kHexPreview).toHex(' ').toUpper());
    if (bytes.size() > kHexPreview)
        s += QStringLiteral(" ... (%1 bytes)").arg(bytes.size());
    return s;
}

QString describe(const Request &req)
{
    const QString where = QStringLiteral("0x")
        + QString::number(req.address, 16).toUpper().rightJustified(8, QLatin1Char('0'));
    switch (req.operation) {
    case proto::kOpRead:
        return QStringLiteral("read %1 count %2").arg(where).arg(req.count);
    case proto::kOpWrite:
        return QStringLiteral("write %1 count %2 with %3 data bytes")
            .arg(where)
            .arg(req.count)
            .arg(req.data.size());
    default:
        return QStringLiteral("operation %1 at %2 count %3")
            .arg(req.operation)
            .arg(where)
            .arg(req.count);
    }
}

}  // namespace

Simulator::Simulator(const SimOptions &opts, QObject *parent)
    : QObject(parent)
    , m_opts(opts)
{
    qRegisterMetaType<Request>();
    m_device.setVersion(m_opts.versionByte, m_opts.minor, m_opts.major);
    m_clock.start();

    m_rxTimer = new QTimer(this);
    m_txTimer = new QTimer(this);
    m_drainTimer = new QTimer(this);
    m_presenceTimer = new QTimer(this);
    m_floodTimer = new QTimer(this);
    m_floodTimer->setInterval(1);
    for (QTimer *t : {m_rxTimer, m_txTimer, m_presenceTimer}) {
        t->setSingleShot(true);
        t->setTimerType(Qt::PreciseTimer);
    }
    m_drainTimer->setInterval(kDrainPollMs);
    connect(m_rxTimer, &QTimer::timeout, this, &Simulator::processArrived);
    connect(m_txTimer, &QTimer::timeout, this, &Simulator::pumpOutput);
    connect(m_drainTimer, &QTimer::timeout, this, &Simulator::closeWhenDrained);
    connect(m_presenceTimer, &QTimer::timeout, this, [this] {
        setPresent(!m_present);
        nextPresenceStep();
    });
    connect(m_floodTimer, &QTimer::timeout, this, &Simulator::floodLine);
}

Simulator::~Simulator() = default;

bool Simulator::start()
{
    if (m_serving)
        return true;
    if (!m_opts.statePath.isEmpty() && QFile::exists(m_opts.statePath)) {
        QFile f(m_opts.statePath);
        QString why;
        if (!f.open(QIODevice::ReadOnly)) {
            m_error = QStringLiteral("%1: %2").arg(m_opts.statePath, f.errorString());
            return false;
        }
        if (!m_device.loadState(f.readAll(), &why)) {
            m_error = QStringLiteral("%1: %2").arg(m_opts.statePath, why);
            return false;
        }
    }
    if (!m_pty) {
        m_pty = new Pty(this);
        connect(m_pty, &Pty::readyRead, this, &Simulator::onReadyRead);
    }
    if (!m_pty->open()) {
        m_error = QStringLiteral("cannot open a pseudo-terminal: %1").arg(m_pty->errorString());
        return false;
    }
    m_parser.reset();
    m_candidate.clear();
    m_lastArrival = -1;
    m_rxLineFree = m_txLineFree = 0;
    m_serving = true;
    m_closing = false;
    m_present = m_opts.presence.isEmpty();
    m_putOn = m_present ? 1 : 0;
    m_presenceStep = 0;
    nextPresenceStep();
    return true;
}

void Simulator::nextPresenceStep()
{
    if (m_presenceStep < m_opts.presence.size())
        m_presenceTimer->start(m_opts.presence.at(m_presenceStep++));
}

void Simulator::setPresent(bool present)
{
    if (present == m_present)
        return;
    m_present = present;
    // Whatever was on its way between the program and the device is lost with the contact.
    m_arrived.clear();
    m_outgoing.clear();
    m_rxTimer->stop();
    m_txTimer->stop();
    m_parser.reset();
    m_candidate.clear();
    if (present && m_putOn++ > 0)
        m_device.reset(m_opts.versionByte, m_opts.minor, m_opts.major);
    log(present ? QStringLiteral("put on the fixture") : QStringLiteral("taken off the fixture"));
}

bool Simulator::setPlugged(bool plugged)
{
    if (!m_pty || plugged == m_pty->isOpen())
        return true;
    // The adapter pulled out: the program's end of the line fails; the device itself stays on
    // the fixture, as it was.
    m_arrived.clear();
    m_outgoing.clear();
    m_rxTimer->stop();
    m_txTimer->stop();
    m_floodTimer->stop();
    m_parser.reset();
    m_candidate.clear();
    if (!plugged) {
        m_pty->close();
        m_serving = false;
        log(QStringLiteral("adapter unplugged"));
        return true;
    }
    if (!m_pty->open()) {
        m_error = QStringLiteral("cannot open a pseudo-terminal: %1").arg(m_pty->errorString());
        return false;
    }
    m_serving = true;
    m_lastArrival = -1;
    m_rxLineFree = m_txLineFree = 0;
    log(QStringLiteral("adapter plugged back as %1").arg(m_pty->slavePath()));
    return true;
}

void Simulator::stop()
{
    m_serving = false;
    m_closing = false;
    m_arrived.clear();
    m_outgoing.clear();
    m_rxTimer->stop();
    m_txTimer->stop();
    m_drainTimer->stop();
    m_presenceTimer->stop();
    m_floodTimer->stop();
    if (m_pty)
        m_pty->close();
}

void Simulator::floodLine()
{
    // What the terminal does not take is dropped, so a program that stops reading sees the
    // flood stop at the terminal's buffer.
    QByteArray bytes = m_opts.flood;
    while (!bytes.isEmpty() && bytes.size() < kFloodBytesPerMs)
        bytes += m_opts.flood;
    if (m_pty)
        m_pty->writeSome(bytes);
}

bool Simulator::isPlugged() const
{
    return m_pty && m_pty->isOpen();
}

QString Simulator::slavePath() const
{
    return m_pty ? m_pty->slavePath() : QString();
}

QByteArray Simulator::memory(quint32 address, int size) const
{
    return m_device.peek(address, size);
}

void Simulator::setMemory(quint32 address, const QByteArray &bytes)
{
    m_device.poke(address, bytes);
    // The version record follows the options, so keep them in step with what was poked.
    const QByteArray v = m_device.peek(proto::kVersionAddr, proto::kVersionSize);
    m_opts.versionByte = quint8(v.at(1));
    m_opts.minor = quint8(v.at(2));
    m_opts.major = quint8(v.at(3));
}

qint64 Simulator::byteTime() const
{
    return m_opts.baud > 0 ? 10 * 1000000000LL / m_opts.baud : 0;
}

void Simulator::arm(QTimer *timer, qint64 ns)
{
    // Rounded up: waking early would deliver a byte before its time.
    timer->start(int(qBound(qint64(0), (ns + 999999) / 1000000, qint64(1) << 30)));
}

void Simulator::log(const QString &line) const
{
    if (!m_opts.verbose)
        return;
    std::fprintf(stderr, "devsim: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void Simulator::flushNoise()
{
    if (m_noiseCount == 0)
        return;
    log(QStringLiteral("ignored %1 byte(s) outside a frame: %2%3")
            .arg(m_noiseCount)
            .arg(hex(m_noise))
            .arg(m_noiseCount > m_noise.size() ? QStringLiteral(" ...") : QString()));
    m_noise.clear();
    m_noiseCount = 0;
}

void Simulator::ignore(const QByteArray &bytes, const char *why)
{
    if (!m_opts.verbose || bytes.isEmpty())
        return;
    if (!why) {
        // Plain noise is collected and reported once per read, not byte by byte.
        m_noiseCount += bytes.size();
        m_noise.append(bytes.left(kHexPreview - m_noise.size()));
        return;
    }
    flushNoise();
    log(QStringLiteral("ignored %1 (%2 bytes): %3")
            .arg(QLatin1String(why))
            .arg(bytes.size())
            .arg(hex(bytes)));
}

void Simulator::onReadyRead()
{
    const QByteArray chunk = m_pty->readAll();
    if (!m_serving || !m_present)
        return;
    const qint64 t = now();
    const qint64 perByte = byteTime();
    for (char c : chunk) {
        qint64 at = t;
        if (perByte > 0) {
            // A byte is complete one byte time after the previous one, or after it was sent.
            at = qMax(t, m_rxLineFree) + perByte;
            m_rxLineFree = at;
        }
        feed(quint8(c), at);
    }
    flushNoise();
    processArrived();
}

void Simulator::feed(quint8 b, qint64 at)
{
    if (m_parser.state() != 0 && m_opts.resyncGapMs > 0 && m_lastArrival >= 0
        && at - m_lastArrival > qint64(m_opts.resyncGapMs) * 1000000) {
        ignore(m_candidate, "incomplete frame cut off by silence");
        m_parser.reset();
        m_candidate.clear();
    }
    m_lastArrival = at;

    const int before = m_parser.state();
    const FrameParser::Result r = m_parser.feed(b);
    m_candidate.append(char(b));

    if (r == FrameParser::Frame) {
        m_candidate.clear();
        frameReceived(m_parser.payload(), at);
        return;
    }
    if (r == FrameParser::BadChecksum) {
        ignore(m_candidate, "frame with a bad checksum");
        m_candidate.clear();
        return;
    }
    const int state = m_parser.state();
    if (state == 0) {
        ignore(m_candidate, nullptr);
        m_candidate.clear();
    } else if (before == 1 && state == 1) {
        // A repeated 0x55: only the latest one can still start the frame.
        ignore(m_candidate.left(m_candidate.size() - 1), nullptr);
        m_candidate = m_candidate.right(1);
    } else if (before == 2) {
        m_lengthLow = b;
    } else if (before == 3) {
        const int length = m_lengthLow | (b << 8);
        if (length > kMaxBody) {
            // Drop the sync pair and look for a frame again from the length bytes on,
            // instead of swallowing up to 64 KiB of what may be the next real request.
            ignore(m_candidate.left(2), "sync pair before an oversized length");
            m_parser.reset();
            m_candidate.clear();
            const quint8 low = m_lengthLow;
            feed(low, at);
            feed(b, at);
        }
    }
}

void Simulator::frameReceived(const QByteArray &body, qint64 at)
{
    Request req;
    if (!parseRequestBody(body, &req)) {
        ignore(encodeFrame(body), "frame too short to hold a request");
        return;
    }
    if (m_arrived.size() >= kMaxQueued) {
        ignore(encodeFrame(body), "request, receive queue overrun");
        return;
    }
    m_arrived.enqueue({req, encodeFrame(body), at});
}

void Simulator::processArrived()
{
    while (m_serving && !m_arrived.isEmpty()) {
        const qint64 t = now();
        if (m_arrived.head().at > t) {
            arm(m_rxTimer, m_arrived.head().at - t);
            return;
        }
        const Arrived a = m_arrived.dequeue();
        handle(a.req, a.frame, a.at);
    }
}

void Simulator::handle(const Request &req, const QByteArray &frame, qint64 arrivedAt)
{
    const int n = ++m_requestCount;
    m_requests.append(req);
    m_device.setVersion(m_opts.versionByte, m_opts.minor, m_opts.major);

    bool refuse = false;
    if (req.operation == proto::kOpWrite)
        refuse = ++m_writeCount == m_opts.refuseWrite;

    log(QStringLiteral("<- #%1 %2: %3").arg(n).arg(describe(req)).arg(hex(frame)));
    const QByteArray payload = m_device.handle(req, refuse);
    if (refuse)
        log(QStringLiteral("   write refused on purpose"));
    // Saved once the reply is out: writing the files must not hold up the line.
    m_saveDue = m_saveDue || m_device.lastWriteStored();

    if (n == m_opts.floodAfter) {
        log(QStringLiteral("-> #%1 reply withheld; the line floods from now on").arg(n));
        m_floodTimer->start();
    } else if (n == m_opts.noReplyTo || m_opts.noReplies) {
        log(QStringLiteral("-> #%1 reply withheld on purpose").arg(n));
    } else if (m_outgoing.size() >= kMaxQueued) {
        log(QStringLiteral("-> #%1 reply dropped, transmit queue overrun").arg(n));
    } else {
        QByteArray reply = encodeFrame(payload);
        if (n == m_opts.corruptReplyTo) {
            reply[reply.size() - 1] = char(~reply.at(reply.size() - 1));
            log(QStringLiteral("   checksum corrupted on purpose"));
        }
        reply.prepend(m_opts.garbage);
        log(QStringLiteral("-> #%1 %2").arg(n).arg(hex(reply)));
        m_outgoing.enqueue({reply, 0, arrivedAt + qint64(qMax(0, m_opts.delayMs)) * 1000000});
    }

    if (n == m_opts.disconnectAfter) {
        log(QStringLiteral("   line closes after this reply"));
        m_serving = false;
        m_closing = true;
        m_arrived.clear();
        m_rxTimer->stop();
    }
    emit requestHandled(req);
    pumpOutput();
}

void Simulator::saveIfDue()
{
    if (!m_saveDue || !m_outgoing.isEmpty())
        return;
    m_saveDue = false;
    saveFiles();
}

void Simulator::pumpOutput()
{
    const qint64 perByte = byteTime();
    while (!m_outgoing.isEmpty()) {
        if (!m_pty || !m_pty->isOpen()) {
            m_outgoing.clear();
            break;
        }
        Outgoing &out = m_outgoing.head();
        const int left = out.bytes.size() - out.sent;
        qint64 t = now();
        if (out.notBefore > t) {
            arm(m_txTimer, out.notBefore - t);
            return;
        }
        int count = left;
        qint64 wakeAt = t;
        if (perByte > 0) {
            // Each byte is handed over once its ten bits would have been on the line.
            count = 0;
            qint64 due = qMax(out.notBefore, m_txLineFree) + perByte;
            while (count < left && due <= t && !(m_opts.bytewise && count == 1)) {
                ++count;
                m_txLineFree = due;
                due += perByte;
            }
            wakeAt = due;
        } else if (m_opts.bytewise) {
            count = 1;
            wakeAt = t + kBytewiseGapMs * 1000000LL;
        }
        if (count > 0) {
            m_pty->write(out.bytes.mid(out.sent, count));
            out.sent += count;
        }
        if (out.sent < out.bytes.size()) {
            arm(m_txTimer, wakeAt - t);
            return;
        }
        m_outgoing.dequeue();
    }
    saveIfDue();
    if (m_closing && m_outgoing.isEmpty() && !m_drainTimer->isActive()) {
        m_drainStarted = now();
        m_drainTimer->start();
    }
}

void Simulator::closeWhenDrained()
{
    // Closing the master throws away what the program has not read yet, so wait for it.
    const qint64 waited = now() - m_drainStarted;
    if (m_pty && m_pty->isOpen() && waited < kDrainLimitNs
        && (waited < kDrainSettleNs || m_pty->unreadByProgram() > 0))
        return;
    m_drainTimer->stop();
    m_closing = false;
    if (m_pty)
        m_pty->close();
    log(QStringLiteral("line closed"));
    emit disconnected();
}

bool Simulator::saveFiles()
{
    m_saveDue = false;
    bool ok = true;
    // Written beside and renamed over, so a reader never sees half a file. No sync to disk:
    // that would stall the line for milliseconds after every write.
    auto save = [&](const QString &path, const QByteArray &bytes) {
        if (path.isEmpty())
            return;
        const QString temp = path + QStringLiteral(".part");
        QFile f(temp);
        const bool written = f.open(QIODevice::WriteOnly | QIODevice::Truncate)
            && f.write(bytes) == bytes.size() && f.flush();
        const QString why = f.errorString();
        f.close();
        if (written
            && std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData())
                == 0)
            return;
        QFile::remove(temp);
        m_error = QStringLiteral("%1: %2").arg(path,
                                               written ? QStringLiteral("cannot replace it") : why);
        std::fprintf(stderr, "devsim: cannot save %s\n", m_error.toLocal8Bit().constData());
        ok = false;
    };
    save(m_opts.statePath, m_device.saveState());
    save(m_opts.firmwareDump, m_device.firmwareImage());
    return ok;
}
