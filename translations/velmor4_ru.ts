<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>Events</name>
    <message>
        <source>cannot write the events any more: %1</source>
        <translation>поток событий больше не записывается: %1</translation>
    </message>
</context>
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
    <name>Flash</name>
    <message>
        <source>not a regular file</source>
        <translation>не обычный файл</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <source>%1: %2 (%3)</source>
        <translation>%1: %2 (%3)</translation>
    </message>
    <message>
        <source>chunk %1 of %2</source>
        <translation>блок %1 из %2</translation>
    </message>
    <message>
        <source>stopped after %1 of %2 chunks: the firmware is incomplete and must be written again</source>
        <translation>остановлено после %1 из %2 блоков: прошивка записана не полностью, её нужно записать заново</translation>
    </message>
    <message>
        <source>verify %1 of %2</source>
        <translation>проверка чтением %1 из %2</translation>
    </message>
    <message>
        <source>flashed %1 bytes in %2 chunks, verified</source>
        <translation>прошито %1 байт в %2 блоках, проверено</translation>
    </message>
    <message>
        <source>flashed %1 bytes in %2 chunks</source>
        <translation>прошито %1 байт в %2 блоках</translation>
    </message>
    <message>
        <source>flashing</source>
        <translation>прошивка</translation>
    </message>
</context>
<context>
    <name>JobFile</name>
    <message>
        <source>not a regular file</source>
        <translation>не обычный файл</translation>
    </message>
    <message>
        <source>the job %1 names the settings file %2, which cannot be read (%3): its SHA-256 is unknown, the job&apos;s is %4; nothing was sent</source>
        <translation>задание %1 указывает файл настроек %2, который не читается (%3): его SHA-256 неизвестен, в задании %4; ничего не отправлено</translation>
    </message>
    <message>
        <source>the job %1 names the firmware file %2, which cannot be read (%3): its SHA-256 is unknown, the job&apos;s is %4; nothing was sent</source>
        <translation>задание %1 указывает файл прошивки %2, который не читается (%3): его SHA-256 неизвестен, в задании %4; ничего не отправлено</translation>
    </message>
    <message>
        <source>the settings file %1 is not the one the job %2 released: its SHA-256 is %3, the job&apos;s is %4; nothing was sent</source>
        <translation>файл настроек %1 не тот, что выпущен заданием %2: его SHA-256 %3, в задании %4; ничего не отправлено</translation>
    </message>
    <message>
        <source>the firmware file %1 is not the one the job %2 released: its SHA-256 is %3, the job&apos;s is %4; nothing was sent</source>
        <translation>файл прошивки %1 не тот, что выпущен заданием %2: его SHA-256 %3, в задании %4; ничего не отправлено</translation>
    </message>
    <message>
        <source>%1 line %2: %3</source>
        <translation>%1, строка %2: %3</translation>
    </message>
    <message>
        <source>usage: velmor4_cli job new [options] -o FILE</source>
        <translation>использование: velmor4_cli job new [параметры] -o FILE</translation>
    </message>
    <message>
        <source>job new wants -o FILE, the job file to write</source>
        <translation>job new требует -o FILE, файл задания для записи</translation>
    </message>
    <message>
        <source>job new wants --settings FILE, --firmware IMAGE or --expect-version X.YY, or several of them</source>
        <translation>job new требует --settings FILE, --firmware IMAGE или --expect-version X.YY, или несколько из них</translation>
    </message>
    <message>
        <source>--name and --line want text on one line</source>
        <translation>--name и --line требуют текст в одну строку</translation>
    </message>
    <message>
        <source>--expect-version wants the version as the device reports it, like 1.05; not %1</source>
        <translation>--expect-version требует версию в том виде, как её сообщает устройство, например 1.05; а не %1</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>не удаётся записать %1: %2</translation>
    </message>
    <message>
        <source>job written to %1</source>
        <translation>задание записано в %1</translation>
    </message>
    <message>
        <source>the job %1 is not a regular file</source>
        <translation>задание %1 не обычный файл</translation>
    </message>
    <message>
        <source>cannot read the job %1: %2</source>
        <translation>не удаётся прочитать задание %1: %2</translation>
    </message>
    <message>
        <source>%1 is too large for a job file</source>
        <translation>%1 слишком велик для файла задания</translation>
    </message>
    <message>
        <source>not &quot;key = value&quot;</source>
        <translation>не &quot;ключ = значение&quot;</translation>
    </message>
    <message>
        <source>unknown key %1</source>
        <translation>неизвестный параметр %1</translation>
    </message>
    <message>
        <source>%1 given twice</source>
        <translation>%1 задан дважды</translation>
    </message>
    <message>
        <source>%1 wants 64 hexadecimal digits</source>
        <translation>%1 требует 64 шестнадцатеричные цифры</translation>
    </message>
    <message>
        <source>%1 is not a job file of format %2 (format = %2)</source>
        <translation>%1 не файл задания формата %2 (format = %2)</translation>
    </message>
    <message>
        <source>%1 wants %2 and %3 together</source>
        <translation>%1 требует %2 и %3 вместе</translation>
    </message>
    <message>
        <source>the job %1 names no settings, no firmware and no version</source>
        <translation>задание %1 не указывает ни настроек, ни прошивки, ни версии</translation>
    </message>
    <message>
        <source>the job %1 wants version %2, which no device reports (1.05 is the form)</source>
        <translation>задание %1 требует версию %2, какую не сообщает ни одно устройство (вид: 1.05)</translation>
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
    <name>Program</name>
    <message>
        <source>program wants --settings FILE, --firmware IMAGE or --expect-version X.YY, or several of them</source>
        <translation>program требует --settings FILE, --firmware IMAGE или --expect-version X.YY, или несколько из них</translation>
    </message>
    <message>
        <source>--expect-version wants the version as the device reports it, major.minor with two digits or more after the dot, like 1.05; not %1</source>
        <translation>--expect-version требует версию в том виде, как её сообщает устройство: старшая.младшая, две цифры или больше после точки, например 1.05; а не %1</translation>
    </message>
    <message>
        <source>programming</source>
        <translation>программирование</translation>
    </message>
    <message>
        <source>version %1, expected %2</source>
        <translation>версия %1, ожидалась %2</translation>
    </message>
    <message>
        <source>version %1</source>
        <translation>версия %1</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>not a regular file</source>
        <translation>не обычный файл</translation>
    </message>
    <message>
        <source>cannot append to the report %1: %2</source>
        <translation>не удаётся дописать отчёт %1: %2</translation>
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
    <name>Settings</name>
    <message>
        <source>%1 is not a regular file</source>
        <translation>%1 не обычный файл</translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <translation>не удаётся открыть %1: %2</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>не удаётся записать %1: %2</translation>
    </message>
    <message>
        <source>system block</source>
        <translation>системные настройки</translation>
    </message>
    <message>
        <source>hardware block</source>
        <translation>аппаратные настройки</translation>
    </message>
    <message>
        <source>saved to %1</source>
        <translation>сохранено в %1</translation>
    </message>
    <message>
        <source>%1 is not a valid settings file: %2</source>
        <translation>%1 не годится как файл настроек: %2</translation>
    </message>
    <message>
        <source>the system block was written already</source>
        <translation>системные настройки уже записаны</translation>
    </message>
    <message>
        <source>reading the settings back</source>
        <translation>проверка настроек чтением</translation>
    </message>
    <message>
        <source>settings written and verified</source>
        <translation>настройки записаны и проверены</translation>
    </message>
    <message>
        <source>settings written</source>
        <translation>настройки записаны</translation>
    </message>
    <message>
        <source>with --wait, read wants a file name with %n for the device&apos;s number, like settings-%n.vlt</source>
        <translation>с --wait команде read нужно имя файла с %n на месте номера устройства, например settings-%n.vlt</translation>
    </message>
    <message>
        <source>with several ports, read wants a file name with %p for the port&apos;s name, like settings-%p.vlt</source>
        <translation>с несколькими портами команде read нужно имя файла с %p на месте имени порта, например settings-%p.vlt</translation>
    </message>
    <message>
        <source>reading</source>
        <translation>чтение</translation>
    </message>
    <message>
        <source>writing</source>
        <translation>запись</translation>
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
<context>
    <name>Stats</name>
    <message>
        <source>check its contacts and cable</source>
        <translation>проверьте его контакты и кабель</translation>
    </message>
    <message>
        <source>check its contacts and the device&apos;s supply</source>
        <translation>проверьте его контакты и питание устройства</translation>
    </message>
    <message>
        <source>check its adapter, contacts and cable</source>
        <translation>проверьте его адаптер, контакты и кабель</translation>
    </message>
    <message>
        <source>cannot read the report %1: %2</source>
        <translation>не удаётся прочитать отчёт %1: %2</translation>
    </message>
    <message>
        <source>%1 line %2</source>
        <translation>%1, строка %2</translation>
    </message>
    <message>
        <source>no job file</source>
        <translation>без файла задания</translation>
    </message>
    <message>
        <source>%1slot %2: %3 of %4 failed, the others %5 of %6: %7</source>
        <translation>%1гнездо %2: отказов %3 из %4, у остальных %5 из %6: %7</translation>
    </message>
    <message>
        <source>devices: %1, passed: %2, failed: %3, yield: %4</source>
        <translation>устройств: %1, годных: %2, отказов: %3, выход годных: %4</translation>
    </message>
    <message>
        <source>broken lines skipped: %1 (%2%3)</source>
        <translation>пропущено испорченных строк: %1 (%2%3)</translation>
    </message>
    <message>
        <source>DEVICES</source>
        <translation>УСТРОЙСТВ</translation>
    </message>
    <message>
        <source>PASSED</source>
        <translation>ГОДНЫХ</translation>
    </message>
    <message>
        <source>FAILED</source>
        <translation>ОТКАЗОВ</translation>
    </message>
    <message>
        <source>YIELD</source>
        <translation>ВЫХОД</translation>
    </message>
    <message>
        <source>reports: %1</source>
        <translation>отчётов: %1</translation>
    </message>
    <message>
        <source>SLOT</source>
        <translation>ГНЕЗДО</translation>
    </message>
    <message>
        <source>JOB</source>
        <translation>ЗАДАНИЕ</translation>
    </message>
    <message>
        <source>DAY (UTC)</source>
        <translation>ДЕНЬ (UTC)</translation>
    </message>
    <message>
        <source>FAILURES SEEN MOST</source>
        <translation>САМЫЕ ЧАСТЫЕ ОТКАЗЫ</translation>
    </message>
    <message>
        <source>%1  (%2 of %3 failed)</source>
        <translation>%1  (отказов %2 из %3)</translation>
    </message>
    <message>
        <source>devices</source>
        <translation>устройств</translation>
    </message>
    <message>
        <source>passed</source>
        <translation>годных</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>отказов</translation>
    </message>
    <message>
        <source>yield</source>
        <translation>выход годных</translation>
    </message>
    <message>
        <source>en</source>
        <comment>language code of the page</comment>
        <translation>ru</translation>
    </message>
    <message>
        <source>Yield</source>
        <translation>Выход годных</translation>
    </message>
    <message>
        <source>since %1</source>
        <translation>с %1</translation>
    </message>
    <message>
        <source>job %1</source>
        <translation>задание %1</translation>
    </message>
    <message>
        <source>station %1</source>
        <translation>рабочее место %1</translation>
    </message>
    <message>
        <source>Yield per slot</source>
        <translation>Выход годных по гнёздам</translation>
    </message>
    <message>
        <source>Yield per day (UTC)</source>
        <translation>Выход годных по дням (UTC)</translation>
    </message>
    <message>
        <source>By slot</source>
        <translation>По гнёздам</translation>
    </message>
    <message>
        <source>slot</source>
        <translation>гнездо</translation>
    </message>
    <message>
        <source>By job</source>
        <translation>По заданиям</translation>
    </message>
    <message>
        <source>job</source>
        <translation>задание</translation>
    </message>
    <message>
        <source>By day (UTC)</source>
        <translation>По дням (UTC)</translation>
    </message>
    <message>
        <source>day</source>
        <translation>день</translation>
    </message>
    <message>
        <source>Failures seen most</source>
        <translation>Самые частые отказы</translation>
    </message>
    <message>
        <source>failure</source>
        <translation>отказ</translation>
    </message>
    <message>
        <source>count</source>
        <translation>сколько</translation>
    </message>
    <message>
        <source>--since wants a day like 2026-12-07 or a time like 2026-12-07T14:00 (UTC); not %1</source>
        <translation>--since требует день, например 2026-12-07, или время, например 2026-12-07T14:00 (UTC); а не %1</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>не удаётся записать %1: %2</translation>
    </message>
</context>
<context>
    <name>Version</name>
    <message>
        <source>version</source>
        <translation>версия</translation>
    </message>
    <message>
        <source>unknown device: version record %1</source>
        <translation>неизвестное устройство: запись версии %1</translation>
    </message>
    <message>
        <source>reading the version</source>
        <translation>чтение версии</translation>
    </message>
</context>
</TS>
