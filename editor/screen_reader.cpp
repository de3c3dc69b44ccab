// Containers whose children include controls left out for screen readers get an interface that
// skips them; every other object keeps the one Qt gives it.
#include "screen_reader.h"

#include "form1.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace editor {

namespace {

constexpr char kLeftOut[] = "quarnelLeftOutForReaders";

bool IsLeftOut(const QObject* object) {
    return object->property(kLeftOut).toBool();
}

// A plain container (the window, a toolbar) as Qt offers it, less the children left out.
class TContainerForReaders : public QAccessibleWidget {
public:
    explicit TContainerForReaders(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Client) {}

    int childCount() const override { return static_cast<int>(Children().size()); }

    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> children = Children();
        return index >= 0 && index < children.size() ? QAccessible::queryAccessibleInterface(children[index])
                                                     : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? static_cast<int>(Children().indexOf(child->object())) : -1;
    }

private:
    // The child widgets Qt would offer (no windows of their own), in the same order.
    QList<QWidget*> Children() const {
        QList<QWidget*> children;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child && !child->isWindow() && !IsLeftOut(child))
                children.append(child);
        }
        return children;
    }
};

// Asked for each class of an object in turn, most derived first. Plain containers of the main
// window (the window itself, the toolbars) are answered at the first asking, whether or not a child
// is left out yet: the interface is made once and kept.
QAccessibleInterface* ContainerFactory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType() || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    const QMetaObject* meta = widget->metaObject();
    const bool plainContainer = meta == &QWidget::staticMetaObject || meta == &TForm1::staticMetaObject;
    return plainContainer && qobject_cast<TForm1*>(widget->window()) ? new TContainerForReaders(widget)
                                                                     : nullptr;
}

} // namespace

void OfferOnlyWhatIsSeen() {
    static const bool installed = [] {
        QAccessible::installFactory(ContainerFactory);
        return true;
    }();
    (void)installed;
}

void LeaveOutForReaders(QWidget* control) {
    control->setProperty(kLeftOut, true);
}

} // namespace editor
