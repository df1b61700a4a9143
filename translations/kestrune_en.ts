<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>ContentView</name>
    <message numerus="yes">
        <source>%n file(s) were not split zip parts and were ignored</source>
        <translation>
            <numerusform>%n file was not a split zip part and was ignored</numerusform>
            <numerusform>%n files were not split zip parts and were ignored</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ExtractionRun</name>
    <message numerus="yes">
        <source>▶ Merging %n part(s) into combined archive…
</source>
        <translation>
            <numerusform>▶ Merging %n part(s) into combined archive…
</numerusform>
            <numerusform>▶ Merging %n part(s) into combined archive…
</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>GroupHeaderView</name>
    <message numerus="yes">
        <source>Complete archive · %n file(s) · %1 unpacked</source>
        <translation>
            <numerusform>Complete archive · %n file · %1 unpacked</numerusform>
            <numerusform>Complete archive · %n files · %1 unpacked</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n part(s)</source>
        <translation>
            <numerusform>%n part</numerusform>
            <numerusform>%n parts</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n part(s) (.001, .002, …)</source>
        <translation>
            <numerusform>%n part (.001, .002, …)</numerusform>
            <numerusform>%n parts (.001, .002, …)</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>GroupSwitcher</name>
    <message numerus="yes">
        <source>%n archive(s)</source>
        <translation>
            <numerusform>%n archive</numerusform>
            <numerusform>%n archives</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n archive(s)</source>
        <translation>
            <numerusform>%1 of %n archive</numerusform>
            <numerusform>%1 of %n archives</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n part(s)</source>
        <translation>
            <numerusform>%n part</numerusform>
            <numerusform>%n parts</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n more archive(s); remove some to reach them</source>
        <translation>
            <numerusform>%n more archive; remove some to reach it</numerusform>
            <numerusform>%n more archives; remove some to reach them</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ReplaceQuestion</name>
    <message numerus="yes">
        <source>%n file(s) in %1 will be replaced by the archive&apos;s version(s).</source>
        <translation>
            <numerusform>%n file in %1 will be replaced by the archive&apos;s version.</numerusform>
            <numerusform>%n files in %1 will be replaced by the archive&apos;s versions.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>RunAnnouncer</name>
    <message numerus="yes">
        <source>%Ln file(s) in %1</source>
        <translation>
            <numerusform>%Ln file in %1</numerusform>
            <numerusform>%Ln files in %1</numerusform>
        </translation>
    </message>
</context>
</TS>
