// Development driver: runs one extraction through the real view model and
// service, headless, printing the console text as it arrives.
//
//   kestrune-run [--extractor PATH] [--cancel-after-ms N | --cancel-at-progress F]
//                [--password-file FILE]
//                DESTINATION PART...
//
// --extractor runs another command in place of the bundled kestrune-extract
// (with /bin/true, a run measures the merge alone).
// --cancel-after-ms cancels the run N milliseconds after it started, as the
// window's Cancel button does, and says before the final state how long the
// run took to end after that ("cancel took: N ms"); --cancel-at-progress
// cancels once the progress reaches F (0.5 is the end of the merge).
// --password-file runs with the password on the file's first line, whether
// or not the archive asks for one; without it, an archive that asks runs
// without a password, and fails for want of one.
// Exits 0 when the run succeeded, 1 when it failed, was cancelled or could
// not start (two files for one part number), 2 on a usage error.

#include "grouping/filegrouper.h"
#include "model/extractionviewmodel.h"
#include "service/archiveinspection.h"
#include "service/extractionservice.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <optional>
#include <utility>

namespace {

QUrl localUrl(const QString& path) {
    return QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
}

QString stateText(const ExtractionState& state) {
    switch (state.kind()) {
    case ExtractionState::Kind::Idle:
        return QStringLiteral("idle");
    case ExtractionState::Kind::Running:
        return QStringLiteral("running");
    case ExtractionState::Kind::Succeeded:
        return QStringLiteral("succeeded");
    case ExtractionState::Kind::Failed:
        return QStringLiteral("failed: ") + state.message();
    }
    return {};
}

// The first line, without its line break.
std::optional<QByteArray> firstLineOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray line = file.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    QString extractor = ExtractionService::defaultExtractorPath();
    std::optional<int> cancelAfter;
    std::optional<double> cancelAtProgress;
    std::optional<QByteArray> password;
    bool isUsable = true;
    while (isUsable && arguments.size() >= 2 && arguments.first().startsWith(u"--")) {
        const QString option = arguments.takeFirst();
        const QString value = arguments.takeFirst();
        if (option == u"--extractor") {
            extractor = value;
        } else if (option == u"--cancel-after-ms") {
            bool isNumber = false;
            cancelAfter = value.toInt(&isNumber);
            isUsable = isNumber && *cancelAfter >= 0;
        } else if (option == u"--cancel-at-progress") {
            bool isNumber = false;
            cancelAtProgress = value.toDouble(&isNumber);
            isUsable = isNumber && *cancelAtProgress > 0 && *cancelAtProgress < 1;
        } else if (option == u"--password-file") {
            password = firstLineOf(value);
            isUsable = password.has_value();
        } else {
            isUsable = false;
        }
    }
    if (!isUsable || arguments.size() < 2) {
        std::fputs("usage: kestrune-run [--extractor PATH] [--cancel-after-ms N | "
                   "--cancel-at-progress F] [--password-file FILE] DESTINATION PART...\n",
                   stderr);
        return 2;
    }

    QList<QUrl> parts;
    for (const QString& part : arguments.mid(1))
        parts << localUrl(part);

    ExtractionViewModel model(new ExtractionService(extractor));
    model.addFiles(parts);
    if (!model.selectedGroup()) {
        std::fputs("kestrune-run: no .zip parts among the arguments\n", stderr);
        return 2;
    }
    model.setDestinationURL(localUrl(arguments.first()));

    QTextStream out(stdout);
    QObject::connect(&model, &ExtractionViewModel::consoleOutputAppended,
                     [&out](const QString& piece) {
                         out << piece;
                         out.flush();
                     });
    // From the cancel to the end of the run: what a user waits for.
    QElapsedTimer sinceCancel;
    QObject::connect(&model, &ExtractionViewModel::stateChanged, [&] {
        const ExtractionState& state = model.state();
        if (state.kind() == ExtractionState::Kind::Succeeded || state.isFailed()) {
            if (sinceCancel.isValid())
                out << "cancel took: " << sinceCancel.elapsed() << " ms\n";
            out << "state: " << stateText(state) << '\n';
            out.flush();
            QCoreApplication::exit(state.isFailed() ? 1 : 0);
        }
    });

    if (!model.canStartExtraction()) {
        QStringList claimants;
        for (const PartClash& clash : model.selectedGroup()->clashes) {
            for (const QUrl& file : clash.files)
                claimants << file.toLocalFile();
        }
        out << "state: not started: files claim one part number: " << claimants.join(u", ") << '\n';
        return 1;
    }
    // Like the window, it lets the check of the parts end first, so the run
    // can see whether it fits; unlike the window, it never asks before
    // replacing files.
    model.setAsksBeforeReplacing(false);
    QObject::connect(&model, &ExtractionViewModel::passwordRequested, &model,
                     [&model] { model.startWithPassword({}); });
    bool hasStarted = false;
    const auto start = [&] {
        if (hasStarted || model.isInspecting())
            return;
        hasStarted = true;
        const std::optional<ArchiveInspection> inspection = model.selectedInspection();
        out << "check: "
            << (!inspection            ? QStringLiteral("not checked")
                : inspection->complete ? QStringLiteral("complete archive")
                                       : inspection->problem)
            << '\n';
        if (password)
            model.startWithPassword(std::exchange(*password, {}));
        else
            model.startExtraction();
        if (cancelAfter) {
            QTimer::singleShot(*cancelAfter, &model, [&] {
                sinceCancel.start();
                model.cancel();
            });
        }
        if (cancelAtProgress) {
            QObject::connect(&model, &ExtractionViewModel::progressChanged, &model, [&] {
                if (!sinceCancel.isValid() && model.progress() >= *cancelAtProgress) {
                    sinceCancel.start();
                    model.cancel();
                }
            });
        }
    };
    QObject::connect(&model, &ExtractionViewModel::inspectionChanged, &model, start);
    start();
    return QCoreApplication::exec();
}
