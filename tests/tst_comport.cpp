// The window against simulated devices reached through serial port names (COM ports under
// Wine), so the serial worker runs on the platform's own serial stack. The devices run outside
// this process: VELMOR4_TEST_PORTS names them (plain, corrupting the first reply, gone after the
// fifth request) and VELMOR4_TEST_STATE is the plain one's memory file.
#include "app/mainwindow.h"
#include "app/portlist.h"
#include "link/protocol.h"
#include "params/fields.h"
#include "tests/support/modalanswerer.h"
#include "tests/support/samples.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QProgressDialog>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

namespace {
const int kFwOffset = 8;  // after the file's tag
const int kSysOffset = kFwOffset + int(proto::kImageLimit);
const int kHardwOffset = kSysOffset + proto::kSysParSize;

// Written by the simulator after every stored write.
QByteArray stateFile()
{
    QFile f(qEnvironmentVariable("VELMOR4_TEST_STATE"));
    const QByteArray bytes = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    return bytes.startsWith("V4SIMST1") ? bytes : QByteArray();
}
}  // namespace

class TestComPort : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void everyCommandLandsInTheDevice();
    void badChecksumEndsOnlyItsRequest();
    void portGoneMidUpload();

private:
    void open(const QString &port);
    bool run(const char *action, int boxes, int timeoutMs = 8000);
    bool upload(const QByteArray &image, int boxes, int timeoutMs);
    QString lastBox() const { return m_answerer->texts().value(m_answerer->texts().size() - 1); }

    QStringList m_ports;
    QTemporaryDir m_files;
    std::unique_ptr<ModalAnswerer> m_answerer;
    std::unique_ptr<MainWindow> m_window;
};

void TestComPort::initTestCase()
{
    m_ports = qEnvironmentVariable("VELMOR4_TEST_PORTS").split(QLatin1Char(','));
    QVERIFY2(m_ports.size() == 3, "VELMOR4_TEST_PORTS must name the three simulated devices");
}

void TestComPort::cleanup()
{
    m_window.reset();
    m_answerer.reset();
    QFile::remove(QCoreApplication::applicationDirPath() + QStringLiteral("/velmor4_util.ini"));
}

void TestComPort::open(const QString &port)
{
    PortList::setSystemSource([] { return QStringList(); });
    PortList::setExtraPorts({port});
    m_answerer = std::make_unique<ModalAnswerer>();
    m_window = std::make_unique<MainWindow>();
    m_window->show();
}

bool TestComPort::run(const char *action, int boxes, int timeoutMs)
{
    const int before = m_answerer->boxes().size();
    m_window->findChild<QAction *>(action)->trigger();
    return m_answerer->waitForBoxes(before + boxes, timeoutMs);
}

bool TestComPort::upload(const QByteArray &image, int boxes, int timeoutMs)
{
    m_answerer->queueAnswer(QStringLiteral("Да"));
    m_answerer->queueFileName(writeTestFile(m_files.filePath(QStringLiteral("fw.bin")), image));
    return run("actionUpdateFirmware", boxes, timeoutMs);
}

void TestComPort::everyCommandLandsInTheDevice()
{
    open(m_ports[0]);
    QVERIFY(run("actionFirmwareVer", 1));
    QCOMPARE(lastBox(), QStringLiteral("Версия прошивки: 1.05"));

    // Read, edit and write back both blocks; the device's memory file shows each write.
    const struct
    {
        const char *read, *write, *edit;
        const QVector<ParamField> &fields;
        QByteArray (MainWindow::*block)() const;
        int offset;
    } blocks[] = {{"actionSysParRead", "actionSysParWrite", "talkTimeoutEdit", sysParFields(),
                   &MainWindow::sysParBlock, kSysOffset},
                  {"actionHardwRead", "actionHardwWrite", "stabTimeoutEdit", hardwParFields(),
                   &MainWindow::hardwParBlock, kHardwOffset}};
    for (const auto &b : blocks) {
        auto *edit = m_window->findChild<QLineEdit *>(b.edit);
        edit->clear();
        m_window->findChild<QAction *>(b.read)->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!edit->text().isEmpty(), 5000);
        const ParamField &f = *std::find_if(b.fields.begin(), b.fields.end(), [&](const auto &f) {
            return qstrcmp(f.edit, b.edit) == 0;
        });
        QByteArray expected = (m_window.get()->*b.block)();
        QCOMPARE(edit->text(), fieldText(f, expected));
        edit->setText(QString::number(f.max));
        storeField(f, quint16(f.max), expected);
        m_answerer->queueAnswer(QStringLiteral("Да"));
        QVERIFY(run(b.write, 2));
        QCOMPARE(lastBox(), QStringLiteral("Успешно записано"));
        QTRY_COMPARE(stateFile().mid(b.offset, expected.size()), expected);
    }

    const QByteArray image = testImage(int(proto::kImageLimit), 3);
    QVERIFY(upload(image, 2, 60000));
    QCOMPARE(lastBox(), QStringLiteral("Прошивка успешно обновлена"));
    QTRY_COMPARE(stateFile().mid(kFwOffset, image.size()), image);
}

// The device spoils its first reply: one message for that request, and the next one is
// answered properly.
void TestComPort::badChecksumEndsOnlyItsRequest()
{
    open(m_ports[1]);
    QVERIFY(run("actionFirmwareVer", 1));
    QCOMPARE(lastBox(), QStringLiteral("Ошибка чтения данных!\nПорт: ") + m_ports[1]);
    QTest::qWait(500);
    QCOMPARE(m_answerer->boxes().size(), 1);
    QVERIFY(run("actionFirmwareVer", 1, 12000));
    QCOMPARE(lastBox(), QStringLiteral("Версия прошивки: 1.05"));
}

// The device hangs up after the fifth chunk: the upload ends at once, naming the port, and
// leaves no progress dialog behind.
void TestComPort::portGoneMidUpload()
{
    open(m_ports[2]);
    QVERIFY(upload(testImage(20 * proto::kChunkSize), 2, 10000));
    QVERIFY2(lastBox().contains(m_ports[2]), qPrintable(lastBox()));
    QVERIFY2(lastBox().contains(QStringLiteral("Прошивка записана не полностью")),
             qPrintable(lastBox()));
    const auto *progress = m_window->findChild<QProgressDialog *>();
    QVERIFY(!progress || !progress->isVisible());
    // The device is gone: the next request fails at once, naming the port.
    QVERIFY(run("actionFirmwareVer", 1, 1500));
    QVERIFY2(lastBox().contains(m_ports[2]), qPrintable(lastBox()));
}

QTEST_MAIN(TestComPort)
#include "tst_comport.moc"
