#include "cli/console.h"

#include "cli/screen.h"

#include <QCoreApplication>
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
    QString tag;
    QStringList failures;
    bool muted = false;
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

// A live line never wraps: that would break the count of rows to redraw. The last column
// stays free, since some consoles wrap as soon as it is written.
QString fitted(const QString &line, int columns)
{
    return fitLine(line, qMax(2, columns - 1));
}

// Text for a stream: UTF-8, or on a Windows console its own Unicode call, so that "…" and
// Cyrillic show as themselves whatever the code page.
// Standard output as it is: "read > file" must give the same bytes as "read file", and the
// summary the same lines, not CR LF ones.
void keepStdoutBinary()
{
#ifdef Q_OS_WIN
    static const int binary = _setmode(_fileno(stdout), _O_BINARY);
    Q_UNUSED(binary)
#endif
}

void put(FILE *stream, const QString &text)
{
    keepStdoutBinary();
#ifdef Q_OS_WIN
    const HANDLE h = GetStdHandle(stream == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    DWORD mode = 0;
    if (GetConsoleMode(h, &mode)) {
        std::fflush(stream);
        const std::wstring wide = text.toStdWString();
        DWORD written = 0;
        WriteConsoleW(h, wide.data(), DWORD(wide.size()), &written, nullptr);
        return;
    }
#endif
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

// With g_lock held: to the start of the board's first row (a count of 0 would still move).
QString upToBoard()
{
    return g_drawn > 0 ? QStringLiteral("\r\x1b[%1A").arg(g_drawn) : QStringLiteral("\r");
}

// Each line of a message, with what it holds from outside made harmless.
QString printableLines(const QString &text)
{
    QString out;
    for (const QString &line : text.split(QLatin1Char('\n')))
        out += printable(line) + QLatin1Char('\n');
    return out;
}

// With g_lock held: the board again, from its first row. Everything below its first row is
// cleared first, so no fragment of an earlier line, nor the terminal's own ^C, stays.
void redraw()
{
    QString out = upToBoard() + QStringLiteral("\x1b[J");
    const int columns = terminalColumns();
    for (const QString &row : g_rows)
        out += fitted(row, columns) + QLatin1Char('\n');
    g_drawn = g_rows.size();
    put(stderr, out);
}

}  // namespace

void writeOut(const QByteArray &data)
{
    keepStdoutBinary();
    QMutexLocker lock(&g_lock);
    std::fwrite(data.constData(), 1, size_t(data.size()), g_data);
    std::fflush(g_data);
}

void dataToStandardError()
{
    QMutexLocker lock(&g_lock);
    g_data = stderr;
}

void writeOutText(const QString &text)
{
    QMutexLocker lock(&g_lock);
    put(g_data, text);
}

void note(const QString &text)
{
    QMutexLocker lock(&g_lock);
    Voice &voice = t_voice.localData();
    if (!g_rows.isEmpty() && boardOnTerminal()) {
        // A port's message is its live line; anything else goes above the board.
        if (voice.row >= 0 && voice.row < g_rows.size()) {
            g_rows[voice.row] = text;
            redraw();
            return;
        }
        put(stderr, upToBoard() + QStringLiteral("\x1b[J") + printableLines(text));
        g_drawn = 0;
        redraw();
        return;
    }
    put(stderr, (g_progressOpen ? QStringLiteral("\n") : QString()) + printableLines(text));
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
    const QString line = fitted(text, columns);
    put(stderr,
        QLatin1Char('\r') + line.leftJustified(columns - 1)
            + (last ? QStringLiteral("\n") : QString()));
    g_progressOpen = !last;
}

void message(const QString &text)
{
    const Voice &voice = t_voice.localData();
    if (voice.muted)
        return;
    if (voice.row >= 0 && boardOnTerminal())
        progressLine(portTag() + text, false);
    else
        note(QStringLiteral("velmor4_cli: ") + portTag() + text);
}

ExitStatus fail(ExitStatus status, const QString &text)
{
    message(text);
    t_voice.localData().failures << text;
    return status;
}

void setMuted(bool muted)
{
    t_voice.localData().muted = muted;
}

int outputColumns()
{
#ifdef Q_OS_WIN
    CONSOLE_SCREEN_BUFFER_INFO info;
    const HANDLE h = GetStdHandle(g_data == stdout ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (_isatty(_fileno(g_data)) && GetConsoleScreenBufferInfo(h, &info))
        return info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize size = {};
    if (isatty(fileno(g_data)) && ioctl(fileno(g_data), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
#endif
    return 0;
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

void startBoard(const QStringList &tags)
{
    QMutexLocker lock(&g_lock);
    g_rows.clear();
    for (const QString &tag : tags)
        g_rows << CliText::tr("%1: starting").arg(tag);
    if (boardOnTerminal())
        redraw();
}

void endBoard()
{
    QMutexLocker lock(&g_lock);
    g_rows.clear();
    g_drawn = 0;
}

void speakFor(int row, const QString &tag)
{
    t_voice.localData() = {row, tag, {}, false};
}

void setTag(const QString &tag)
{
    t_voice.localData().tag = tag;
}

QString portTag()
{
    const QString &tag = t_voice.localData().tag;
    return tag.isEmpty() ? QString() : tag + QStringLiteral(": ");
}

QString takeFailures()
{
    QStringList &failures = t_voice.localData().failures;
    const QString text = failures.join(QStringLiteral("; "));
    failures.clear();
    return text;
}
