#include "tests/support/modalanswerer.h"

#include "app/mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QPushButton>
#include <QTest>

ModalAnswerer::ModalAnswerer(QObject *parent)
    : QObject(parent)
{
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, &ModalAnswerer::poll);
    m_timer.start();
}

QStringList ModalAnswerer::texts() const
{
    QStringList out;
    for (const Seen &s : m_boxes)
        out << s.text;
    return out;
}

bool ModalAnswerer::waitForBoxes(int count, int timeoutMs)
{
    // A plain event loop: QTest::qWait sleeps between turns and would slow every reply.
    if (m_boxes.size() < count) {
        QEventLoop loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        connect(this, &ModalAnswerer::answered, &loop, [&] {
            if (m_boxes.size() >= count)
                loop.quit();
        });
        loop.exec();
    }
    return m_boxes.size() >= count;
}

void ModalAnswerer::poll()
{
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible())
        return;

    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        // Every box the program opens carries its name; one that does not stops the test run.
        if (box->windowTitle() != QLatin1String(kAppTitle))
            qFatal("a message box titled \"%s\"", qPrintable(box->windowTitle()));
        m_boxes.append({box->text(), box->icon()});
        const QList<QAbstractButton *> buttons = box->buttons();
        QAbstractButton *press = buttons.size() == 1 ? buttons.first() : nullptr;
        if (!press && !m_answers.isEmpty()) {
            const QString wanted = m_answers.dequeue();
            for (QAbstractButton *b : buttons)
                if (b->text() == wanted)
                    press = b;
        }
        if (press)
            press->click();
        else
            QTest::keyClick(box, Qt::Key_Escape);
        emit answered();
        return;
    }

    if (auto *dialog = qobject_cast<QFileDialog *>(modal)) {
        ++m_fileDialogs;
        const QString name = m_fileNames.isEmpty() ? QString() : m_fileNames.dequeue();
        if (name.isEmpty()) {
            dialog->reject();
        } else {
            dialog->selectFile(name);
            static_cast<QDialog *>(dialog)->accept();
        }
    }
}
