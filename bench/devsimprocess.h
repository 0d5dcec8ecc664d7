#pragma once

#include <QProcess>
#include <QStringList>

// The simulator as a process of its own, so that its work does not share our threads.
class DevsimProcess
{
public:
    ~DevsimProcess();
    bool start(const QStringList &args = {});  // waits for the pty path on the first line
    QString path() const { return m_path; }

private:
    QProcess m_process;
    QString m_path;
};
