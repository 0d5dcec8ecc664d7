// The port chooser's scan rules and the remembered port, with a fake list of system ports: where
// the port is remembered, and that it survives from one window to the next.
#include "app/mainwindow.h"
#include "app/portlist.h"
#include "tests/support/harness.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
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
}  // namespace

class TestPortList : public QObject
{
    Q_OBJECT
private slots:
    void scanRules_data();
    void scanRules();
    void chooserFollowsThePorts();
    void firstTickComesAfterConstruction();
    void enumeratesOnlyWhenDevicesChange();
    void portIsRememberedWhereTheFolderAllows_data();
    void portIsRememberedWhereTheFolderAllows();
    void failedSaveIsReported();
};

void TestPortList::scanRules_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<int>("current");
    QTest::addColumn<QStringList>("ports");
    QTest::addColumn<QString>("portName");
    QTest::addColumn<int>("currentAfter");
    const auto row
        = [](const char *name, QStringList before, int current, QStringList ports, QString portName,
             int after) { QTest::newRow(name) << before << current << ports << portName << after; };
    row("first fill selects the first", {}, -1, {"A", "B"}, "", 0);
    row("first fill finds the name", {}, -1, {"A", "B"}, "B", 1);
    row("same names keep the selection", {"A", "B"}, 1, {"A", "B"}, "", 1);
    row("renamed port rebuilds", {"A", "B"}, 1, {"A", "C"}, "", 0);
    row("new port rebuilds", {"A", "B"}, 1, {"A", "B", "C"}, "Z", 0);
    row("case matters", {}, -1, {"ttyusb0", "ttyUSB0"}, "ttyUSB0", 1);
    row("first match wins", {}, -1, {"A", "B", "B"}, "B", 1);
    row("all gone", {"A"}, 0, {}, "A", -1);
}

void TestPortList::scanRules()
{
    QFETCH(QStringList, before);
    QFETCH(int, current);
    QFETCH(QStringList, ports);
    QFETCH(QString, portName);
    QFETCH(int, currentAfter);
    QComboBox combo;
    combo.addItems(before);
    combo.setCurrentIndex(current);
    QCOMPARE(applyPortList(&combo, ports, portName), before != ports);
    QCOMPARE(items(&combo), ports);
    QCOMPARE(combo.currentIndex(), currentAfter);
}

void TestPortList::chooserFollowsThePorts()
{
    {
        QSettings ini(WindowHarness::iniPath(), QSettings::IniFormat);
        ini.setValue(QStringLiteral("COM"), QStringLiteral("ttyUSB7"));
    }
    g_ports = QStringList{"ttyS0", "ttyUSB1"};
    PortList::setSystemSource([] { return g_ports; });
    {
        MainWindow w;
        auto *combo = w.findChild<QComboBox *>(QStringLiteral("commPortCombo"));
        // The remembered port is absent: the first is shown, the remembered name kept.
        QCOMPARE(combo->currentText(), QStringLiteral("ttyS0"));
        QCOMPARE(w.portName(), QStringLiteral("ttyUSB7"));
        combo->setCurrentIndex(1);
        // An adapter back under a new name: rebuilt, and the first port taken.
        g_ports = QStringList{"ttyS0", "ttyUSB2"};
        QTRY_COMPARE(items(combo), g_ports);
        QCOMPARE(w.portName(), QStringLiteral("ttyS0"));
        g_ports.clear();
        QTRY_COMPARE(combo->count(), 0);
        QCOMPARE(w.portName(), QStringLiteral("ttyS0"));
    }
    QSettings ini(WindowHarness::iniPath(), QSettings::IniFormat);
    QVERIFY(ini.contains(QStringLiteral("COM")));
    QCOMPARE(ini.value(QStringLiteral("COM")).toString(), QString());
    QFile::remove(WindowHarness::iniPath());
}

void TestPortList::firstTickComesAfterConstruction()
{
    // A list that changes on every call: the constructor's scan is the only one until the
    // timer's first tick, 500 ms after construction.
    static int calls = 0;
    calls = 0;
    PortList::setSystemSource([] { return QVector<QString>(++calls, "p").toList(); });
    MainWindow w;
    QCOMPARE(calls, 1);
    QTest::qWait(350);
    QCOMPARE(calls, 1);
    QTRY_COMPARE_WITH_TIMEOUT(calls, 2, 1000);
}

void TestPortList::enumeratesOnlyWhenDevicesChange()
{
    QTemporaryDir dev;
    int calls = 0;
    const auto count = [&calls] { return ++calls, QStringList{"ttyUSB0"}; };
    PortList::setSystemSource({});
    PortList list(count, dev.path());
    list.ports();
    list.ports();  // nothing changed: the last list, no enumeration
    QCOMPARE(calls, 1);
    QTest::qWait(20);  // a new node gets a later modification time than the directory had
    QVERIFY(QFile(dev.filePath(QStringLiteral("ttyUSB1"))).open(QIODevice::WriteOnly));
    QCOMPARE(list.ports(), QStringList{"ttyUSB0"});
    list.ports();  // and for a while after, while the port may still be registering
    QCOMPARE(calls, 3);
    PortList noDir(count, dev.filePath(QStringLiteral("none")));
    noDir.ports();
    noDir.ports();
    QCOMPARE(calls, 5);
}

void TestPortList::portIsRememberedWhereTheFolderAllows_data()
{
    QTest::addColumn<QString>("appDir");
    QTest::addColumn<bool>("beside");
    QTest::newRow("portable copy") << "bin" << true;
    QTest::newRow("folder below a file") << "file/bin" << false;  // takes no file, even for root
    QTest::newRow("installed copy") << "usr/bin" << false;
}

void TestPortList::portIsRememberedWhereTheFolderAllows()
{
    QFETCH(QString, appDir);
    QFETCH(bool, beside);
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir tmp;
    const QDir root(tmp.path());
    QVERIFY(root.mkpath("bin") && root.mkpath("usr/bin") && root.mkpath("usr/share/applications"));
    for (const char *file : {"file", "usr/share/applications/org.velmor4.Util.desktop"})
        QVERIFY(QFile(root.filePath(file)).open(QIODevice::WriteOnly));
    const QString perUser
        = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/velmor4_util.ini";
    QFile::remove(perUser);
    PortList::setApplicationDir(root.filePath(appDir));
    PortList::setSystemSource([] { return QStringList{"ttyS0", "ttyUSB0"}; });
    PortList::setExtraPorts({"/dev/pts/7"});

    for (const QString expected : {"/dev/pts/7", "ttyUSB0"}) {
        MainWindow w;
        auto *combo = w.findChild<QComboBox *>("commPortCombo");
        QCOMPARE(combo->currentText(), expected);  // without a remembered port, the --port path
        QCOMPARE(w.findChild<QLineEdit *>("uLineShortEdit")->toolTip(), QStringLiteral("1…1023"));
        combo->setCurrentIndex(1);
    }
    QCOMPARE(QFile::exists(root.filePath(appDir + "/velmor4_util.ini")), beside);
    QCOMPARE(QFile::exists(perUser), !beside);
    QFile::remove(perUser);
}

void TestPortList::failedSaveIsReported()
{
    QTemporaryDir tmp;
    const QString file = tmp.filePath("file");
    QVERIFY(QFile(file).open(QIODevice::WriteOnly));
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", file.toUtf8());  // no per-user folder can be made below a file either
    PortList::setApplicationDir(file + "/bin");
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot save .*velmor4_util.ini;"));
    delete new MainWindow;
    qputenv("HOME", home);
}

QTEST_MAIN(TestPortList)
#include "tst_portlist.moc"
