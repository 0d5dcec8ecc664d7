#include "cli/jobs/job.h"

#include <QCryptographicHash>
#include <QFileInfo>

JobFile jobFile(const QString &role, const QString &fileName, const QByteArray &content)
{
    return {
        role, QFileInfo(fileName).absoluteFilePath(), content.size(),
        QString::fromLatin1(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex())};
}
