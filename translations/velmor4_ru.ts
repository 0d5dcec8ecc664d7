<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>FirmwareImage</name>
    <message>
        <source>The firmware file is too large: %1 bytes, at most %2.</source>
        <translation>Файл прошивки слишком большой: %1 байт, не более %2.</translation>
    </message>
    <message>
        <source>The firmware file is empty!</source>
        <translation>Файл прошивки пуст!</translation>
    </message>
    <message>
        <source>Error opening the file!</source>
        <translation>Ошибка открытия файла!</translation>
    </message>
</context>
<context>
    <name>FirmwareVersion</name>
    <message>
        <source>Firmware version: %1</source>
        <translation>Версия прошивки: %1</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>COM port:</source>
        <translation>СОМ порт:</translation>
    </message>
    <message>
        <source>System settings</source>
        <translation>Системные настройки</translation>
    </message>
    <message>
        <source>Coordinate switches</source>
        <translation>Координатные коммутаторы</translation>
    </message>
    <message>
        <source>First subscriber no.</source>
        <translation>Нач. № абон.</translation>
    </message>
    <message>
        <source>Last subscriber no.</source>
        <translation>Кон. № абон.</translation>
    </message>
    <message>
        <source>Number of coordinate switches</source>
        <translation>Кол-во коорд. коммутаторов</translation>
    </message>
    <message>
        <source>Number of calls</source>
        <translation>Кол-во вызовов</translation>
    </message>
    <message>
        <source>Call time</source>
        <translation>Время разговора</translation>
    </message>
    <message>
        <source>Lower threshold</source>
        <translation>Нижний порог</translation>
    </message>
    <message>
        <source>Upper threshold</source>
        <translation>Верхний порог</translation>
    </message>
    <message>
        <source>Factory values</source>
        <translation>Заводские значения</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>Load settings</source>
        <translation>Загрузить настройки</translation>
    </message>
    <message>
        <source>Open a settings file</source>
        <translation>Открыть файл настроек</translation>
    </message>
    <message>
        <source>Save settings</source>
        <translation>Сохранить настройки</translation>
    </message>
    <message>
        <source>Save the settings to a file</source>
        <translation>Сохранить настройки в файл</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Firmware version</source>
        <translation>Версия прошивки</translation>
    </message>
    <message>
        <source>Update firmware</source>
        <translation>Обновить прошивку</translation>
    </message>
    <message>
        <source>Read settings</source>
        <translation>Считать настройки</translation>
    </message>
    <message>
        <source>Write settings</source>
        <translation>Записать настройки</translation>
    </message>
    <message>
        <source>No COM port is selected!</source>
        <translation>Не выбран COM порт!</translation>
    </message>
    <message>
        <source>Read error</source>
        <translation>Ошибка чтения</translation>
    </message>
    <message>
        <source>Written successfully</source>
        <translation>Успешно записано</translation>
    </message>
    <message>
        <source>Write error</source>
        <translation>Ошибка записи</translation>
    </message>
    <message>
        <source>The data is not saved!!!</source>
        <translation>Данные не сохранены!!!</translation>
    </message>
    <message>
        <source>The firmware is not written completely: the device may fail to start.</source>
        <translation>Прошивка записана не полностью: устройство может не запуститься.</translation>
    </message>
    <message>
        <source>Quit without saving?</source>
        <translation>Выйти без сохранения?</translation>
    </message>
    <message>
        <source>Quit?</source>
        <translation>Выйти?</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Да</translation>
    </message>
    <message>
        <source>No</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source>Could not save the chosen port in the file %1: it will have to be chosen again at the next start.</source>
        <translation>Не удалось сохранить выбранный порт в файл %1: при следующем запуске его придётся выбрать снова.</translation>
    </message>
    <message>
        <source>Unknown device!</source>
        <translation>Неизвестное устройство!</translation>
    </message>
    <message>
        <source>Update the firmware?
Attention!!! Do not switch the power off until the operation has finished!</source>
        <translation>Обновить прошивку?
Внимание!!! Не отключайте питание до окончания операции!</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Открыть</translation>
    </message>
    <message>
        <source>Updating...</source>
        <translation>Обновление...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>
The firmware is not written completely, repeat the update.
Blocks written: %1 of %2.</source>
        <translation>
Прошивка записана не полностью, повторите обновление.
Записано блоков: %1 из %2.</translation>
    </message>
    <message>
        <source>Updating...
Block %1 of %2</source>
        <translation>Обновление...
Блок %1 из %2</translation>
    </message>
    <message>
        <source>, %1:%2 left</source>
        <translation>, осталось %1:%2</translation>
    </message>
    <message>
        <source>Firmware update failed!
The device refused to write block %1 at address %2.
Port: %3</source>
        <translation>Ошибка обновления прошивки!
Устройство отказалось записать блок %1 по адресу %2.
Порт: %3</translation>
    </message>
    <message>
        <source>The firmware was updated successfully</source>
        <translation>Прошивка успешно обновлена</translation>
    </message>
    <message>
        <source>The firmware update was cancelled.</source>
        <translation>Обновление прошивки отменено.</translation>
    </message>
    <message>
        <source>Write the settings?
Attention!!! ALL settings of the switch will be overwritten!
Continue?</source>
        <translation>Записать настройки?
Внимание!!! ВСЕ настройки коммутатора будут перезаписаны!
Продолжить?</translation>
    </message>
    <message>
        <source>Write the hardware settings?
Attention!!! ALL hardware settings of the switch will be overwritten!
Continue?</source>
        <translation>Записать аппаратные настройки?
Внимание!!! ВСЕ аппаратные настройки коммутатора будут перезаписаны!
Продолжить?</translation>
    </message>
    <message>
        <source>Invalid value
%1: from %2 to %3</source>
        <translation>Неверное значение
%1: от %2 до %3</translation>
    </message>
    <message>
        <source>Switch %1, %2</source>
        <translation>Коммутатор %1, %2</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Error opening the file!</source>
        <translation>Ошибка открытия файла!</translation>
    </message>
    <message>
        <source>Error writing the file!</source>
        <translation>Ошибка записи файла!</translation>
    </message>
    <message>
        <source>Attention!!! The current settings will be overwritten!
Continue?</source>
        <translation>Внимание!!! Текущие настройки будут перезаписаны!
Продолжить?</translation>
    </message>
    <message>
        <source>Invalid settings file: %1</source>
        <translation>Неверный файл настроек: %1</translation>
    </message>
</context>
<context>
    <name>PortFailure</name>
    <message>
        <source>No such port: check the cable and the port choice.</source>
        <translation>Порт не найден: проверьте кабель и выбор порта.</translation>
    </message>
    <message>
        <source>No permission to use the port: add the user to group %1 (sudo usermod -aG %1 $USER) and log in again.</source>
        <translation>Нет прав на порт: добавьте пользователя в группу %1 (sudo usermod -aG %1 $USER) и войдите в систему заново.</translation>
    </message>
    <message>
        <source>This user may not use the port (owner %1:%2, mode %3): ask the administrator for access.</source>
        <translation>Нет прав на порт у этого пользователя (владелец %1:%2, права %3): попросите администратора открыть доступ.</translation>
    </message>
    <message>
        <source>The port is held by another program: close it and try again.</source>
        <translation>Порт занят другой программой: закройте её и повторите.</translation>
    </message>
    <message>
        <source>The adapter was lost: reconnect it and try again.</source>
        <translation>Порт пропал: переподключите адаптер и повторите.</translation>
    </message>
    <message>
        <source>The port keeps sending data that answers no request: it is probably not the device. Check the port choice.</source>
        <translation>Порт непрерывно присылает данные, которые не отвечают ни на один запрос: вероятно, это не устройство. Проверьте выбор порта.</translation>
    </message>
    <message>
        <source>The line failed: check the cable and try again.</source>
        <translation>Связь через порт нарушена: проверьте кабель и повторите.</translation>
    </message>
    <message>
        <source>
Port: %1</source>
        <translation>
Порт: %1</translation>
    </message>
    <message>
        <source>port %1: %2</source>
        <translation>порт %1: %2</translation>
    </message>
</context>
<context>
    <name>PortList</name>
    <message>
        <source>Description: %1</source>
        <translation>Описание: %1</translation>
    </message>
    <message>
        <source>Manufacturer: %1</source>
        <translation>Производитель: %1</translation>
    </message>
    <message>
        <source>Serial number: %1</source>
        <translation>Серийный номер: %1</translation>
    </message>
</context>
<context>
    <name>Serial</name>
    <message>
        <source>Error reading the data!
Port: %1</source>
        <translation>Ошибка чтения данных!
Порт: %1</translation>
    </message>
    <message>
        <source>The device does not answer!
Port: %1
Check the device&apos;s power, the cable and the port choice.</source>
        <translation>Устройство не отвечает!
Порт: %1
Проверьте питание устройства, кабель и выбор порта.</translation>
    </message>
</context>
<context>
    <name>SettingsFile</name>
    <message>
        <source>a whole number from %1 to %2</source>
        <translation>целое число от %1 до %2</translation>
    </message>
    <message>
        <source>it holds a NUL byte</source>
        <translation>файл содержит нулевой байт</translation>
    </message>
    <message>
        <source>line %1 is not &quot;key = value&quot;</source>
        <translation>строка %1 не разобрана</translation>
    </message>
    <message>
        <source>line %1: %2 is given a second time (first on line %3)</source>
        <translation>строка %1: %2 задан повторно (впервые в строке %3)</translation>
    </message>
    <message>
        <source>unknown format version</source>
        <translation>неизвестная версия формата</translation>
    </message>
    <message>
        <source>line %1: %2 must be %3</source>
        <translation>строка %1: %2 должен быть %3</translation>
    </message>
    <message>
        <source>%1 is missing (%2)</source>
        <translation>нет параметра %1 (%2)</translation>
    </message>
    <message>
        <source>the file is too large</source>
        <translation>файл слишком велик</translation>
    </message>
    <message>
        <source>line %1: unknown key %2</source>
        <translation>строка %1: неизвестный параметр %2</translation>
    </message>
</context>
</TS>
