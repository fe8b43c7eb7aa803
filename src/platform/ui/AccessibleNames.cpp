#include "platform/ui/AccessibleNames.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QBoxLayout>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QWidget>

#include "platform/AccessibleText.h"

namespace tko {

namespace {

constexpr char kDerivedName[] = "tkoDerivedAccessibleName";

bool ownControl(QWidget* window, QWidget* widget) {
    if (widget->window() != window || widget->focusPolicy() == Qt::NoFocus) return false;
    // The parts of a spin box or combo box belong to it, not to the window.
    for (QWidget* up = widget->parentWidget(); up && up != window; up = up->parentWidget())
        if (qobject_cast<QAbstractSpinBox*>(up) || qobject_cast<QComboBox*>(up)) return false;
    return true;
}

QString labelText(QLayoutItem* item) {
    auto* label = item && item->widget() ? qobject_cast<QLabel*>(item->widget()) : nullptr;
    return label ? label->text() : QString();
}

bool layoutHolds(QLayout* layout, QWidget* widget) {
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == widget) return true;
        if (item->layout() && layoutHolds(item->layout(), widget)) return true;
    }
    return false;
}

// The prompt of `widget` in `layout`: the label in front of it in a row or
// column, or the label of the form row whose field holds it.
QString promptInLayout(QLayout* layout, QWidget* widget) {
    if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        for (int row = 0; row < form->rowCount(); ++row) {
            QLayoutItem* field = form->itemAt(row, QFormLayout::FieldRole);
            if (!field) continue;
            if (field->widget() == widget ||
                (field->layout() && layoutHolds(field->layout(), widget))) {
                const QString prompt = labelText(form->itemAt(row, QFormLayout::LabelRole));
                if (!prompt.isEmpty()) return prompt;
            }
        }
    }
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        // The label in the cell to the left, on the same row.
        const int index = grid->indexOf(widget);
        if (index >= 0) {
            int row = 0, column = 0, rows = 0, columns = 0;
            grid->getItemPosition(index, &row, &column, &rows, &columns);
            return column > 0 ? labelText(grid->itemAtPosition(row, column - 1)) : QString();
        }
    }
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() == widget) {
            if (qobject_cast<QBoxLayout*>(layout))
                for (int before = i - 1; before >= 0; --before) {
                    QLayoutItem* previous = layout->itemAt(before);
                    if (previous->spacerItem()) continue;
                    return labelText(previous);
                }
            return {};
        }
        if (item->layout()) {
            const QString prompt = promptInLayout(item->layout(), widget);
            if (!prompt.isEmpty()) return prompt;
        }
    }
    return {};
}

QString promptOf(QWidget* window, QWidget* widget) {
    for (QLabel* label : window->findChildren<QLabel*>())
        if (label->buddy() == widget && !label->text().isEmpty()) return label->text();
    for (QWidget* up = widget->parentWidget(); up; up = up->parentWidget()) {
        if (up->layout()) {
            const QString prompt = promptInLayout(up->layout(), widget);
            if (!prompt.isEmpty()) return prompt;
        }
        if (up == window) break;
    }
    return {};
}

QString captionOf(QWidget* widget) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
    if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title();
    return {};
}

QString spokenName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name).trimmed() : widget->accessibleName();
}

}  // namespace

void nameControls(QWidget* window) {
    if (!window) return;
    QList<QWidget*> controls = window->findChildren<QWidget*>();
    for (QWidget* widget : controls) {
        if (!ownControl(window, widget)) continue;
        const bool derived = widget->property(kDerivedName).toBool();
        if (!derived && !widget->accessibleName().isEmpty()) continue;
        QString name =
            accessibleNameFrom(promptOf(window, widget), captionOf(widget), widget->toolTip());
        // A list or a set of tabs that is the window's content is read by
        // the window's title.
        if (name.isEmpty() &&
            (qobject_cast<QAbstractItemView*>(widget) || qobject_cast<QTabWidget*>(widget)))
            name = spokenCaption(window->windowTitle());
        if (name.isEmpty()) continue;
        widget->setAccessibleName(name);
        widget->setProperty(kDerivedName, true);
        if (derived || widget->accessibleDescription().isEmpty())
            widget->setAccessibleDescription(accessibleDescriptionFrom(name, widget->toolTip()));
    }
}

QStringList namelessControls(QWidget* window) {
    QStringList nameless;
    if (!window) return nameless;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!ownControl(window, widget) || !widget->isVisibleTo(window)) continue;
        if (spokenName(widget).isEmpty())
            nameless << QStringLiteral("%1 (%2)").arg(
                widget->objectName(), QLatin1String(widget->metaObject()->className()));
    }
    return nameless;
}

}  // namespace tko
