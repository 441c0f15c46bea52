<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>QBetFairRequest</name>
    <message>
        <source>Server response error</source>
        <translation>Ошибка ответа сервера</translation>
    </message>
</context>
<context>
    <name>QNetwork</name>
    <message>
        <source>Cancelled</source>
        <translation>Отменено</translation>
    </message>
    <message>
        <source>Transfer timed out</source>
        <translation>Превышено время ожидания передачи</translation>
    </message>
</context>
</TS>
