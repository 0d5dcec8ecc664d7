#include "params/settingsfile.h"

#include "link/protocol.h"
#include "params/fields.h"

#include <QCoreApplication>
#include <QHash>
#include <QList>

namespace {

struct Texts
{
    Q_DECLARE_TR_FUNCTIONS(SettingsFile)
};

const char kSystem[] = "system";
const char kHardware[] = "hardware";
const char kReservedKey[] = "reserved";

QString qualified(const char *section, const char *key)
{
    return QLatin1String(section) + QLatin1Char('.') + QLatin1String(key);
}

void appendFields(QByteArray &out, const QVector<ParamField> &fields, const QByteArray &block)
{
    for (const ParamField &f : fields)
        out += QByteArray(f.key) + " = " + fieldText(f, block).toLatin1() + '\n';
}

}  // namespace

QByteArray settingsFileText(const QByteArray &sysBlock, const QByteArray &hardwBlock)
{
    QByteArray out = "# Velmor4 util settings\nformat = " + QByteArray::number(kSettingsFormat)
        + "\n\n[" + kSystem + "]\n";
    appendFields(out, sysParFields(), sysBlock);
    out += QByteArray(kReservedKey) + " = "
        + QByteArray::number(quint8(sysBlock.at(kSysReservedOffset))) + "\n\n[" + kHardware + "]\n";
    appendFields(out, hardwParFields(), hardwBlock);
    return out;
}

bool parseSettingsFile(const QByteArray &text, QByteArray *sysBlock, QByteArray *hardwBlock,
                       SettingsFileError *error)
{
    // Text conversion would stop at a NUL and take "2<NUL>00" as 2: a damaged file, not a value.
    if (text.contains('\0')) {
        error->kind = SettingsFileError::NulByte;
        return false;
    }
    struct Entry
    {
        QString value;
        int line;
    };
    QHash<QString, Entry> values;
    QString section;
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed();
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        const QString key = (section.isEmpty() ? QString() : section + QLatin1Char('.'))
            + line.left(eq).trimmed();
        if (eq <= 0) {
            *error = {SettingsFileError::BadLine, i + 1, QString()};
            return false;
        }
        if (values.contains(key)) {
            *error = {SettingsFileError::DuplicateKey, i + 1, key};
            error->firstLine = values.value(key).line;
            return false;
        }
        values.insert(key, {line.mid(eq + 1).trimmed(), i + 1});
    }

    if (values.value(QStringLiteral("format")).value != QString::number(kSettingsFormat)) {
        error->kind = SettingsFileError::UnknownFormat;
        return false;
    }
    values.remove(QStringLiteral("format"));

    QByteArray sys(proto::kSysParSize, '\0');
    QByteArray hardw(proto::kHardwParSize, '\0');
    const auto take = [&](const QString &key, const ParamField &f, QByteArray &block) {
        quint16 shown = 0;
        const auto it = values.constFind(key);
        if (it == values.constEnd() || !parseField(f, it->value, &shown)) {
            const bool missing = it == values.constEnd();
            *error = {missing ? SettingsFileError::MissingKey : SettingsFileError::BadValue,
                      missing ? 0 : it->line, key, f.min, f.max};
            return false;
        }
        storeField(f, shown, block);
        values.remove(key);
        return true;
    };
    for (const ParamField &f : sysParFields())
        if (!take(qualified(kSystem, f.key), f, sys))
            return false;
    const ParamField reserved{kReservedKey, nullptr, 0, 0, kSysReservedOffset, 1, 0, 255, 0, 0};
    if (!take(qualified(kSystem, kReservedKey), reserved, sys))
        return false;
    for (const ParamField &f : hardwParFields())
        if (!take(qualified(kHardware, f.key), f, hardw))
            return false;
    if (!values.isEmpty()) {
        const QString key = values.keys().constFirst();
        *error = {SettingsFileError::UnknownKey, values.value(key).line, key};
        return false;
    }

    *sysBlock = sys;
    *hardwBlock = hardw;
    return true;
}

QString settingsFileErrorText(const SettingsFileError &e)
{
    const QString range = Texts::tr("a whole number from %1 to %2").arg(e.min).arg(e.max);
    switch (e.kind) {
    case SettingsFileError::None:
    case SettingsFileError::NulByte:
        return Texts::tr("it holds a NUL byte");
    case SettingsFileError::BadLine:
        return Texts::tr("line %1 is not \"key = value\"").arg(e.line);
    case SettingsFileError::DuplicateKey:
        return Texts::tr("line %1: %2 is given a second time (first on line %3)")
            .arg(e.line)
            .arg(e.key)
            .arg(e.firstLine);
    case SettingsFileError::UnknownFormat:
        return Texts::tr("unknown format version");
    case SettingsFileError::BadValue:
        return Texts::tr("line %1: %2 must be %3").arg(e.line).arg(e.key, range);
    case SettingsFileError::MissingKey:
        return Texts::tr("%1 is missing (%2)").arg(e.key, range);
    case SettingsFileError::TooLarge:
        return Texts::tr("the file is too large");
    case SettingsFileError::UnknownKey:
        break;
    }
    return Texts::tr("line %1: unknown key %2").arg(e.line).arg(e.key);
}
