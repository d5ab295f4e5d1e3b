<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP">
<context>
    <name>GoogleWidget</name>
    <message>
        <source>Search Google Images - then Drag and Drop into %1</source>
        <comment>Tool tip on Google Search box</comment>
        <translation>Google画像を検索して%1へドラッグ＆ドロップ</translation>
    </message>
</context>
</TS>
