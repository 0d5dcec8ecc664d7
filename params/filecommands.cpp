// Settings files: save the window's settings to a file, load them back.
#include "app/mainwindow.h"

#include "params/fields.h"
#include "params/settingsfile.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

namespace {
const char kOpenError[] = "Ошибка открытия файла!";
// Far larger than any real settings file; keeps a wrongly chosen file from being read whole.
constexpr qint64 kMaxSettingsFile = 64 * 1024;

QString errorText(const SettingsFileError &e)
{
    const QString range = QStringLiteral("целое число от %1 до %2").arg(e.min).arg(e.max);
    switch (e.kind) {
    case SettingsFileError::None:
    case SettingsFileError::NulByte:
        return QStringLiteral("файл содержит нулевой байт");
    case SettingsFileError::BadLine:
        return QStringLiteral("строка %1 не разобрана").arg(e.line);
    case SettingsFileError::DuplicateKey:
        return QStringLiteral("строка %1: %2 задан повторно (впервые в строке %3)")
            .arg(e.line)
            .arg(e.key)
            .arg(e.firstLine);
    case SettingsFileError::UnknownFormat:
        return QStringLiteral("неизвестная версия формата");
    case SettingsFileError::BadValue:
        return QStringLiteral("строка %1: %2 должен быть %3").arg(e.line).arg(e.key, range);
    case SettingsFileError::MissingKey:
        return QStringLiteral("нет параметра %1 (%2)").arg(e.key, range);
    case SettingsFileError::UnknownKey:
        break;
    }
    return QStringLiteral("строка %1: неизвестный параметр %2").arg(e.line).arg(e.key);
}

// A FIFO or a device would block the window until something writes to or reads from it.
bool isRegularOrNew(const QString &name)
{
    const QFileInfo info(name);
    return !info.exists() || info.isFile();
}
}  // namespace

void MainWindow::actionFileSaveParam_Click()
{
    const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить"), QString(),
                                                      QStringLiteral("VLT Files (*.vlt)"));
    if (name.isEmpty())
        return;
    if (!readSysParForm() || !readHardwParForm())
        return;
    if (!isRegularOrNew(name)) {
        showCritical(QString::fromUtf8(kOpenError));
        return;
    }

    // Written aside and renamed into place, so a failed save never leaves a damaged file.
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        showCritical(QString::fromUtf8(kOpenError));
        return;
    }
    file.write(settingsFileText(m_sysPar, m_hardwPar));
    if (!file.commit())
        showCritical(QStringLiteral("Ошибка записи файла!"));
}

void MainWindow::actionFileOpenParam_Click()
{
    if (!askConfirmation(QLatin1String(kAppTitle),
                         QStringLiteral("Внимание!!! Текущие настройки будут перезаписаны!\n"
                                        "Продолжить?")))
        return;
    const QString name
        = QFileDialog::getOpenFileName(this, QStringLiteral("Открыть"), QString(),
                                       QStringLiteral("VLT Files (*.vlt);;All Files (*.*)"));
    if (name.isEmpty())
        return;

    QFile file(name);
    if (!QFileInfo(name).isFile() || !file.open(QIODevice::ReadOnly)) {
        showCritical(QString::fromUtf8(kOpenError));
        return;
    }
    const QByteArray text = file.read(kMaxSettingsFile + 1);
    file.close();

    QByteArray sys;
    QByteArray hardw;
    SettingsFileError error;
    QString why;
    if (text.size() > kMaxSettingsFile)
        why = QStringLiteral("файл слишком велик");
    else if (!parseSettingsFile(text, &sys, &hardw, &error))
        why = errorText(error);
    if (!why.isEmpty()) {
        showCritical(QStringLiteral("Неверный файл настроек: %1").arg(why));
        return;
    }
    setSysParBlock(sys);
    setHardwParBlock(hardw);
    showSysPar();
    showHardwPar();
    m_sysSaved = formTexts(sysParFields());
    m_hardwSaved = formTexts(hardwParFields());
}
