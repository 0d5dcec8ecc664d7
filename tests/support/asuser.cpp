#include "tests/support/asuser.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

QByteArray runAsUser(unsigned uid, unsigned gid, const std::function<QByteArray()> &work)
{
    int fds[2];
    if (geteuid() != 0 || pipe(fds) != 0)
        return work();
    const gid_t group = gid;
    const pid_t pid = fork();
    if (pid == 0) {
        // Supplementary groups first: root's would otherwise stay with the child.
        if (setgroups(1, &group) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
            _exit(1);
        const QByteArray out = work();
        _exit(write(fds[1], out.constData(), size_t(out.size())) == out.size() ? 0 : 1);
    }
    close(fds[1]);
    QByteArray out;
    char buf[512];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, int(n));
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    return out;
}
