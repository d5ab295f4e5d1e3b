<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>GoogleWidget</name>
    <message>
        <source>Search Google Images - then Drag and Drop into %1</source>
        <comment>Tool tip on Google Search box</comment>
        <translation>画像検索（移動先）%1</translation>
    </message>
</context>
</TS>
