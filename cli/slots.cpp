#include "cli/slots.h"

#include "cli/console.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

namespace {

const char *const kKeys[] = {"port", "location", "serial"};  // in Slot::Identity's order

// "1-1.10" after "1-1.9": the numbers in a location compared as numbers.
bool locationLess(const QString &a, const QString &b)
{
    static const QRegularExpression parts(QStringLiteral("\\d+|\\D+"));
    auto i = parts.globalMatch(a), j = parts.globalMatch(b);
    while (i.hasNext() && j.hasNext()) {
        const QString x = i.next().captured(), y = j.next().captured();
        bool xn = false, yn = false;
        const qulonglong xv = x.toULongLong(&xn), yv = y.toULongLong(&yn);
        if (xn && yn && xv != yv)
            return xv < yv;
        if (!(xn && yn) && x != y)
            return x < y;
    }
    return !i.hasNext() && j.hasNext();
}

}  // namespace

QString identityText(const Slot &slot)
{
    return QLatin1String(kKeys[slot.by]) + QLatin1Char('=') + slot.value;
}

bool parseFixture(const QByteArray &text, QVector<Slot> *slotList, QString *error)
{
    static const QRegularExpression line(
        QStringLiteral("^(\\S+)\\s+(port|location|serial)=(\\S+)$"));
    QVector<Slot> out;
    QSet<QString> names, identities;
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        // A comment starts at a "#" after a space: Windows location paths hold "#" themselves.
        const QString content = QString::fromUtf8(lines.at(i))
                                    .remove(QRegularExpression(QStringLiteral("(^|\\s)#.*$")))
                                    .trimmed();
        if (content.isEmpty())
            continue;
        const QRegularExpressionMatch m = line.match(content);
        const auto bad = [&](const QString &why) {
            *error = CliText::tr("line %1: %2").arg(i + 1).arg(why);
            return false;
        };
        if (!m.hasMatch()) {
            return bad(CliText::tr("want NAME location=VALUE, NAME serial=VALUE or NAME "
                                   "port=VALUE, not \"%1\"")
                           .arg(content));
        }
        Slot slot;
        slot.name = m.captured(1);
        for (int k = 0; k < 3; ++k) {
            if (m.captured(2) == QLatin1String(kKeys[k]))
                slot.by = Slot::Identity(k);
        }
        slot.value = m.captured(3);
        const QString identity = slot.by == Slot::ByName
            ? QStringLiteral("port=") + portKey(slot.value)
            : identityText(slot);
        if (names.contains(slot.name))
            return bad(CliText::tr("the slot name %1 is used twice").arg(slot.name));
        if (identities.contains(identity))
            return bad(CliText::tr("%1 names the adapter of another slot").arg(identityText(slot)));
        names << slot.name;
        identities << identity;
        out << slot;
    }
    if (out.isEmpty()) {
        *error = CliText::tr("no slot in it");
        return false;
    }
    *slotList = out;
    return true;
}

QByteArray fixtureText(const QVector<SystemPort> &ports)
{
    QVector<SystemPort> located;
    for (const SystemPort &p : ports) {
        if (!p.location.isEmpty())
            located << p;
    }
    std::sort(located.begin(), located.end(), [](const SystemPort &a, const SystemPort &b) {
        return locationLess(a.location, b.location);
    });
    QByteArray out
        = "# velmor4_cli fixture: one slot a line, NAME location=VALUE, NAME serial=VALUE\n"
          "# or NAME port=VALUE. Made from the adapters plugged in when it was written;\n"
          "# rename the slots as the fixture labels them.\n";
    for (int i = 0; i < located.size(); ++i) {
        const SystemPort &p = located.at(i);
        out += QStringLiteral("slot%1 location=%2  # now %3%4\n")
                   .arg(i + 1)
                   .arg(p.location, p.name,
                        p.serial.isEmpty() ? QString() : QStringLiteral(", serial ") + p.serial)
                   .toUtf8();
    }
    return out;
}

QString portKey(const QString &name)
{
#ifdef Q_OS_WIN
    QString key = name.toUpper();
    if (key.startsWith(QLatin1String("\\\\.\\")))
        key = key.mid(4);
    return key;
#else
    // As Qt opens it: a name without a leading slash lives in /dev.
    const QString path = name.startsWith(QLatin1Char('/')) || name.startsWith(QLatin1String("./"))
            || name.startsWith(QLatin1String("../"))
        ? name
        : QStringLiteral("/dev/") + name;
    const QString real = QFileInfo(path).canonicalFilePath();
    return real.isEmpty() ? QFileInfo(path).absoluteFilePath() : real;
#endif
}

QVector<SystemPort> matchSlot(const Slot &slot, const QVector<SystemPort> &ports)
{
    QVector<SystemPort> out;
    if (slot.by == Slot::ByName) {
        // A port named on the command line need not be listed (a pseudo-terminal is not).
        const QString key = portKey(slot.value);
        for (const SystemPort &p : ports) {
            if (portKey(p.path) == key || portKey(p.name) == key)
                return {p};
        }
#ifndef Q_OS_WIN
        if (!QFileInfo::exists(key))
            return {};
#endif
        SystemPort p;
        p.name = p.path = slot.value;
        return {p};
    }
    for (const SystemPort &p : ports) {
        if ((slot.by == Slot::ByLocation ? p.location : p.serial) == slot.value)
            out << p;
    }
    return out;
}
