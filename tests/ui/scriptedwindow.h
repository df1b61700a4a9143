#pragma once

#include "model/extractionviewmodel.h"
#include "partfiles.h"
#include "scriptedservice.h"
#include "ui/contentview.h"
#include "ui/detailpane.h"
#include "ui/extractionpanel.h"
#include "ui/mainwindow.h"

#include <QTest>

enum class Situation {
    Empty,
    NoDestination,
    Idle,
    MissingPart,
    Clash,
    Refused,
    Running,
    Succeeded,
    Failed
};

// A shown window over a scripted service with one group of two parts.
struct ScriptedWindow {
    ScriptedWindow()
        : service(new ScriptedService)
        , model(service)
        , window(&model) {
        model.addFiles({parts.make("archive.zip", 10), parts.make("archive(1).zip", 10)});
        window.show();
        panel = window.contentView()->detailPane()->extractionPanel();
    }

    void chooseDestination() { model.setDestinationURL(QUrl::fromLocalFile(parts.path())); }

    // Starts a run and waits until the service has been asked for it.
    bool startRun() {
        const int before = service->runCount();
        model.startExtraction();
        return QTest::qWaitFor([&] { return service->runCount() > before; });
    }

    // Every situation past NoDestination has one chosen; a run stands at 40 %.
    bool reach(Situation situation) {
        if (situation == Situation::Empty)
            model.reset();
        if (situation <= Situation::NoDestination)
            return true;
        chooseDestination();
        if (situation == Situation::MissingPart)
            model.addFiles({parts.make("archive(3).zip", 10)});
        if (situation == Situation::Clash)
            model.addFiles({otherFolder.make("archive(1).zip", 10)});
        if (situation == Situation::Refused) {
            model.reset();
            model.addFiles({parts.make("archive.z01", 10), parts.location("archive.zip")});
        }
        if (situation < Situation::Running)
            return true;
        if (!startRun())
            return false;
        service->stream()->deliver(ExtractionProgress::progress(0.4));
        if (situation == Situation::Succeeded)
            service->finish(ExtractionProgress::completed());
        if (situation == Situation::Failed)
            service->finish(ExtractionProgress::error(ExtractionError::diskFull()));
        return true;
    }

    PartFiles parts;
    PartFiles otherFolder;
    ScriptedService* service;
    ExtractionViewModel model;
    MainWindow window;
    ExtractionPanel* panel;
};

Q_DECLARE_METATYPE(Situation)
