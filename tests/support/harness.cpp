#include "tests/support/harness.h"

#include "app/portlist.h"
#include "link/frame.h"

#include <QCoreApplication>
#include <QFile>

WindowHarness::WindowHarness(const SimOptions &options)
    : m_sim(options)
{
}

WindowHarness::~WindowHarness()
{
    m_window.reset();
    PortList::setSystemSource({});
    PortList::setExtraPorts({});
    QFile::remove(iniPath());
}

QString WindowHarness::iniPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/velmor4_util.ini");
}

bool WindowHarness::start()
{
    return m_sim.start() && openWindow(m_sim.slavePath());
}

bool WindowHarness::startRaw()
{
    return m_device.open() && openWindow(m_device.path());
}

bool WindowHarness::openWindow(const QString &path)
{
    QFile::remove(iniPath());
    PortList::setSystemSource([] { return QStringList(); });
    PortList::setExtraPorts({path});
    m_window.reset(new MainWindow);
    m_window->show();
    return true;
}

void WindowHarness::setField(const QString &edit)
{
    const QString name = edit.section('=', 0, 0), text = edit.section('=', 1);
    if (name.contains(','))
        setCell(name.section(',', 0, 0).toInt(), name.section(',', 1).toInt(), text);
    else
        this->edit(name.toLatin1())->setText(text);
}

bool WindowHarness::run(const char *actionName, int boxes, int timeoutMs)
{
    const int before = m_answerer.boxes().size();
    trigger(actionName);
    return m_answerer.waitForBoxes(before + boxes, timeoutMs);
}

bool WindowHarness::upload(const QByteArray &image, int boxes, int timeoutMs)
{
    m_answerer.queueAnswer(QStringLiteral("Да"));
    m_answerer.queueFileName(writeTestFile(m_files.filePath(QStringLiteral("fw.bin")), image));
    return run("actionUpdateFirmware", boxes, timeoutMs);
}

QByteArray WindowHarness::takeRequest(int timeoutMs)
{
    QByteArray got = m_device.waitForBytes(4, timeoutMs);
    const int length = got.size() < 4 ? 0 : quint8(got.at(2)) | quint8(got.at(3)) << 8;
    got = m_device.waitForBytes(length + 5, timeoutMs);
    if (got.size() < length + 5)
        return QByteArray();
    m_device.consume(length + 5);
    return got.mid(4, length);
}

void WindowHarness::reply(const QByteArray &payload)
{
    m_device.write(encodeFrame(payload));
}
