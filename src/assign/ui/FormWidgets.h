// Small widget makers shared by the assignment form and its pages.
#pragma once

#include <QLabel>
#include <QPushButton>

namespace tko {

// A button named `name` (its objectName) with `text` and, when given, a tool tip.
inline QPushButton* makeButton(QWidget* parent, const char* name, const char* text,
                               const char* tip = nullptr) {
    auto* b = new QPushButton(QLatin1String(text), parent);
    b->setObjectName(QLatin1String(name));
    if (tip) b->setToolTip(QLatin1String(tip));
    return b;
}

// A label named `name`, empty unless `text` is given.
inline QLabel* makeLabel(QWidget* parent, const char* name, const char* text = nullptr) {
    auto* l = new QLabel(text ? QLatin1String(text) : QString(), parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

}  // namespace tko
