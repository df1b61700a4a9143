// The app's side of the desktop session, against the private session bus
// this test runs in (dbus-run-session): one window per session over the bus
// and over a local socket, and the notification at a run's end.

#include "platform/session/desktopnotifications.h"
#include "platform/session/launcherprogress.h"
#include "platform/session/singleinstance.h"
#include "scriptedwindow.h"
#include "ui/runannouncer.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString notificationsInterface = QStringLiteral("org.freedesktop.Notifications");

// The desktop's notification server, on a bus connection of its own.
class FakeNotificationServer : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    FakeNotificationServer()
        : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, "notifications")) {
        m_bus.registerObject(notificationsPath, this, QDBusConnection::ExportScriptableSlots);
        m_bus.registerService(notificationsInterface);
    }
    ~FakeNotificationServer() override {
        m_bus.unregisterService(notificationsInterface);
        m_bus.unregisterObject(notificationsPath);
    }

    QStringList shown; // "summary | body"

public Q_SLOTS:
    Q_SCRIPTABLE uint Notify(const QString&, uint, const QString&, const QString& summary,
                             const QString& body, const QStringList&, const QVariantMap&, int) {
        shown << summary + " | " + body;
        return uint(shown.size());
    }
    Q_SCRIPTABLE QStringList GetCapabilities() { return {"actions", "body"}; }

private:
    QDBusConnection m_bus;
};

// Waits until the server has answered a call sent after whatever the app
// sent it before: messages from one connection arrive in order.
bool serverHasCaughtUp() {
    const QDBusPendingCall call =
        QDBusConnection::sessionBus().asyncCall(QDBusMessage::createMethodCall(
            notificationsInterface, notificationsPath, notificationsInterface, "GetCapabilities"));
    return QTest::qWaitFor([&] { return call.isFinished(); }, 5000);
}

enum class Transport { Bus, Socket };

// A scripted window announcing its runs on the test's bus, showing while
// another window is active, or active itself.
struct AnnouncedWindow : ScriptedWindow {
    explicit AnnouncedWindow(bool isActive) {
        new RunAnnouncer(&window, new DesktopNotifications(QDBusConnection::sessionBus(), &window),
                         new LauncherProgress(QDBusConnection::sessionBus(), &window));
        model.setDestinationURL(QUrl::fromLocalFile(parts.path() + "/Downloads"));
        other.show();
        QWidget& active = isActive ? static_cast<QWidget&>(window) : other;
        active.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&active));
    }

    QWidget other;
};

} // namespace

Q_DECLARE_METATYPE(Transport)

class SessionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        // Local sockets go here, away from any instance the machine runs.
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
    }

    // Paths relative to the launch's folder, and file URLs as %U hands them
    // over ("@" stands for the folder); other URLs name nothing.
    void laterLaunchHandsItsFilesToTheRunningWindow_data() {
        QTest::addColumn<Transport>("transport");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files"); // in the launch's folder
        QTest::addRow("files, over the bus")
            << Transport::Bus
            << QStringList{"archive.zip", "sub/../archive(1).zip", "", "https://example.org/a.zip"}
            << QStringList{"archive.zip", "archive(1).zip"};
        QTest::addRow("a file URL, over a local socket without a bus")
            << Transport::Socket << QStringList{"file://@/with%20space.zip"}
            << QStringList{"with space.zip"};
    }
    void laterLaunchHandsItsFilesToTheRunningWindow() {
        QFETCH(Transport, transport);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        AnnouncedWindow scripted(false);
        scripted.model.reset();
        PartFiles& parts = scripted.parts;
        QVERIFY(QDir(parts.path()).mkdir("sub"));
        QList<QUrl> expected;
        for (const QString& name : files)
            expected << parts.make(name, 10);

        const bool hasBus = transport == Transport::Bus;
        SingleInstance running(hasBus ? QDBusConnection::sessionBus()
                                      : QDBusConnection(QStringLiteral("none")));
        QVERIFY(running.start({}) == SingleInstance::Role::Serving);
        QSignalSpy requests(&running, &SingleInstance::requested);
        connect(&running, &SingleInstance::requested, &scripted.window,
                [&](const InstanceRequest& request) {
                    scripted.window.openFiles(request.files, request.activationToken);
                });

        QProcess launch;
        launch.setWorkingDirectory(parts.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!hasBus)
            environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + parts.path() + "/no-bus");
        launch.setProcessEnvironment(environment);
        launch.start(qEnvironmentVariable("KESTRUNE_APP"),
                     arguments.replaceInStrings("@", parts.path()));
        // The event loop turns meanwhile: this process is the one that answers.
        QTRY_VERIFY_WITH_TIMEOUT(launch.state() == QProcess::NotRunning, 10000);
        QCOMPARE(launch.exitStatus(), QProcess::NormalExit);
        QCOMPARE(launch.exitCode(), 0);

        QCOMPARE(requests.size(), 1);
        QCOMPARE(scripted.model.selectedGroup()->files, expected);
        QTRY_VERIFY(scripted.window.isActiveWindow());
    }

    void runsEndIsNotifiedWhileTheWindowIsAway_data() {
        QTest::addColumn<ExtractionProgress>("closing");
        QTest::addColumn<bool>("isCancelled");
        QTest::addColumn<bool>("isWindowActive");
        QTest::addColumn<QStringList>("shown");
        const ExtractionProgress diskFull = ExtractionProgress::error(ExtractionError::diskFull());
        const QString diskFullText = ExtractionError::diskFull().errorDescription();
        QTest::addRow("success, with the extractor's count")
            << ExtractionProgress::completed(16) << false << false
            << QStringList{"Extraction finished | 16 files in Downloads"};
        QTest::addRow("failure: its message")
            << diskFull << false << false << QStringList{"Extraction failed | " + diskFullText};
        QTest::addRow("success while the window is active")
            << ExtractionProgress::completed(16) << false << true << QStringList{};
        QTest::addRow("a run the user cancelled")
            << ExtractionProgress::error(ExtractionError::cancelled()) << true << false
            << QStringList{};
    }
    void runsEndIsNotifiedWhileTheWindowIsAway() {
        QFETCH(ExtractionProgress, closing);
        QFETCH(bool, isCancelled);
        QFETCH(bool, isWindowActive);
        QFETCH(QStringList, shown);
        FakeNotificationServer server;
        AnnouncedWindow announced(isWindowActive);
        QVERIFY(announced.startRun());
        if (isCancelled)
            announced.model.cancel();

        announced.service->finish(closing);

        QVERIFY(serverHasCaughtUp());
        QCOMPARE(server.shown, shown);
    }

private:
    QTemporaryDir m_runtime;
};

QTEST_MAIN(SessionTest)
#include "tst_session.moc"
