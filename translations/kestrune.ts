<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1">
<context>
    <name>ClashWarning</name>
    <message>
        <source>the base part</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>part %1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Two files claim %1: %2 and %3 — remove one.</source>
        <extracomment>%1 is &quot;part 3&quot; or &quot;the base part&quot;; %2 and %3 are files named with their folders.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 files claim %2: %3 and %4 — keep one and remove the others.</source>
        <extracomment>%1 counts the files, %2 is &quot;part 3&quot; or &quot;the base part&quot;; %3 lists all files but the last, which is %4.</extracomment>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 more part numbers are claimed by more than one file.</source>
        <translation type="unfinished"></translation>
    </message>
</context>
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
    <name>ContentView</name>
    <message>
        <source>Add Parts…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Choose split zip parts to add (Ctrl+O)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1 file was not a split zip part and was ignored</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 files were not split zip parts and were ignored</source>
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
    <message>
        <source>Cancel</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel extraction</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop the extraction (Esc)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stopping…</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Open Folder</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show the extracted files in the file manager</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FileListView</name>
    <message>
        <source>Part files</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>FileRowDelegate</name>
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
    <message>
        <source>Complete archive · %1 file · %2 unpacked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Complete archive · %1 files · %2 unpacked</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 part</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 parts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 part (.001, .002, …)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 parts (.001, .002, …)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 part (.001, .002, …) · %2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 parts (.001, .002, …) · %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>JoinOffer</name>
    <message>
        <source>These look like one archive whose parts a browser named with a space.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Join them</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show both groups as one archive, in part order</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 % — %2</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PartsPicker</name>
    <message>
        <source>Add Parts</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Split zip parts (*.zip *.zip.[0-9][0-9][0-9]* *.z[0-9][0-9]*)</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>PasswordQuestion</name>
    <message>
        <source>Password</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>This archive is protected by a password.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Show password</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>QuitGuard</name>
    <message>
        <source>An extraction is running. Stop it and quit?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Stop and Quit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Keep Running</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>ReplaceQuestion</name>
    <message>
        <source>%1 file in %2 will be replaced by the archive&apos;s version.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>%1 files in %2 will be replaced by the archive&apos;s versions.</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Replace</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Cancel</source>
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
