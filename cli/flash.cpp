// `flash`: the firmware image, chunk by chunk, and optionally read back.
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/transaction.h"
#include "firmware/chunks.h"
#include "firmware/image.h"
#include "link/protocol.h"

#include <QElapsedTimer>

namespace {

// On a terminal one line that keeps changing; in a log a line every 10 %.
class Progress
{
public:
    Progress(const QString &label, int total, bool quiet)
        : m_label(portTag() + label)
        , m_total(total)
        , m_quiet(quiet)
        , m_terminal(stderrIsTerminal())
    {
        m_clock.start();
    }

    void update(int done)
    {
        if (m_quiet)
            return;
        const int percent = int(qint64(done) * 100 / m_total);
        if (!m_terminal) {
            if (percent / 10 > m_tenths) {
                m_tenths = percent / 10;
                note(QStringLiteral("%1: %2% (%3 of %4 bytes)")
                         .arg(m_label)
                         .arg(percent)
                         .arg(done)
                         .arg(m_total));
            }
            return;
        }
        const double seconds = m_clock.nsecsElapsed() / 1e9;
        const double rate = seconds > 0 ? done / seconds : 0;
        const int left = rate > 0 ? qRound((m_total - done) / rate) : 0;
        progressLine(QStringLiteral("%1: %2%  %3/%4 bytes  %5 KiB/s  %6:%7 left ")
                         .arg(m_label)
                         .arg(percent, 3)
                         .arg(done)
                         .arg(m_total)
                         .arg(rate / 1024, 0, 'f', 1)
                         .arg(left / 60)
                         .arg(left % 60, 2, 10, QLatin1Char('0')),
                     done == m_total);
    }

private:
    QString m_label;
    int m_total;
    bool m_quiet;
    bool m_terminal;
    int m_tenths = 0;
    QElapsedTimer m_clock;
};

QString imageError(ImageError error, const QString &fileName)
{
    switch (error) {
    case ImageError::NotAFile:
        return QStringLiteral("%1 is not a regular file").arg(fileName);
    case ImageError::TooLarge:
        return QStringLiteral("%1 is larger than the firmware area (%2 bytes)")
            .arg(fileName)
            .arg(proto::kImageLimit);
    case ImageError::Empty:
        return QStringLiteral("%1 is empty").arg(fileName);
    default:
        return QStringLiteral("cannot read %1").arg(fileName);
    }
}

ExitStatus flash(const CliOptions &opt, const QByteArray &image, QString *done)
{
    Transaction tx(opt);
    if (const ExitStatus s = tx.open())
        return s;
    const QVector<Chunk> chunks = planChunks(quint32(image.size()));
    Progress upload(QStringLiteral("flash"), image.size(), opt.quiet);
    for (int i = 0; i < chunks.size(); ++i) {
        const Chunk &c = chunks.at(i);
        if (const ExitStatus s = tx.write(c.address, image.mid(int(c.offset), c.count))) {
            return fail(s,
                        QStringLiteral("stopped after %1 of %2 chunks: the firmware is "
                                       "incomplete and must be written again")
                            .arg(i)
                            .arg(chunks.size()));
        }
        upload.update(int(c.offset + c.count));
    }
    if (opt.verify) {
        Progress check(QStringLiteral("verify"), image.size(), opt.quiet);
        const auto progress = [&check](int done) { check.update(done); };
        if (const ExitStatus s = tx.verify(proto::kFirmwareBase, image, progress))
            return s;
    }
    *done = QStringLiteral("flashed %1 bytes in %2 chunks%3")
                .arg(image.size())
                .arg(chunks.size())
                .arg(opt.verify ? QStringLiteral(", verified") : QString());
    return ExitOk;
}

}  // namespace

ExitStatus flashJob(const CliOptions &, const QString &fileName, PortJob *job)
{
    QByteArray image;
    const ImageError error = readFirmwareImage(fileName, &image);
    if (error != ImageError::None)
        return fail(ExitUsage, imageError(error, fileName));
    *job = [image](const CliOptions &opt, QString *done) { return flash(opt, image, done); };
    return ExitOk;
}
