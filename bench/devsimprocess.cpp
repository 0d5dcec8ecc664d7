#include "bench/devsimprocess.h"

#include "link/protocol.h"

#include <QFile>

DevsimProcess::~DevsimProcess()
{
    m_process.terminate();
    m_process.waitForFinished(3000);
}

bool DevsimProcess::start(const QStringList &args, int devices)
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(VELMOR4_DEVSIM), args);
    if (!m_process.waitForStarted(5000))
        return false;
    while (m_paths.size() < devices) {
        while (!m_process.canReadLine())
            if (!m_process.waitForReadyRead(5000))
                return false;
        const QString path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        if (path.isEmpty())
            return false;
        m_paths << path;
    }
    return true;
}

bool writeFullImage(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly)
        && f.write(QByteArray(int(proto::kImageLimit), '\x5A')) == int(proto::kImageLimit);
}
