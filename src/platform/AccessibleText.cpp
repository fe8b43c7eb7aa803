#include "platform/AccessibleText.h"

#include <algorithm>

namespace tko {

namespace {

bool saysSomething(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

}  // namespace

QString spokenCaption(const QString& caption) {
    QString spoken;
    spoken.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&') {
            // "&&" is a literal ampersand; a single one marks the hot key.
            if (i + 1 < caption.size() && caption[i + 1] == u'&') {
                spoken += u'&';
                ++i;
            }
            continue;
        }
        spoken += caption[i];
    }
    spoken = spoken.trimmed();
    if (spoken.endsWith(u':')) spoken.chop(1);
    return spoken.trimmed();
}

QString accessibleNameFrom(const QString& prompt, const QString& caption, const QString& toolTip) {
    for (const QString& text : {prompt, caption, toolTip}) {
        const QString spoken = spokenCaption(text);
        if (saysSomething(spoken)) return spoken;
    }
    return {};
}

QString accessibleDescriptionFrom(const QString& name, const QString& toolTip) {
    const QString tip = toolTip.trimmed();
    return tip == name ? QString() : tip;
}

}  // namespace tko
