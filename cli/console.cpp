#include "cli/console.h"

#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

void writeOut(const QByteArray &data)
{
#ifdef Q_OS_WIN
    // Data as it is: "read > file" must give the same bytes as "read file", not CR LF lines.
    static const int binary = _setmode(_fileno(stdout), _O_BINARY);
    Q_UNUSED(binary)
#endif
    std::fwrite(data.constData(), 1, size_t(data.size()), stdout);
    std::fflush(stdout);
}

namespace {
bool g_progressOpen = false;
}

void note(const QString &text)
{
    std::fprintf(stderr, "%s%s\n", g_progressOpen ? "\n" : "", qPrintable(text));
    g_progressOpen = false;
}

void progressLine(const QString &text, bool last)
{
    std::fprintf(stderr, "\r%s%s", qPrintable(text), last ? "\n" : "");
    std::fflush(stderr);
    g_progressOpen = !last;
}

ExitStatus fail(ExitStatus status, const QString &text)
{
    note(QStringLiteral("velmor4_cli: ") + text);
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

QString hexAddress(quint32 address)
{
    return QStringLiteral("0x")
        + QString::number(address, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}
