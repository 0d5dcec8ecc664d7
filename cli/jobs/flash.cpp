// `flash`: the firmware image, chunk by chunk, and optionally read back.
#include "cli/jobs/flash.h"

#include "cli/console.h"
#include "cli/progress.h"
#include "cli/transaction.h"
#include "firmware/chunks.h"
#include "firmware/image.h"
#include "link/protocol.h"
#include "translations/texts.h"

#include <QFileInfo>

ExitStatus loadImage(const QString &fileName, QByteArray *image)
{
    // The window's words for the fault, and the system's reason where there is one:
    // "fw.bin: error opening the file (No such file or directory)".
    QString why;
    const ImageError error = readFirmwareImage(fileName, image, &why);
    if (error == ImageError::None)
        return ExitOk;
    if (error == ImageError::NotAFile)
        why = CliText::tr("not a regular file");
    const QString what = asClause(imageErrorText(error, QFileInfo(fileName).size()));
    return fail(ExitUsage,
                why.isEmpty() ? CliText::tr("%1: %2").arg(fileName, what)
                              : CliText::tr("%1: %2 (%3)").arg(fileName, what, why));
}

qint64 flashLineBytes(int imageSize, bool verify)
{
    qint64 bytes = 0;
    for (const Chunk &c : planChunks(quint32(imageSize)))
        bytes += writeLineBytes(c.count) + (verify ? readLineBytes(c.count) : 0);
    return bytes;
}

ExitStatus flashImage(Transaction &tx, const QByteArray &image, bool verify, JobRecord *rec)
{
    const QVector<Chunk> chunks = planChunks(quint32(image.size()));
    rec->chunksTotal = chunks.size();
    for (int i = 0; i < chunks.size(); ++i) {
        const Chunk &c = chunks.at(i);
        tx.setStep(CliText::tr("chunk %1 of %2").arg(i + 1).arg(chunks.size()), phase::kFirmware,
                   i + 1, chunks.size());
        if (const ExitStatus s = tx.write(c.address, image.mid(int(c.offset), c.count))) {
            return fail(s,
                        CliText::tr("stopped after %1 of %2 chunks: the firmware is "
                                    "incomplete and must be written again")
                            .arg(i)
                            .arg(chunks.size()));
        }
        rec->chunksWritten = i + 1;
    }
    if (verify) {
        const auto step = [&tx, &chunks](int done) {
            const int n = qMin(done / proto::kChunkSize + 1, chunks.size());
            tx.setStep(CliText::tr("verify %1 of %2").arg(n).arg(chunks.size()),
                       phase::kFirmwareVerify, n, chunks.size());
        };
        step(0);
        if (const ExitStatus s = tx.verify(proto::kFirmwareBase, image, step))
            return s;
        rec->firmwareVerified = true;
    }
    rec->done << (verify ? CliText::tr("flashed %1 bytes in %2 chunks, verified")
                         : CliText::tr("flashed %1 bytes in %2 chunks"))
                     .arg(image.size())
                     .arg(chunks.size());
    return ExitOk;
}

ExitStatus flashJob(const CliOptions &opt, const QString &fileName, Job *job)
{
    QByteArray image;
    if (const ExitStatus s = loadImage(fileName, &image))
        return s;
    job->verb = CliText::tr("flashing");
    job->lineBytes = flashLineBytes(image.size(), opt.verify);
    job->files << jobFile(QStringLiteral("firmware"), fileName, image);
    job->firmware = true;
    job->verify = opt.verify;
    job->run = [image, verify = opt.verify](const Target &, Transaction &tx, JobRecord *rec) {
        return flashImage(tx, image, verify, rec);
    };
    return ExitOk;
}
