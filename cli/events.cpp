// --events: a live stream of JSON objects, one a line.
#include "cli/events.h"

#include "cli/console.h"
#include "cli/runner.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>

#include <atomic>
#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace {

QMutex g_eventsLock;
QFile g_events;
std::atomic<bool> g_on{false};  // off again once the stream broke

void emitEvent(const char *event, const EventSource &who, QJsonObject fields,
               const QDateTime &at = QDateTime::currentDateTimeUtc())
{
    if (!g_on)
        return;
    fields.insert(QStringLiteral("event"), QLatin1String(event));
    fields.insert(QStringLiteral("time"), at.toUTC().toString(Qt::ISODateWithMs));
    fields.insert(QStringLiteral("slot"), who.slot.isEmpty() ? QJsonValue() : who.slot);
    fields.insert(QStringLiteral("port"), who.port);
    fields.insert(QStringLiteral("device"), who.device);
    const QByteArray line = QJsonDocument(fields).toJson(QJsonDocument::Compact) + '\n';
    QMutexLocker lock(&g_eventsLock);
    if (!g_on)
        return;
    // A reader that went away costs the devices nothing: the stream just ends.
    if (g_events.write(line) != line.size() || !g_events.flush()) {
        const QString why = g_events.errorString();
        g_on = false;
        g_events.close();
        lock.unlock();
        message(CliText::tr("cannot write the events any more: %1").arg(why));
    }
}

}  // namespace

bool openEvents(const QString &target, QString *error)
{
    if (target == QLatin1String("-")) {
#ifdef Q_OS_WIN
        _setmode(_fileno(stdout), _O_BINARY);  // one "\n" a line, as on every system
#endif
        dataToStandardError();
        if ((g_on = g_events.open(stdout, QIODevice::WriteOnly)))
            return true;
    } else {
        // A regular file starts afresh; a pipe's reader gets the stream as it comes.
        g_events.setFileName(target);
        const QFileInfo info(target);
        const QIODevice::OpenMode mode = info.exists() && !info.isFile()
            ? QIODevice::WriteOnly
            : QIODevice::WriteOnly | QIODevice::Truncate;
        if ((g_on = g_events.open(mode)))
            return true;
    }
    *error = g_events.errorString();
    return false;
}

void adapterLost(const EventSource &who, const QDateTime &at)
{
    emitEvent("adapter_lost", who, {}, at);
}

void adapterBack(const EventSource &who, const QDateTime &at)
{
    emitEvent("adapter_back", who, {}, at);
}

DeviceEvents::DeviceEvents(const EventSource &who, const QString &command)
    : m_who(who)
{
    emitEvent("started", m_who, {{QStringLiteral("command"), command}});
}

void DeviceEvents::step(const char *phase, int n, int of)
{
    if (!m_phase.isEmpty() && m_phase != QLatin1String(phase))
        stepEnded(QStringLiteral("ok"));
    m_phase = QLatin1String(phase);
    m_n = n;
    m_of = of;
}

void DeviceEvents::progress(int percent, qint64 secondsLeft)
{
    m_percent = qMax(m_percent, percent);
    emitEvent("progress", m_who,
              {{QStringLiteral("phase"), m_phase.isEmpty() ? QJsonValue() : m_phase},
               {QStringLiteral("chunk"), m_n},
               {QStringLiteral("chunks"), m_of},
               {QStringLiteral("percent"), m_percent},
               {QStringLiteral("seconds_left"),
                secondsLeft < 0 ? QJsonValue() : QJsonValue(secondsLeft)}});
}

void DeviceEvents::ended(ExitStatus status, const QString &message)
{
    if (!m_phase.isEmpty())
        stepEnded(resultWord(status));
    emitEvent("ended", m_who,
              {{QStringLiteral("result"), resultWord(status)},
               {QStringLiteral("exit_status"), int(status)},
               {QStringLiteral("message"), message}});
}

void DeviceEvents::stepEnded(const QString &result)
{
    emitEvent("step", m_who,
              {{QStringLiteral("step"), m_phase}, {QStringLiteral("result"), result}});
}
