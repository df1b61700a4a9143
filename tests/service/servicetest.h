#pragma once

#include <QObject>

// The extraction service with real files in temporary folders and small shell
// scripts standing in for the extractor command.
class ServiceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The merge (mergetest.cpp).
    void combinedArchiveNameFitsAFileName();
    void mergeCopiesWhatEachPartHolds();
    void mergeStopsWhenItsThreadIsAskedToStop();
    void unreadablePart_data();
    void unreadablePart();
    void unwritableCombinedArchive_data();
    void unwritableCombinedArchive();
    void partThatIsTheCombinedArchive_data();
    void partThatIsTheCombinedArchive();
    void groupThatIsNoByteSplitArchiveIsNotMerged_data();
    void groupThatIsNoByteSplitArchiveIsNotMerged();

    // The extractor command, its output, descriptors and progress reports
    // (extractortest.cpp).
    void extractorOutcome_data();
    void extractorOutcome();
    void extractorGetsArgumentsReportPipeAndPassword();
    void extractorThatCannotBeLaunched();

    // Whole runs, the service thread and cancelling (runtest.cpp).
    void successfulRunReportsEveryStepInOrder();
    void destroyingTheServiceKillsARunningExtractor();
    void cancelStopsTheMerge_data();
    void cancelStopsTheMerge();
    void cancelStopsTheExtractor_data();
    void cancelStopsTheExtractor();

    // The check of parts and the space it tells a run needs (checktest.cpp).
    void spaceShortage_data();
    void spaceShortage();
    void runThatCannotFitFailsBeforeItWrites();
    void checkAnswersOnceWhateverTheTool_data();
    void checkAnswersOnceWhateverTheTool();
};
