<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru_RU">
<context>
    <name>kvmt::CdcLog</name>
    <message>
        <source>Порт отладочного журнала %1 занят другой программой. Закройте её (например, терминал), затем откройте журнал снова.</source>
        <translation>The debug log port %1 is in use by another program. Close it (a terminal, for example), then open the log again.</translation>
    </message>
    <message>
        <source>Нет прав на открытие порта отладочного журнала %1. Если пакет программы установлен, отключите трекер и подключите его снова: правило udev 70-kvmtconf.rules даёт доступ пользователю, работающему за компьютером. Иначе добавьте пользователя в группу %2 (sudo adduser $USER %2), затем выйдите из системы и войдите снова.</source>
        <translation>No permission to open the debug log port %1. If the program&apos;s package is installed, unplug the tracker and plug it in again: the udev rule 70-kvmtconf.rules gives access to the user working at the computer. Otherwise add your user to the group %2 (sudo adduser $USER %2), then log out and log in again.</translation>
    </message>
</context>
<context>
    <name>kvmt::ChangeMarks</name>
    <message>
        <source>Трекер не ответил при чтении: его значение неизвестно</source>
        <translation>The tracker did not answer when read: its value is unknown</translation>
    </message>
    <message>
        <source>включено</source>
        <translation>on</translation>
    </message>
    <message>
        <source>выключено</source>
        <translation>off</translation>
    </message>
    <message>
        <source>(пусто)</source>
        <translation>(empty)</translation>
    </message>
    <message>
        <source>В трекере: %1</source>
        <translation>In the tracker: %1</translation>
    </message>
    <message>
        <source>До загрузки файла: %1</source>
        <translation>Before the file was loaded: %1</translation>
    </message>
    <message>
        <source>Отличается от значения в трекере</source>
        <translation>Differs from the value in the tracker</translation>
    </message>
    <message>
        <source>Изменено загрузкой файла</source>
        <translation>Changed by the file that was loaded</translation>
    </message>
</context>
<context>
    <name>kvmt::ChangesDialog</name>
    <message>
        <source>Изменения</source>
        <translation>Changes</translation>
    </message>
    <message>
        <source>Параметр</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>В трекере</source>
        <translation>In the tracker</translation>
    </message>
    <message>
        <source>Будет записано</source>
        <translation>To be written</translation>
    </message>
    <message>
        <source>Настройки трекера не считаны: сравнивать не с чем.</source>
        <translation>The tracker&apos;s settings have not been read: there is nothing to compare with.</translation>
    </message>
    <message>
        <source>Сохранение ничего не изменит: все параметры совпадают с трекером.</source>
        <translation>Save would change nothing: every setting is as the tracker holds it.</translation>
    </message>
    <message>
        <source>Сохранение запишет в трекер параметров, отличных от считанных: %1</source>
        <translation>Save would write settings that differ from those read: %1</translation>
    </message>
    <message>
        <source>Трекер не ответил на этот параметр при чтении</source>
        <translation>The tracker did not answer this setting when read</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>kvmt::Configurator</name>
    <message>
        <source>Запись отменена</source>
        <translation>Writing cancelled</translation>
    </message>
    <message>
        <source>Настройки трекера не считаны, и окно не заполнено из файла профиля. Запись отправит в трекер значения окна, а не трекера:

%1

Записать их?</source>
        <translation>The tracker&apos;s settings have not been read, and the window has not been filled from a profile file. Writing would send the window&apos;s values to the tracker, not the tracker&apos;s own:

%1

Write them?</translation>
    </message>
</context>
<context>
    <name>kvmt::CommunicationTests</name>
    <message>
        <source>Тестирование успешно завершено</source>
        <translation>Test completed successfully</translation>
    </message>
    <message>
        <source>Ошибка при тестировании</source>
        <translation>Test failed</translation>
    </message>
    <message>
        <source>Тестирование остановлено: трекер может завершить тест сам</source>
        <translation>Test stopped: the tracker may still finish the test on its own</translation>
    </message>
    <message>
        <source>Тестирование остановлено: тест не запущен</source>
        <translation>Test stopped: the test was not started</translation>
    </message>
</context>
<context>
    <name>kvmt::ConnectionMonitor</name>
    <message>
        <source>Драйвер устройств RW не установлен.</source>
        <translation>The RW device driver is not installed.</translation>
    </message>
    <message>
        <source>Опознание прибора</source>
        <translation>Identifying the tracker</translation>
    </message>
    <message>
        <source>Чтение параметров</source>
        <translation>Reading settings</translation>
    </message>
    <message>
        <source>Неверный пароль. Доступ не возможен</source>
        <translation>Wrong password. Access denied</translation>
    </message>
    <message>
        <source>Пароль OK</source>
        <translation>Password OK</translation>
    </message>
    <message>
        <source>Трекер не ответил на пароль. Настройки не считаны</source>
        <translation>The tracker did not answer the password. Settings not read</translation>
    </message>
    <message>
        <source>Чтение остановлено: настройки не считаны</source>
        <translation>Reading stopped: settings not read</translation>
    </message>
</context>
<context>
    <name>kvmt::DeviceSettings</name>
    <message>
        <source>Яндекс карты</source>
        <translation>Yandex Maps</translation>
    </message>
    <message>
        <source>Пользовательский 1 (USR1)</source>
        <translation>User 1 (USR1)</translation>
    </message>
    <message>
        <source>Пользовательский 2 (USR2)</source>
        <translation>User 2 (USR2)</translation>
    </message>
    <message>
        <source>Пользовательский (USR)</source>
        <translation>User (USR)</translation>
    </message>
    <message>
        <source>Сон (SLP)</source>
        <translation>Sleep (SLP)</translation>
    </message>
    <message>
        <source>Авто (CAR)</source>
        <translation>Car (CAR)</translation>
    </message>
    <message>
        <source>Груз (CRG)</source>
        <translation>Cargo (CRG)</translation>
    </message>
    <message>
        <source>Трекер (TKR)</source>
        <translation>Tracker (TKR)</translation>
    </message>
    <message>
        <source>Поиск (SRH)</source>
        <translation>Search (SRH)</translation>
    </message>
    <message>
        <source>Авто (Car)</source>
        <translation>Car (Car)</translation>
    </message>
    <message>
        <source>Треккер (TKR)</source>
        <translation>Tracker (TKR)</translation>
    </message>
    <message>
        <source>очень низкая</source>
        <translation>very low</translation>
    </message>
    <message>
        <source>низкая</source>
        <translation>low</translation>
    </message>
    <message>
        <source>нормальная</source>
        <translation>normal</translation>
    </message>
    <message>
        <source>высокая</source>
        <translation>high</translation>
    </message>
    <message>
        <source>очень высокая</source>
        <translation>very high</translation>
    </message>
</context>
<context>
    <name>kvmt::FieldRules</name>
    <message>
        <source>&quot;%1&quot; не является целым числом</source>
        <translation>&quot;%1&quot; is not an integer</translation>
    </message>
</context>
<context>
    <name>kvmt::KeyFilters</name>
    <message>
        <source>Значение поля «%1» не может содержать символ «;»</source>
        <translation>The value of the field &quot;%1&quot; cannot contain the character &quot;;&quot;</translation>
    </message>
</context>
<context>
    <name>kvmt::KeyTable</name>
    <message>
        <source>Прошивка не поддерживает акселерометр</source>
        <translation>The firmware does not support the accelerometer</translation>
    </message>
</context>
<context>
    <name>kvmt::Language</name>
    <message>
        <source>USER_MANUAL_KVMTConf.pdf</source>
        <translation>USER_MANUAL_KVMTConf_EN.pdf</translation>
    </message>
</context>
<context>
    <name>kvmt::PasswordProtection</name>
    <message>
        <source>Прибор не подключен</source>
        <translation>No device connected</translation>
    </message>
    <message>
        <source>Изменение состояния защиты</source>
        <translation>Changing the protection state</translation>
    </message>
    <message>
        <source>Включение защиты невозможно</source>
        <translation>Protection cannot be switched on</translation>
    </message>
    <message>
        <source>Состояние защиты изменено</source>
        <translation>Protection state changed</translation>
    </message>
    <message>
        <source>Неверный пароль</source>
        <translation>Wrong password</translation>
    </message>
    <message>
        <source>Изменение пароля</source>
        <translation>Changing the password</translation>
    </message>
    <message>
        <source>Неверный формат</source>
        <translation>Wrong format</translation>
    </message>
    <message>
        <source>изменение пароля невозможно</source>
        <translation>the password cannot be changed</translation>
    </message>
    <message>
        <source>Пароль успешно изменен</source>
        <translation>Password changed</translation>
    </message>
    <message>
        <source>Неверный старый пароль</source>
        <translation>Wrong old password</translation>
    </message>
    <message>
        <source>Установка пароля</source>
        <translation>Setting the password</translation>
    </message>
    <message>
        <source>Неверный формат мастер-пароля</source>
        <translation>Wrong master password format</translation>
    </message>
    <message>
        <source>Неверный формат нового пароля</source>
        <translation>Wrong new password format</translation>
    </message>
    <message>
        <source>Запись имени пользователя APN невозможна. Проверьте уровень защиты</source>
        <translation>The APN user name cannot be written. Check the protection level</translation>
    </message>
    <message>
        <source>Неверный мастер-пароль</source>
        <translation>Wrong master password</translation>
    </message>
</context>
<context>
    <name>kvmt::ProfileFile</name>
    <message>
        <source>Открыть файлы настроек</source>
        <translation>Open settings files</translation>
    </message>
    <message>
        <source>Сохранить профиль настроек</source>
        <translation>Save settings profile</translation>
    </message>
    <message>
        <source>Ошибка</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Файл не существует</source>
        <translation>The file does not exist</translation>
    </message>
    <message>
        <source>Не удалось открыть файл %1: %2</source>
        <translation>Cannot open the file %1: %2</translation>
    </message>
    <message>
        <source>Файл пустой</source>
        <translation>The file is empty</translation>
    </message>
    <message>
        <source>Файл слишком большой для профиля настроек: %1 байт, допускается не более %2</source>
        <translation>The file is too large for a settings profile: %1 bytes, at most %2 allowed</translation>
    </message>
    <message>
        <source>Файл слишком большой для профиля настроек: больше %1 байт</source>
        <translation>The file is too large for a settings profile: more than %1 bytes</translation>
    </message>
    <message>
        <source>Чтение настроек из файла</source>
        <translation>Reading settings from the file</translation>
    </message>
    <message>
        <source>Настройки из файла считаны</source>
        <translation>Settings read from the file</translation>
    </message>
    <message>
        <source>Профиль настроек  сохранен в файле</source>
        <translation>Settings profile saved to the file</translation>
    </message>
    <message>
        <source>Значения %1 в файле содержат символ «;» и не загружены</source>
        <translation>The values %1 in the file contain the character &quot;;&quot; and were not loaded</translation>
    </message>
    <message>
        <source>Строки файла оканчиваются только символом LF (так сохраняют файлы в Linux и macOS), а программа ожидает в конце строки CR LF: значения %1 и строки за ними до ближайшего CR LF не загружены. Сохраните файл с концами строк CR LF</source>
        <translation>The file&apos;s lines end in LF only (as files saved on Linux and macOS do), and the program expects CR LF at the end of a line: the values %1 and the lines after them up to the next CR LF were not loaded. Save the file with CR LF line ends</translation>
    </message>
    <message>
        <source>Значения %1 в файле неполны или не являются числами и не загружены</source>
        <translation>The values %1 in the file are incomplete or not numbers and were not loaded</translation>
    </message>
</context>
<context>
    <name>kvmt::ProfileLayout</name>
    <message>
        <source>Просыпаться с периодом</source>
        <translation>Wake up with the period</translation>
    </message>
    <message>
        <source>Отправлять в</source>
        <translation>Send at</translation>
    </message>
    <message>
        <source>Отправлять с периодом</source>
        <translation>Send with the period</translation>
    </message>
    <message>
        <source>Определять координаты с периодом</source>
        <translation>Find the position with the period</translation>
    </message>
</context>
<context>
    <name>kvmt::ProfileSelection</name>
    <message>
        <source>Чтение профиля</source>
        <translation>Reading the profile</translation>
    </message>
    <message>
        <source>Тип отладочной информации прочитан</source>
        <translation>Debug information type read</translation>
    </message>
</context>
<context>
    <name>kvmt::ReadSequence</name>
    <message>
        <source>Трекер заблокирован паролем: не считано настроек: %1</source>
        <translation>The tracker is locked by its password: settings not read: %1</translation>
    </message>
    <message>
        <source>Чтение остановлено: не считано настроек: %1</source>
        <translation>Read stopped: settings not read: %1</translation>
    </message>
</context>
<context>
    <name>kvmt::SettingsSummary</name>
    <message>
        <source>не задано</source>
        <translation>not set</translation>
    </message>
    <message>
        <source>не установлен</source>
        <translation>not set</translation>
    </message>
    <message>
        <source>не установлена</source>
        <translation>not set</translation>
    </message>
    <message>
        <source>не установлено</source>
        <translation>not set</translation>
    </message>
    <message>
        <source>Вкл</source>
        <translation>On</translation>
    </message>
    <message>
        <source>Выкл</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Имя прибора = %s</source>
        <translation>Device name = %s</translation>
    </message>
    <message>
        <source>Профиль = %s</source>
        <translation>Profile = %s</translation>
    </message>
    <message>
        <source>Передача SMS = %s</source>
        <translation>SMS sending = %s</translation>
    </message>
    <message>
        <source>Период передачи SMS = %s</source>
        <translation>SMS period = %s</translation>
    </message>
    <message>
        <source>Время передачи SMS = %s</source>
        <translation>SMS time = %s</translation>
    </message>
    <message>
        <source>Изменение профиля по звонку на номер 1 = %s</source>
        <translation>Profile change by a call to number 1 = %s</translation>
    </message>
    <message>
        <source>Изменить на профиль  = %s</source>
        <translation>Change to profile  = %s</translation>
    </message>
    <message>
        <source>Передача на сервер = %s</source>
        <translation>Sending to the server = %s</translation>
    </message>
    <message>
        <source>Период передачи на сервер = %s</source>
        <translation>Server period = %s</translation>
    </message>
    <message>
        <source>Время передачи на сервер = %s</source>
        <translation>Server time = %s</translation>
    </message>
    <message>
        <source>Передача на почту = %s</source>
        <translation>Sending by e-mail = %s</translation>
    </message>
    <message>
        <source>Период передачи на почту = %s</source>
        <translation>E-mail period = %s</translation>
    </message>
    <message>
        <source>Время передачи на почту = %s</source>
        <translation>E-mail time = %s</translation>
    </message>
    <message>
        <source>Прием GPS = %s</source>
        <translation>GPS reception = %s</translation>
    </message>
    <message>
        <source>Период приема GPS = %s</source>
        <translation>GPS period = %s</translation>
    </message>
    <message>
        <source>SMS команды без пароля = %s</source>
        <translation>SMS commands without password = %s</translation>
    </message>
    <message>
        <source>SMS номер 1 = %s</source>
        <translation>SMS number 1 = %s</translation>
    </message>
    <message>
        <source>SMS номер 2 = %s</source>
        <translation>SMS number 2 = %s</translation>
    </message>
    <message>
        <source>SMS номер 3 = %s</source>
        <translation>SMS number 3 = %s</translation>
    </message>
    <message>
        <source>Номер SMS шлюза = %s</source>
        <translation>SMS gateway number = %s</translation>
    </message>
    <message>
        <source>Передача через SMS шлюз = %s</source>
        <translation>Sending through the SMS gateway = %s</translation>
    </message>
    <message>
        <source>После отправки SMS оставаться на связи, мин = %s</source>
        <translation>Stay on line after an SMS, min = %s</translation>
    </message>
    <message>
        <source>Номер запроса баланса = %s</source>
        <translation>Balance request number = %s</translation>
    </message>
    <message>
        <source>Порог баланса = %s</source>
        <translation>Balance threshold = %s</translation>
    </message>
    <message>
        <source>Отправлять баланс в SMS = %s</source>
        <translation>Send the balance by SMS = %s</translation>
    </message>
    <message>
        <source>Отправлять баланс на почту = %s</source>
        <translation>Send the balance by e-mail = %s</translation>
    </message>
    <message>
        <source>Адрес сервера = %s</source>
        <translation>Server address = %s</translation>
    </message>
    <message>
        <source>Порт сервера = %s</source>
        <translation>Server port = %s</translation>
    </message>
    <message>
        <source>Пароль прибора = %s</source>
        <translation>Device password = %s</translation>
    </message>
    <message>
        <source>SMTP сервер = %s</source>
        <translation>SMTP server = %s</translation>
    </message>
    <message>
        <source>SMTP порт = %s</source>
        <translation>SMTP port = %s</translation>
    </message>
    <message>
        <source>SMTP логин = %s</source>
        <translation>SMTP login = %s</translation>
    </message>
    <message>
        <source>SMTP пароль = %s</source>
        <translation>SMTP password = %s</translation>
    </message>
    <message>
        <source>SMTP от кого = %s</source>
        <translation>SMTP from = %s</translation>
    </message>
    <message>
        <source>SMTP кому 1 = %s</source>
        <translation>SMTP to 1 = %s</translation>
    </message>
    <message>
        <source>SMTP кому 2 = %s</source>
        <translation>SMTP to 2 = %s</translation>
    </message>
    <message>
        <source>SMTP кому 3 = %s</source>
        <translation>SMTP to 3 = %s</translation>
    </message>
    <message>
        <source>SMTP кому 4 = %s</source>
        <translation>SMTP to 4 = %s</translation>
    </message>
    <message>
        <source>GSM пин-код = %s</source>
        <translation>GSM PIN code = %s</translation>
    </message>
    <message>
        <source>APN точка доступа = %s</source>
        <translation>APN access point = %s</translation>
    </message>
    <message>
        <source>APN логин = %s</source>
        <translation>APN login = %s</translation>
    </message>
    <message>
        <source>APN пароль = %s</source>
        <translation>APN password = %s</translation>
    </message>
    <message>
        <source>Числовые значения</source>
        <translation>Numeric values</translation>
    </message>
    <message>
        <source>Шаблон координат = %s</source>
        <translation>Position template = %s</translation>
    </message>
    <message>
        <source>Запрет авт. определения координат по баз. станциям = %s</source>
        <translation>No automatic positioning by base stations = %s</translation>
    </message>
    <message>
        <source>Акселерометр = %s</source>
        <translation>Accelerometer = %s</translation>
    </message>
    <message>
        <source>Чувствительность акселерометра = %s</source>
        <translation>Accelerometer sensitivity = %s</translation>
    </message>
    <message>
        <source>SMS по акселерометру = %s</source>
        <translation>SMS on motion = %s</translation>
    </message>
    <message>
        <source>SMS без ожидания координат = %s</source>
        <translation>SMS without waiting for a position = %s</translation>
    </message>
    <message>
        <source>На сервер по акселерометру = %s</source>
        <translation>To the server on motion = %s</translation>
    </message>
    <message>
        <source>На почту по акселерометру = %s</source>
        <translation>By e-mail on motion = %s</translation>
    </message>
    <message>
        <source>На номер 1 по акселерометру = %s</source>
        <translation>Call number 1 on motion = %s</translation>
    </message>
    <message>
        <source>Задержка после остановки, мин = %s</source>
        <translation>Delay after stopping, min = %s</translation>
    </message>
    <message>
        <source>Период действия акселерометра = %s</source>
        <translation>Accelerometer active = %s</translation>
    </message>
    <message>
        <source>с %1 по %2</source>
        <translation>from %1 to %2</translation>
    </message>
    <message>
        <source>Запрос пароля при входе = %s</source>
        <translation>Password asked at connection = %s</translation>
    </message>
    <message>
        <source>Разрешить контроль зоны = %s</source>
        <translation>Zone control allowed = %s</translation>
    </message>
    <message>
        <source>Широта = %s</source>
        <translation>Latitude = %s</translation>
    </message>
    <message>
        <source>Долгота = %s</source>
        <translation>Longitude = %s</translation>
    </message>
    <message>
        <source>Радиус контр. зоны, м = %s</source>
        <translation>Control zone radius, m = %s</translation>
    </message>
    <message>
        <source>Выход из контр. зоны = %s</source>
        <translation>Leaving the control zone = %s</translation>
    </message>
    <message>
        <source>Вход в контр. зону = %s</source>
        <translation>Entering the control zone = %s</translation>
    </message>
    <message>
        <source>SMS по контр. зоне = %s</source>
        <translation>SMS on the control zone = %s</translation>
    </message>
    <message>
        <source>На сервер по контр. зоне = %s</source>
        <translation>To the server on the control zone = %s</translation>
    </message>
    <message>
        <source>На почту по контр. зоне = %s</source>
        <translation>By e-mail on the control zone = %s</translation>
    </message>
    <message>
        <source>Индикация светодиодов = %s</source>
        <translation>LED indication = %s</translation>
    </message>
    <message>
        <source>Установить время с компьютера = %s</source>
        <translation>Set the time from the computer = %s</translation>
    </message>
    <message>
        <source>Время, дата = %s</source>
        <translation>Time, date = %s</translation>
    </message>
    <message>
        <source>Часовой пояс = %s</source>
        <translation>Time zone = %s</translation>
    </message>
    <message>
        <source>Переход на летнее время = %s</source>
        <translation>Daylight saving time = %s</translation>
    </message>
</context>
<context>
    <name>kvmt::TForm1</name>
    <message>
        <source>Часы</source>
        <translation>Hours</translation>
    </message>
    <message>
        <source>Минуты</source>
        <translation>Minutes</translation>
    </message>
    <message>
        <source>Использовать акселерометр</source>
        <translation>Use the accelerometer</translation>
    </message>
    <message>
        <source>Чувствительность акселерометра</source>
        <translation>Accelerometer sensitivity</translation>
    </message>
    <message>
        <source>Задержка после остановки, мин</source>
        <translation>Delay after stopping, min</translation>
    </message>
    <message>
        <source>Оповещения</source>
        <translation>Alerts</translation>
    </message>
    <message>
        <source>Отправлять SMS</source>
        <translation>Send SMS</translation>
    </message>
    <message>
        <source>SMS без ожидания координат</source>
        <translation>SMS without waiting for a position</translation>
    </message>
    <message>
        <source>Отправлять на сервер</source>
        <translation>Send to the server</translation>
    </message>
    <message>
        <source>Отправлять на Email</source>
        <translation>Send by e-mail</translation>
    </message>
    <message>
        <source>Звонок на номер 1</source>
        <translation>Call number 1</translation>
    </message>
    <message>
        <source>Период действия</source>
        <translation>Active period</translation>
    </message>
    <message>
        <source>Начало</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Конец</source>
        <translation>End</translation>
    </message>
    <message>
        <source>Разрешить контроль</source>
        <translation>Allow control</translation>
    </message>
    <message>
        <source>Контроль</source>
        <translation>Control</translation>
    </message>
    <message>
        <source>  выхода из зоны</source>
        <translation>  leaving the zone</translation>
    </message>
    <message>
        <source>  входа в зону</source>
        <translation>  entering the zone</translation>
    </message>
    <message>
        <source>Координаты контрольной зоны</source>
        <translation>Control zone position</translation>
    </message>
    <message>
        <source>Широта</source>
        <translation>Latitude</translation>
    </message>
    <message>
        <source>Долгота</source>
        <translation>Longitude</translation>
    </message>
    <message>
        <source>Радиус, м</source>
        <translation>Radius, m</translation>
    </message>
    <message>
        <source>Отправить</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>  SMS</source>
        <translation>  SMS</translation>
    </message>
    <message>
        <source>  на сервер</source>
        <translation>  to the server</translation>
    </message>
    <message>
        <source>  на почту</source>
        <translation>  by e-mail</translation>
    </message>
    <message>
        <source>PIN код:</source>
        <translation>PIN code:</translation>
    </message>
    <message>
        <source>Точка доступа APN:</source>
        <translation>APN access point:</translation>
    </message>
    <message>
        <source>Имя пользователя APN:</source>
        <translation>APN user name:</translation>
    </message>
    <message>
        <source>Пароль APN:</source>
        <translation>APN password:</translation>
    </message>
    <message>
        <source>Запретить автоматическое определение координат по базовым станциям</source>
        <translation>No automatic positioning by base stations</translation>
    </message>
    <message>
        <source>Запрос баланса</source>
        <translation>Balance request</translation>
    </message>
    <message>
        <source>USSD запрос баланса</source>
        <translation>USSD balance request</translation>
    </message>
    <message>
        <source>Порог предупреждения</source>
        <translation>Warning threshold</translation>
    </message>
    <message>
        <source>Отправлять баланс в SMS</source>
        <translation>Send the balance by SMS</translation>
    </message>
    <message>
        <source>Отправлять баланс в Email</source>
        <translation>Send the balance by e-mail</translation>
    </message>
    <message>
        <source>Изменение профиля по звонку</source>
        <translation>Profile change by a call</translation>
    </message>
    <message>
        <source>Изменить на</source>
        <translation>Change to</translation>
    </message>
    <message>
        <source>SMTP сервер:</source>
        <translation>SMTP server:</translation>
    </message>
    <message>
        <source>Порт:</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>Логин:</source>
        <translation>Login:</translation>
    </message>
    <message>
        <source>Пароль:</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>От кого</source>
        <translation>From</translation>
    </message>
    <message>
        <source>Разрешение SSL</source>
        <translation>Allow SSL</translation>
    </message>
    <message>
        <source>Получатели</source>
        <translation>Recipients</translation>
    </message>
    <message>
        <source>Тест SMTP</source>
        <translation>SMTP test</translation>
    </message>
    <message>
        <source>Имя прибора</source>
        <translation>Device name</translation>
    </message>
    <message>
        <source>Откл. индикацию светодиодов</source>
        <translation>LEDs off</translation>
    </message>
    <message>
        <source>Установка времени и часового пояса</source>
        <translation>Time and time zone</translation>
    </message>
    <message>
        <source>Установить с компьютера</source>
        <translation>Take from the computer</translation>
    </message>
    <message>
        <source>Время</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>Часовой пояс</source>
        <translation>Time zone</translation>
    </message>
    <message>
        <source>Переход на летнее время</source>
        <translation>Daylight saving time</translation>
    </message>
    <message>
        <source>Шаблон для координат</source>
        <translation>Position template</translation>
    </message>
    <message>
        <source>Координаты без  ссылки</source>
        <translation>Position without  link</translation>
    </message>
    <message>
        <source>Отладка</source>
        <translation>Debugging</translation>
    </message>
    <message>
        <source>Выводить Log</source>
        <translation>Output log</translation>
    </message>
    <message>
        <source>Передавать данные при подключении USB</source>
        <translation>Send data while USB is connected</translation>
    </message>
    <message>
        <source>Заводские настройки</source>
        <translation>Factory settings</translation>
    </message>
    <message>
        <source>CMD</source>
        <translation>CMD</translation>
    </message>
    <message>
        <source>Button2</source>
        <translation>Button2</translation>
    </message>
    <message>
        <source>BOOT</source>
        <translation>BOOT</translation>
    </message>
    <message>
        <source>Период:</source>
        <translation>Period:</translation>
    </message>
    <message>
        <source>Время:</source>
        <translation>Time:</translation>
    </message>
    <message>
        <source>GPS</source>
        <translation>GPS</translation>
    </message>
    <message>
        <source>Разрешить отдельно включать GPS</source>
        <translation>Allow switching GPS on separately</translation>
    </message>
    <message>
        <source>Период</source>
        <translation>Period</translation>
    </message>
    <message>
        <source>SMS</source>
        <translation>SMS</translation>
    </message>
    <message>
        <source>Отправлять  SMS</source>
        <translation>Send  SMS</translation>
    </message>
    <message>
        <source>Сервер</source>
        <translation>Server</translation>
    </message>
    <message>
        <source>Электронная почта</source>
        <translation>E-mail</translation>
    </message>
    <message>
        <source>Отправлять на EMail</source>
        <translation>Send by e-mail</translation>
    </message>
    <message>
        <source>Применить</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>Защита от изменения настроек</source>
        <translation>Protection against changes</translation>
    </message>
    <message>
        <source>   Запрашивать пароль при </source>
        <translation>   Ask for the password when </translation>
    </message>
    <message>
        <source>входе в конфигуратор</source>
        <translation>the configurator connects</translation>
    </message>
    <message>
        <source>Пароль</source>
        <translation>Password</translation>
    </message>
    <message>
        <source>Изменение пароля прибора</source>
        <translation>Changing the device password</translation>
    </message>
    <message>
        <source>Старый пароль</source>
        <translation>Old password</translation>
    </message>
    <message>
        <source>Новый пароль</source>
        <translation>New password</translation>
    </message>
    <message>
        <source>Установка нового пароля прибора</source>
        <translation>Setting a new device password</translation>
    </message>
    <message>
        <source>Мастер пароль</source>
        <translation>Master password</translation>
    </message>
    <message>
        <source>Показывать пароли</source>
        <translation>Show passwords</translation>
    </message>
    <message>
        <source>Адрес сервера:</source>
        <translation>Server address:</translation>
    </message>
    <message>
        <source>Порт сервера:</source>
        <translation>Server port:</translation>
    </message>
    <message>
        <source>Пароль сервера:</source>
        <translation>Server password:</translation>
    </message>
    <message>
        <source>Тест сервера</source>
        <translation>Server test</translation>
    </message>
    <message>
        <source>Номера вводить с префиксом +7</source>
        <translation>Enter numbers with the prefix +7</translation>
    </message>
    <message>
        <source> Мастер </source>
        <translation> Master </translation>
    </message>
    <message>
        <source>Команды без пароля</source>
        <translation>Commands without password</translation>
    </message>
    <message>
        <source>Номер 1:</source>
        <translation>Number 1:</translation>
    </message>
    <message>
        <source>Номер 2:</source>
        <translation>Number 2:</translation>
    </message>
    <message>
        <source>Номер 3:</source>
        <translation>Number 3:</translation>
    </message>
    <message>
        <source>Тест SMS</source>
        <translation>SMS test</translation>
    </message>
    <message>
        <source>SMS шлюз</source>
        <translation>SMS gateway</translation>
    </message>
    <message>
        <source>Период  или время задаются</source>
        <translation>The period  or time is set</translation>
    </message>
    <message>
        <source>в профиле ( поле SMS )</source>
        <translation>in the profile ( SMS field )</translation>
    </message>
    <message>
        <source>Отправлять данные через SMS шлюз</source>
        <translation>Send data through the SMS gateway</translation>
    </message>
    <message>
        <source>Номер шлюза:</source>
        <translation>Number:</translation>
    </message>
    <message>
        <source>Оставаться на связи после отправки SMS:</source>
        <translation>Stay on line after sending an SMS:</translation>
    </message>
    <message>
        <source>мин</source>
        <translation>min</translation>
    </message>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Загрузить профиль настроек</source>
        <translation>Load settings profile</translation>
    </message>
    <message>
        <source>Сохранить профиль настроек</source>
        <translation>Save settings profile</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Язык/Language</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>Русский</source>
        <translation>Russian</translation>
    </message>
    <message>
        <source>Справка</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>Необходимо перезапустить программу для применения изменений. Сделать это сейчас?</source>
        <translation>The program must be restarted for the change to take effect. Restart it now?</translation>
    </message>
    <message>
        <source>Серийный номер:</source>
        <translation>Serial number:</translation>
    </message>
    <message>
        <source>Версия прошивки:</source>
        <translation>Firmware version:</translation>
    </message>
    <message>
        <source>Uбат.</source>
        <translation>Ubat.</translation>
    </message>
    <message>
        <source>Темп.</source>
        <translation>Temp.</translation>
    </message>
    <message>
        <source>Профили</source>
        <translation>Profiles</translation>
    </message>
    <message>
        <source>Общие настройки</source>
        <translation>General settings</translation>
    </message>
    <message>
        <source>Сводная информация</source>
        <translation>Summary</translation>
    </message>
    <message>
        <source>Почта</source>
        <translation>Mail</translation>
    </message>
    <message>
        <source>Акселерометр</source>
        <translation>Accelerometer</translation>
    </message>
    <message>
        <source>Безопасность</source>
        <translation>Security</translation>
    </message>
    <message>
        <source>Контрольная зона</source>
        <translation>Control zone</translation>
    </message>
    <message>
        <source>Разное</source>
        <translation>Miscellaneous</translation>
    </message>
    <message>
        <source>Не считывать настройки </source>
        <translation>Do not read settings </translation>
    </message>
    <message>
        <source>Открыть Log</source>
        <translation>Open Log</translation>
    </message>
    <message>
        <source>Сохранить </source>
        <translation>Save </translation>
    </message>
    <message>
        <source>Стоп</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Остановить после текущего обмена (Esc)</source>
        <translation>Stop after the exchange in progress (Esc)</translation>
    </message>
    <message>
        <source>Изменения</source>
        <translation>Changes</translation>
    </message>
</context>
<context>
    <name>kvmt::TForm2</name>
    <message>
        <source>Остановить</source>
        <translation>Stop</translation>
    </message>
</context>
<context>
    <name>kvmt::TFormPass</name>
    <message>
        <source>  Введите пароль</source>
        <translation>  Enter the password</translation>
    </message>
    <message>
        <source>4 цифры</source>
        <translation>4 digits</translation>
    </message>
</context>
<context>
    <name>kvmt::WriteSequence</name>
    <message>
        <source>Трекер заблокирован паролем: не записано настроек: %1</source>
        <translation>The tracker is locked by its password: settings not written: %1</translation>
    </message>
    <message>
        <source>Запись параметров</source>
        <translation>Writing settings</translation>
    </message>
    <message>
        <source>Чтение параметров</source>
        <translation>Reading settings</translation>
    </message>
    <message>
        <source>Строка %1 не поместилась в буфер профиля и не будет записана в файл</source>
        <translation>The line %1 did not fit into the profile buffer and will not be written to the file</translation>
    </message>
    <message>
        <source>Не удалось записать файл: папка программы не задана</source>
        <translation>Cannot write the file: no program folder is set</translation>
    </message>
    <message>
        <source>Не удалось записать файл %1</source>
        <translation>Cannot write the file %1</translation>
    </message>
    <message>
        <source>Профиль не выбран: строка CHANGEPROFILE не будет записана</source>
        <translation>No profile selected: the line CHANGEPROFILE will not be written</translation>
    </message>
    <message>
        <source>Значение %1 содержит символ «;» и не будет записано</source>
        <translation>The value %1 contains the character &quot;;&quot; and will not be written</translation>
    </message>
    <message>
        <source>Запись остановлена: не записано настроек: %1</source>
        <translation>Write stopped: settings not written: %1</translation>
    </message>
    <message>
        <source>Запись остановлена: настройки не сохранены в трекере</source>
        <translation>Write stopped: the settings were not stored in the tracker</translation>
    </message>
    <message>
        <source>Запись остановлена: настроек отправлено, но не сохранено: %1; не отправлено: %2. Нажмите «Сохранить» ещё раз или отключите трекер</source>
        <translation>Write stopped: %1 settings were sent but not stored, %2 not sent. Save again or unplug the tracker</translation>
    </message>
    <message>
        <source>Запись остановлена после SAVECONFIG: чтение для проверки пропущено</source>
        <translation>Write stopped after SAVECONFIG: the check read was skipped</translation>
    </message>
</context>
</TS>
