#include "ui/accessibleviews.h"

#include "ui/statuslabel.h"
#include "ui/textlabel.h"

#include <QAccessibleWidget>

#include <functional>

namespace {

// A widget whose words are a text it paints. The tooltip, which Qt would
// read as the description, repeats a shortened text and is left out.
class AccessibleText : public QAccessibleWidget {
public:
    AccessibleText(QWidget* widget, QAccessible::Role role, std::function<QString()> words)
        : QAccessibleWidget(widget, role)
        , m_words(std::move(words)) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name)
            return widget()->accessibleName().isEmpty() ? m_words() : widget()->accessibleName();
        if (kind == QAccessible::Description)
            return widget()->accessibleDescription();
        return QAccessibleWidget::text(kind);
    }

private:
    std::function<QString()> m_words;
};

// The status reads as one text ("Failed" with the reason as description),
// not as its badge and label one by one.
class AccessibleStatus : public AccessibleText {
public:
    explicit AccessibleStatus(StatusLabel* status)
        : AccessibleText(status, QAccessible::StaticText, [status] { return status->text(); }) {}

    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

QAccessibleInterface* interfaceFor(const QString& className, QObject* object) {
    if (className == QLatin1String("TextLabel")) {
        auto* label = static_cast<TextLabel*>(object);
        return new AccessibleText(label, QAccessible::StaticText,
                                  [label] { return label->text(); });
    }
    if (className == QLatin1String("StatusLabel"))
        return new AccessibleStatus(static_cast<StatusLabel*>(object));
    if (className == QLatin1String("DropZoneView"))
        return new AccessibleText(static_cast<QWidget*>(object), QAccessible::StaticText,
                                  [] { return QString(); });
    // Symbols beside a text are named only where they add to it.
    if (className == QLatin1String("SymbolView"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Graphic);
    if (className == QLatin1String("Divider"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Separator);
    return nullptr;
}

} // namespace

void AccessibleViews::install() {
    static const bool installed = [] {
        QAccessible::installFactory(&interfaceFor);
        return true;
    }();
    Q_UNUSED(installed);
}

void AccessibleViews::announce(QWidget* widget) {
    QAccessibleEvent event(widget, QAccessible::Alert);
    QAccessible::updateAccessibility(&event);
}
