// The command-line tool's pure parts: fixture files, USB locations as each system reports
// them, one key for a port under any of its names, and the text rules of the terminal.
#include "cli/location.h"
#include "cli/screen.h"
#include "cli/slots.h"

#include <QtTest>

class TestSlots : public QObject
{
    Q_OBJECT

private slots:
    void fixtureFile_data();
    void fixtureFile();
    void fixtureNew();
    void locations_data();
    void locations();
    void portKeys();
    void screenText_data();
    void screenText();
};

// Each line parses to its slots, or the file is refused with the line that is wrong.
void TestSlots::fixtureFile_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");  // "name:identity ..." or the error
    QTest::newRow("all three identities, comments")
        << QByteArray("# bench 2\nA location=1-1.2:1.0  # left\n\n  B serial=A50285BI\nC "
                      "port=ttyUSB9\n")
        << "A:location=1-1.2:1.0 B:serial=A50285BI C:port=ttyUSB9";
    // A Windows location path holds "#" itself.
    QTest::newRow("windows location")
        << QByteArray("S1 location=PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2) # hub port 2\r\n")
        << "S1:location=PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(2)";
    QTest::newRow("name twice") << QByteArray("A port=ttyS0\nA port=ttyS1\n")
                                << "line 2: the slot name A is used twice";
    QTest::newRow("one adapter for two slots")
        << QByteArray("A serial=X1\nB serial=X1\n") << "line 2: serial=X1 names the adapter";
#ifdef Q_OS_WIN
    QTest::newRow("the same port under another name")
        << QByteArray("A port=COM3\nB port=\\\\.\\com3\n") << "line 2: port=\\\\.\\com3";
#else
    QTest::newRow("the same port under another name")
        << QByteArray("A port=ttyS0\nB port=/dev/ttyS0\n") << "line 2: port=/dev/ttyS0";
#endif
    QTest::newRow("unknown key") << QByteArray("A usb=3\n") << "line 1: want NAME";
    QTest::newRow("no value") << QByteArray("A location=\n") << "line 1: want NAME";
    QTest::newRow("empty") << QByteArray("# nothing\n") << "no slot in it";
}

void TestSlots::fixtureFile()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    QVector<Slot> parsed;
    QString error;
    if (!parseFixture(text, &parsed, &error)) {
        QVERIFY2(error.startsWith(expected), qPrintable(error));
        return;
    }
    QStringList seen;
    for (const Slot &s : parsed)
        seen << s.name + QLatin1Char(':') + identityText(s);
    QCOMPARE(seen.join(QLatin1Char(' ')), expected);
}

// One slot per location, in the order of the hub's ports, and the file reads back as written.
void TestSlots::fixtureNew()
{
    const auto port = [](const char *name, const char *location) {
        SystemPort p;
        p.name = QLatin1String(name);
        p.location = QLatin1String(location);
        return p;
    };
    const QByteArray text = fixtureText({port("ttyUSB2", "1-1.10:1.0"), port("ttyS0", ""),
                                         port("ttyUSB0", "1-1.9:1.0"), port("ttyUSB1", "1-1.9:1.1"),
                                         port("ttyACM0", "2-1:1.0")});
    QVector<Slot> parsed;
    QString error;
    QVERIFY2(parseFixture(text, &parsed, &error), qPrintable(error));
    QStringList order;
    for (const Slot &s : parsed)
        order << s.name + QLatin1Char('=') + s.value;
    QCOMPARE(
        order,
        QStringList({"slot1=1-1.9:1.0", "slot2=1-1.9:1.1", "slot3=1-1.10:1.0", "slot4=2-1:1.0"}));
}

// Recorded from real systems: where sysfs and SetupAPI say an adapter is plugged in.
void TestSlots::locations_data()
{
    QTest::addColumn<QString>("system");  // "linux" or "windows"
    QTest::addColumn<QStringList>("input");
    QTest::addColumn<QString>("location");
    const QString usb = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1.2/";
    QTest::newRow("FTDI, usb-serial")
        << "linux" << QStringList{usb + "1-1.2:1.0/ttyUSB0", "0"} << "1-1.2:1.0";
    QTest::newRow("CDC ACM, the interface itself")
        << "linux" << QStringList{usb + "1-1.2:1.2", ""} << "1-1.2:1.2";
    QTest::newRow("behind a hub, second port of four")
        << "linux"
        << QStringList{"/sys/devices/pci0000:00/0000:00:14.0/usb3/3-2/3-2:1.0/3-2.4/3-2.4.1/"
                       "3-2.4.1:1.0/ttyUSB5",
                       "1"}
        << "3-2.4.1:1.0-port1";
    QTest::newRow("a board's own port")
        << "linux" << QStringList{"/sys/devices/platform/serial8250/tty/ttyS0", "0"} << "";
    QTest::newRow("CH340, its own location path")
        << "windows"
        << QStringList{"ACPI(_SB_)#ACPI(PCI0)#ACPI(XHC_)#ACPI(RHUB)#ACPI(HS03)",
                       "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)", "Port_#0003.Hub_#0001"}
        << "PCIROOT(0)#PCI(1400)#USBROOT(0)#USB(3)";
    QTest::newRow("only the location information")
        << "windows" << QStringList{"Port_#0002.Hub_#0004"} << "Port_#0002.Hub_#0004";
}

void TestSlots::locations()
{
    QFETCH(QString, system);
    QFETCH(QStringList, input);
    QFETCH(QString, location);
    if (system == "linux") {
        QCOMPARE(usbLocationFromSysfs(input.at(0), input.at(1).toInt()), location);
        return;
    }
    // As the registry hands it over: NUL-separated UTF-16, an empty string at the end.
    const QStringList paths = input.mid(0, input.size() - 1);
    QVector<ushort> multi;
    for (const QString &p : paths) {
        for (const QChar c : p)
            multi << c.unicode();
        multi << 0;
    }
    multi << 0 << 0xFFFF;  // whatever follows the end is not read
    QCOMPARE(multiString(multi.constData(), multi.size()), paths);
    QCOMPARE(locationFromWindows(paths, input.last()), location);
}

// The same port however it is written; different ports stay apart.
void TestSlots::portKeys()
{
    QTemporaryDir dir;
    const QString node = dir.filePath("ttyV0");
    QFile(node).open(QIODevice::WriteOnly);
    QVERIFY(QFile::link(node, dir.filePath("by-path-link")));
#ifdef Q_OS_WIN
    QCOMPARE(portKey("\\\\.\\com7"), portKey("COM7"));
    QVERIFY(portKey("COM7") != portKey("COM17"));
#else
    QCOMPARE(portKey("ttyS0"), portKey("/dev/ttyS0"));
    QCOMPARE(portKey("pts/0"), portKey("/dev/pts/0"));
    QCOMPARE(portKey(dir.filePath("by-path-link")), portKey(node));
    QVERIFY(portKey("ttyS0") != portKey("ttyS1"));
#endif
}

// What reaches the terminal: never wider than asked, nothing raw from outside, nothing lost.
void TestSlots::screenText_data()
{
    QTest::addColumn<QString>("rule");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("shown");
    QTest::newRow("fits") << "fit"
                          << "slot1: waiting" << 20 << "slot1: waiting";
    QTest::newRow("cut") << "fit"
                         << "slot1: programming 40 %" << 12 << "slot1: prog…";
    QTest::newRow("escape sequence from a USB descriptor")
        << "fit"
        << "FT232R \x1b[2J\x07USB" << 40 << "FT232R \\x1b[2J\\x07USB";
    QTest::newRow("lines joined") << "fit"
                                  << "no reply\nPort: COM3\r\n"
                                  << 40 << "no reply; Port: COM3";
    QTest::newRow("cut after escaping") << "fit"
                                        << "\x1b\x1b\x1b" << 6 << "\\x1b\\…";
    QTest::newRow("wrapped at words") << "wrap"
                                      << "the firmware is incomplete and must be written" << 20
                                      << "    the firmware is|    incomplete and|"
                                         "    must be written";
    QTest::newRow("long word cut")
        << "wrap"
        << "/dev/serial/by-path/pci-0000" << 14 << "    /dev/seria|    l/by-path/|    pci-0000";
}

void TestSlots::screenText()
{
    QFETCH(QString, rule);
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(QString, shown);
    const QStringList lines
        = rule == "fit" ? QStringList{fitLine(text, width)} : wrapText(text, width, 4);
    QCOMPARE(lines.join('|'), shown);
    for (const QString &line : lines)
        QVERIFY(line.toUcs4().size() <= width);
}

QTEST_GUILESS_MAIN(TestSlots)
#include "tst_slots.moc"
