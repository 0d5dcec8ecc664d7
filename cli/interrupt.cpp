#include "cli/interrupt.h"

#include <QtGlobal>

#include <atomic>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#endif

namespace {

std::atomic<bool> g_interrupted{false};
std::atomic<bool> g_reported{false};

#ifdef Q_OS_WIN
BOOL WINAPI onConsoleEvent(DWORD event)
{
    g_interrupted = true;
    // The process ends as soon as this returns from a close, log-off or shut-down: give the
    // commands a few of the seconds Windows allows to say how far they got.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        for (int i = 0; i < 40 && !g_reported; ++i)
            Sleep(100);
    }
    return TRUE;
}
#else
void onSignal(int)
{
    g_interrupted = true;
}
#endif

}  // namespace

void catchInterrupts()
{
#ifdef Q_OS_WIN
    SetConsoleCtrlHandler(onConsoleEvent, TRUE);
#else
    struct sigaction sa = {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    for (int sig : {SIGINT, SIGTERM})
        sigaction(sig, &sa, nullptr);
    // A reader of the events or the data that went away must not end a job half done.
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

bool interrupted()
{
    return g_interrupted;
}

void interruptReported()
{
    g_reported = true;
}
