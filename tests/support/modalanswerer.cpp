#include "tests/support/modalanswerer.h"

#include "app/mainwindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>

namespace {
constexpr int kActivationMs = 500;
}

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
    // One box at a time, and a progress dialog gone before the message that ends its operation.
    int boxes = 0;
    bool progress = false;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        boxes += w->isVisible() && qobject_cast<QMessageBox *>(w);
        progress |= w->isVisible() && qobject_cast<QProgressDialog *>(w);
    }
    if (boxes > 1 || (boxes && progress))
        qFatal("a message box shown together with another box or a progress dialog");

    if (auto *box = qobject_cast<QMessageBox *>(modal)) {
        // The window system activates a new box a moment after it shows; one it never
        // activates is answered all the same, and recorded as such.
        if (box != m_pending) {
            m_pending = box;
            m_shown.start();
        }
        if (!m_shown.hasExpired(m_holdMs)
            || (!box->isActiveWindow() && !m_shown.hasExpired(kActivationMs)))
            return;
        // Every box the program opens carries its name; one that does not stops the test run.
        if (box->windowTitle() != QLatin1String(kAppTitle))
            qFatal("a message box titled \"%s\"", qPrintable(box->windowTitle()));
        if (box->width() < box->fontMetrics().horizontalAdvance(box->windowTitle()) + 150)
            qFatal("a box too narrow for its title and a title bar's buttons: \"%s\"",
                   qPrintable(box->text()));
        QWidget *focus = QApplication::focusWidget();
        const bool focused = focus && box->isAncestorOf(focus);
        m_boxes.append({box->text(), box->icon(), focused});
        const QList<QAbstractButton *> buttons = box->buttons();
        QAbstractButton *press = buttons.size() == 1 ? buttons.first() : nullptr;
        const QString wanted = press || m_answers.isEmpty() ? QString() : m_answers.dequeue();
        for (QAbstractButton *b : buttons)
            if (b->text() == wanted)
                press = b;
        if (press)
            press->click();
        else
            QTest::keyClick(focused ? focus : box,
                            wanted == QLatin1String("Enter") ? Qt::Key_Return : Qt::Key_Escape);
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
