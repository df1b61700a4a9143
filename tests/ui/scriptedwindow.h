#pragma once

#include "model/extractionviewmodel.h"
#include "partfiles.h"
#include "platform/translations.h"
#include "scriptedservice.h"
#include "ui/contentview.h"
#include "ui/detailpane.h"
#include "ui/extractionpanel.h"
#include "ui/mainwindow.h"

#include <QLocale>
#include <QTest>

enum class Situation { NoDestination, Idle, MissingPart, Running, Succeeded, Failed };

// The window as an English user reads it: sizes formatted the US way, and
// the plural forms of "%n parts" from the English translation, without
// which one part would read "1 part(s)".
inline void useEnglishTexts() {
    static Translations translations;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    translations.use(QLocale(QLocale::English, QLocale::UnitedStates));
}

// A shown window, read in English, over a scripted service with one group of
// two parts.
struct ScriptedWindow {
    ScriptedWindow()
        : service(new ScriptedService)
        , model(service)
        , window(&model) {
        useEnglishTexts();
        model.addFiles({parts.make("archive.zip", 10), parts.make("archive(1).zip", 10)});
        window.show();
    }

    void chooseDestination() { model.setDestinationURL(QUrl::fromLocalFile(parts.path())); }

    // Starts a run and waits until the service has been asked for it.
    bool startRun() {
        const int before = service->runCount();
        model.startExtraction();
        return QTest::qWaitFor([&] { return service->runCount() > before; });
    }

    // Every situation past NoDestination has one chosen; a run stands at 40 %.
    // The window ends active, as for a user at the keyboard.
    bool reach(Situation situation) {
        if (situation > Situation::NoDestination)
            chooseDestination();
        if (situation == Situation::MissingPart)
            model.addFiles({parts.make("archive(3).zip", 10)});
        if (situation >= Situation::Running) {
            if (!startRun())
                return false;
            service->stream()->deliver(ExtractionProgress::progress(0.4));
        }
        if (situation == Situation::Succeeded)
            service->finish(ExtractionProgress::completed());
        if (situation == Situation::Failed)
            service->finish(ExtractionProgress::error(ExtractionError::diskFull()));
        return QTest::qWaitForWindowActive(&window);
    }

    PartFiles parts;
    PartFiles otherFolder;
    ScriptedService* service;
    ExtractionViewModel model;
    MainWindow window;
    DetailPane* detail = window.contentView()->detailPane();
    ExtractionPanel* panel = detail->extractionPanel();
};

Q_DECLARE_METATYPE(Situation)
