#include "cli/console.h"

#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QThreadStorage>
#include <QTime>

#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004  // older MinGW headers lack it
#endif
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

constexpr int kDefaultColumns = 80;

QMutex g_lock;
bool g_progressOpen = false;
QStringList g_rows;  // the board: one progress line per port
int g_drawn = 0;     // rows on the terminal below the cursor's line
QFile g_trace;
FILE *g_data = stdout;

// What each thread (one a port in a gang) speaks for: its row on the board, its port, its
// failures so far. Qt's thread storage, not thread_local: with MinGW the destructors of
// thread_local objects may run after the thread's storage is gone, and crash or hang the exit
// of a gang's threads.
struct Voice
{
    int row = -1;
    QString port;
    QStringList failures;
};
QThreadStorage<Voice> t_voice;

bool boardOnTerminal()
{
    static const bool on = [] {
        if (!stderrIsTerminal())
            return false;
#ifdef Q_OS_WIN
        // Moving the cursor up needs the console's escape sequences, off by default.
        const HANDLE h = GetStdHandle(STD_ERROR_HANDLE);
        DWORD mode = 0;
        return GetConsoleMode(h, &mode)
            && SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
#else
        return true;
#endif
    }();
    return on;
}

// The terminal's width, asked afresh each time: it may be resized while a job runs.
int terminalColumns()
{
#ifdef Q_OS_WIN
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize size = {};
    if (ioctl(fileno(stderr), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
#endif
    return kDefaultColumns;
}

// A live line never wraps: that would break the count of lines to redraw. The last column
// stays free, since some consoles wrap as soon as it is written.
QByteArray fitted(const QString &line, int columns)
{
    return oneLine(line).left(qMax(1, columns - 1)).toLocal8Bit();
}

// With g_lock held: the board again, from its first row.
void redraw()
{
    QByteArray out;
    if (g_drawn > 0)
        out += "\r\x1b[" + QByteArray::number(g_drawn) + 'A';
    const int columns = terminalColumns();
    for (const QString &row : g_rows)
        out += "\r\x1b[2K" + fitted(row, columns) + '\n';
    g_drawn = g_rows.size();
    std::fwrite(out.constData(), 1, size_t(out.size()), stderr);
    std::fflush(stderr);
}

}  // namespace

void writeOut(const QByteArray &data)
{
    QMutexLocker lock(&g_lock);
#ifdef Q_OS_WIN
    // Data as it is: "read > file" must give the same bytes as "read file", not CR LF lines.
    static const int binary = _setmode(_fileno(stdout), _O_BINARY);
    Q_UNUSED(binary)
#endif
    std::fwrite(data.constData(), 1, size_t(data.size()), g_data);
    std::fflush(g_data);
}

void dataToStandardError()
{
    QMutexLocker lock(&g_lock);
    g_data = stderr;
}

void note(const QString &text)
{
    QMutexLocker lock(&g_lock);
    if (g_drawn > 0) {
        // Above the board, which moves down a line.
        std::fprintf(stderr, "\r\x1b[%dA\x1b[2K%s\n", g_drawn, qPrintable(text));
        g_drawn = 0;
        redraw();
        return;
    }
    std::fprintf(stderr, "%s%s\n", g_progressOpen ? "\n" : "", qPrintable(text));
    std::fflush(stderr);
    g_progressOpen = false;
}

void progressLine(const QString &text, bool last)
{
    QMutexLocker lock(&g_lock);
    const int row = t_voice.localData().row;
    if (row >= 0 && row < g_rows.size()) {
        g_rows[row] = text;
        if (boardOnTerminal())
            redraw();
        return;
    }
    // Padded, so that a shorter line leaves nothing of the one before.
    const int columns = terminalColumns();
    const QByteArray line = fitted(text, columns);
    std::fprintf(stderr, "\r%s%*s%s", line.constData(),
                 int(qMax<qsizetype>(0, columns - 1 - line.size())), "", last ? "\n" : "");
    std::fflush(stderr);
    g_progressOpen = !last;
}

void message(const QString &text)
{
    note(QStringLiteral("velmor4_cli: ") + portTag() + text);
}

ExitStatus fail(ExitStatus status, const QString &text)
{
    message(text);
    t_voice.localData().failures << text;
    return status;
}

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

QString oneLine(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split(QRegularExpression(QStringLiteral("[\r\n]+"))))
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    QString joined = lines.join(QStringLiteral("; "));
    for (QChar &c : joined) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char(' ');
    }
    return joined;
}

bool openTrace(const QString &target, QString *error)
{
    const bool toStderr = target == QLatin1String("-");
    if (!toStderr)
        g_trace.setFileName(target);
    if (toStderr ? g_trace.open(stderr, QIODevice::WriteOnly)
                 : g_trace.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return true;
    *error = g_trace.errorString();
    return false;
}

void traceFrame(const QString &port, const char *direction, const QByteArray &frame,
                const char *remark)
{
    QMutexLocker lock(&g_lock);
    if (!g_trace.isOpen())
        return;
    g_trace.write(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")).toLatin1()
                  + port.toLocal8Bit() + ' ' + direction + ' ' + frame.toHex(' ') + remark + '\n');
    g_trace.flush();
}

void startBoard(const QStringList &ports)
{
    QMutexLocker lock(&g_lock);
    g_rows.clear();
    for (const QString &port : ports)
        g_rows << port + QStringLiteral(": opening");
    if (boardOnTerminal())
        redraw();
}

void endBoard()
{
    QMutexLocker lock(&g_lock);
    g_rows.clear();
    g_drawn = 0;
}

void speakFor(int row, const QString &port)
{
    t_voice.localData() = {row, port, {}};
}

QString portTag()
{
    const QString &port = t_voice.localData().port;
    return port.isEmpty() ? QString() : port + QStringLiteral(": ");
}

QString takeFailures()
{
    QStringList &failures = t_voice.localData().failures;
    const QString text = failures.join(QStringLiteral("; "));
    failures.clear();
    return text;
}
