// Where the remembered port is kept, and that it survives from one window to the next.
#include "app/mainwindow.h"
#include "app/portlist.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestIniFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void portIsRememberedWhereTheFolderAllows_data();
    void portIsRememberedWhereTheFolderAllows();
    void failedSaveIsReported();
};

void TestIniFile::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    PortList::setSystemSource([] { return QStringList{"ttyS0", "ttyUSB0"}; });
    PortList::setExtraPorts({"/dev/pts/7"});
}

void TestIniFile::portIsRememberedWhereTheFolderAllows_data()
{
    QTest::addColumn<QString>("appDir");
    QTest::addColumn<bool>("beside");
    QTest::newRow("portable copy") << "bin" << true;
    QTest::newRow("folder below a file") << "file/bin" << false;  // takes no file, even for root
    QTest::newRow("installed copy") << "usr/bin" << false;
}

void TestIniFile::portIsRememberedWhereTheFolderAllows()
{
    QFETCH(QString, appDir);
    QFETCH(bool, beside);
    QTemporaryDir tmp;
    const QDir root(tmp.path());
    QVERIFY(root.mkpath("bin") && root.mkpath("usr/bin") && root.mkpath("usr/share/applications"));
    for (const char *file : {"file", "usr/share/applications/org.velmor4.Util.desktop"})
        QVERIFY(QFile(root.filePath(file)).open(QIODevice::WriteOnly));
    const QString perUser
        = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/velmor4_util.ini";
    QFile::remove(perUser);
    PortList::setApplicationDir(root.filePath(appDir));

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

void TestIniFile::failedSaveIsReported()
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

QTEST_MAIN(TestIniFile)
#include "tst_inifile.moc"
