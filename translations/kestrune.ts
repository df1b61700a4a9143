<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1">
<context>
    <name>ConsolePanel</name>
    <message>
        <source>Output will appear here.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Console</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear the console</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DestinationPicker</name>
    <message>
        <source>Choose Destination Folder</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>DropZoneView</name>
    <message>
        <source>Drop .zip parts here</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>e.g. archive.zip, archive(1).zip, …</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>EmptyStateView</name>
    <message>
        <source>Drop split .zip files to get started</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ExtractionPanel</name>
    <message>
        <source>Destination</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose folder…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose the folder to extract into</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Destination: %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Running…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start Extraction</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FileRow</name>
    <message>
        <source>Remove this file</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>GroupHeaderView</name>
    <message>
        <source>Remove this archive</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 part · %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 parts · %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>StatusLabel</name>
    <message>
        <source>Done</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Failed</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
