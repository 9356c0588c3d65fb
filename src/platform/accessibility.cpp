#include "platform/accessibility.h"

#include "platform/clickable_label.h"
#include "platform/mnemonics.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

namespace pixmorrow {

namespace {

const char* const kDecorative = "pixmorrowDecorative";

// The text of the label whose buddy `field` is, as Qt itself finds it: a sibling label.
QString buddyText(const QWidget* field) {
    const QWidget* parent = field->parentWidget();
    if (parent == nullptr)
        return QString();
    for (const QObject* child : parent->children()) {
        const auto* label = qobject_cast<const QLabel*>(child);
        if (label != nullptr && label->buddy() == field)
            return withoutMnemonic(label->text());
    }
    return QString();
}

// A combo box named by its accessible name or its label; its value is the shown text. Its
// children are the drop-down list and, when editable, the text field, as with Qt's own.
class LabelledComboAccessible final : public QAccessibleWidget {
public:
    explicit LabelledComboAccessible(QComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    int childCount() const override { return combo()->lineEdit() ? 2 : 1; }

    QAccessibleInterface* child(int index) const override {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->lineEdit())
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr)
            return -1;
        if (child->object() == combo()->view())
            return 0;
        if (combo()->lineEdit() && child->object() == combo()->lineEdit())
            return 1;
        return -1;
    }

    QAccessibleInterface* childAt(int x, int y) const override {
        QLineEdit* edit = combo()->lineEdit();
        if (edit && edit->isVisible() &&
            QRect(edit->mapToGlobal(QPoint(0, 0)), edit->size()).contains(x, y))
            return QAccessible::queryAccessibleInterface(edit);
        return nullptr;
    }

    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name: {
                const QString name = combo()->accessibleName();
                if (!name.isEmpty())
                    return name;
                const QString label = buddyText(combo());
                return label.isEmpty() ? value() : label;
            }
            case QAccessible::Value:
                return value();
            default:
                return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = combo()->view()->isVisible();
        s.collapsed = !s.expanded;
        s.editable = combo()->isEditable();
        return s;
    }

    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }

    void doAction(const QString& name) override {
        if (name != showMenuAction() && name != pressAction())
            return;
        if (combo()->view()->isVisible())
            combo()->hidePopup();
        else
            combo()->showPopup();
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
    QString value() const {
        return combo()->lineEdit() ? combo()->lineEdit()->text() : combo()->currentText();
    }
};

// A clickable label: a link named by its text, described by its tooltip (the address), and
// pressed like a click.
class LinkAccessible final : public QAccessibleWidget {
public:
    explicit LinkAccessible(ClickableLabel* label) : QAccessibleWidget(label, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override {
        switch (t) {
            case QAccessible::Name:
                return label()->accessibleName().isEmpty() ? withoutMnemonic(label()->text())
                                                           : label()->accessibleName();
            case QAccessible::Description:
                return label()->accessibleDescription().isEmpty()
                           ? label()->toolTip()
                           : label()->accessibleDescription();
            default:
                return QAccessibleWidget::text(t);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.linked = true;
        return s;
    }

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString& name) override {
        if (name == pressAction())
            label()->activate();
    }

    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    ClickableLabel* label() const { return static_cast<ClickableLabel*>(widget()); }
};

// A picture screen readers pass over: no name, and invisible to them.
class DecorativeAccessible final : public QAccessibleWidget {
public:
    explicit DecorativeAccessible(QWidget* picture)
        : QAccessibleWidget(picture, QAccessible::Graphic) {}

    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QString text(QAccessible::Text) const override { return QString(); }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = true;
        s.focusable = false;
        return s;
    }
};

QAccessibleInterface* programInterfaces(const QString&, QObject* object) {
    if (object == nullptr || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (widget->property(kDecorative).toBool())
        return new DecorativeAccessible(widget);
    if (auto* link = qobject_cast<ClickableLabel*>(object))
        return new LinkAccessible(link);
    if (auto* combo = qobject_cast<QComboBox*>(object))
        return new LabelledComboAccessible(combo);
    return nullptr;
}

// Qt builds a widget's interface at its first accessibility event, often while the widget is
// still being set up, and keeps it; dropping it lets the next query build the fitting one.
void forgetInterface(QWidget* widget) {
    if (QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(face));
}

}  // namespace

void installAccessibleInterfaces() {
    static const bool installed = [] {
        QAccessible::installFactory(programInterfaces);
        return true;
    }();
    (void)installed;
}

void labelField(QLabel* label, QWidget* field) {
    installAccessibleInterfaces();
    label->setBuddy(field);
    forgetInterface(field);
}

void markDecorative(QWidget* picture) {
    installAccessibleInterfaces();
    picture->setProperty(kDecorative, true);
    forgetInterface(picture);
}

}  // namespace pixmorrow
