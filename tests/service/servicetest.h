#pragma once

#include <QObject>

// The extraction service with real files in temporary folders and small shell
// scripts standing in for the extractor command.
class ServiceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The merge (mergetest.cpp).
    void combinedArchiveName_data();
    void combinedArchiveName();
    void mergeCopiesAPartFromAnotherFileSystem();
    void mergeCopiesAPartWhoseSizeReadsAsZero();
    void mergeCopiesWhatAPartHoldsWhenItIsRead_data();
    void mergeCopiesWhatAPartHoldsWhenItIsRead();
    void mergeStopsWhenItsThreadIsAskedToStop();
    void unreadablePart_data();
    void unreadablePart();
    void unwritableCombinedArchive_data();
    void unwritableCombinedArchive();
    void staleCombinedArchiveWithAnotherNameIsReplacedNotEmptied();
    void partThatIsTheCombinedArchive_data();
    void partThatIsTheCombinedArchive();
    void groupThatIsNoByteSplitArchiveIsNotMerged_data();
    void groupThatIsNoByteSplitArchiveIsNotMerged();

    // The extractor command, its output and its progress reports
    // (extractortest.cpp, progresstest.cpp).
    void extractorOutcome_data();
    void extractorOutcome();
    void argumentsReachTheExtractorUnchanged();
    void extractorThatCannotBeLaunched();
    void outputDecoderKeepsEveryCharacterWhereverTheBytesAreCut();
    void extractorGetsTheReportPipeAsDescriptor3();
    void floodOfReportsIsThinned();
    void runsLeaveNoDescriptorOpen();

    // The password for encrypted entries (passwordtest.cpp).
    void passwordReachesTheExtractorOnDescriptor4Only_data();
    void passwordReachesTheExtractorOnDescriptor4Only();

    // Cancelling a run (canceltest.cpp).
    void cancelStopsTheMerge_data();
    void cancelStopsTheMerge();
    void cancelStopsTheExtractor_data();
    void cancelStopsTheExtractor();
    void cancelRacingTheEndOfTheRunIsHarmless();

    // The check of parts and the space it tells a run needs (checktest.cpp).
    void spaceShortage_data();
    void spaceShortage();
    void runThatCannotFitFailsBeforeItWrites();
    void checkAnswersOnceWhateverTheTool_data();
    void checkAnswersOnceWhateverTheTool();
    void checkHandsTheToolItsParts();

    // Whole runs and the service thread (runtest.cpp).
    void successfulRunReportsEveryStepInOrder_data();
    void successfulRunReportsEveryStepInOrder();
    void slowConsumerGetsEveryEventInOrderOnePerTurn();
    void serviceMergesAnotherRunWhileAnExtractorRuns();
    void destroyingTheServiceKillsARunningExtractor();
};
