// The two settings blocks in the window: factory values, show, check and store, read and write.
#include "app/mainwindow.h"

#include "link/protocol.h"
#include "params/fields.h"
#include "ui_mainwindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

namespace {
const char kWriteSysQuestion[] = QT_TRANSLATE_NOOP(
    "MainWindow",
    "Write the settings?\nAttention!!! ALL settings of the switch will be overwritten!\nContinue?");
const char kWriteHardwQuestion[] = QT_TRANSLATE_NOOP(
    "MainWindow",
    "Write the hardware settings?\nAttention!!! ALL hardware settings of the switch "
    "will be overwritten!\nContinue?");
}  // namespace

void MainWindow::factoryBtn_Click()
{
    loadFactoryValues();
}

void MainWindow::loadFactoryValues()
{
    for (const ParamField &f : hardwParFields())
        setFieldWidgetText(f, QString::number(f.factory, 10));
    for (const ParamField &f : sysParFields())
        if (f.edit)
            setFieldWidgetText(f, QString::number(f.factory, 10));

    ui->coordTbl->clear();
    ui->coordTbl->setHorizontalHeaderLabels(m_coordHeaderLabels);
    for (const ParamField &f : sysParFields())
        if (!f.edit)
            ui->coordTbl->setItem(f.row, f.column,
                                  new QTableWidgetItem(QString::number(f.factory, 10)));
}

void MainWindow::showSysPar()
{
    showForm(sysParFields(), m_sysPar);
}

void MainWindow::showHardwPar()
{
    showForm(hardwParFields(), m_hardwPar);
}

QStringList MainWindow::formTexts(const QVector<ParamField> &fields) const
{
    QStringList texts;
    for (const ParamField &f : fields)
        texts << fieldWidgetText(f);
    return texts;
}

QStringList &MainWindow::savedTexts(const QVector<ParamField> &fields)
{
    return &fields == &sysParFields() ? m_sysSaved : m_hardwSaved;
}

bool MainWindow::hasUnsavedChanges(const QVector<ParamField> &fields)
{
    return formTexts(fields) != savedTexts(fields);
}

bool MainWindow::readSysParForm()
{
    return readForm(sysParFields(), m_sysPar);
}

bool MainWindow::readHardwParForm()
{
    return readForm(hardwParFields(), m_hardwPar);
}

bool MainWindow::setSysParBlock(const QByteArray &block)
{
    if (block.size() != proto::kSysParSize)
        return false;
    m_sysPar = block;
    return true;
}

bool MainWindow::setHardwParBlock(const QByteArray &block)
{
    if (block.size() != proto::kHardwParSize)
        return false;
    m_hardwPar = block;
    return true;
}

void MainWindow::actionSysParRead_Click()
{
    if (isBusy())
        return;
    m_pendingOperation = PendingSysRead;
    sendRequest(proto::kOpRead, proto::kSysParAddr, nullptr, proto::kSysParSize);
}

void MainWindow::actionSysParWrite_Click()
{
    if (isBusy())
        return;
    if (!askConfirmation(QLatin1String(kAppTitle), tr(kWriteSysQuestion)))
        return;
    if (!readSysParForm())
        return;
    m_pendingOperation = PendingWriteAck;
    m_writtenFields = &sysParFields();
    m_writtenTexts = formTexts(sysParFields());
    sendRequest(proto::kOpWrite, proto::kSysParAddr, m_sysPar.constData(), proto::kSysParSize);
}

void MainWindow::actionHardwParRead_Click()
{
    if (isBusy())
        return;
    m_pendingOperation = PendingHardwRead;
    sendRequest(proto::kOpRead, proto::kHardwParAddr, nullptr, proto::kHardwParSize);
}

void MainWindow::actionHardwParWrite_Click()
{
    if (isBusy())
        return;
    if (!askConfirmation(QLatin1String(kAppTitle), tr(kWriteHardwQuestion)))
        return;
    if (!readHardwParForm())
        return;
    m_pendingOperation = PendingWriteAck;
    m_writtenFields = &hardwParFields();
    m_writtenTexts = formTexts(hardwParFields());
    sendRequest(proto::kOpWrite, proto::kHardwParAddr, m_hardwPar.constData(),
                proto::kHardwParSize);
}

bool MainWindow::readForm(const QVector<ParamField> &fields, QByteArray &block)
{
    const int bad = storeFields(fields, formTexts(fields), block);
    if (bad < 0)
        return true;
    const ParamField &f = fields[bad];
    showCritical(tr("Invalid value\n%1: from %2 to %3").arg(fieldName(f)).arg(f.min).arg(f.max));
    focusField(f);
    return false;
}

void MainWindow::showForm(const QVector<ParamField> &fields, const QByteArray &block)
{
    for (const ParamField &f : fields)
        setFieldWidgetText(f, fieldText(f, block));
}

QString MainWindow::fieldWidgetText(const ParamField &field) const
{
    if (field.edit)
        return findChild<QLineEdit *>(QLatin1String(field.edit))->text();
    const QTableWidgetItem *item = ui->coordTbl->item(field.row, field.column);
    return item ? item->data(Qt::DisplayRole).toString() : QString();
}

void MainWindow::setFieldWidgetText(const ParamField &field, const QString &text)
{
    if (field.edit) {
        findChild<QLineEdit *>(QLatin1String(field.edit))->setText(text);
        return;
    }
    QTableWidgetItem *item = ui->coordTbl->item(field.row, field.column);
    if (!item) {
        item = new QTableWidgetItem;
        ui->coordTbl->setItem(field.row, field.column, item);
    }
    item->setData(Qt::DisplayRole, text);
}

QString MainWindow::fieldName(const ParamField &field) const
{
    if (!field.edit)
        return tr("Switch %1, %2").arg(field.row + 1).arg(m_coordHeaderLabels.at(field.column));
    const auto labels = findChildren<QLabel *>();
    for (const QLabel *label : labels)
        if (label->buddy() && label->buddy()->objectName() == QLatin1String(field.edit))
            return label->text();
    return QLatin1String(field.key);
}

void MainWindow::focusField(const ParamField &field)
{
    if (field.edit)
        findChild<QLineEdit *>(QLatin1String(field.edit))->setFocus(Qt::OtherFocusReason);
    else
        ui->coordTbl->setCurrentCell(field.row, field.column);
}
