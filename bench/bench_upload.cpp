// A full 54 272-byte firmware upload through the real window against the simulator process:
// unthrottled, and at 9600 baud against the line-rate limit.
#include "app/mainwindow.h"
#include "app/portlist.h"
#include "bench/devsimprocess.h"
#include "link/protocol.h"
#include "tests/support/modalanswerer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

constexpr int kChunks = int(proto::kImageLimit / proto::kChunkSize);

// Seconds from the first chunk on its way to the closing message; negative on failure.
double upload(const QString &port, const QString &image)
{
    PortList::setSystemSource([] { return QStringList(); });
    PortList::setExtraPorts({port});
    auto window = std::make_unique<MainWindow>();
    window->show();
    ModalAnswerer answerer;
    answerer.queueAnswer(QStringLiteral("Да"));
    answerer.queueFileName(image);
    QElapsedTimer t;
    QObject::connect(window.get(), &MainWindow::serialSendBufSignal, [&t] {
        if (!t.isValid())
            t.start();
    });
    QMetaObject::invokeMethod(window.get(), "actionUpdateFirmware_Click", Qt::QueuedConnection);
    if (!answerer.waitForBoxes(2, 120000))
        return -1;
    const double s = t.nsecsElapsed() / 1e9;
    if (answerer.texts().last() != QStringLiteral("Прошивка успешно обновлена")) {
        std::fprintf(stderr, "upload failed: %s\n", qPrintable(answerer.texts().last()));
        return -1;
    }
    return s;
}

}  // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const bool quick = app.arguments().contains(QStringLiteral("--quick"));
    QTemporaryDir dir;
    const QString image = dir.filePath(QStringLiteral("fw.bin"));
    QFile f(image);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray(int(proto::kImageLimit), '\x5A'));
    f.close();

    DevsimProcess sim;
    if (!sim.start())
        return 1;
    const double s = upload(sim.path(), image);
    std::printf("unthrottled: %d chunks in %.3f s, %.3f ms per chunk\n", kChunks, s,
                s * 1000 / kChunks);
    if (quick)
        return 0;

    DevsimProcess line;
    if (!line.start({QStringLiteral("--baud"), QStringLiteral("9600")}))
        return 1;
    const double limit = kChunks * (1037.0 + 6.0) * 10 / 9600;
    const double t = upload(line.path(), image);
    std::printf(
        "9600 baud: %.3f s, line-rate limit %.3f s, ratio %.4f, overhead %.2f ms per chunk\n", t,
        limit, t / limit, (t - limit) * 1000 / kChunks);
    return 0;
}
