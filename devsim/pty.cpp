#include "devsim/pty.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

Pty::Pty(QObject *parent)
    : QObject(parent)
{
}

Pty::~Pty()
{
    close();
}

bool Pty::open()
{
    close();
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    // Raw from the start: an echoing slave would hand our replies straight back to us.
    if (::openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        m_master = m_slave = -1;
        return false;
    }
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);
    m_slavePath = QString::fromLocal8Bit(name);
    m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &Pty::readyRead);
    return true;
}

void Pty::close()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = m_slave = -1;
}

QByteArray Pty::readAll()
{
    QByteArray out;
    char buf[4096];
    while (m_master >= 0) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0)
            break;
        out.append(buf, int(n));
    }
    return out;
}

bool Pty::write(const QByteArray &bytes)
{
    const char *p = bytes.constData();
    qint64 left = bytes.size();
    while (left > 0 && m_master >= 0) {
        const ssize_t n = ::write(m_master, p, size_t(left));
        if (n < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                ::usleep(200);
                continue;
            }
            m_error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        p += n;
        left -= n;
    }
    return left == 0;
}

int Pty::writeSome(const QByteArray &bytes)
{
    const ssize_t n
        = m_master < 0 ? -1 : ::write(m_master, bytes.constData(), size_t(bytes.size()));
    return n < 0 ? 0 : int(n);
}

int Pty::unreadByProgram() const
{
    int n = 0;
    if (m_slave < 0 || ::ioctl(m_slave, FIONREAD, &n) != 0)
        return 0;
    return n;
}
