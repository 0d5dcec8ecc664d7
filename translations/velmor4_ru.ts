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
<context>
    <name>velmor4_cli</name>
    <message>
        <source>%1: starting</source>
        <translation>%1: запуск</translation>
    </message>
    <message>
        <source>cannot write the events any more: %1</source>
        <translation>поток событий больше не записывается: %1</translation>
    </message>
    <message>
        <source>adapter lost: waiting for it</source>
        <translation>адаптер потерян: ждёт его подключения</translation>
    </message>
    <message>
        <source>ambiguous: %1 matches %2; waiting for one of them to go</source>
        <translation>неоднозначно: %1 подходит к %2; ждёт, пока один из них не отключат</translation>
    </message>
    <message>
        <source>waiting for a device</source>
        <translation>ждёт устройство</translation>
    </message>
    <message>
        <source>waiting for a device (%1 done, %2 PASS)</source>
        <translation>ждёт устройство (готово %1, PASS %2)</translation>
    </message>
    <message>
        <source>device %1: %2</source>
        <translation>устройство %1: %2</translation>
    </message>
    <message>
        <source>done: FAIL (%1), remove the device</source>
        <translation>готово: FAIL (%1), снимите устройство</translation>
    </message>
    <message>
        <source>done: PASS, remove the device</source>
        <translation>готово: PASS, снимите устройство</translation>
    </message>
    <message>
        <source>port failed, trying again: %1</source>
        <translation>сбой порта, новая попытка: %1</translation>
    </message>
    <message>
        <source>stopped: %1 done, %2 PASS</source>
        <translation>остановлено: готово %1, PASS %2</translation>
    </message>
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
    <message>
        <source>%1 is not a regular file</source>
        <translation>%1 не обычный файл</translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <translation>не удаётся открыть %1: %2</translation>
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
    <message>
        <source>Configures the Velmor4 line-switching device over a serial port.
Data goes to standard output; messages, progress and the trace to standard error.</source>
        <translation>Настраивает коммутатор линий Velmor4 через последовательный порт.
Данные — в стандартный вывод; сообщения, ход работы и трассировка — в stderr.</translation>
    </message>
    <message>
        <source>Commands:</source>
        <translation>Команды:</translation>
    </message>
    <message>
        <source>  list          the system&apos;s serial ports, one a line, tab-separated: name,
                description, manufacturer, VID:PID (hex), USB serial number,
                USB location (the hub port path, e.g. 1-1.2:1.0)</source>
        <translation>  list          последовательные порты системы, по одному в строке, через
                табуляцию: имя, описание, производитель, VID:PID (hex),
                серийный номер USB, место подключения USB (путь по портам
                хаба, например 1-1.2:1.0)</translation>
    </message>
    <message>
        <source>  fixture new -o FILE
                a fixture file for the adapters plugged in now: one slot per
                USB location, in location order, to rename as the fixture
                labels them</source>
        <translation>  fixture new -o FILE
                файл стенда для подключённых сейчас адаптеров: по гнезду на
                место подключения USB, по порядку мест; гнёзда переименуйте
                по надписям стенда</translation>
    </message>
    <message>
        <source>  version       the firmware version as &quot;major.minor&quot; (&quot;1.05&quot;)</source>
        <translation>  version       версия прошивки в виде &quot;старшая.младшая&quot; (&quot;1.05&quot;)</translation>
    </message>
    <message>
        <source>  read [FILE]   both settings blocks as a settings file, to FILE (replaced only
                once complete) or to standard output; with several ports FILE
                is a pattern where %p stands for the port (settings-%p.vlt),
                with --wait %n for the device&apos;s number on its port</source>
        <translation>  read [FILE]   оба блока настроек как файл настроек, в FILE (заменяется только
                целиком) или в стандартный вывод; при нескольких портах FILE —
                шаблон, где %p означает порт (settings-%p.vlt), а с --wait
                %n — номер устройства на его порту</translation>
    </message>
    <message>
        <source>  write FILE    checks the whole FILE, writes the system block, then the hardware
                block, then reads both back and compares (unless --no-verify)</source>
        <translation>  write FILE    проверяет весь FILE, записывает системный блок, затем
                аппаратный, затем проверяет оба чтением (если нет --no-verify)</translation>
    </message>
    <message>
        <source>  flash IMAGE   uploads IMAGE (1 to 54272 bytes) in 1024-byte chunks from
                0x08002400; --verify reads it back and compares</source>
        <translation>  flash IMAGE   записывает IMAGE (от 1 до 54272 байт) блоками по 1024 байта с
                адреса 0x08002400; --verify проверяет записанное чтением</translation>
    </message>
    <message>
        <source>  program       sets a device up in one job, in this order: --settings FILE
                (as write), --firmware IMAGE (as flash), --expect-version X.YY
                (reads the version and compares); any of them, or --job FILE;
                all checked before anything is sent; what it writes is read
                back and compared unless --no-verify</source>
        <translation>  program       настраивает устройство одним заданием, в таком порядке:
                --settings FILE (как write), --firmware IMAGE (как flash),
                --expect-version X.YY (читает версию и сравнивает); любые из
                них или --job FILE; всё проверяется до первой отправки;
                записанное проверяется чтением, если нет --no-verify</translation>
    </message>
    <message>
        <source>  job new       writes a job file (-o FILE) from released files: --settings,
                --firmware, --expect-version, --name, --line; each file with
                its SHA-256, which program --job checks before any port is
                opened (a missing or changed file: exit status 2)</source>
        <translation>  job new       пишет файл задания (-o FILE) из выпущенных файлов: --settings,
                --firmware, --expect-version, --name, --line; каждый файл с его
                SHA-256, который program --job проверяет до открытия портов
                (нет файла или он изменён: код завершения 2)</translation>
    </message>
    <message>
        <source>  stats REPORT...
                devices, passed and failed by slot, job and day (UTC), the
                failures seen most and the slots to check; --since DATE,
                --job NAME|SHA256, --station NAME pick records, --html FILE
                writes the same as a page with charts</source>
        <translation>  stats REPORT...
                устройства, годные и отказы по гнёздам, заданиям и дням (UTC),
                самые частые отказы и гнёзда, которые стоит проверить;
                --since DATE, --job NAME|SHA256, --station NAME отбирают
                записи, --html FILE пишет то же страницей с диаграммами</translation>
    </message>
    <message>
        <source>Several ports (--port or --serial given more than once, --ports, --fixture):
the command runs on all of them at once, with one progress line per port, and
ends with a table on standard output: slot, port, USB location and serial
number, result, time and the message of a failure. The exit status is the
worst port&apos;s.</source>
        <translation>Несколько портов (--port или --serial больше одного раза, --ports, --fixture):
команда выполняется на всех сразу, со строкой хода работы на каждый порт, и
заканчивается таблицей в стандартном выводе: гнездо, порт, место подключения
USB и серийный номер, результат, время и сообщение об отказе. Код завершения —
худший из кодов портов.</translation>
    </message>
    <message>
        <source>--fixture FILE names the slots of a fixture, one a line: NAME location=VALUE,
NAME serial=VALUE or NAME port=VALUE (# begins a comment). Each slot&apos;s adapter
is looked up by that identity whenever it is opened, since system names move
from adapter to adapter; an identity that matches two ports is refused.</source>
        <translation>--fixture FILE задаёт гнёзда стенда, по одному в строке: NAME location=VALUE,
NAME serial=VALUE или NAME port=VALUE (# начинает комментарий). Адаптер гнезда
ищется по этому признаку при каждом открытии, так как системные имена
переходят от адаптера к адаптеру; признак, подходящий к двум портам,
отвергается.</translation>
    </message>
    <message>
        <source>--wait (a fixture that runs by itself): each slot waits quietly for a device (a
version request every 500 ms), runs the command on it, then waits until it no
longer answers (taken off) and for the next one, until Ctrl+C. Each slot&apos;s line
says &quot;waiting for a device&quot;, how far the job is, or &quot;done: PASS, remove the
device&quot; (FAIL and the result word when it failed). An adapter missing or lost
is looked for every 500 ms (&quot;adapter lost: waiting for it&quot;) and taken up
again, under a new system name too; a device it held must be taken off first.
The run ends with a table: per slot the devices served, passed (PASS) and
failed (FAIL), and how many Ctrl+C cut off; the exit status is the worst
device&apos;s.</source>
        <translation>--wait (стенд работает сам): каждое гнездо молча ждёт устройство (запрос версии
каждые 500 мс), выполняет на нём команду, затем ждёт, пока оно перестанет
отвечать (снято), и следующее, до Ctrl+C. Строка гнезда показывает &quot;ждёт
устройство&quot;, ход задания или &quot;готово: PASS, снимите устройство&quot; (FAIL и слово
результата при отказе). Отсутствующий или потерянный адаптер ищется каждые
500 мс (&quot;адаптер потерян: ждёт его подключения&quot;) и подхватывается снова, в том
числе под новым системным именем; устройство на нём сначала нужно снять.
В конце — таблица: по каждому гнезду обслужено устройств, годных (PASS) и
отказов (FAIL), и сколько прервал Ctrl+C; код завершения — худший из кодов
устройств.</translation>
    </message>
    <message>
        <source>--report FILE appends one JSON object a line for every device and command:
start, end (ISO 8601, UTC), slot, location, port, serial, vid_pid,
description, command, files (role, path, size, sha256), verify, settings
(blocks_written, verified), firmware (chunks_written, chunks_total, verified),
version, expected_version, result, exit_status, message, operator, order,
station, job (path, name, line, sha256), tool_version, qt_version, os; null
where they do not apply. Each record is flushed as soon as its device is done.</source>
        <translation>--report FILE дописывает по объекту JSON в строке на каждое устройство и
команду: start, end (ISO 8601, UTC), slot, location, port, serial, vid_pid,
description, command, files (role, path, size, sha256), verify, settings
(blocks_written, verified), firmware (chunks_written, chunks_total, verified),
version, expected_version, result, exit_status, message, operator, order,
station, job (path, name, line, sha256), tool_version, qt_version, os; null,
где поле неприменимо. Запись сбрасывается на диск, как только устройство готово.</translation>
    </message>
    <message>
        <source>--events FILE (&quot;-&quot;: standard output, which then carries nothing else) writes
one JSON object a line as things happen: started, progress, step, ended (one per
device started), adapter_lost, adapter_back. See the manual page.</source>
        <translation>--events FILE (&quot;-&quot;: стандартный вывод, в который тогда не идёт ничего другого)
пишет по объекту JSON в строке по мере событий: started, progress, step, ended
(по одному на каждое начатое устройство), adapter_lost, adapter_back. См.
страницу руководства.</translation>
    </message>
    <message>
        <source>Result words (summary, report) with their exit status:</source>
        <translation>Слова результата (итог, отчёт) и их коды завершения:</translation>
    </message>
    <message>
        <source>  ok (0)             success, everything confirmed by the device (PASS)</source>
        <translation>  ok (0)             успех, всё подтверждено устройством (PASS)</translation>
    </message>
    <message>
        <source>  device (1)         the device refused or answered wrongly: refused write,
                     unknown version record, wrong reply size, verify
                     mismatch, another version than --expect-version</source>
        <translation>  device (1)         устройство отказало или ответило неверно: отклонённая
                     запись, неизвестная запись версии, неверный размер
                     ответа, расхождение при проверке чтением, версия не та,
                     что в --expect-version</translation>
    </message>
    <message>
        <source>  input (2)          bad usage or bad input: unknown command, no port,
                     unreadable or invalid settings file, empty or oversized
                     image, a report or output file that cannot be written;
                     nothing was sent</source>
        <translation>  input (2)          неверный вызов или входные данные: неизвестная команда,
                     нет порта, нечитаемый или неверный файл настроек,
                     пустой или слишком большой образ, отчёт или выходной
                     файл, который нельзя записать; ничего не отправлено</translation>
    </message>
    <message>
        <source>  link (3)           communication failure: the port cannot be opened, no
                     reply, bad checksum (after the retries), a port that
                     keeps sending data that answers no request</source>
        <translation>  link (3)           сбой связи: порт не открывается, нет ответа, неверная
                     контрольная сумма (после повторов), порт непрерывно
                     шлёт данные, не отвечающие ни на один запрос</translation>
    </message>
    <message>
        <source>  interrupted (130)  Ctrl+C, SIGTERM, console closed: nothing more was sent;
                     flash and program say after how many chunks they stopped</source>
        <translation>  interrupted (130)  Ctrl+C, SIGTERM, закрыта консоль: больше ничего не
                     отправлено; flash и program сообщают, после скольких
                     блоков остановились</translation>
    </message>
    <message>
        <source>Any result but ok is a FAIL.</source>
        <translation>Любой результат, кроме ok, — FAIL.</translation>
    </message>
    <message>
        <source>The serial port: a system name (ttyUSB0, COM3) or a device path; repeat it for several ports at once. Default: the environment variable VELMOR4_PORT.</source>
        <translation>Последовательный порт: системное имя (ttyUSB0, COM3) или путь к устройству; повторите для нескольких портов сразу. По умолчанию: переменная окружения VELMOR4_PORT.</translation>
    </message>
    <message>
        <source>Instead of --port: the port whose USB serial number is &lt;number&gt; (repeatable).</source>
        <translation>Вместо --port: порт с серийным номером USB &lt;number&gt; (можно повторять).</translation>
    </message>
    <message>
        <source>Every serial port the system lists (all), every USB adapter (usb), or every adapter of one kind (a VID:PID such as 0403:6001), at once.</source>
        <translation>Сразу все последовательные порты системы (all), все адаптеры USB (usb) или все адаптеры одного типа (VID:PID, например 0403:6001).</translation>
    </message>
    <message>
        <source>Reply timeout in milliseconds, from the end of the request (default 3000).</source>
        <translation>Тайм-аут ответа в миллисекундах, от конца запроса (по умолчанию 3000).</translation>
    </message>
    <message>
        <source>Resend a request that got no reply or a reply with a bad checksum, up to &lt;n&gt; times (default 0). A resent write repeats the same bytes at the same address.</source>
        <translation>Повторять запрос без ответа или с ответом с неверной контрольной суммой, до &lt;n&gt; раз (по умолчанию 0). Повторная запись шлёт те же байты по тому же адресу.</translation>
    </message>
    <message>
        <source>flash: read the image back and compare (program always does).</source>
        <translation>flash: проверить образ чтением (program делает это всегда).</translation>
    </message>
    <message>
        <source>write, program: read nothing back.</source>
        <translation>write, program: ничего не проверять чтением.</translation>
    </message>
    <message>
        <source>program: write these settings and read them back.</source>
        <translation>program: записать эти настройки и проверить их чтением.</translation>
    </message>
    <message>
        <source>program: flash this image.</source>
        <translation>program: прошить этот образ.</translation>
    </message>
    <message>
        <source>program: the version the device must report, like 1.05.</source>
        <translation>program: версия, которую должно сообщить устройство, например 1.05.</translation>
    </message>
    <message>
        <source>The slots of a fixture, from &lt;file&gt; (below).</source>
        <translation>Гнёзда стенда из &lt;file&gt; (см. ниже).</translation>
    </message>
    <message>
        <source>A fixture: on each port, one device after another until Ctrl+C (below).</source>
        <translation>Стенд: на каждом порту устройство за устройством до Ctrl+C (см. ниже).</translation>
    </message>
    <message>
        <source>Append a JSON record of every device to &lt;file&gt; (below).</source>
        <translation>Дописывать запись JSON о каждом устройстве в &lt;file&gt; (см. ниже).</translation>
    </message>
    <message>
        <source>Log every frame sent and received, timestamped, in hex, to &lt;file&gt; (&quot;-&quot; for standard error).</source>
        <translation>Записывать каждый отправленный и принятый кадр, с отметкой времени, в hex, в &lt;file&gt; (&quot;-&quot; — стандартный поток ошибок).</translation>
    </message>
    <message>
        <source>No progress and no success messages.</source>
        <translation>Без хода работы и сообщений об успехе.</translation>
    </message>
    <message>
        <source>program: run this job file (see job new); stats: only this job&apos;s records, by name or SHA-256.</source>
        <translation>program: выполнить этот файл задания (см. job new); stats: только записи этого задания, по имени или SHA-256.</translation>
    </message>
    <message>
        <source>Who sets the devices up, for the report.</source>
        <translation>Кто настраивает устройства, для отчёта.</translation>
    </message>
    <message>
        <source>The work order, for the report.</source>
        <translation>Заказ, для отчёта.</translation>
    </message>
    <message>
        <source>The station, for the report (default: the host name); stats: only its records.</source>
        <translation>Рабочее место, для отчёта (по умолчанию имя компьютера); stats: только его записи.</translation>
    </message>
    <message>
        <source>Write what happens as JSON lines to &lt;file&gt; (&quot;-&quot; for standard output).</source>
        <translation>Писать события строками JSON в &lt;file&gt; (&quot;-&quot; — стандартный вывод).</translation>
    </message>
    <message>
        <source>job new, fixture new: the file to write.</source>
        <translation>job new, fixture new: файл, который нужно записать.</translation>
    </message>
    <message>
        <source>job new: the job&apos;s name.</source>
        <translation>job new: имя задания.</translation>
    </message>
    <message>
        <source>job new: the line or station it is for.</source>
        <translation>job new: линия или рабочее место, для которых оно.</translation>
    </message>
    <message>
        <source>stats: only records from this day (UTC) or time on.</source>
        <translation>stats: только записи начиная с этого дня (UTC) или времени.</translation>
    </message>
    <message>
        <source>stats: also write it as a page.</source>
        <translation>stats: также записать итог страницей.</translation>
    </message>
    <message>
        <source>The language of messages and help: ru or en (default: the user&apos;s language).</source>
        <translation>Язык сообщений и справки: ru или en (по умолчанию язык пользователя).</translation>
    </message>
    <message>
        <source>list, fixture, version, read, write, flash, program, job or stats (below).</source>
        <translation>list, fixture, version, read, write, flash, program, job или stats (см. ниже).</translation>
    </message>
    <message>
        <source>%1 See velmor4_cli --help.</source>
        <translation>%1 См. velmor4_cli --help.</translation>
    </message>
    <message>
        <source>--timeout wants milliseconds from 1 to 3600000</source>
        <translation>--timeout требует число миллисекунд от 1 до 3600000</translation>
    </message>
    <message>
        <source>--retries wants a number from 0 to 100</source>
        <translation>--retries требует число от 0 до 100</translation>
    </message>
    <message>
        <source>--port and --serial exclude each other</source>
        <translation>--port и --serial исключают друг друга</translation>
    </message>
    <message>
        <source>--ports takes all, usb or a VID:PID of four hex digits each, like 0403:6001, once</source>
        <translation>--ports принимает один раз all, usb или VID:PID из двух групп по четыре шестнадцатеричные цифры, например 0403:6001</translation>
    </message>
    <message>
        <source>--ports excludes --port and --serial</source>
        <translation>--ports исключает --port и --serial</translation>
    </message>
    <message>
        <source>--fixture excludes --port, --serial and --ports</source>
        <translation>--fixture исключает --port, --serial и --ports</translation>
    </message>
    <message>
        <source>--verify and --no-verify exclude each other</source>
        <translation>--verify и --no-verify исключают друг друга</translation>
    </message>
    <message>
        <source>no command given. See velmor4_cli --help.</source>
        <translation>команда не указана. См. velmor4_cli --help.</translation>
    </message>
    <message>
        <source>unknown command %1. See velmor4_cli --help.</source>
        <translation>неизвестная команда %1. См. velmor4_cli --help.</translation>
    </message>
    <message>
        <source>--%1 belongs to %2</source>
        <translation>--%1 относится к %2</translation>
    </message>
    <message>
        <source>usage: velmor4_cli [options] %1</source>
        <translation>использование: velmor4_cli [параметры] %1</translation>
    </message>
    <message>
        <source>with --events -, standard output carries the events: give read a FILE</source>
        <translation>с --events - стандартный вывод занят событиями: укажите read файл FILE</translation>
    </message>
    <message>
        <source>--job names the files and the version itself: it excludes --settings, --firmware and --expect-version</source>
        <translation>--job сам задаёт файлы и версию: он исключает --settings, --firmware и --expect-version</translation>
    </message>
    <message>
        <source>cannot write the trace to %1: %2</source>
        <translation>не удаётся записать трассировку в %1: %2</translation>
    </message>
    <message>
        <source>cannot append to the report %1: %2</source>
        <translation>не удаётся дописать отчёт %1: %2</translation>
    </message>
    <message>
        <source>cannot write the events to %1: %2</source>
        <translation>не удаётся записать поток событий в %1: %2</translation>
    </message>
    <message>
        <source>fixture new wants -o FILE</source>
        <translation>fixture new требует -o FILE</translation>
    </message>
    <message>
        <source>no USB adapter with a location is plugged in (velmor4_cli list shows them)</source>
        <translation>не подключён ни один адаптер USB с местом подключения (адаптеры показывает velmor4_cli list)</translation>
    </message>
    <message>
        <source>cannot read the fixture %1: %2</source>
        <translation>не удаётся прочитать файл стенда %1: %2</translation>
    </message>
    <message>
        <source>fixture %1, %2</source>
        <translation>файл стенда %1, %2</translation>
    </message>
    <message>
        <source>--ports %1: the system lists no such serial port (velmor4_cli list shows them)</source>
        <translation>--ports %1: в системе нет такого последовательного порта (порты показывает velmor4_cli list)</translation>
    </message>
    <message>
        <source>no port given: use --port NAME, --serial NUMBER, --ports all or --fixture FILE, or set VELMOR4_PORT</source>
        <translation>порт не указан: задайте --port NAME, --serial NUMBER, --ports all или --fixture FILE либо переменную VELMOR4_PORT</translation>
    </message>
    <message>
        <source>slot %1 (%2)</source>
        <translation>гнездо %1 (%2)</translation>
    </message>
    <message>
        <source>%1 matches several ports: %2; name one by its location instead (velmor4_cli list shows them)</source>
        <translation>%1 подходит к нескольким портам: %2; укажите один по месту подключения (порты показывает velmor4_cli list)</translation>
    </message>
    <message>
        <source>no port has the USB serial number %1 (velmor4_cli list shows them)</source>
        <translation>ни у одного порта нет серийного номера USB %1 (порты показывает velmor4_cli list)</translation>
    </message>
    <message>
        <source>%1 and %2 are the same port, %3</source>
        <translation>%1 и %2 — один и тот же порт, %3</translation>
    </message>
    <message>
        <source>estimating</source>
        <translation>оценка…</translation>
    </message>
    <message>
        <source>%1:%2 left</source>
        <translation>осталось %1:%2</translation>
    </message>
    <message>
        <source>no adapter with %1 is plugged in</source>
        <translation>адаптер с %1 не подключён</translation>
    </message>
    <message>
        <source>program it again</source>
        <translation>запрограммируйте его заново</translation>
    </message>
    <message>
        <source>SLOT</source>
        <translation>ГНЕЗДО</translation>
    </message>
    <message>
        <source>PORT</source>
        <translation>ПОРТ</translation>
    </message>
    <message>
        <source>LOCATION</source>
        <translation>МЕСТО</translation>
    </message>
    <message>
        <source>SERIAL</source>
        <translation>С/Н</translation>
    </message>
    <message>
        <source>DEVICES</source>
        <translation>УСТРОЙСТВ</translation>
    </message>
    <message>
        <source>RESULT</source>
        <translation>ИТОГ</translation>
    </message>
    <message>
        <source>TIME</source>
        <translation>ВРЕМЯ</translation>
    </message>
    <message>
        <source>MESSAGE</source>
        <translation>СООБЩЕНИЕ</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 с</translation>
    </message>
    <message>
        <source>devices: %1, passed: %2</source>
        <translation>устройств: %1, годных: %2</translation>
    </message>
    <message>
        <source>%1 of %2 ports ok</source>
        <translation>успешно: %1 из %2 портов</translation>
    </message>
    <message>
        <source>interrupted: %1 (program it again)</source>
        <translation>прервано: %1 (запрограммируйте его заново)</translation>
    </message>
    <message>
        <source>interrupted: %1 (program them again)</source>
        <translation>прервано: %1 (запрограммируйте их заново)</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>строка %1: %2</translation>
    </message>
    <message>
        <source>want NAME location=VALUE, NAME serial=VALUE or NAME port=VALUE, not &quot;%1&quot;</source>
        <translation>нужно NAME location=VALUE, NAME serial=VALUE или NAME port=VALUE, а не &quot;%1&quot;</translation>
    </message>
    <message>
        <source>the slot name %1 is used twice</source>
        <translation>имя гнезда %1 встречается дважды</translation>
    </message>
    <message>
        <source>%1 names the adapter of another slot</source>
        <translation>%1 указывает на адаптер другого гнезда</translation>
    </message>
    <message>
        <source>no slot in it</source>
        <translation>в нём нет ни одного гнезда</translation>
    </message>
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
        <source>write of %1 bytes at %2</source>
        <translation>запись %1 байт по адресу %2</translation>
    </message>
    <message>
        <source>read of %1 bytes at %2</source>
        <translation>чтение %1 байт по адресу %2</translation>
    </message>
    <message>
        <source>no reply, resending (%1 of %2)</source>
        <translation>нет ответа, повтор (%1 из %2)</translation>
    </message>
    <message>
        <source>bad checksum, resending (%1 of %2)</source>
        <translation>неверная контрольная сумма, повтор (%1 из %2)</translation>
    </message>
    <message>
        <source>, %1 attempts</source>
        <translation>, попыток: %1</translation>
    </message>
    <message>
        <source>no reply from the device on %1 within %2 ms (%3%4)</source>
        <translation>нет ответа от устройства на %1 за %2 мс (%3%4)</translation>
    </message>
    <message>
        <source>reply with a bad checksum from the device on %1 (%2%3)</source>
        <translation>ответ с неверной контрольной суммой от устройства на %1 (%2%3)</translation>
    </message>
    <message>
        <source>interrupted during the %1; nothing more was sent</source>
        <translation>прервано во время операции: %1; больше ничего не отправлено</translation>
    </message>
    <message>
        <source>the device answered %1 bytes to a read of %2 bytes at %3</source>
        <translation>устройство ответило %1 байт на чтение %2 байт по адресу %3</translation>
    </message>
    <message>
        <source>the device refused the write of %1 bytes at %2</source>
        <translation>устройство отклонило запись %1 байт по адресу %2</translation>
    </message>
    <message>
        <source>verify failed at %1: wrote 0x%2, read back 0x%3</source>
        <translation>проверка чтением не прошла по адресу %1: записано 0x%2, прочитано 0x%3</translation>
    </message>
    <message>
        <source>settings file</source>
        <translation>файл настроек</translation>
    </message>
    <message>
        <source>firmware file</source>
        <translation>файл прошивки</translation>
    </message>
    <message>
        <source>the job %1 names the %2 %3, which cannot be read (%4): its SHA-256 is unknown, the job&apos;s is %5; nothing was sent</source>
        <translation>задание %1 указывает %2 %3, который не читается (%4): его SHA-256 неизвестен, в задании %5; ничего не отправлено</translation>
    </message>
    <message>
        <source>the %1 %2 is not the one the job %3 released: its SHA-256 is %4, the job&apos;s is %5; nothing was sent</source>
        <translation>%1 %2 не тот, что выпущен заданием %3: его SHA-256 %4, в задании %5; ничего не отправлено</translation>
    </message>
</context>
</TS>
