<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>DownloadDialog</name>
    <message>
        <source>Downloading...</source>
        <translation>Загрузка...</translation>
    </message>
    <message>
        <source>The file is not offered over a secure connection: %1</source>
        <translation>Файл предлагается не по защищённому соединению: %1</translation>
    </message>
    <message>
        <source>The address names no file to save: %1</source>
        <translation>В адресе нет имени файла для сохранения: %1</translation>
    </message>
    <message>
        <source>Where to save the file to?</source>
        <translation>Куда сохранить файл?</translation>
    </message>
    <message>
        <source>Unable to save file. %1</source>
        <translation>Не удалось сохранить файл. %1</translation>
    </message>
    <message>
        <source>Downloading (%1%)</source>
        <translation>Загрузка (%1%)</translation>
    </message>
</context>
<context>
    <name>EmailAddress</name>
    <message>
        <source>The e-mail address is empty.</source>
        <translation>Адрес электронной почты не указан.</translation>
    </message>
    <message>
        <source>The e-mail address &quot;%1&quot; contains a line break, a blank, a control character or an angle bracket.</source>
        <translation>Адрес электронной почты &quot;%1&quot; содержит перевод строки, пробел, управляющий символ или угловую скобку.</translation>
    </message>
    <message>
        <source>The e-mail address &quot;%1...&quot; is longer than %2 characters.</source>
        <translation>Адрес электронной почты &quot;%1...&quot; длиннее %2 символов.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Search conditions</source>
        <translation>Условия поиска</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Esc</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Search</source>
        <translation>Поиск</translation>
    </message>
    <message>
        <source>Ctrl+Return</source>
        <translation>Ctrl+Return</translation>
    </message>
    <message>
        <source>Search results</source>
        <translation>Результаты</translation>
    </message>
    <message>
        <source>Search results:</source>
        <translation>Результаты поиска:</translation>
    </message>
    <message>
        <source>Expand all markets (Ctrl+Right)</source>
        <translation>Развернуть все рынки (Ctrl+Right)</translation>
    </message>
    <message>
        <source>Ctrl+Right</source>
        <translation>Ctrl+Right</translation>
    </message>
    <message>
        <source>Collapse all markets (Ctrl+Left)</source>
        <translation>Свернуть все рынки (Ctrl+Left)</translation>
    </message>
    <message>
        <source>Ctrl+Left</source>
        <translation>Ctrl+Left</translation>
    </message>
    <message>
        <source>Repeat last search (Ctrl+Shift+R)</source>
        <translation>Повторить последний поиск (Ctrl+Shift+R)</translation>
    </message>
    <message>
        <source>Ctrl+Shift+R</source>
        <translation>Ctrl+Shift+R</translation>
    </message>
    <message>
        <source>Update prices for shown markets (Ctrl+R)</source>
        <translation>Обновить цены показанных рынков (Ctrl+R)</translation>
    </message>
    <message>
        <source>Ctrl+R</source>
        <translation>Ctrl+R</translation>
    </message>
    <message>
        <source>Show charts window</source>
        <translation>Показать окно графиков</translation>
    </message>
    <message>
        <source>Timestamp of the data</source>
        <translation>Время получения данных</translation>
    </message>
    <message>
        <source>Select:</source>
        <translation>Отметить:</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;span style=&quot; font-size:18pt; font-weight:600;&quot;&gt;No search results to show.&lt;/span&gt;&lt;/p&gt;&lt;p&gt;Please switch to &amp;quot;Search conditions&amp;quot; tab and perform a search.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;&lt;span style=&quot; font-size:18pt; font-weight:600;&quot;&gt;Нет результатов поиска.&lt;/span&gt;&lt;/p&gt;&lt;p&gt;Перейдите на вкладку &amp;quot;Условия поиска&amp;quot; и выполните поиск.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Program log</source>
        <translation>Журнал</translation>
    </message>
    <message>
        <source>Clear log</source>
        <translation>Очистить журнал</translation>
    </message>
    <message>
        <source>Select all</source>
        <translation>Выделить всё</translation>
    </message>
    <message>
        <source>Copy selected to clipboard</source>
        <translation>Копировать выделенное</translation>
    </message>
    <message>
        <source>Export selected to file</source>
        <translation>Сохранить выделенное</translation>
    </message>
    <message>
        <source>Settings</source>
        <translation>Настройки</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Справка</translation>
    </message>
    <message>
        <source>Nothing</source>
        <translation>Ничего</translation>
    </message>
    <message>
        <source>Favourites</source>
        <translation>Фавориты</translation>
    </message>
    <message>
        <source>Outsiders</source>
        <translation>Аутсайдеры</translation>
    </message>
    <message>
        <source>Home team</source>
        <translation>Хозяева</translation>
    </message>
    <message>
        <source>Away team</source>
        <translation>Гости</translation>
    </message>
    <message>
        <source>The Draw</source>
        <translation>Ничья</translation>
    </message>
    <message>
        <source>Max. volume</source>
        <translation>Макс. объём</translation>
    </message>
    <message>
        <source>Min. volume</source>
        <translation>Мин. объём</translation>
    </message>
    <message>
        <source>With matched bets</source>
        <translation>С исполненными ставками</translation>
    </message>
    <message>
        <source>With unmatched bets</source>
        <translation>С неисполненными ставками</translation>
    </message>
    <message>
        <source>Matched the conditions</source>
        <translation>Подходящие под условия</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Все</translation>
    </message>
    <message>
        <source>[Manual selection]</source>
        <translation>[Отмечено вручную]</translation>
    </message>
    <message>
        <source>Welcome to %1 (version %2.%3.%4.%5)</source>
        <translation>Добро пожаловать в %1 (версия %2.%3.%4.%5)</translation>
    </message>
    <message>
        <source>Click to show full log</source>
        <translation>Нажмите, чтобы открыть весь журнал</translation>
    </message>
    <message>
        <source>File &apos;%1&apos; not found</source>
        <translation>Файл &apos;%1&apos; не найден</translation>
    </message>
    <message>
        <source>Your current template is not saved. Would you like to save changes?</source>
        <translation>Текущий шаблон не сохранён. Сохранить изменения?</translation>
    </message>
    <message>
        <source>The template could not be saved. Close the program without saving it?</source>
        <translation>Не удалось сохранить шаблон. Закрыть программу без сохранения?</translation>
    </message>
    <message>
        <source>Updating...</source>
        <translation>Обновление...</translation>
    </message>
    <message>
        <source>Searching...</source>
        <translation>Поиск...</translation>
    </message>
    <message>
        <source>Matched the conditions [%1]</source>
        <translation>Подходящие под условия [%1]</translation>
    </message>
    <message>
        <source>Loaded template &apos;%1&apos;</source>
        <translation>Загружен шаблон &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Please fix all errors market red to perform this search</source>
        <translation>Исправьте все ошибки, отмеченные красным, чтобы выполнить поиск</translation>
    </message>
    <message>
        <source>%1/help/</source>
        <extracomment>The help pages; %1 is the English web site, %2 the Russian one.</extracomment>
        <translation>%2/help/</translation>
    </message>
    <message>
        <source>The help is not available</source>
        <translation>Справка недоступна</translation>
    </message>
    <message>
        <source>It looks like BetFair is forbidden from your current location.

Try to set a proxy from Settings - Connection - Proxy</source>
        <translation>Похоже, BetFair недоступен из вашего текущего местоположения.

Попробуйте задать прокси в разделе Настройки - Соединение - Прокси</translation>
    </message>
    <message>
        <source>The help pages could not be loaded from %1. Please check your internet connection; the help is loaded again at the next start.</source>
        <translation>Не удалось загрузить страницы справки с %1. Проверьте подключение к интернету; справка будет загружена снова при следующем запуске.</translation>
    </message>
</context>
<context>
    <name>MimeMessage</name>
    <message>
        <source>The message has no sender.</source>
        <translation>У сообщения нет отправителя.</translation>
    </message>
    <message>
        <source>The message has no content.</source>
        <translation>У сообщения нет содержимого.</translation>
    </message>
</context>
<context>
    <name>MyAction</name>
    <message>
        <source>With selected [0]:</source>
        <translation>Отмечено [0]:</translation>
    </message>
    <message>
        <source>Prices and book% </source>
        <translation>Цены и book% </translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Объём</translation>
    </message>
    <message>
        <source>Price:</source>
        <translation>Цена:</translation>
    </message>
    <message>
        <source>Corvane compatible</source>
        <translation>Для Corvane</translation>
    </message>
    <message>
        <source>Subject:</source>
        <translation>Тема:</translation>
    </message>
    <message>
        <source>Ctrl+Alt+Shift+Enter</source>
        <translation>Ctrl+Alt+Shift+Enter</translation>
    </message>
    <message>
        <source>Perform</source>
        <translation>Выполнить</translation>
    </message>
    <message>
        <source>Meta+Alt+Shift+Return</source>
        <translation>Meta+Alt+Shift+Return</translation>
    </message>
    <message>
        <source>Export to file</source>
        <translation>В файл</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>ЗА</translation>
    </message>
    <message>
        <source>LAY</source>
        <translation>ПРОТИВ</translation>
    </message>
    <message>
        <source>Cancel bets</source>
        <translation>Отмена ставок</translation>
    </message>
    <message>
        <source>Send by e-mail</source>
        <translation>По почте</translation>
    </message>
    <message>
        <source>Add chart</source>
        <translation>График</translation>
    </message>
    <message>
        <source>All</source>
        <translation>Все</translation>
    </message>
    <message>
        <source>Cancel in-play</source>
        <translation>Снять в игре</translation>
    </message>
    <message>
        <source>Keep in-play</source>
        <translation>Оставить в игре</translation>
    </message>
    <message>
        <source>Take SP</source>
        <translation>Взять SP</translation>
    </message>
    <message>
        <source>Amount</source>
        <translation>Сумма</translation>
    </message>
    <message>
        <source>Profit</source>
        <translation>Прибыль</translation>
    </message>
    <message>
        <source>Liability</source>
        <translation>Ответственность</translation>
    </message>
    <message>
        <source>With selected [%1]:</source>
        <translation>Отмечено [%1]:</translation>
    </message>
    <message>
        <source>Are you sure you want to PLACE these bets?</source>
        <translation>Вы уверены, что хотите СДЕЛАТЬ эти ставки?</translation>
    </message>
    <message>
        <source>Are you sure you want to CANCEL these bets?</source>
        <translation>Вы уверены, что хотите ОТМЕНИТЬ эти ставки?</translation>
    </message>
</context>
<context>
    <name>MyTemplates</name>
    <message>
        <source>Select predefined templates</source>
        <translation>Выберите готовый шаблон</translation>
    </message>
    <message>
        <source>Ctrl+N</source>
        <translation>Ctrl+N</translation>
    </message>
    <message>
        <source>New</source>
        <translation>Новый</translation>
    </message>
    <message>
        <source>Ctrl+S</source>
        <translation>Ctrl+S</translation>
    </message>
    <message>
        <source>Save  </source>
        <translation>Сохранить  </translation>
    </message>
    <message>
        <source>Ctrl+Shift+S</source>
        <translation>Ctrl+Shift+S</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Сохранить как</translation>
    </message>
    <message>
        <source>Ctrl+Del</source>
        <translation>Ctrl+Del</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>Conditions are met:</source>
        <translation>Выполняются условия:</translation>
    </message>
    <message>
        <source>Ctrl+Ins</source>
        <translation>Ctrl+Ins</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Добавить</translation>
    </message>
    <message>
        <source>Ctrl+Shift+Del</source>
        <translation>Ctrl+Shift+Del</translation>
    </message>
    <message>
        <source>Clear all</source>
        <translation>Очистить всё</translation>
    </message>
    <message>
        <source>Copy of %1</source>
        <translation>Копия %1</translation>
    </message>
    <message>
        <source>Save template as...</source>
        <translation>Сохранить шаблон как...</translation>
    </message>
    <message>
        <source>Please enter new name:</source>
        <translation>Введите новое имя:</translation>
    </message>
    <message>
        <source>Unable to open file &apos;%1&apos;: %2</source>
        <translation>Не удалось открыть файл «%1»: %2</translation>
    </message>
    <message>
        <source>Condition %1 of the template &apos;%2&apos; asks for a choice that is not on offer; choose it again before searching.</source>
        <translation>Условие %1 шаблона «%2» ссылается на недоступный вариант; выберите его заново перед поиском.</translation>
    </message>
    <message>
        <source>Are you sure to delete template &apos;%1&apos;?</source>
        <translation>Удалить шаблон «%1»?</translation>
    </message>
    <message>
        <source>Unable to delete file: %1</source>
        <translation>Не удалось удалить файл: %1</translation>
    </message>
    <message>
        <source>[Unsaved]</source>
        <translation>[Не сохранён]</translation>
    </message>
    <message>
        <source>The template &apos;%1&apos; has been changed. Would you like to save it?</source>
        <translation>Шаблон «%1» изменён. Сохранить его?</translation>
    </message>
    <message>
        <source>One or more of the entered values are not valid. Would you like to save it anyway?</source>
        <translation>Одно или несколько введённых значений неверны. Всё равно сохранить?</translation>
    </message>
    <message>
        <source>Unable to save file: %1</source>
        <translation>Невозможно сохранить файл: %1</translation>
    </message>
    <message>
        <source>File &apos;%1&apos; exists. Overwrite?</source>
        <translation>Файл «%1» уже существует. Заменить его?</translation>
    </message>
    <message>
        <source>eng</source>
        <translation>rus</translation>
    </message>
    <message>
        <source>The file holds no template.</source>
        <translation>В файле нет шаблона.</translation>
    </message>
    <message>
        <source>%1/download/%3/%4/%5/templates.zip</source>
        <extracomment>%1 is the English web site, %2 the Russian one: each language names its own. %3/%4/%5 are the program&apos;s version numbers.</extracomment>
        <translation>%2/download/%3/%4/%5/templates.zip</translation>
    </message>
    <message>
        <source>Updating predefined templates...</source>
        <translation>Обновление предустановленных шаблонов...</translation>
    </message>
    <message>
        <source>The template is too large.</source>
        <translation>Шаблон слишком велик.</translation>
    </message>
</context>
<context>
    <name>MyWebPage</name>
    <message>
        <source>&lt;html&gt;&lt;head&gt;&lt;/head&gt;&lt;body style=&apos;padding:0;margin:0;&apos;&gt;&lt;div style=&apos;text-align:center;width:100%;font-size:2em;position:absolute;top:50%;margin-top:-1em;&apos;&gt;Loading, please wait...&lt;/div&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head&gt;&lt;/head&gt;&lt;body style=&apos;padding:0;margin:0;&apos;&gt;&lt;div style=&apos;text-align:center;width:100%;font-size:2em;position:absolute;top:50%;margin-top:-1em;&apos;&gt;Загрузка, подождите...&lt;/div&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head&gt;&lt;/head&gt;&lt;body style=&apos;padding:0;margin:0;&apos;&gt;&lt;div style=&apos;text-align:center;width:100%;font-size:2em;position:absolute;top:50%;margin-top:-1em;color: red;&apos;&gt;%1&lt;/div&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head&gt;&lt;/head&gt;&lt;body style=&apos;padding:0;margin:0;&apos;&gt;&lt;div style=&apos;text-align:center;width:100%;font-size:2em;position:absolute;top:50%;margin-top:-1em;color: red;&apos;&gt;%1&lt;/div&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
</context>
<context>
    <name>Prompt</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Esc</source>
        <translation>Esc</translation>
    </message>
</context>
<context>
    <name>QActionWorker</name>
    <message>
        <source>Cancelled</source>
        <translation>Отменено</translation>
    </message>
</context>
<context>
    <name>QBetFairChart</name>
    <message>
        <source>Chart</source>
        <translation>График</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Закрыть</translation>
    </message>
    <message>
        <source>Loading...</source>
        <translation>Загрузка...</translation>
    </message>
    <message>
        <source>The chart was too large and was not loaded.</source>
        <translation>График слишком велик и не был загружен.</translation>
    </message>
    <message>
        <source>The chart site did not answer in time.</source>
        <translation>Сайт графиков не ответил вовремя.</translation>
    </message>
    <message>
        <source>The chart could not be read.</source>
        <translation>Не удалось прочитать график.</translation>
    </message>
    <message>
        <source>Delete all charts of this market?</source>
        <translation>Удалить все графики этого рынка?</translation>
    </message>
    <message>
        <source>Delete all charts of this market</source>
        <translation>Удалить все графики этого рынка</translation>
    </message>
</context>
<context>
    <name>QBetFairCharts</name>
    <message>
        <source>BetFair Charts</source>
        <translation>Графики BetFair</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Очистить</translation>
    </message>
    <message>
        <source>Auto-update:</source>
        <translation>Автообновление:</translation>
    </message>
    <message>
        <source> sec.</source>
        <translation> сек.</translation>
    </message>
    <message>
        <source>Update all charts</source>
        <translation>Обновить все графики</translation>
    </message>
    <message>
        <source>Ctrl+R, F5</source>
        <translation>Ctrl+R, F5</translation>
    </message>
    <message>
        <source>There are some charts. Delete all?</source>
        <translation>Уже есть графики. Удалить все?</translation>
    </message>
    <message>
        <source>Delete all charts?</source>
        <translation>Удалить все графики?</translation>
    </message>
</context>
<context>
    <name>QBetFairRequest</name>
    <message>
        <source>Server response error</source>
        <translation>Ошибка ответа сервера</translation>
    </message>
</context>
<context>
    <name>QBetPlacer</name>
    <message>
        <source>LOGICAL ERROR</source>
        <translation>ЛОГИЧЕСКАЯ ОШИБКА</translation>
    </message>
    <message>
        <source>Betting was stopped due to errors</source>
        <translation>Ставки остановлены из-за ошибок</translation>
    </message>
    <message>
        <source>No exchange serves market id &quot;%1&quot;</source>
        <translation>Нет биржи для рынка &quot;%1&quot;</translation>
    </message>
    <message>
        <source>Invalid stake: %1</source>
        <translation>Недопустимая ставка: %1</translation>
    </message>
    <message>
        <source>Not placed: betting was stopped</source>
        <translation>Не размещена: ставки остановлены</translation>
    </message>
    <message>
        <source>Stopped: left unmatched on the exchange at %1 for %2</source>
        <translation>Остановлено: ставка осталась на бирже несыгранной по курсу %1 на сумму %2</translation>
    </message>
</context>
<context>
    <name>QBetsGetter</name>
    <message>
        <source>No bets</source>
        <translation>Нет ставок</translation>
    </message>
</context>
<context>
    <name>QCanceller</name>
    <message>
        <source>No bets to cancel</source>
        <translation>Нет ставок для отмены</translation>
    </message>
    <message>
        <source>Error in cancelling on market: %1</source>
        <translation>Ошибка при отмене ставок на рынке: %1</translation>
    </message>
</context>
<context>
    <name>QCatalog</name>
    <message>
        <source>Catalog file &apos;%1&apos; is unusable; the built-in catalog is used instead.</source>
        <translation>Файл каталога &apos;%1&apos; непригоден; используется встроенный каталог.</translation>
    </message>
    <message>
        <source>en</source>
        <translation>ru</translation>
    </message>
    <message>
        <source>%1/download/%3/%4/%5/catalogs/%6.json</source>
        <extracomment>%1 is the English web site, %2 the Russian one: each language names its own. %3/%4/%5 are the program&apos;s version numbers and %6 the catalog&apos;s name.</extracomment>
        <translation>%2/download/%3/%4/%5/catalogs/%6.json</translation>
    </message>
    <message>
        <source>Updating catalog &apos;%1&apos;...</source>
        <translation>Обновление каталога &apos;%1&apos;...</translation>
    </message>
    <message>
        <source>The downloaded catalog &apos;%1&apos; is not a catalog; the file is left as it was.</source>
        <translation>Загруженный каталог &apos;%1&apos; не является каталогом; файл оставлен без изменений.</translation>
    </message>
    <message>
        <source>Unable to save %1 file: %2</source>
        <translation>Не удалось сохранить файл %1: %2</translation>
    </message>
    <message>
        <source>Catalog &apos;%1&apos; updated.</source>
        <translation>Каталог &apos;%1&apos; обновлён.</translation>
    </message>
</context>
<context>
    <name>QCheckBoxWithColor</name>
    <message>
        <source>Form</source>
        <translation>Форма</translation>
    </message>
    <message>
        <source>Click to change color</source>
        <translation>Нажмите, чтобы изменить цвет</translation>
    </message>
</context>
<context>
    <name>QCheckConnection</name>
    <message>
        <source>Network error: %1. %2</source>
        <translation>Ошибка сети: %1. %2</translation>
    </message>
    <message>
        <source>Network error: %1. %2 %3</source>
        <translation>Ошибка сети: %1. %2 %3</translation>
    </message>
    <message>
        <source>Your current location is detected as %1.</source>
        <translation>Ваше местоположение определено как %1.</translation>
    </message>
    <message>
        <source>%1/help/proxy/</source>
        <extracomment>%1 is the English web site, %2 the Russian one: each language names its own.</extracomment>
        <translation>%2/help/proxy/</translation>
    </message>
    <message>
        <source>If you think your provider might block BetFair try %1 </source>
        <translation>Если вы считаете, что ваш провайдер может блокировать BetFair, попробуйте %1 </translation>
    </message>
</context>
<context>
    <name>QConfirm</name>
    <message>
        <source>Help</source>
        <translation>Справка</translation>
    </message>
</context>
<context>
    <name>QKeepAlive</name>
    <message>
        <source>Network error</source>
        <translation>Ошибка сети</translation>
    </message>
</context>
<context>
    <name>QListEditor</name>
    <message>
        <source>items</source>
        <translation>элементы</translation>
    </message>
    <message>
        <source>Please select %1:</source>
        <translation>Пожалуйста, выберите %1:</translation>
    </message>
    <message>
        <source>Please enter %1:</source>
        <translation>Пожалуйста, введите %1:</translation>
    </message>
</context>
<context>
    <name>QLog</name>
    <message>
        <source>Clear log</source>
        <translation>Очистить журнал</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Выделить всё</translation>
    </message>
    <message>
        <source>Copy selected to the clipboard</source>
        <translation>Копировать выделенное</translation>
    </message>
    <message>
        <source>Export selected to a file</source>
        <translation>Сохранить выделенное</translation>
    </message>
    <message>
        <source>Current date is %1</source>
        <translation>Текущая дата: %1</translation>
    </message>
    <message>
        <source>Current date is%1</source>
        <translation>Текущая дата: %1</translation>
    </message>
    <message>
        <source>Where to save the file to?</source>
        <translation>Куда сохранить файл?</translation>
    </message>
    <message>
        <source>Text (*.txt);;CSV (*.csv);;XML (*.xml)</source>
        <translation>Текст (*.txt);;CSV (*.csv);;XML (*.xml)</translation>
    </message>
    <message>
        <source>Unable to save file in such format</source>
        <translation>Невозможно сохранить файл в таком формате</translation>
    </message>
    <message>
        <source>Unable to save file: %1</source>
        <translation>Невозможно сохранить файл: %1</translation>
    </message>
    <message>
        <source>File &apos;%1 saved</source>
        <translation>Файл «%1» сохранён</translation>
    </message>
</context>
<context>
    <name>QMarket</name>
    <message>
        <source>%1 total - %2 withdrawn</source>
        <translation>Всего %1, снято %2</translation>
    </message>
</context>
<context>
    <name>QMultiSelectDialog</name>
    <message>
        <source>Dialog</source>
        <translation>Диалог</translation>
    </message>
    <message>
        <source>Ctrl+Up</source>
        <translation>Ctrl+Up</translation>
    </message>
    <message>
        <source>Add new item (Ctrl+Ins)</source>
        <translation>Добавить новый элемент (Ctrl+Ins)</translation>
    </message>
    <message>
        <source>Ctrl+Ins</source>
        <translation>Ctrl+Ins</translation>
    </message>
    <message>
        <source>Load items from file</source>
        <translation>Загрузить элементы из файла</translation>
    </message>
    <message>
        <source>Delete selected items (Ctrl+Del)</source>
        <translation>Удалить выделенные элементы (Ctrl+Del)</translation>
    </message>
    <message>
        <source>Ctrl+Del</source>
        <translation>Ctrl+Del</translation>
    </message>
    <message>
        <source>Ctrl+Enter</source>
        <translation>Ctrl+Enter</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Ctrl+Return</source>
        <translation>Ctrl+Return</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Отметить все</translation>
    </message>
    <message>
        <source>Select None</source>
        <translation>Снять все отметки</translation>
    </message>
    <message>
        <source>en</source>
        <translation>ru</translation>
    </message>
    <message>
        <source>Selected: %1</source>
        <translation>Выбрано: %1</translation>
    </message>
    <message>
        <source>EDIT ME</source>
        <translation>ИЗМЕНИТЕ МЕНЯ</translation>
    </message>
    <message>
        <source>Show less %1</source>
        <translation>Показать избранные %1</translation>
    </message>
    <message>
        <source>Show more %1</source>
        <translation>Показать все %1</translation>
    </message>
    <message>
        <source>Show less (%1)</source>
        <translation>Показать меньше (%1)</translation>
    </message>
    <message>
        <source>Show all (%1)</source>
        <translation>Показать все (%1)</translation>
    </message>
    <message>
        <source>Open text file</source>
        <translation>Открыть текстовый файл</translation>
    </message>
    <message>
        <source>Text Files (*.txt *.csv)</source>
        <translation>Текстовые файлы (*.txt *.csv)</translation>
    </message>
    <message>
        <source>Unable to open file &apos;%1&apos;</source>
        <translation>Не удалось открыть файл &apos;%1&apos;</translation>
    </message>
</context>
<context>
    <name>QNetwork</name>
    <message>
        <source>Cancelled</source>
        <translation>Отменено</translation>
    </message>
    <message>
        <source>The reply is larger than %1 MB</source>
        <translation>Ответ больше %1 МБ</translation>
    </message>
    <message>
        <source>Transfer timed out</source>
        <translation>Превышено время ожидания передачи</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message numerus="yes">
        <source>Send the selected %n selection(s) by e-mail?</source>
        <translation>
            <numerusform>Отправить %n выбранного участника по e-mail?</numerusform>
            <numerusform>Отправить %n выбранных участника по e-mail?</numerusform>
            <numerusform>Отправить %n выбранных участников по e-mail?</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>QPriceUpdater</name>
    <message>
        <source>Nothing to update</source>
        <translation>Нечего обновлять</translation>
    </message>
</context>
<context>
    <name>QSearchWorker</name>
    <message>
        <source>The previous search hasn&apos;t completed yet.</source>
        <translation>Предыдущий поиск ещё не завершён.</translation>
    </message>
    <message>
        <source>Logical error (empty search data). Please contact developers</source>
        <translation>Логическая ошибка (пустые данные поиска). Пожалуйста, свяжитесь с разработчиками</translation>
    </message>
    <message>
        <source>Nothing to search for.</source>
        <translation>Нечего искать.</translation>
    </message>
    <message numerus="yes">
        <source>Found %n intermediately result(s).</source>
        <translation>
            <numerusform>Найден %n промежуточный результат.</numerusform>
            <numerusform>Найдено %n промежуточных результата.</numerusform>
            <numerusform>Найдено %n промежуточных результатов.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n market(s) starting at %1 could not be fetched: one request returns at most %2.</source>
        <translation>
            <numerusform>Не удалось получить %n рынок, начинающийся в %1: один запрос возвращает не более %2.</numerusform>
            <numerusform>Не удалось получить %n рынка, начинающихся в %1: один запрос возвращает не более %2.</numerusform>
            <numerusform>Не удалось получить %n рынков, начинающихся в %1: один запрос возвращает не более %2.</numerusform>
        </translation>
    </message>
    <message>
        <source>Logical error (unfinished request). Please contact developers</source>
        <translation>Логическая ошибка (незавершённый запрос). Пожалуйста, свяжитесь с разработчиками</translation>
    </message>
    <message>
        <source>Nothing found</source>
        <translation>Ничего не найдено</translation>
    </message>
</context>
<context>
    <name>QSearcher</name>
    <message>
        <source>Open market in browser</source>
        <translation>Открыть рынок в браузере</translation>
    </message>
    <message>
        <source>Market / Selection</source>
        <translation>Рынок / Участник</translation>
    </message>
    <message>
        <source>Selections</source>
        <translation>Участники</translation>
    </message>
    <message>
        <source>Status / P/L</source>
        <translation>Статус / П/У</translation>
    </message>
    <message>
        <source>Start time / Rank</source>
        <translation>Начало / Ранг</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Объём</translation>
    </message>
    <message>
        <source>BACK</source>
        <translation>ЗА</translation>
    </message>
    <message>
        <source>LAY</source>
        <translation>ПРОТИВ</translation>
    </message>
    <message>
        <source>Far SP</source>
        <translation>Дальняя SP</translation>
    </message>
    <message>
        <source>Near SP</source>
        <translation>Ближняя SP</translation>
    </message>
    <message>
        <source>Actual SP</source>
        <translation>Фактическая SP</translation>
    </message>
    <message>
        <source>Matched</source>
        <translation>Сыгранные</translation>
    </message>
    <message>
        <source>Unmatched</source>
        <translation>Несыгранные</translation>
    </message>
    <message>
        <source>Silks</source>
        <translation>Данные участника</translation>
    </message>
    <message>
        <source>Text (*.txt)</source>
        <translation>Текст (*.txt)</translation>
    </message>
    <message>
        <source>Excel, CSV (*.csv)</source>
        <translation>Excel, CSV (*.csv)</translation>
    </message>
    <message>
        <source>XML (*.xml)</source>
        <translation>XML (*.xml)</translation>
    </message>
    <message>
        <source>Performing the search...</source>
        <translation>Выполняется поиск...</translation>
    </message>
    <message>
        <source>Retrieving markets information...</source>
        <translation>Получение информации о рынках...</translation>
    </message>
    <message>
        <source>Nothing found. Please change your conditions or repeat the search later.</source>
        <translation>Ничего не найдено. Измените условия или повторите поиск позже.</translation>
    </message>
    <message numerus="yes">
        <source>Got %n intermediate result(s). Getting more info...</source>
        <translation>
            <numerusform>Получен %n промежуточный результат. Получение подробностей...</numerusform>
            <numerusform>Получено %n промежуточных результата. Получение подробностей...</numerusform>
            <numerusform>Получено %n промежуточных результатов. Получение подробностей...</numerusform>
        </translation>
    </message>
    <message>
        <source>Nothing found. Please change your conditions or reload the search later.</source>
        <translation>Ничего не найдено. Измените условия или обновите поиск позже.</translation>
    </message>
    <message numerus="yes">
        <source>Search done. Displaying %n market(s)</source>
        <translation>
            <numerusform>Поиск завершён. Показан %n рынок</numerusform>
            <numerusform>Поиск завершён. Показано %n рынка</numerusform>
            <numerusform>Поиск завершён. Показано %n рынков</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Added %n chart(s).</source>
        <translation>
            <numerusform>Добавлен %n график.</numerusform>
            <numerusform>Добавлено %n графика.</numerusform>
            <numerusform>Добавлено %n графиков.</numerusform>
        </translation>
    </message>
    <message>
        <source>Where to save the file to?</source>
        <translation>Куда сохранить файл?</translation>
    </message>
    <message>
        <source>Unable to save file: %1</source>
        <translation>Невозможно сохранить файл: %1</translation>
    </message>
    <message>
        <source>File &apos;%1 saved</source>
        <translation>Файл &apos;%1&apos; сохранен</translation>
    </message>
    <message>
        <source>Tarnwickstone search results</source>
        <translation>Результаты поиска Tarnwickstone</translation>
    </message>
    <message>
        <source>Message succesfully sent</source>
        <translation>Сообщение успешно отправлено</translation>
    </message>
    <message>
        <source>SMTP ERROR: %1</source>
        <translation>ОШИБКА SMTP: %1</translation>
    </message>
    <message>
        <source>Market</source>
        <translation>Рынок</translation>
    </message>
    <message>
        <source>Selection</source>
        <translation>Участник</translation>
    </message>
    <message>
        <source>%1/</source>
        <extracomment>%1 is the English web site, %2 the Russian one: each language names its own.</extracomment>
        <translation>%2/</translation>
    </message>
    <message>
        <source>%3&lt;br&gt;
&lt;br&gt;
-- &lt;br&gt;
Yours faithfully,&lt;br&gt;
 %1&lt;br&gt;
http://%2/</source>
        <translation>%3&lt;br&gt;
&lt;br&gt;
-- &lt;br&gt;
С уважением,&lt;br&gt;
 %1&lt;br&gt;
http://%2/</translation>
    </message>
    <message>
        <source>Gettings scores info...</source>
        <translation>Получение счёта матчей...</translation>
    </message>
    <message numerus="yes">
        <source>Got the scores for %n event(s).</source>
        <translation>
            <numerusform>Получен счёт %n события.</numerusform>
            <numerusform>Получен счёт %n событий.</numerusform>
            <numerusform>Получен счёт %n событий.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Retreiving P/L for %n market(s)</source>
        <translation>
            <numerusform>Получение прибыли/убытка по %n рынку</numerusform>
            <numerusform>Получение прибыли/убытка по %n рынкам</numerusform>
            <numerusform>Получение прибыли/убытка по %n рынкам</numerusform>
        </translation>
    </message>
    <message>
        <source>No bets placed: the price is not a number.</source>
        <translation>Ставки не сделаны: цена не является числом.</translation>
    </message>
    <message>
        <source>No bets placed: the amount must be at least 0.01 and at most %1.</source>
        <translation>Ставки не сделаны: сумма должна быть не меньше 0.01 и не больше %1.</translation>
    </message>
    <message>
        <source>cancelled</source>
        <translation>отменена</translation>
    </message>
    <message>
        <source>kept</source>
        <translation>сохранена</translation>
    </message>
    <message>
        <source>taken SP</source>
        <translation>переведена в SP</translation>
    </message>
    <message>
        <source>No bet on &apos;%1&apos; of &apos;%2&apos;: the runner is withdrawn.</source>
        <translation>Нет ставки на &apos;%1&apos; в &apos;%2&apos;: участник снят.</translation>
    </message>
    <message>
        <source>Adding to bet slip &lt;span style=&apos;background-color:%1;&apos;&gt;%2&lt;/span&gt; bet on&lt;br&gt;&apos;%3&apos;&lt;br&gt;of &apos;%4&apos;:&lt;br&gt;%5 %6 @ %7. &lt;font color=red&gt;Liability: &lt;b&gt;%8 %9&lt;/b&gt;.&lt;/font&gt;&lt;br&gt;The bet will be %10 in-play.&lt;br&gt;&lt;br&gt;Correct?</source>
        <translation>Добавление в купон ставки &lt;span style=&apos;background-color:%1;&apos;&gt;%2&lt;/span&gt; на&lt;br&gt;&apos;%3&apos;&lt;br&gt;в &apos;%4&apos;:&lt;br&gt;%5 %6 @ %7. &lt;font color=red&gt;Риск: &lt;b&gt;%8 %9&lt;/b&gt;.&lt;/font&gt;&lt;br&gt;При начале игры ставка будет %10.&lt;br&gt;&lt;br&gt;Верно?</translation>
    </message>
    <message>
        <source>Adding to bet slip %1 bet on &apos;%2&apos; of &apos;%3&apos;: %4 %5 @ %6, liability: %7 %8. The bet will be %9 in-play.</source>
        <translation>Добавление в купон ставки %1 на &apos;%2&apos; в &apos;%3&apos;: %4 %5 @ %6, риск: %7 %8. При начале игры ставка будет %9.</translation>
    </message>
    <message>
        <source>Nothing to send</source>
        <translation>Нечего отправлять</translation>
    </message>
    <message numerus="yes">
        <source>Going to send %n bet(s) with maximum liability&lt;br&gt;&lt;font color=red&gt;%1 %2&lt;/font&gt;&lt;br&gt;&lt;br&gt;Confirm?</source>
        <translation>
            <numerusform>Будет отправлена %n ставка с максимальным риском&lt;br&gt;&lt;font color=red&gt;%1 %2&lt;/font&gt;&lt;br&gt;&lt;br&gt;Подтвердить?</numerusform>
            <numerusform>Будут отправлены %n ставки с максимальным риском&lt;br&gt;&lt;font color=red&gt;%1 %2&lt;/font&gt;&lt;br&gt;&lt;br&gt;Подтвердить?</numerusform>
            <numerusform>Будут отправлены %n ставок с максимальным риском&lt;br&gt;&lt;font color=red&gt;%1 %2&lt;/font&gt;&lt;br&gt;&lt;br&gt;Подтвердить?</numerusform>
        </translation>
    </message>
    <message>
        <source>Cancelled by you</source>
        <translation>Отменено вами</translation>
    </message>
    <message numerus="yes">
        <source>Going to send %n bet(s) with maximum liability %1 %2</source>
        <translation>
            <numerusform>Будет отправлена %n ставка с максимальным риском %1 %2</numerusform>
            <numerusform>Будут отправлены %n ставки с максимальным риском %1 %2</numerusform>
            <numerusform>Будут отправлены %n ставок с максимальным риском %1 %2</numerusform>
        </translation>
    </message>
    <message>
        <source>ERROR while placing the %1 bet on %2 %3 %4 @ %5:&lt;br&gt;&lt;br&gt;%6</source>
        <translation>ОШИБКА при размещении ставки %1 на %2 %3 %4 @ %5:&lt;br&gt;&lt;br&gt;%6</translation>
    </message>
    <message>
        <source>MATCHED in full @ %1</source>
        <translation>ПОЛНОСТЬЮ СОГЛАСОВАНА @ %1</translation>
    </message>
    <message>
        <source>UNMATCHED</source>
        <translation>НЕ СОГЛАСОВАНА</translation>
    </message>
    <message>
        <source>PARTIALLY MATCHED @ %2. Unmatched portion: %1</source>
        <translation>ЧАСТИЧНО СОГЛАСОВАНА @ %2. Несогласованная часть: %1</translation>
    </message>
    <message>
        <source>The %1 bet on %2 %3 %4 @ %5 was %6 (id: %7)</source>
        <translation>Ставка %1 на %2 %3 %4 @ %5: %6 (id: %7)</translation>
    </message>
    <message>
        <source>BETTING ERROR: %1</source>
        <translation>ОШИБКА СТАВОК: %1</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n bet(s) failed.</source>
        <translation>
            <numerusform>Не удалось: %1 из %n ставки.</numerusform>
            <numerusform>Не удалось: %1 из %n ставок.</numerusform>
            <numerusform>Не удалось: %1 из %n ставок.</numerusform>
        </translation>
    </message>
    <message>
        <source>Bets succesfully placed</source>
        <translation>Ставки успешно размещены</translation>
    </message>
    <message>
        <source>Funds available to bet in %1 wallet: %2 %3</source>
        <translation>Средства для ставок в кошельке %1: %2 %3</translation>
    </message>
    <message>
        <source>No markets to retreive bets</source>
        <translation>Нет рынков для получения ставок</translation>
    </message>
    <message numerus="yes">
        <source>Bets cancelling. Retreiving bets for %n market(s)...</source>
        <translation>
            <numerusform>Отмена ставок. Получение ставок по %n рынку...</numerusform>
            <numerusform>Отмена ставок. Получение ставок по %n рынкам...</numerusform>
            <numerusform>Отмена ставок. Получение ставок по %n рынкам...</numerusform>
        </translation>
    </message>
    <message>
        <source>All bets cancelled</source>
        <translation>Все ставки отменены</translation>
    </message>
</context>
<context>
    <name>QSelection</name>
    <message>
        <source>BACK: %1 %2</source>
        <translation>ЗА: %1 %2</translation>
    </message>
    <message>
        <source>LAY: %1 %2</source>
        <translation>ПРОТИВ: %1 %2</translation>
    </message>
    <message>
        <source>Click to view silks data</source>
        <translation>Нажмите, чтобы увидеть данные участника</translation>
    </message>
    <message>
        <source>withdrawn</source>
        <translation>снят</translation>
    </message>
    <message>
        <source>&apos;at&apos; HH:mm</source>
        <translation>&apos;в&apos; HH:mm</translation>
    </message>
    <message>
        <source>d MMM &apos;at&apos; HH:mm</source>
        <translation>d MMM &apos;в&apos; HH:mm</translation>
    </message>
    <message>
        <source>Withdrawn %1, reduction factor: %2</source>
        <translation>Снят %1, коэффициент снижения: %2</translation>
    </message>
    <message>
        <source>Withdrawn</source>
        <translation>Снят</translation>
    </message>
</context>
<context>
    <name>QSilksTooltip</name>
    <message>
        <source>SEX_TYPE</source>
        <translation>Пол лошади</translation>
    </message>
    <message>
        <source>TRAINER_NAME</source>
        <translation>Имя тренера</translation>
    </message>
    <message>
        <source>OWNER_NAME</source>
        <translation>Имя владельца</translation>
    </message>
    <message>
        <source>JOCKEY_NAME</source>
        <translation>Имя жокея</translation>
    </message>
    <message>
        <source>AGE</source>
        <translation>Возраст лошади</translation>
    </message>
    <message>
        <source>COLOUR_TYPE</source>
        <translation>Масть лошади</translation>
    </message>
    <message>
        <source>OFFICIAL_RATING</source>
        <translation>Официальный рейтинг лошади</translation>
    </message>
    <message>
        <source>ADJUSTED_RATING</source>
        <translation>Нормализированый рейтинг лошади</translation>
    </message>
    <message>
        <source>DAYS_SINCE_LAST_RUN</source>
        <translation>Дней с последнего забега</translation>
    </message>
    <message>
        <source>WEARING</source>
        <translation>Дополнительный вес</translation>
    </message>
    <message>
        <source>JOCKEY_CLAIM</source>
        <translation>Скидка веса</translation>
    </message>
    <message>
        <source>STALL_DRAW</source>
        <translation>Номер стойла</translation>
    </message>
    <message>
        <source>WEIGHT_VALUE</source>
        <translation>Вес лошади</translation>
    </message>
    <message>
        <source>CLOTH_NUMBER</source>
        <translation>Номер на форме</translation>
    </message>
    <message>
        <source>SIRE_NAME</source>
        <translation>Имя отца лошади</translation>
    </message>
    <message>
        <source>SIRE_YEAR_BORN</source>
        <translation>Год рождения отца лошади</translation>
    </message>
    <message>
        <source>DAM_NAME</source>
        <translation>Имя матери лошади</translation>
    </message>
    <message>
        <source>DAM_YEAR_BORN</source>
        <translation>Год рождения матери лошади</translation>
    </message>
    <message>
        <source>DAM_SIRE_NAME</source>
        <translation>Дедушка лошади</translation>
    </message>
    <message>
        <source>DAM_SIRE_YEAR_BORN</source>
        <translation>Год рождения дедушки лошади</translation>
    </message>
    <message>
        <source>FORECASTPRICE_NUMERATOR</source>
        <translation>Множитель коэффициента</translation>
    </message>
    <message>
        <source>FORECASTPRICE_DENOMINATOR</source>
        <translation>Делитель коэффициента</translation>
    </message>
    <message>
        <source>FORM</source>
        <translation>Форма</translation>
    </message>
    <message>
        <source>BRED</source>
        <translation>Страна рождения лошади</translation>
    </message>
    <message>
        <source>SIRE_BRED</source>
        <translation>Страна рождения отца лошади</translation>
    </message>
    <message>
        <source>DAM_BRED</source>
        <translation>Страна рождения матери лошади</translation>
    </message>
    <message>
        <source>DAM_SIRE_BRED</source>
        <translation>Страна рождения дедушки лошади</translation>
    </message>
    <message>
        <source>the image is larger than %1 KB</source>
        <translation>изображение больше %1 КБ</translation>
    </message>
    <message>
        <source>Silk image load error: %1</source>
        <translation>Ошибка загрузки изображения: %1</translation>
    </message>
</context>
<context>
    <name>QStatus</name>
    <message>
        <source>Open</source>
        <translation>Открыт</translation>
    </message>
    <message>
        <source>Will go in-play</source>
        <translation>Скоро в игре</translation>
    </message>
    <message>
        <source>Suspended</source>
        <translation>Приостановлен</translation>
    </message>
    <message>
        <source>In-play</source>
        <translation>В игре</translation>
    </message>
    <message>
        <source>Closed</source>
        <translation>Закрыт</translation>
    </message>
</context>
<context>
    <name>QVersionChecker</name>
    <message>
        <source>%1/version.json</source>
        <extracomment>%1 is the English web site, %2 the Russian one: each language names its own.</extracomment>
        <translation>%2/version.json</translation>
    </message>
    <message>
        <source>The version file&apos;s address is not secure: %1</source>
        <translation>Адрес файла версии не защищён: %1</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>LanguageName</source>
        <translation>Русский</translation>
    </message>
    <message>
        <source>%1 (version %2.%3.%4.%5)</source>
        <translation>%1 (версия %2.%3.%4.%5)</translation>
    </message>
    <message>
        <source>%1/</source>
        <extracomment>%1 is the English web site, %2 the Russian one: each language names its own.</extracomment>
        <translation>%2/</translation>
    </message>
    <message>
        <source>Copyright &amp;copy; 2015&amp;ndash;%1 &lt;a href=&quot;%2&quot; style=&quot;color:#0000ff; text-decoration:underline;&quot;&gt;The Tarnwickstone developers&lt;/a&gt;</source>
        <translation>&amp;copy; 2015&amp;ndash;%1 &lt;a href=&quot;%2&quot; style=&quot;color:#0000ff; text-decoration:underline;&quot;&gt;Разработчики Tarnwickstone&lt;/a&gt;</translation>
    </message>
    <message>
        <source>Last checked %1</source>
        <translation>Последняя проверка: %1</translation>
    </message>
    <message>
        <source>Number of selections</source>
        <translation>Число вариантов</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Объём</translation>
    </message>
    <message>
        <source>Back price</source>
        <translation>Коэффициент «за»</translation>
    </message>
    <message>
        <source>Lay price</source>
        <translation>Коэффициент «против»</translation>
    </message>
    <message>
        <source>Near SP</source>
        <translation>Ближний SP</translation>
    </message>
    <message>
        <source>Far SP</source>
        <translation>Дальний SP</translation>
    </message>
    <message>
        <source>Actual SP</source>
        <translation>Фактический SP</translation>
    </message>
    <message>
        <source>Status / P/L</source>
        <translation>Статус / прибыль</translation>
    </message>
    <message>
        <source>Matched amount</source>
        <translation>Сумма сведённых ставок</translation>
    </message>
    <message>
        <source>Unmatched amount</source>
        <translation>Сумма несведённых ставок</translation>
    </message>
    <message>
        <source>Starting time / rank</source>
        <translation>Время начала / место</translation>
    </message>
    <message>
        <source>Silks</source>
        <translation>Цвета жокеев</translation>
    </message>
    <message>
        <source>Successfully logged in to BetFair</source>
        <translation>Вход в BetFair выполнен</translation>
    </message>
    <message>
        <source>Logging in to BetFair...</source>
        <translation>Вход в BetFair...</translation>
    </message>
    <message>
        <source>Login failed: no session was opened</source>
        <translation>Вход не удался: сеанс не открыт</translation>
    </message>
    <message>
        <source>Are you sure you want to log out?</source>
        <translation>Вы действительно хотите выйти?</translation>
    </message>
    <message>
        <source>Logged out from BetFair.</source>
        <translation>Выход из BetFair выполнен.</translation>
    </message>
    <message>
        <source>Please log in to BetFair to proceed with your search</source>
        <translation>Чтобы выполнить поиск, войдите в BetFair</translation>
    </message>
    <message>
        <source>Checking program version...</source>
        <translation>Проверка версии программы...</translation>
    </message>
    <message>
        <source>You are using the latest version. Thank you for checking.</source>
        <translation>У вас последняя версия. Спасибо за проверку.</translation>
    </message>
    <message>
        <source>A newer version has been discovered.&lt;hr&gt;&lt;h4&gt;What&apos;s new:&lt;/h4&gt;%1&lt;hr&gt;Would you like to update?</source>
        <translation>Найдена новая версия.&lt;hr&gt;&lt;h4&gt;Что нового:&lt;/h4&gt;%1&lt;hr&gt;Обновить программу?</translation>
    </message>
    <message>
        <source>Unable to start setup executable</source>
        <translation>Не удалось запустить программу установки</translation>
    </message>
    <message>
        <source>TERMS_TITLE</source>
        <translation>Примите условия использования Tarnwickstone:</translation>
    </message>
    <message>
        <source>TERMS</source>
        <translation>&lt;h3&gt;Условия использования Tarnwickstone&lt;/h3&gt;
&lt;ol style=&apos;margin-bottom: 0px&apos;&gt;
&lt;li&gt;&lt;b&gt;Программа&lt;/b&gt;
&lt;ol&gt;
&lt;li&gt;Tarnwickstone ищет рынки биржи Betfair по заданным вами условиям и выполняет действия с выбранными вами вариантами.&lt;/li&gt;
&lt;li&gt;Это независимая программа: Betfair её не создавал, не одобрял и не поддерживает.&lt;/li&gt;
&lt;li&gt;Программа предоставляется «как есть», без каких-либо гарантий.&lt;/li&gt;
&lt;/ol&gt;&lt;/li&gt;
&lt;li&gt;&lt;b&gt;Ваш счёт и ваши деньги&lt;/b&gt;
&lt;ol&gt;
&lt;li&gt;Каждая ставка, которую делает программа, делается с вашего счёта, от вашего имени и по вашему указанию; ответственность за неё несёте только вы.&lt;/li&gt;
&lt;li&gt;Проверяйте каждую ставку перед подтверждением. Коэффициенты меняются, а биржа сводит, снимает и аннулирует ставки по своим правилам.&lt;/li&gt;
&lt;li&gt;Вы должны быть совершеннолетним, ставки должны быть разрешены там, где вы живёте, и вы должны соблюдать правила самой биржи.&lt;/li&gt;
&lt;/ol&gt;&lt;/li&gt;
&lt;li&gt;&lt;b&gt;Ваши данные&lt;/b&gt;
&lt;ol&gt;
&lt;li&gt;Имя пользователя и пароль передаются только бирже. Пароль никогда не сохраняется.&lt;/li&gt;
&lt;li&gt;Имя пользователя и данные почты, которые вы просите запомнить, хранятся в файле настроек, зашифрованные ключом, встроенным в программу: любой, кто может прочитать этот файл, может их восстановить.&lt;/li&gt;
&lt;li&gt;Кроме биржи, программа обращается только к сайту продукта (обновления, каталоги, шаблоны) и, когда вы проверяете соединение, к публичной службе, определяющей вашу страну.&lt;/li&gt;
&lt;/ol&gt;&lt;/li&gt;
&lt;li&gt;&lt;b&gt;Ответственность&lt;/b&gt;
&lt;ol&gt;
&lt;li&gt;Авторы не отвечают за убытки, возникшие при использовании программы, из-за ошибок в ней или из-за недоступности биржи или вашей сети.&lt;/li&gt;
&lt;li&gt;Если вы не принимаете эти условия, нажмите «Отказаться»: программа закроется.&lt;/li&gt;
&lt;/ol&gt;&lt;/li&gt;
&lt;/ol&gt;</translation>
    </message>
    <message>
        <source>Accept</source>
        <translation>Принять</translation>
    </message>
    <message>
        <source>Decline</source>
        <translation>Отказаться</translation>
    </message>
    <message>
        <source>The proxy settings were not applied: the proxy server or port is not valid.</source>
        <translation>Настройки прокси не применены: неверный сервер или порт прокси.</translation>
    </message>
    <message>
        <source>Checking connection failed: %1</source>
        <translation>Проверка соединения не удалась: %1</translation>
    </message>
    <message>
        <source>Your connection looks good.
Would you like to apply these settings?</source>
        <translation>Соединение в порядке.
Применить эти настройки?</translation>
    </message>
    <message>
        <source>Your connection looks good</source>
        <translation>Соединение в порядке</translation>
    </message>
    <message>
        <source>Unable to retrieve system settings</source>
        <translation>Не удалось получить системные настройки</translation>
    </message>
    <message>
        <source>I&apos;m going to send a test e-mail message using the credentials you provided on this page.
Are you sure?</source>
        <translation>Будет отправлено тестовое письмо с данными, указанными на этой странице.
Продолжить?</translation>
    </message>
    <message>
        <source>Hello,&lt;br&gt;&lt;br&gt;This is a test message you (or somebody else) sent from &lt;a href=http://%2/&gt;%1&lt;/a&gt;.&lt;br&gt;If you see it then everything works fine.&lt;br&gt;&lt;br&gt;Thank you for using our software.&lt;br&gt;&lt;br&gt;-- &lt;br&gt;Yours faithfully,&lt;br&gt; %1</source>
        <translation>Здравствуйте!&lt;br&gt;&lt;br&gt;Это тестовое письмо, которое вы (или кто-то другой) отправили из &lt;a href=http://%2/&gt;%1&lt;/a&gt;.&lt;br&gt;Если вы его видите, всё работает.&lt;br&gt;&lt;br&gt;Спасибо, что пользуетесь нашей программой.&lt;br&gt;&lt;br&gt;-- &lt;br&gt;С уважением,&lt;br&gt; %1</translation>
    </message>
    <message>
        <source>Test message</source>
        <translation>Тестовое письмо</translation>
    </message>
    <message>
        <source>Message succesfully sent</source>
        <translation>Письмо отправлено</translation>
    </message>
    <message>
        <source>Please fill e-mail settings</source>
        <translation>Заполните настройки почты</translation>
    </message>
</context>
<context>
    <name>SettingsForm</name>
    <message>
        <source>General</source>
        <translation>Общие</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>Язык:</translation>
    </message>
    <message>
        <source>Restart program to see changes</source>
        <translation>Перезапустите программу, чтобы увидеть изменения</translation>
    </message>
    <message>
        <source>Interactive level:</source>
        <translation>Уровень взаимодействия:</translation>
    </message>
    <message>
        <source>Show popups and confirm every action</source>
        <translation>Показывать сообщения и подтверждать каждое действие</translation>
    </message>
    <message>
        <source>Show popups on errors and confirm important actions only</source>
        <translation>Показывать ошибки и подтверждать только важное</translation>
    </message>
    <message>
        <source>Take default action and log all messages</source>
        <translation>Действовать по умолчанию, всё записывать в журнал</translation>
    </message>
    <message>
        <source>Expand all markets by default</source>
        <translation>Раскрывать все рынки по умолчанию</translation>
    </message>
    <message>
        <source>Include withdrawn selections into the list</source>
        <translation>Включать снятых участников в список</translation>
    </message>
    <message>
        <source>Show country flags for each market in search results</source>
        <translation>Флаги стран у рынков в результатах</translation>
    </message>
    <message>
        <source>Show country name in market tooltip</source>
        <translation>Название страны в подсказке рынка</translation>
    </message>
    <message>
        <source>Open BetFair chart on price click (hold Shift to add)</source>
        <translation>График по щелчку на цене (Shift — добавить)</translation>
    </message>
    <message>
        <source>Automatically save template when performing a search</source>
        <translation>Сохранять шаблон при каждом поиске</translation>
    </message>
    <message>
        <source>Stop placing bets on first error</source>
        <translation>Прекращать ставки при первой ошибке</translation>
    </message>
    <message>
        <source>Show columns:</source>
        <translation>Столбцы:</translation>
    </message>
    <message>
        <source>BetFair</source>
        <translation>BetFair</translation>
    </message>
    <message>
        <source>You have logged in to BetFair already.</source>
        <translation>Вы уже вошли в BetFair.</translation>
    </message>
    <message>
        <source>Log Out</source>
        <translation>Выйти</translation>
    </message>
    <message>
        <source>Select login scheme:</source>
        <translation>Способ входа:</translation>
    </message>
    <message>
        <source>Embedded page interactive login (recommended)</source>
        <translation>Вход через встроенную страницу (рекомендуется)</translation>
    </message>
    <message>
        <source>Username/password API login (default)</source>
        <translation>Вход по имени и паролю через API (по умолчанию)</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;If your login procedure doesn&apos;t require any additional procedures (like two-factor authorization or additional data required by BetFair) you can use this method. Otherwise please select interactive one below.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;head/&gt;&lt;body&gt;&lt;p&gt;Если для входа не нужны дополнительные шаги (например, двухфакторная аутентификация или дополнительные данные, которые запрашивает BetFair), можно использовать этот способ. Иначе выберите выше вход через встроенную страницу.&lt;/p&gt;&lt;/body&gt;&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Enter your BetFair credentials:</source>
        <translation>Введите данные для входа в BetFair:</translation>
    </message>
    <message>
        <source>Username</source>
        <translation>Имя пользователя</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Пароль</translation>
    </message>
    <message>
        <source>Login</source>
        <translation>Войти</translation>
    </message>
    <message>
        <source>Remember username</source>
        <translation>Запомнить имя пользователя</translation>
    </message>
    <message>
        <source>Connection</source>
        <translation>Соединение</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>Тип:</translation>
    </message>
    <message>
        <source>Use system preferences</source>
        <translation>Системные настройки</translation>
    </message>
    <message>
        <source>Direct connect (no proxy)</source>
        <translation>Напрямую (без прокси)</translation>
    </message>
    <message>
        <source>Server:</source>
        <translation>Сервер:</translation>
    </message>
    <message>
        <source>Port:</source>
        <translation>Порт:</translation>
    </message>
    <message>
        <source>Username:</source>
        <translation>Логин:</translation>
    </message>
    <message>
        <source>Password:</source>
        <translation>Пароль:</translation>
    </message>
    <message>
        <source>Test your connection</source>
        <translation>Проверить</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>Применить</translation>
    </message>
    <message>
        <source>E-mail</source>
        <translation>Почта</translation>
    </message>
    <message>
        <source>From:</source>
        <translation>От:</translation>
    </message>
    <message>
        <source>To:</source>
        <translation>Кому:</translation>
    </message>
    <message>
        <source>Use SSL:</source>
        <translation>Использовать SSL:</translation>
    </message>
    <message>
        <source>Send test message</source>
        <translation>Отправить тестовое письмо</translation>
    </message>
    <message>
        <source>About</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>Current version</source>
        <translation>Текущая версия</translation>
    </message>
    <message>
        <source>Check for program updates</source>
        <translation>Проверять обновления</translation>
    </message>
    <message>
        <source>and templates</source>
        <translation>и шаблонов</translation>
    </message>
    <message>
        <source>Daily</source>
        <translation>Ежедневно</translation>
    </message>
    <message>
        <source>Weekly</source>
        <translation>Еженедельно</translation>
    </message>
    <message>
        <source>Monthly</source>
        <translation>Ежемесячно</translation>
    </message>
    <message>
        <source>Check now</source>
        <translation>Проверить сейчас</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>The settings file %1 is damaged; a copy of it was kept as %2</source>
        <translation>Файл настроек %1 повреждён; его копия сохранена как %2</translation>
    </message>
    <message>
        <source>The settings file %1 is damaged and no copy of it could be kept: %2</source>
        <translation>Файл настроек %1 повреждён, а сохранить его копию не удалось: %2</translation>
    </message>
</context>
<context>
    <name>SiteDownload</name>
    <message>
        <source>The download address is not secure: %1</source>
        <translation>Адрес загрузки не защищён: %1</translation>
    </message>
    <message>
        <source>The server did not send the file (HTTP status %1).</source>
        <translation>Сервер не передал файл (код HTTP %1).</translation>
    </message>
    <message>
        <source>The download stalled or grew too large and was given up.</source>
        <translation>Загрузка остановилась или оказалась слишком большой и была прервана.</translation>
    </message>
</context>
<context>
    <name>TemplateArchive</name>
    <message>
        <source>There is a problem with extracting templates zip: %1</source>
        <translation>Не удалось распаковать архив шаблонов: %1</translation>
    </message>
    <message>
        <source>The templates archive is not a zip file or is empty.</source>
        <translation>Архив шаблонов не является zip-файлом или пуст.</translation>
    </message>
    <message>
        <source>The templates archive holds %1 entries, more than a templates archive can; nothing was installed.</source>
        <translation>В архиве шаблонов %1 записей, больше, чем может быть в архиве шаблонов; ничего не установлено.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; in the templates archive is not a template file and was skipped.</source>
        <translation>&apos;%1&apos; в архиве шаблонов не является файлом шаблона и пропущен.</translation>
    </message>
    <message>
        <source>Your template &apos;%1&apos; was kept; the predefined template of that name was not installed.</source>
        <translation>Ваш шаблон &apos;%1&apos; сохранён; предустановленный шаблон с тем же именем не установлен.</translation>
    </message>
    <message>
        <source>Unable to save template file %1: %2</source>
        <translation>Не удалось сохранить файл шаблона %1: %2</translation>
    </message>
    <message>
        <source>The templates archive holds no template; nothing was installed.</source>
        <translation>В архиве шаблонов нет ни одного шаблона; ничего не установлено.</translation>
    </message>
    <message>
        <source>Predefined templates were updated.</source>
        <translation>Предустановленные шаблоны обновлены.</translation>
    </message>
    <message>
        <source>The templates archive unpacks to more than %1 MiB; &apos;%2&apos; and the entries after it were not installed.</source>
        <translation>Архив шаблонов распаковывается более чем в %1 МиБ; &apos;%2&apos; и следующие за ним записи не установлены.</translation>
    </message>
</context>
<context>
    <name>TriggerRow</name>
    <message>
        <source>Event&apos;s</source>
        <translation>Событие</translation>
    </message>
    <message>
        <source>Market&apos;s</source>
        <translation>Рынок</translation>
    </message>
    <message>
        <source>Any Selection&apos;s</source>
        <translation>Любой исход</translation>
    </message>
    <message>
        <source>Every Selection&apos;s</source>
        <translation>Каждый исход</translation>
    </message>
    <message>
        <source>Favourite&apos;s</source>
        <translation>Фаворит</translation>
    </message>
    <message>
        <source>Home team&apos;s</source>
        <translation>Хозяева</translation>
    </message>
    <message>
        <source>Away team&apos;s</source>
        <translation>Гости</translation>
    </message>
    <message>
        <source>The Draw&apos;s</source>
        <translation>Ничья</translation>
    </message>
    <message>
        <source>Sport</source>
        <translation>Вид спорта</translation>
    </message>
    <message>
        <source>Country</source>
        <translation>Страна</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Название</translation>
    </message>
    <message>
        <source>Minutes to scheduled start</source>
        <translation>Минут до начала по расписанию</translation>
    </message>
    <message>
        <source>Minutes since scheduled start</source>
        <translation>Минут после начала по расписанию</translation>
    </message>
    <message>
        <source>Minute of the match</source>
        <translation>Минута матча</translation>
    </message>
    <message>
        <source>Home score</source>
        <translation>Счёт хозяев</translation>
    </message>
    <message>
        <source>Away score</source>
        <translation>Счёт гостей</translation>
    </message>
    <message>
        <source>Home score &lt;=&gt; Away score</source>
        <translation>Счёт хозяев &lt;=&gt; счёт гостей</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Тип</translation>
    </message>
    <message>
        <source>Status</source>
        <translation>Статус</translation>
    </message>
    <message>
        <source>Number of selections</source>
        <translation>Число исходов</translation>
    </message>
    <message>
        <source>Number of places</source>
        <translation>Число призовых мест</translation>
    </message>
    <message>
        <source>Number of withdrawns</source>
        <translation>Число снятых</translation>
    </message>
    <message>
        <source>Matched volume</source>
        <translation>Объём сделок</translation>
    </message>
    <message>
        <source>Supports SP</source>
        <translation>Поддерживает SP</translation>
    </message>
    <message>
        <source>Will turn in-play</source>
        <translation>Перейдёт в режим «в игре»</translation>
    </message>
    <message>
        <source>Normalized Back book %</source>
        <translation>Нормализованная книга ЗА, %</translation>
    </message>
    <message>
        <source>Normalized Lay book %</source>
        <translation>Нормализованная книга ПРОТИВ, %</translation>
    </message>
    <message>
        <source>Has bets</source>
        <translation>Есть ставки</translation>
    </message>
    <message>
        <source>Back price</source>
        <translation>Цена ЗА</translation>
    </message>
    <message>
        <source>Lay Price</source>
        <translation>Цена ПРОТИВ</translation>
    </message>
    <message>
        <source>Last traded price</source>
        <translation>Цена последней сделки</translation>
    </message>
    <message>
        <source>Volume %</source>
        <translation>Объём, %</translation>
    </message>
    <message>
        <source>Far SP price</source>
        <translation>Дальняя цена SP</translation>
    </message>
    <message>
        <source>Near SP price</source>
        <translation>Ближняя цена SP</translation>
    </message>
    <message>
        <source>Actual SP price</source>
        <translation>Фактическая цена SP</translation>
    </message>
    <message>
        <source>Silks</source>
        <translation>Данные участника</translation>
    </message>
    <message>
        <source>Is equal to</source>
        <translation>Равно</translation>
    </message>
    <message>
        <source>Is not equal to</source>
        <translation>Не равно</translation>
    </message>
    <message>
        <source>Is greater than</source>
        <translation>Больше</translation>
    </message>
    <message>
        <source>Is less than</source>
        <translation>Меньше</translation>
    </message>
    <message>
        <source>Is equal or greater than</source>
        <translation>Больше или равно</translation>
    </message>
    <message>
        <source>Is equal or less than</source>
        <translation>Меньше или равно</translation>
    </message>
    <message>
        <source>Is between</source>
        <translation>Между</translation>
    </message>
    <message>
        <source>Is outside</source>
        <translation>Вне диапазона</translation>
    </message>
    <message>
        <source>Is in list</source>
        <translation>В списке</translation>
    </message>
    <message>
        <source>Is not in list</source>
        <translation>Не в списке</translation>
    </message>
    <message>
        <source>Contains</source>
        <translation>Содержит</translation>
    </message>
    <message>
        <source>Does not contain</source>
        <translation>Не содержит</translation>
    </message>
    <message>
        <source>Starts with</source>
        <translation>Начинается с</translation>
    </message>
    <message>
        <source>Ends with</source>
        <translation>Заканчивается на</translation>
    </message>
    <message>
        <source>Is true</source>
        <translation>Да</translation>
    </message>
    <message>
        <source>Is false</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source>Idle or suspended</source>
        <translation>Ожидает или приостановлен</translation>
    </message>
    <message>
        <source>In-play</source>
        <translation>В игре</translation>
    </message>
    <message>
        <source>Matched or unmatched</source>
        <translation>Сыгранные или несыгранные</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Нет</translation>
    </message>
    <message>
        <source>Matched</source>
        <translation>Сыгранные</translation>
    </message>
    <message>
        <source>Unmatched</source>
        <translation>Несыгранные</translation>
    </message>
    <message>
        <source>Are equal</source>
        <translation>Равны</translation>
    </message>
    <message>
        <source>Home is greater than away by</source>
        <translation>Хозяева впереди на</translation>
    </message>
    <message>
        <source>Away is greater than home by</source>
        <translation>Гости впереди на</translation>
    </message>
    <message>
        <source>Are not equal</source>
        <translation>Не равны</translation>
    </message>
    <message>
        <source>Match sequence</source>
        <translation>Соответствует последовательности</translation>
    </message>
    <message>
        <source>Doesn&apos;t match sequence</source>
        <translation>Не соответствует последовательности</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Значение</translation>
    </message>
    <message>
        <source>Click to call editor</source>
        <translation>Нажмите, чтобы открыть редактор</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>values</source>
        <translation>значения</translation>
    </message>
    <message>
        <source>countries</source>
        <translation>страны</translation>
    </message>
    <message>
        <source>sports</source>
        <translation>виды спорта</translation>
    </message>
    <message>
        <source>market types</source>
        <translation>типы рынков</translation>
    </message>
    <message>
        <source>sex types</source>
        <translation>варианты пола</translation>
    </message>
</context>
</TS>
