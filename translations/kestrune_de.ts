<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutBox</name>
    <message>
        <source>About %1</source>
        <translation>Über %1</translation>
    </message>
    <message>
        <source>%1, version %2</source>
        <translation>%1, Version %2</translation>
    </message>
    <message>
        <source>Joins split zip archives and extracts them.

Copyright © the Kestrune developers.
Free software under the MIT License.</source>
        <translation>Fügt geteilte Zip-Archive zusammen und entpackt sie.

Copyright © die Kestrune-Entwickler.
Freie Software unter der MIT-Lizenz.</translation>
    </message>
</context>
<context>
    <name>ArchiveMerger</name>
    <message>
        <source>the part %1 is the file the parts are merged into (%2); choose another destination folder</source>
        <translation>der Teil %1 ist die Datei, in die die Teile zusammengefügt werden (%2); wählen Sie einen anderen Zielordner</translation>
    </message>
    <message>
        <source>the merge was stopped</source>
        <translation>das Zusammenfügen wurde angehalten</translation>
    </message>
</context>
<context>
    <name>ClashWarning</name>
    <message>
        <source>the base part</source>
        <translation>den Basisteil</translation>
    </message>
    <message>
        <source>part %1</source>
        <translation>Teil %1</translation>
    </message>
    <message>
        <source>Two files claim %1: %2 and %3 — remove one.</source>
        <extracomment>%1 is &quot;part 3&quot; or &quot;the base part&quot;; %2 and %3 are files named with their folders.</extracomment>
        <translation>Zwei Dateien beanspruchen %1: %2 und %3 – entfernen Sie eine.</translation>
    </message>
    <message>
        <source>%1 files claim %2: %3 and %4 — keep one and remove the others.</source>
        <extracomment>%1 counts the files, %2 is &quot;part 3&quot; or &quot;the base part&quot;; %3 lists all files but the last, which is %4.</extracomment>
        <translation>%1 Dateien beanspruchen %2: %3 und %4 – behalten Sie eine und entfernen Sie die anderen.</translation>
    </message>
    <message>
        <source>%1 more part numbers are claimed by more than one file.</source>
        <translation>%1 weitere Teilnummern werden von mehr als einer Datei beansprucht.</translation>
    </message>
</context>
<context>
    <name>ConsolePanel</name>
    <message>
        <source>Output will appear here.</source>
        <translation>Hier erscheint die Ausgabe.</translation>
    </message>
    <message>
        <source>Console</source>
        <translation>Konsole</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Clear the console</source>
        <translation>Die Konsole leeren</translation>
    </message>
</context>
<context>
    <name>ConsoleTextView</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>Select &amp;All</source>
        <translation>&amp;Alles auswählen</translation>
    </message>
    <message>
        <source>Save &amp;As…</source>
        <translation>Speichern &amp;unter …</translation>
    </message>
    <message>
        <source>Save Console Output</source>
        <translation>Konsolenausgabe speichern</translation>
    </message>
    <message>
        <source>Text files (*.txt)</source>
        <translation>Textdateien (*.txt)</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>console.txt</source>
        <translation>konsole.txt</translation>
    </message>
    <message>
        <source>Could Not Save</source>
        <translation>Speichern nicht möglich</translation>
    </message>
    <message>
        <source>The console output could not be saved: %1</source>
        <translation>Die Konsolenausgabe konnte nicht gespeichert werden: %1</translation>
    </message>
</context>
<context>
    <name>ContentView</name>
    <message numerus="yes">
        <source>%n file(s) were not split zip parts and were ignored</source>
        <translation>
            <numerusform>%n Datei war kein Teil eines geteilten Zip-Archivs und wurde ignoriert</numerusform>
            <numerusform>%n Dateien waren keine Teile eines geteilten Zip-Archivs und wurden ignoriert</numerusform>
        </translation>
    </message>
    <message>
        <source>Add Parts…</source>
        <translation>Teile hinzufügen …</translation>
    </message>
    <message>
        <source>Choose split zip parts to add (Ctrl+O)</source>
        <translation>Teile eines geteilten Zip-Archivs zum Hinzufügen wählen (Strg+O)</translation>
    </message>
</context>
<context>
    <name>DestinationPicker</name>
    <message>
        <source>Choose Destination Folder</source>
        <translation>Zielordner wählen</translation>
    </message>
</context>
<context>
    <name>DropZoneView</name>
    <message>
        <source>Drop .zip parts here</source>
        <translation>.zip-Teile hier ablegen</translation>
    </message>
    <message>
        <source>e.g. archive.zip, archive(1).zip, …</source>
        <translation>z. B. archive.zip, archive(1).zip, …</translation>
    </message>
</context>
<context>
    <name>EmptyStateView</name>
    <message>
        <source>Drop split .zip files to get started</source>
        <translation>Legen Sie geteilte .zip-Dateien ab, um zu beginnen</translation>
    </message>
</context>
<context>
    <name>ExtractionError</name>
    <message>
        <source>Missing zip parts: %1</source>
        <translation>Fehlende Zip-Teile: %1</translation>
    </message>
    <message>
        <source>Cannot read file: %1</source>
        <translation>Datei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Cannot write to destination: %1</source>
        <translation>In das Ziel kann nicht geschrieben werden: %1</translation>
    </message>
    <message>
        <source>Extraction failed: %1</source>
        <translation>Entpacken fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>Disk is full.</source>
        <translation>Der Datenträger ist voll.</translation>
    </message>
    <message>
        <source>This archive is protected by a password.</source>
        <translation>Dieses Archiv ist durch ein Passwort geschützt.</translation>
    </message>
    <message>
        <source>Wrong password.</source>
        <translation>Falsches Passwort.</translation>
    </message>
    <message>
        <source>Extraction cancelled.</source>
        <translation>Entpacken abgebrochen.</translation>
    </message>
</context>
<context>
    <name>ExtractionPanel</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Cancel extraction</source>
        <translation>Entpacken abbrechen</translation>
    </message>
    <message>
        <source>Stop the extraction (Esc)</source>
        <translation>Das Entpacken anhalten (Esc)</translation>
    </message>
    <message>
        <source>Open Folder</source>
        <translation>Ordner öffnen</translation>
    </message>
    <message>
        <source>Show the extracted files in the file manager</source>
        <translation>Die entpackten Dateien in der Dateiverwaltung zeigen</translation>
    </message>
    <message>
        <source>Destination</source>
        <translation>Ziel</translation>
    </message>
    <message>
        <source>Choose folder…</source>
        <translation>Ordner wählen …</translation>
    </message>
    <message>
        <source>Choose the folder to extract into</source>
        <translation>Den Ordner wählen, in den entpackt wird</translation>
    </message>
    <message>
        <source>Destination: %1</source>
        <translation>Ziel: %1</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Leeren</translation>
    </message>
    <message>
        <source>Stopping…</source>
        <translation>Wird angehalten …</translation>
    </message>
    <message>
        <source>Running…</source>
        <translation>Läuft …</translation>
    </message>
    <message>
        <source>Start Extraction</source>
        <translation>Entpacken starten</translation>
    </message>
    <message>
        <source>Extraction progress</source>
        <translation>Fortschritt des Entpackens</translation>
    </message>
</context>
<context>
    <name>ExtractionRun</name>
    <message>
        <source>two files claim one part number; remove one</source>
        <translation>zwei Dateien beanspruchen dieselbe Teilnummer; entfernen Sie eine</translation>
    </message>
    <message numerus="yes">
        <source>▶ Merging %n part(s) into combined archive…
</source>
        <translation>
            <numerusform>▶ %n Teil wird zum Gesamtarchiv zusammengefügt …
</numerusform>
            <numerusform>▶ %n Teile werden zum Gesamtarchiv zusammengefügt …
</numerusform>
        </translation>
    </message>
    <message>
        <source>✔ Merge complete.
▶ Unzipping into %1…
</source>
        <translation>✔ Zusammenfügen abgeschlossen.
▶ Entpacken nach %1 …
</translation>
    </message>
    <message>
        <source>Not enough free space in %1: the combined archive and the unpacked files need %2, and %3 are free.
</source>
        <translation>Nicht genug freier Platz in %1: Das Gesamtarchiv und die entpackten Dateien brauchen %2, frei sind %3.
</translation>
    </message>
    <message>
        <source>Cancelled. %1 of %2 files had been extracted into %3.
</source>
        <translation>Abgebrochen. %1 von %2 Dateien waren bereits nach %3 entpackt.
</translation>
    </message>
    <message>
        <source>Cancelled. Files already extracted stay in %1.
</source>
        <translation>Abgebrochen. Bereits entpackte Dateien bleiben in %1.
</translation>
    </message>
    <message>
        <source>✔ Extraction finished successfully.
</source>
        <translation>✔ Entpacken erfolgreich abgeschlossen.
</translation>
    </message>
</context>
<context>
    <name>ExtractionViewModel</name>
    <message>
        <source>
⚠ Error:
%1
</source>
        <translation>
⚠ Fehler:
%1
</translation>
    </message>
</context>
<context>
    <name>ExtractorProcess</name>
    <message>
        <source>%1 was stopped by signal %2</source>
        <translation>%1 wurde durch Signal %2 beendet</translation>
    </message>
    <message>
        <source>%1 extraction failed</source>
        <translation>%1: Entpacken fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>FileListModel</name>
    <message>
        <source>base part</source>
        <translation>Basisteil</translation>
    </message>
    <message>
        <source>part %1</source>
        <translation>Teil %1</translation>
    </message>
</context>
<context>
    <name>FileListView</name>
    <message>
        <source>Part files</source>
        <translation>Teildateien</translation>
    </message>
    <message>
        <source>Remove This File</source>
        <translation>Diese Datei entfernen</translation>
    </message>
    <message>
        <source>Remove This Archive</source>
        <translation>Dieses Archiv entfernen</translation>
    </message>
</context>
<context>
    <name>FileRowDelegate</name>
    <message>
        <source>Remove this file</source>
        <translation>Diese Datei entfernen</translation>
    </message>
</context>
<context>
    <name>GroupHeaderView</name>
    <message>
        <source>Remove this archive</source>
        <translation>Dieses Archiv entfernen</translation>
    </message>
    <message numerus="yes">
        <source>Complete archive · %n file(s) · %1 unpacked</source>
        <translation>
            <numerusform>Vollständiges Archiv · %n Datei · %1 entpackt</numerusform>
            <numerusform>Vollständiges Archiv · %n Dateien · %1 entpackt</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n part(s)</source>
        <translation>
            <numerusform>%n Teil</numerusform>
            <numerusform>%n Teile</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n part(s) (.001, .002, …)</source>
        <translation>
            <numerusform>%n Teil (.001, .002, …)</numerusform>
            <numerusform>%n Teile (.001, .002, …)</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 · %2</source>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warnung</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Fehler</translation>
    </message>
</context>
<context>
    <name>GroupSwitcher</name>
    <message numerus="yes">
        <source>%n archive(s)</source>
        <translation>
            <numerusform>%n Archiv</numerusform>
            <numerusform>%n Archive</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n archive(s)</source>
        <translation>
            <numerusform>%1 von %n Archiv</numerusform>
            <numerusform>%1 von %n Archiven</numerusform>
        </translation>
    </message>
    <message>
        <source>Show another archive</source>
        <translation>Ein anderes Archiv zeigen</translation>
    </message>
    <message>
        <source>Another archive can be shown once this run has ended</source>
        <translation>Ein anderes Archiv lässt sich zeigen, sobald dieser Lauf beendet ist</translation>
    </message>
    <message numerus="yes">
        <source>%n part(s)</source>
        <translation>
            <numerusform>%n Teil</numerusform>
            <numerusform>%n Teile</numerusform>
        </translation>
    </message>
    <message>
        <source>%1 · %2</source>
        <translation>%1 · %2</translation>
    </message>
    <message numerus="yes">
        <source>%n more archive(s); remove some to reach them</source>
        <translation>
            <numerusform>%n weiteres Archiv; entfernen Sie andere, um es zu erreichen</numerusform>
            <numerusform>%n weitere Archive; entfernen Sie andere, um sie zu erreichen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>JoinOffer</name>
    <message>
        <source>These look like one archive whose parts a browser named with a space.</source>
        <translation>Diese Teile sehen aus wie ein Archiv, dessen Teile ein Browser mit einem Leerzeichen benannt hat.</translation>
    </message>
    <message>
        <source>Join them</source>
        <translation>Zusammenführen</translation>
    </message>
    <message>
        <source>Show both groups as one archive, in part order</source>
        <translation>Beide Gruppen als ein Archiv zeigen, in der Reihenfolge der Teile</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>%1 % — %2</source>
        <translation>%1 % – %2</translation>
    </message>
    <message>
        <source>About Kestrune</source>
        <translation>Über Kestrune</translation>
    </message>
</context>
<context>
    <name>PartsPicker</name>
    <message>
        <source>Add Parts</source>
        <translation>Teile hinzufügen</translation>
    </message>
    <message>
        <source>All files (*)</source>
        <translation>Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Split zip parts (*.zip *.zip.[0-9][0-9][0-9]* *.z[0-9][0-9]*)</source>
        <translation>Teile geteilter Zip-Archive (*.zip *.zip.[0-9][0-9][0-9]* *.z[0-9][0-9]*)</translation>
    </message>
</context>
<context>
    <name>PasswordQuestion</name>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>This archive is protected by a password.</source>
        <translation>Dieses Archiv ist durch ein Passwort geschützt.</translation>
    </message>
    <message>
        <source>Show password</source>
        <translation>Passwort anzeigen</translation>
    </message>
</context>
<context>
    <name>QuitGuard</name>
    <message>
        <source>An extraction is running. Stop it and quit?</source>
        <translation>Ein Entpacken läuft. Anhalten und beenden?</translation>
    </message>
    <message>
        <source>Stop and Quit</source>
        <translation>Anhalten und beenden</translation>
    </message>
    <message>
        <source>Keep Running</source>
        <translation>Weiterlaufen lassen</translation>
    </message>
</context>
<context>
    <name>ReplaceQuestion</name>
    <message numerus="yes">
        <source>%n file(s) in %1 will be replaced by the archive&apos;s version(s).</source>
        <translation>
            <numerusform>%n Datei in %1 wird durch die Fassung aus dem Archiv ersetzt.</numerusform>
            <numerusform>%n Dateien in %1 werden durch die Fassungen aus dem Archiv ersetzt.</numerusform>
        </translation>
    </message>
    <message>
        <source>Replace</source>
        <translation>Ersetzen</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>RunAnnouncer</name>
    <message>
        <source>Extraction failed</source>
        <translation>Entpacken fehlgeschlagen</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>Zeigen</translation>
    </message>
    <message>
        <source>The files are in %1</source>
        <translation>Die Dateien liegen in %1</translation>
    </message>
    <message>
        <source>Extraction finished</source>
        <translation>Entpacken abgeschlossen</translation>
    </message>
    <message numerus="yes">
        <source>%Ln file(s) in %1</source>
        <translation>
            <numerusform>%Ln Datei in %1</numerusform>
            <numerusform>%Ln Dateien in %1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>StatusLabel</name>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message>
        <source>Failed</source>
        <translation>Fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>ZipFileGroup</name>
    <message>
        <source>base (%1.zip)</source>
        <translation>Basis (%1.zip)</translation>
    </message>
    <message>
        <source>part (%1)</source>
        <translation>Teil (%1)</translation>
    </message>
    <message>
        <source>Missing parts: %1</source>
        <translation>Fehlende Teile: %1</translation>
    </message>
    <message>
        <source>These parts (%1) are a PKZIP spanned set, not byte-split parts: joined end to end they do not make an archive, so Kestrune cannot extract them.</source>
        <translation>Diese Teile (%1) sind ein PKZIP-Set über mehrere Datenträger, keine byteweise geteilten Teile: Aneinandergehängt ergeben sie kein Archiv, daher kann Kestrune sie nicht entpacken.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Joins split zip archives and extracts them.</source>
        <translation>Fügt geteilte Zip-Archive zusammen und entpackt sie.</translation>
    </message>
    <message>
        <source>Prints the extractor command it runs, and exits.</source>
        <translation>Gibt den verwendeten Entpackbefehl aus und beendet sich.</translation>
    </message>
    <message>
        <source>Parts to add, as if dropped on the window.</source>
        <translation>Hinzuzufügende Teile, als wären sie auf dem Fenster abgelegt.</translation>
    </message>
</context>
</TS>
