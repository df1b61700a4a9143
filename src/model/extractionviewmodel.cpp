#include "model/extractionviewmodel.h"

#include "grouping/filegrouper.h"
#include "grouping/spacenamedparts.h"
#include "grouping/unicodetext.h"
#include "service/extractioneventstream.h"
#include "service/extractionservice.h"
#include "service/inspectionreply.h"
#include "service/secret.h"

#include <QCoreApplication>
#include <QSet>
#include <QTimer>

#include <utility>

namespace {

// One name may stand for two archives, archive(1).zip and archive.zip.001.
bool isSameArchive(const ZipFileGroup& left, const ZipFileGroup& right) {
    return left.naming == right.naming && textEquals(left.baseName, right.baseName);
}

bool haveSameBaseName(const std::optional<ZipFileGroup>& left,
                      const std::optional<ZipFileGroup>& right) {
    if (!left || !right)
        return left.has_value() == right.has_value();
    return isSameArchive(*left, *right);
}

QList<QUrl> filesOf(const QList<ZipFileGroup>& groups) {
    QList<QUrl> files;
    for (const ZipFileGroup& group : groups)
        files += group.files;
    return files;
}

QString partsKey(const QList<QUrl>& files) {
    QStringList paths;
    for (const QUrl& file : files)
        paths << file.toString();
    return paths.join(QLatin1Char('\n'));
}

// Opens each later run in the console, which keeps the session's earlier runs.
QString runSeparator(const QString& consoleOutput) {
    const QString rule = QString(40, QChar(0x2500)) + QLatin1Char('\n');
    return consoleOutput.endsWith(QLatin1Char('\n')) ? rule : QLatin1Char('\n') + rule;
}

} // namespace

ExtractionViewModel::ExtractionViewModel(QObject* parent)
    : ExtractionViewModel(new ExtractionService, parent) {}

ExtractionViewModel::ExtractionViewModel(ExtractionBackend* backend, QObject* parent)
    : QObject(parent)
    , m_extractionBackend(backend) {
    m_extractionBackend->setParent(this);
}

ExtractionViewModel::~ExtractionViewModel() {
    wipePassword();
}

// Published fields: notify, store, then announce the new value.

void ExtractionViewModel::setSelectedGroup(std::optional<ZipFileGroup> group) {
    Q_EMIT objectWillChange();
    m_selectedGroup = std::move(group);
    Q_EMIT selectedGroupChanged();
    inspectSelectedGroup();
}

void ExtractionViewModel::setDestinationURL(const std::optional<QUrl>& destination) {
    Q_EMIT objectWillChange();
    m_destinationURL = destination;
    Q_EMIT destinationURLChanged();
    inspectSelectedGroup();
}

void ExtractionViewModel::setState(ExtractionState state) {
    Q_EMIT objectWillChange();
    m_state = std::move(state);
    Q_EMIT stateChanged();
}

void ExtractionViewModel::setProgress(double progress) {
    Q_EMIT objectWillChange();
    m_progress = progress;
    Q_EMIT progressChanged();
}

void ExtractionViewModel::setConsoleOutput(const QString& text) {
    Q_EMIT objectWillChange();
    m_consoleOutput = text;
    Q_EMIT consoleOutputChanged();
}

void ExtractionViewModel::appendConsoleOutput(const QString& piece) {
    Q_EMIT objectWillChange();
    m_consoleOutput += piece;
    Q_EMIT consoleOutputAppended(piece);
    Q_EMIT consoleOutputChanged();
}

// Operations.

void ExtractionViewModel::addFiles(const QList<QUrl>& locations) {
    if (m_held.isEmpty())
        m_joinKeys.clear();
    Q_EMIT objectWillChange();
    const qsizetype ignoredCount = m_held.add(locations, m_joinKeys);
    Q_EMIT groupsChanged();

    std::optional<ZipFileGroup> selection;
    if (m_selectedGroup)
        selection = heldGroupLike(*m_selectedGroup);
    if (!selection && !groups().isEmpty())
        selection = groups().first();
    showGroup(std::move(selection));
    if (ignoredCount > 0)
        Q_EMIT filesIgnored(ignoredCount);
}

// The held group of the same name and naming, as groupFiles has one at most.
std::optional<ZipFileGroup> ExtractionViewModel::heldGroupLike(const ZipFileGroup& group) const {
    const qsizetype position = m_held.find(groupingKey(group), group.naming);
    return position < 0 ? std::nullopt : std::optional<ZipFileGroup>(groups()[position]);
}

void ExtractionViewModel::removeGroup(const ZipFileGroup& group) {
    if (!canRemoveFiles())
        return;
    // Callers may pass an element of the groups, which removing destroys.
    const QUuid id = group.id;
    if (isJoined(group))
        m_joinKeys.remove(canonicalForm(group.baseName));
    const qsizetype position = m_held.findId(id);
    if (position >= 0) {
        Q_EMIT objectWillChange();
        m_held.removeAt(position);
        Q_EMIT groupsChanged();
    }

    if (m_selectedGroup && m_selectedGroup->id == id)
        showGroup(groups().isEmpty() ? std::nullopt
                                     : std::optional<ZipFileGroup>(groups().first()));
}

void ExtractionViewModel::removeFile(const QUrl& location) {
    if (!m_selectedGroup)
        return;
    const qsizetype position = m_selectedGroup->files.indexOf(location);
    if (position >= 0)
        removeFile(position);
}

void ExtractionViewModel::removeFile(qsizetype position) {
    if (!m_selectedGroup || !canRemoveFiles())
        return;
    const ZipFileGroup selected = *m_selectedGroup;
    if (position < 0 || position >= selected.files.size())
        return;

    QList<QUrl> remaining = selected.files;
    remaining.removeAt(position);
    if (remaining.isEmpty()) {
        removeGroup(selected);
        return;
    }
    if (isJoined(selected)) {
        removeFromJoinedGroup(selected, position);
        return;
    }

    // The missing-part information is kept as it was: removing a part does
    // not make the group report it as missing until the next drop regroups
    // it. The clashes are found again, since removing one of two files that
    // claim a part is how the user settles it.
    QList<PartClash> clashes = findPartClashes(remaining);
    ZipFileGroup updated{QUuid::createUuid(),     selected.baseName,       std::move(remaining),
                         selected.isMissingParts, selected.missingIndices, std::move(clashes),
                         selected.naming};
    const qsizetype held = m_held.findId(selected.id);
    if (held >= 0) {
        Q_EMIT objectWillChange();
        m_held.removeFile(held, selected.files[position], updated);
        Q_EMIT groupsChanged();
    }
    setSelectedGroup(std::move(updated));
}

void ExtractionViewModel::reset() {
    if (!canRemoveFiles())
        return;
    // Files dropped again after a reset may have changed on disk meanwhile,
    // also since a check still under way read them.
    m_inspections.clear();
    m_latestInspections.clear();
    m_pendingInspections.clear();
    ++m_inspectionRound;
    m_joinKeys.clear();
    Q_EMIT objectWillChange();
    m_held.clear();
    Q_EMIT groupsChanged();
    setSelectedGroup(std::nullopt);
    setState(ExtractionState::idle());
    setProgress(0.0);
    setConsoleOutput(QString());
}

void ExtractionViewModel::selectGroup(const QUuid& id) {
    if (!canRemoveFiles())
        return;
    const qsizetype position = m_held.findId(id);
    if (position >= 0)
        showGroup(groups()[position]);
}

bool ExtractionViewModel::canRemoveFiles() const {
    return m_state.kind() != ExtractionState::Kind::Running;
}

// Joining the browser's halves of one set.

void ExtractionViewModel::regroup(const QList<QUrl>& files) {
    Q_EMIT objectWillChange();
    m_held.regroupAll(files, m_joinKeys);
    Q_EMIT groupsChanged();
}

bool ExtractionViewModel::isJoined(const ZipFileGroup& group) const {
    return group.naming == PartNaming::Parenthesised && !m_joinKeys.isEmpty() &&
           m_joinKeys.contains(canonicalForm(group.baseName));
}

bool ExtractionViewModel::canJoinSpaceNamedParts() const {
    if (!m_selectedGroup || m_state.kind() == ExtractionState::Kind::Running)
        return false;
    const qsizetype shown = m_held.findId(m_selectedGroup->id);
    return shown >= 0 && spaceNamedPartner(groups(), shown) >= 0;
}

void ExtractionViewModel::joinSpaceNamedParts() {
    if (!canJoinSpaceNamedParts())
        return;
    const QString key = spaceNamedJoinKey(groups(), m_held.findId(m_selectedGroup->id));
    m_joinKeys.insert(key);
    regroup(filesOf(groups()));
    const auto joined =
        std::find_if(groups().cbegin(), groups().cend(), [&](const ZipFileGroup& group) {
            return isJoined(group) && canonicalForm(group.baseName) == key;
        });
    if (joined != groups().cend())
        showGroup(*joined);
}

// Removing a file undoes the join: the two halves are shown apart again,
// the one that holds the first remaining file.
void ExtractionViewModel::removeFromJoinedGroup(const ZipFileGroup& joined, qsizetype position) {
    m_joinKeys.remove(canonicalForm(joined.baseName));
    QList<QUrl> files = filesOf(groups());
    files.removeAt(files.indexOf(joined.files[position]));
    regroup(files);
    const QUrl next = position == 0 ? joined.files.value(1) : joined.files.first();
    const auto holder =
        std::find_if(groups().cbegin(), groups().cend(),
                     [&](const ZipFileGroup& group) { return group.files.contains(next); });
    showGroup(holder == groups().cend() ? std::nullopt : std::optional<ZipFileGroup>(*holder));
}

// The outcome on show belongs to the archive that ran; another archive is
// shown as not yet started. Only a finished outcome is forgotten, so in the
// idle state nothing more is written.
void ExtractionViewModel::showGroup(std::optional<ZipFileGroup> group) {
    const bool isAnotherArchive = !haveSameBaseName(m_selectedGroup, group);
    setSelectedGroup(std::move(group));
    if (isAnotherArchive)
        forgetFinishedRun();
}

void ExtractionViewModel::forgetFinishedRun() {
    const ExtractionState::Kind kind = m_state.kind();
    if (kind != ExtractionState::Kind::Succeeded && kind != ExtractionState::Kind::Failed)
        return;
    setState(ExtractionState::idle());
    setProgress(0.0);
}

// The extraction run.

// A group with two files for one part number would merge into an archive
// that holds that part twice; the user removes one of them first. A
// spanned set cannot be merged at all.
bool ExtractionViewModel::canStartExtraction() const {
    return m_selectedGroup && !m_selectedGroup->files.isEmpty() &&
           !m_selectedGroup->hasClashingParts() && !m_selectedGroup->refusalDescription() &&
           m_destinationURL && m_state.kind() != ExtractionState::Kind::Running;
}

void ExtractionViewModel::startExtraction() {
    if (!canStartExtraction())
        return;
    const auto checked = m_inspections.constFind(inspectionKey());
    const std::optional<ArchiveInspection> inspection =
        checked == m_inspections.cend() ? std::nullopt : *checked;
    if (m_asksBeforeReplacing && inspection && inspection->conflicts.value_or(0) > 0) {
        Q_EMIT replaceConfirmationRequested(*inspection->conflicts, *m_destinationURL);
        return;
    }
    askForPasswordOrBegin();
}

void ExtractionViewModel::confirmReplacing() {
    if (canStartExtraction())
        askForPasswordOrBegin();
}

bool ExtractionViewModel::needsPassword() const {
    if (!m_selectedGroup)
        return false;
    if (m_partsNeedingPassword.contains(partsKey(m_selectedGroup->files)))
        return true;
    const std::optional<ArchiveInspection> inspection = selectedInspection();
    return inspection && inspection->encryptedEntries.value_or(0) > 0;
}

void ExtractionViewModel::startWithPassword(QByteArray password) {
    if (!canStartExtraction()) {
        Secret::wipe(password);
        return;
    }
    beginRun(std::move(password));
}

void ExtractionViewModel::askForPasswordOrBegin() {
    if (needsPassword())
        Q_EMIT passwordRequested();
    else
        beginRun();
}

void ExtractionViewModel::beginRun(QByteArray password) {
    const auto checked = m_inspections.constFind(inspectionKey());
    const std::optional<ArchiveInspection> inspection =
        checked == m_inspections.cend() ? std::nullopt : *checked;
    m_stream = nullptr;
    m_isCancelRequested = false;
    wipePassword();
    m_runPassword = std::move(password);
    m_runPartsKey = partsKey(m_selectedGroup->files);
    m_runDestination = *m_destinationURL;
    m_extractedEntryCount.reset();
    setState(ExtractionState::running());
    setProgress(0.0);
    if (!m_consoleOutput.isEmpty())
        appendConsoleOutput(runSeparator(m_consoleOutput));

    // The run works on copies, so later changes to the groups or the
    // destination do not reach it; it begins once the current main-thread
    // work is done.
    QTimer::singleShot(0, this,
                       [this, group = *m_selectedGroup, destination = *m_destinationURL,
                        inspection] { runExtraction(group, destination, inspection); });
}

void ExtractionViewModel::runExtraction(const ZipFileGroup& group, const QUrl& destination,
                                        const std::optional<ArchiveInspection>& inspection) {
    // The backend shares the password's bytes until the extractor has them;
    // this copy is wiped when the run ends.
    ExtractionEventStream* stream =
        m_extractionBackend->extract(group, destination, inspection, m_runPassword);
    connect(stream, &ExtractionEventStream::delivered, this, &ExtractionViewModel::handleEvent);
    m_stream = stream;
    // Cancelled before the run reached the service: it ends at once, through
    // the service, like any cancelled run.
    if (m_isCancelRequested)
        stream->cancel();
}

void ExtractionViewModel::cancel() {
    if (m_state.kind() != ExtractionState::Kind::Running || m_isCancelRequested)
        return;
    m_isCancelRequested = true;
    if (m_stream)
        m_stream->cancel();
    Q_EMIT cancelRequested();
}

bool ExtractionViewModel::isCancelling() const {
    return m_isCancelRequested && m_state.kind() == ExtractionState::Kind::Running;
}

void ExtractionViewModel::handleEvent(const ExtractionProgress& event) {
    if (const auto* log = event.as<ExtractionProgress::Log>()) {
        appendConsoleOutput(log->text);
    } else if (const auto* progress = event.as<ExtractionProgress::Progress>()) {
        setProgress(progress->fraction);
    } else if (const auto* error = event.as<ExtractionProgress::Error>()) {
        const QString message = error->error.errorDescription();
        wipePassword();
        notePasswordFailure(error->error);
        appendConsoleOutput(
            QCoreApplication::translate("ExtractionViewModel", "\n⚠ Error:\n%1\n").arg(message));
        setState(ExtractionState::failed(message));
        if (m_destinationURL)
            forgetInspectionsOf(*m_destinationURL);
    } else if (const auto* completed = event.as<ExtractionProgress::Completed>()) {
        wipePassword();
        m_extractedEntryCount = completed->extractedEntries;
        setState(ExtractionState::succeeded());
        if (m_destinationURL)
            forgetInspectionsOf(*m_destinationURL);
    }
}

// The next Start of the same parts asks (again) for a password.
void ExtractionViewModel::notePasswordFailure(const ExtractionError& error) {
    if (error.is<ExtractionError::WrongPassword>() || error.is<ExtractionError::PasswordRequired>())
        m_partsNeedingPassword.insert(m_runPartsKey);
}

void ExtractionViewModel::wipePassword() {
    Secret::wipe(m_runPassword);
}

// The check of parts.

QString ExtractionViewModel::inspectionKey() const {
    if (!m_selectedGroup)
        return {};
    return partsKey(m_selectedGroup->files) + QLatin1Char('\x1f') +
           m_destinationURL.value_or(QUrl()).toString();
}

std::optional<ArchiveInspection> ExtractionViewModel::selectedInspection() const {
    if (!m_selectedGroup)
        return std::nullopt;
    if (const auto found = m_inspections.constFind(inspectionKey());
        found != m_inspections.cend() && found->has_value())
        return *found;
    // Another destination's check: what it says of the parts holds, its
    // files to replace do not.
    const auto latest = m_latestInspections.constFind(partsKey(m_selectedGroup->files));
    if (latest == m_latestInspections.cend())
        return std::nullopt;
    ArchiveInspection inspection = *latest;
    inspection.conflicts.reset();
    inspection.replacedBytes.reset();
    return inspection;
}

bool ExtractionViewModel::isInspecting() const {
    return m_selectedGroup && m_pendingInspections.value(inspectionKey()) > 0;
}

void ExtractionViewModel::inspectSelectedGroup() {
    Q_EMIT inspectionChanged();
    // The check reads the parts as one byte-split archive, which a refused
    // set is not: its verdict would only blur the refusal.
    if (!m_selectedGroup || m_selectedGroup->files.isEmpty() ||
        m_selectedGroup->refusalDescription())
        return;
    const QString key = inspectionKey();
    if (m_inspections.contains(key) || m_pendingInspections.value(key) > 0)
        return;
    ++m_pendingInspections[key];
    const QString parts = partsKey(m_selectedGroup->files);
    InspectionReply* reply = m_extractionBackend->inspect(m_selectedGroup->files, m_destinationURL);
    connect(reply, &InspectionReply::finished, this,
            [this, key, parts,
             round = m_inspectionRound](const std::optional<ArchiveInspection>& inspection) {
                if (round != m_inspectionRound)
                    return; // asked before a reset, of files that may have changed since
                if (--m_pendingInspections[key] <= 0)
                    m_pendingInspections.remove(key);
                m_inspections.insert(key, inspection);
                if (inspection)
                    m_latestInspections.insert(parts, *inspection);
                if (key == inspectionKey())
                    Q_EMIT inspectionChanged();
            });
    Q_EMIT inspectionChanged();
}

// A run has changed what the destination holds: its files to replace are
// counted again.
void ExtractionViewModel::forgetInspectionsOf(const QUrl& destination) {
    const QString suffix = QLatin1Char('\x1f') + destination.toString();
    m_inspections.removeIf([&](const auto& entry) { return entry.key().endsWith(suffix); });
    inspectSelectedGroup();
}
