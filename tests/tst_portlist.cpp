// The port chooser's scan rules and the remembered port, with a fake list of system ports.
#include "app/mainwindow.h"
#include "app/portlist.h"
#include "tests/support/harness.h"

#include <QComboBox>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {
QStringList g_ports;

QStringList items(QComboBox *combo)
{
    QStringList out;
    for (int i = 0; i < combo->count(); ++i)
        out << combo->itemText(i);
    return out;
}

void writeIni(const QByteArray &content)
{
    QFile f(WindowHarness::iniPath());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}
}  // namespace

class TestPortList : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void scanRules_data();
    void scanRules();
    void rememberedPortIsSelectedAtStart();
    void absentRememberedPortKeepsIniValue();
    void damagedIniReadsAsNoPort_data();
    void damagedIniReadsAsNoPort();
    void rebuildSelectsAndRemembersFirstPort();
    void emptiedChooserKeepsPortNameAndSavesEmpty();
    void extraPathsFollowSystemPorts();
    void firstTickComesAfterConstruction();
    void enumeratesOnlyWhenDevicesChange();

private:
    QComboBox *combo(MainWindow &w)
    {
        return w.findChild<QComboBox *>(QStringLiteral("commPortCombo"));
    }
};

void TestPortList::initTestCase()
{
    PortList::setSystemSource([] { return g_ports; });
}

void TestPortList::init()
{
    QFile::remove(WindowHarness::iniPath());
    PortList::setExtraPorts({});
}

void TestPortList::cleanup()
{
    QFile::remove(WindowHarness::iniPath());
}

void TestPortList::scanRules_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<int>("currentAfter");

    QTest::newRow("first fill selects the first")
        << QStringList{} << -1 << QStringList{"A", "B"} << "" << QStringList{"A", "B"} << 0;
    QTest::newRow("first fill finds the name")
        << QStringList{} << -1 << QStringList{"A", "B"} << "B" << QStringList{"A", "B"} << 1;
    QTest::newRow("same names keep the selection")
        << QStringList{"A", "B"} << 1 << QStringList{"A", "B"} << "" << QStringList{"A", "B"} << 1;
    QTest::newRow("renamed port rebuilds")
        << QStringList{"A", "B"} << 1 << QStringList{"A", "C"} << "" << QStringList{"A", "C"} << 0;
    QTest::newRow("count change rebuilds")
        << QStringList{"A", "B"} << 1 << QStringList{"A", "B", "C"} << "Z"
        << QStringList{"A", "B", "C"} << 0;
    QTest::newRow("case matters") << QStringList{} << -1 << QStringList{"ttyusb0", "ttyUSB0"}
                                  << "ttyUSB0" << QStringList{"ttyusb0", "ttyUSB0"} << 1;
    QTest::newRow("first match wins") << QStringList{} << -1 << QStringList{"A", "B", "B"} << "B"
                                      << QStringList{"A", "B", "B"} << 1;
    QTest::newRow("all gone") << QStringList{"A"} << 0 << QStringList{} << "A" << QStringList{}
                              << -1;
}

void TestPortList::scanRules()
{
    QFETCH(QStringList, before);
    QFETCH(int, current);
    QFETCH(QStringList, ports);
    QFETCH(QString, portName);
    QFETCH(QStringList, after);
    QFETCH(int, currentAfter);
    QComboBox combo;
    combo.addItems(before);
    combo.setCurrentIndex(current);
    const bool rebuilt = applyPortList(&combo, ports, portName);
    QCOMPARE(rebuilt, before != ports);
    QCOMPARE(items(&combo), after);
    QCOMPARE(combo.currentIndex(), currentAfter);
}

void TestPortList::rememberedPortIsSelectedAtStart()
{
    writeIni("[General]\nCOM=ttyUSB1\n");
    g_ports = QStringList{"ttyS0", "ttyUSB1"};
    MainWindow w;
    QCOMPARE(combo(w)->currentText(), QStringLiteral("ttyUSB1"));
    QCOMPARE(w.portName(), QStringLiteral("ttyUSB1"));
}

void TestPortList::absentRememberedPortKeepsIniValue()
{
    writeIni("[General]\nCOM=ttyUSB7\n");
    g_ports = QStringList{"ttyS0", "ttyUSB1"};
    {
        MainWindow w;
        QCOMPARE(combo(w)->currentText(), QStringLiteral("ttyS0"));
        QCOMPARE(w.portName(), QStringLiteral("ttyUSB7"));
        QTest::qWait(600);  // ticks with an unchanged count leave everything alone
        QCOMPARE(w.portName(), QStringLiteral("ttyUSB7"));
    }
    // At exit the chooser's current text is what is remembered.
    QSettings ini(WindowHarness::iniPath(), QSettings::IniFormat);
    QCOMPARE(ini.value(QStringLiteral("COM")).toString(), QStringLiteral("ttyS0"));
}

void TestPortList::damagedIniReadsAsNoPort_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe[[[=\x01\n", 10);
    QTest::newRow("list value") << QByteArray("COM=a, b\n");
    QTest::newRow("no key") << QByteArray("[General]\nPORT=ttyS0\n");
}

void TestPortList::damagedIniReadsAsNoPort()
{
    QFETCH(QByteArray, content);
    writeIni(content);
    g_ports = QStringList{"ttyS0", "ttyUSB1"};
    MainWindow w;
    QVERIFY(w.portName().isEmpty());
    QCOMPARE(combo(w)->currentIndex(), 0);
}

void TestPortList::rebuildSelectsAndRemembersFirstPort()
{
    g_ports = QStringList{"ttyS0", "ttyS1", "ttyUSB0"};
    MainWindow w;
    combo(w)->setCurrentIndex(2);
    QCOMPARE(w.portName(), QStringLiteral("ttyUSB0"));
    g_ports << "ttyUSB1";
    QTRY_COMPARE(combo(w)->count(), 4);
    QCOMPARE(combo(w)->currentIndex(), 0);
    QCOMPARE(w.portName(), QStringLiteral("ttyS0"));
}

void TestPortList::emptiedChooserKeepsPortNameAndSavesEmpty()
{
    writeIni("[General]\nCOM=ttyUSB0\n");
    g_ports = QStringList{"ttyUSB0"};
    {
        MainWindow w;
        g_ports.clear();
        QTRY_COMPARE(combo(w)->count(), 0);
        QCOMPARE(w.portName(), QStringLiteral("ttyUSB0"));
        // A port plugged in later becomes current and remembered.
        g_ports = QStringList{"ttyACM0"};
        QTRY_COMPARE(combo(w)->count(), 1);
        QCOMPARE(w.portName(), QStringLiteral("ttyACM0"));
        g_ports.clear();
        QTRY_COMPARE(combo(w)->count(), 0);
    }
    QSettings ini(WindowHarness::iniPath(), QSettings::IniFormat);
    QVERIFY(ini.contains(QStringLiteral("COM")));
    QCOMPARE(ini.value(QStringLiteral("COM")).toString(), QString());
}

void TestPortList::extraPathsFollowSystemPorts()
{
    g_ports = QStringList{"ttyS0"};
    PortList::setExtraPorts({"/dev/pts/7"});
    writeIni("[General]\nCOM=/dev/pts/7\n");
    MainWindow w;
    QCOMPARE(items(combo(w)), (QStringList{"ttyS0", "/dev/pts/7"}));
    QCOMPARE(combo(w)->currentIndex(), 1);
    PortList::setExtraPorts({});
}

void TestPortList::firstTickComesAfterConstruction()
{
    // A list that changes on every call: the constructor's scan is the only one until the
    // timer's first tick, 500 ms after construction.
    static int calls = 0;
    calls = 0;
    PortList::setSystemSource([] {
        ++calls;
        return QVector<QString>(calls, QStringLiteral("p")).toList();
    });
    MainWindow w;
    QCOMPARE(calls, 1);
    QTest::qWait(350);
    QCOMPARE(calls, 1);
    QTRY_COMPARE_WITH_TIMEOUT(calls, 2, 1000);
    PortList::setSystemSource([] { return g_ports; });
}

void TestPortList::enumeratesOnlyWhenDevicesChange()
{
    QTemporaryDir dev;
    int calls = 0;
    PortList list(
        [&calls] {
            ++calls;
            return QStringList{QStringLiteral("ttyUSB0")};
        },
        dev.path());
    const QStringList expected{"ttyUSB0", "/dev/pts/9"};
    PortList::setSystemSource({});
    PortList::setExtraPorts({"/dev/pts/9"});
    QCOMPARE(list.ports(), expected);
    QCOMPARE(list.ports(), expected);  // nothing changed: the last list, no enumeration
    QCOMPARE(calls, 1);

    QTest::qWait(20);  // a new node gets a later modification time than the directory had
    QFile node(dev.filePath(QStringLiteral("ttyUSB1")));
    QVERIFY(node.open(QIODevice::WriteOnly));
    QCOMPARE(list.ports(), expected);
    QCOMPARE(calls, 2);
    list.ports();  // and for a while after, while the port may still be registering
    QCOMPARE(calls, 3);

    PortList noDir(
        [&calls] {
            ++calls;
            return QStringList();
        },
        dev.filePath(QStringLiteral("none")));
    noDir.ports();
    noDir.ports();
    QCOMPARE(calls, 5);
    PortList::setExtraPorts({});
    PortList::setSystemSource([] { return g_ports; });
}

QTEST_MAIN(TestPortList)
#include "tst_portlist.moc"
