#include "ui/filerow.h"

#include "ui/filesizes.h"
#include "ui/symbolbutton.h"
#include "ui/symbolview.h"
#include "ui/textlabel.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr int dividerInset = 44;

} // namespace

FileRow::FileRow(const QUrl& location, qsizetype index, QWidget* parent)
    : QWidget(parent)
    , m_location(location)
    , m_index(index)
    , m_position(new TextLabel(TextStyle::CaptionMonospaced, Tone::Tertiary, this))
    , m_fileName(new TextLabel(location.fileName(), TextStyle::Callout, Tone::Primary, this))
    , m_folder(new TextLabel(QFileInfo(location.toLocalFile()).path(), TextStyle::Caption,
                             Tone::Tertiary, this))
    , m_size(new TextLabel(TextStyle::Caption, Tone::Secondary, this))
    , m_removeButton(new SymbolButton(Symbol::Trash, 12, Tone::Red, this)) {
    // Numbers line up on the right; room for three digits before they crowd.
    m_position->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_position->setFixedWidth(
        qMax(20, QFontMetrics(Theme::font(TextStyle::CaptionMonospaced, font()))
                     .horizontalAdvance(QStringLiteral("000"))));
    m_folder->setElideMode(Qt::ElideMiddle);
    m_removeButton->setOpacity(0.7);
    m_removeButton->setToolTip(tr("Remove this file"));
    m_removeButton->setAccessibleName(tr("Remove this file"));
    m_removeButton->setAccessibleDescription(m_location.fileName());
    connect(m_removeButton, &QToolButton::clicked, this, &FileRow::removeRequested);

    auto* symbol = new SymbolView(Symbol::ZipDocument, 16, Tone::Secondary, this);
    auto* names = new QVBoxLayout;
    names->setSpacing(2);
    names->addWidget(m_fileName);
    names->addWidget(m_folder);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(16, 8, 16, 8);
    row->setSpacing(12);
    row->addWidget(m_position);
    row->addWidget(symbol);
    row->addWidget(m_removeButton);
    row->addLayout(names, 1);
    row->addWidget(m_size);
    m_size->hide();
    setIndex(index);
}

void FileRow::setIndex(qsizetype index) {
    m_index = index;
    m_position->setText(QString::number(index + 1));
}

void FileRow::setSize(std::optional<qint64> bytes) {
    m_size->setText(bytes ? FileSizes::formatted(*bytes) : QString());
    m_size->setVisible(bytes.has_value());
}

void FileRow::setShowsDivider(bool shows) {
    m_showsDivider = shows;
    update();
}

QString FileRow::positionText() const {
    return m_position->text();
}

QString FileRow::fileNameText() const {
    return m_fileName->text();
}

QString FileRow::folderText() const {
    return m_folder->text();
}

QString FileRow::sizeText() const {
    return m_size->isVisibleTo(this) ? m_size->text() : QString();
}

void FileRow::paintEvent(QPaintEvent*) {
    if (!m_showsDivider)
        return;
    QPainter painter(this);
    painter.setPen(Theme::color(Tone::Separator, palette()));
    painter.drawLine(dividerInset, height() - 1, width(), height() - 1);
}
