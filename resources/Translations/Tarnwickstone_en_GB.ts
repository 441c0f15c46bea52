<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB">
<context>
    <name>QBetFairRequest</name>
    <message>
        <source>Server response error</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QNetwork</name>
    <message>
        <source>Cancelled</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Transfer timed out</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
