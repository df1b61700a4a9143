#pragma once

#include "model/extractionviewmodel.h"
#include "partfiles.h"
#include "scriptedservice.h"
#include "ui/contentview.h"
#include "ui/detailpane.h"
#include "ui/extractionpanel.h"
#include "ui/mainwindow.h"

#include <QTest>

enum class Situation { IdleWithoutDestination, Idle, Running, Succeeded, FailedWithDestination };

// A window over a scripted service with one group of two parts, shown.
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

    bool reach(Situation situation) {
        if (situation == Situation::IdleWithoutDestination)
            return true;
        chooseDestination();
        if (situation == Situation::Idle)
            return true;
        if (!startRun())
            return false;
        service->stream()->deliver(ExtractionProgress::progress(0.4));
        if (situation == Situation::Succeeded)
            service->finish(ExtractionProgress::completed());
        if (situation == Situation::FailedWithDestination)
            service->finish(ExtractionProgress::error(ExtractionError::diskFull()));
        return true;
    }

    void pressCtrlReturn() { QTest::keyClick(&window, Qt::Key_Return, Qt::ControlModifier); }

    PartFiles parts;
    ScriptedService* service;
    ExtractionViewModel model;
    MainWindow window;
    ExtractionPanel* panel;
};

Q_DECLARE_METATYPE(Situation)
