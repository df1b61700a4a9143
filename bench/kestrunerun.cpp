// Development driver: runs one extraction through the real view model and
// service, headless, printing the console text as it arrives.
//
//   kestrune-run DESTINATION PART...
//
// Exits 0 when the run succeeded, 1 when it failed, 2 on a usage error.

#include "grouping/filegrouper.h"
#include "model/extractionviewmodel.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

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

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.size() < 2) {
        std::fputs("usage: kestrune-run DESTINATION PART...\n", stderr);
        return 2;
    }

    QList<QUrl> parts;
    for (const QString& part : arguments.mid(1))
        parts << localUrl(part);

    ExtractionViewModel model;
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
    QObject::connect(&model, &ExtractionViewModel::stateChanged, [&] {
        const ExtractionState& state = model.state();
        if (state.kind() == ExtractionState::Kind::Succeeded || state.isFailed()) {
            out << "state: " << stateText(state) << '\n';
            out.flush();
            QCoreApplication::exit(state.isFailed() ? 1 : 0);
        }
    });

    model.startExtraction();
    return QCoreApplication::exec();
}
