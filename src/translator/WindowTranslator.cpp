// Translate(window): the menu walk, the window title and the per-control step
// over Qt widgets (the mapping of widget classes onto control kinds is
// documented in Lingua.h).
#include "translator/LinguaState.h"

#include <cstring>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitterHandle>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QVarLengthArray>

namespace lingua {
namespace {

enum ControlKind : int {
    kNoControl = 0,
    kDisplayPicture = 1,
    kString = 2,
    kEntryPicture = 8,
    kGroup = 9,
    kPrompt = 10,
    kOptionGroup = 11,
    kButton = 12,
    kCheck = 13,
    kList = 14,
    kCombo = 15,
    kSpinPicture = 16,
    kTipsOnly = 17,
    kRadio = 21,
    kTab = 38,
};

const char* const kPictureProperty = "picture";
const char* const kFormatProperty = "format";

bool hasProperty(const QWidget* widget, const char* name) {
    const QVariant value = widget->property(name);
    return value.isValid() && !value.toString().isEmpty();
}

int windowKindOf(const QWidget* window) {
    if (window->property("report").toBool()) return kReportWindow;
    if (qobject_cast<const QMainWindow*>(window) != nullptr) return kFrameWindow;
    return kPlainWindow;
}

int controlKind(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        if (hasProperty(widget, kPictureProperty)) return kDisplayPicture;
        return label->buddy() != nullptr ? kPrompt : kString;
    }
    if (qobject_cast<const QAbstractSpinBox*>(widget) != nullptr)
        return hasProperty(widget, kPictureProperty) ? kSpinPicture : kTipsOnly;
    if (qobject_cast<const QLineEdit*>(widget) != nullptr)
        return hasProperty(widget, kPictureProperty) ? kEntryPicture : kTipsOnly;
    if (qobject_cast<const QRadioButton*>(widget) != nullptr) return kRadio;
    if (qobject_cast<const QCheckBox*>(widget) != nullptr) return kCheck;
    if (const auto* tool = qobject_cast<const QToolButton*>(widget))
        return tool->defaultAction() != nullptr ? kNoControl : kButton;
    if (qobject_cast<const QAbstractButton*>(widget) != nullptr) return kButton;
    if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
        const bool optionGroup =
            !group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly).isEmpty();
        return optionGroup ? kOptionGroup : kGroup;
    }
    if (qobject_cast<const QTabWidget*>(widget) != nullptr) return kTab;
    if (qobject_cast<const QComboBox*>(widget) != nullptr)
        return hasProperty(widget, kFormatProperty) ? kCombo : kTipsOnly;
    if (qobject_cast<const QAbstractItemView*>(widget) != nullptr)
        return hasProperty(widget, kFormatProperty) ? kList : kTipsOnly;
    if (qobject_cast<const QTextEdit*>(widget) != nullptr ||
        qobject_cast<const QPlainTextEdit*>(widget) != nullptr)
        return kTipsOnly;
    return kNoControl;
}

// Widgets whose children are inner parts, not controls of the window.
bool isComposite(const QWidget* widget) {
    return qobject_cast<const QAbstractSpinBox*>(widget) != nullptr ||
           qobject_cast<const QComboBox*>(widget) != nullptr ||
           qobject_cast<const QLineEdit*>(widget) != nullptr ||
           qobject_cast<const QAbstractButton*>(widget) != nullptr ||
           (qobject_cast<const QAbstractScrollArea*>(widget) != nullptr &&
            qobject_cast<const QScrollArea*>(widget) == nullptr);
}

bool isInnerPart(const QWidget* widget) {
    return qobject_cast<const QMenuBar*>(widget) != nullptr ||
           qobject_cast<const QMenu*>(widget) != nullptr ||
           qobject_cast<const QScrollBar*>(widget) != nullptr ||
           qobject_cast<const QSplitterHandle*>(widget) != nullptr ||
           (qobject_cast<const QTabBar*>(widget) != nullptr &&
            qobject_cast<const QTabWidget*>(widget->parentWidget()) != nullptr);
}

void collectControls(QWidget* parent, QList<QWidget*>& out) {
    if (auto* scroll = qobject_cast<QScrollArea*>(parent)) {
        // Only the scrolled content holds controls, not the viewport frame.
        if (QWidget* content = scroll->widget()) {
            out.append(content);
            collectControls(content, out);
        }
        return;
    }
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget == nullptr || widget->isWindow() || isInnerPart(widget)) continue;
        out.append(widget);
        if (!isComposite(widget)) collectControls(widget, out);
    }
}

QList<QWidget*> controlsOf(QWidget* window) {
    QList<QWidget*> controls;
    collectControls(window, controls);
    return controls;
}

// The source of every text Translate has replaced, per object and kind of
// text, so that translating again (after a change of language) starts from
// the source and not from the previous translation. Kept in the library
// rather than in dynamic properties, which cost a property search and an
// event at every read and write; an object's entries go with the object.
struct TextSource {
    const char* slot;  // kind of text: "text", "toolTip", ...
    QString source;
    QString written;  // the translation written; a different text now means
                      // the program has set a new source since
};
using SourceList = QVarLengthArray<TextSource, 4>;

QHash<const QObject*, SourceList>& sources() {
    static QHash<const QObject*, SourceList> all;
    return all;
}

TextSource* findSource(const QObject* holder, const char* slot) {
    auto it = sources().find(holder);
    if (it == sources().end()) return nullptr;
    for (TextSource& entry : *it)
        if (std::strcmp(entry.slot, slot) == 0) return &entry;
    return nullptr;
}

void keepSource(QObject* holder, const char* slot, const QString& source, const QString& written) {
    if (TextSource* entry = findSource(holder, slot)) {
        entry->source = source;
        entry->written = written;
        return;
    }
    auto it = sources().find(holder);
    if (it == sources().end()) {
        it = sources().insert(holder, SourceList());
        QObject::connect(holder, &QObject::destroyed, [holder] { sources().remove(holder); });
    }
    it->append(TextSource{slot, source, written});
}

// Looks a text of `holder` up and hands a found replacement to `apply` while
// the state is 0. A text written by an earlier Translate is looked up by its
// source; a source that the language in use does not translate is written
// back as it is.
template <typename Apply>
void translateText(QObject* holder, const char* slot, const QString& text, EntryType type,
                   bool hotKeys, Apply apply) {
    // An empty text is never a translation written here, and has none.
    if (text.isEmpty()) return;
    TextSource* kept = findSource(holder, slot);
    const bool wasTranslated = kept != nullptr && kept->written == text;
    const QString source = wasTranslated ? kept->source : text;
    QString replacement;
    if (lookup(source, type, hotKeys, replacement) && state().code == kNoError) {
        keepSource(holder, slot, source, replacement);
        apply(replacement);
    } else if (wasTranslated) {
        kept->written = source;
        apply(source);
    }
}

void translateTips(QWidget* widget, bool withToolTip) {
    if (state().windowKind == kReportWindow) return;
    translateText(widget, "statusTip", widget->statusTip(), EntryType::Message, false,
                  [widget](const QString& r) { widget->setStatusTip(r); });
    translateText(widget, "whatsThis", widget->whatsThis(), EntryType::HelpItem, false,
                  [widget](const QString& r) { widget->setWhatsThis(r); });
    if (withToolTip)
        translateText(widget, "toolTip", widget->toolTip(), EntryType::ToolTip, false,
                      [widget](const QString& r) { widget->setToolTip(r); });
}

// The source of a property rewritten by every Translate (a picture, a list
// format), so the rewrite always starts from the source.
QString propertySource(QWidget* widget, const char* property) {
    const QString current = widget->property(property).toString();
    if (TextSource* kept = findSource(widget, property); kept && kept->written == current)
        return kept->source;
    return current;
}

void translatePictureProperty(QWidget* widget, std::uint32_t options) {
    const QString picture = propertySource(widget, kPictureProperty);
    const QString translated = TranslatePicture(picture, options, false);
    keepSource(widget, kPictureProperty, picture, translated);
    if (translated != picture) widget->setProperty(kPictureProperty, translated);
}

// The headings between '~' marks of a list-box format string, in order.
QStringList headingsOf(const QString& format) {
    QStringList headings;
    qsizetype at = 0;
    while ((at = format.indexOf(QLatin1Char('~'), at)) >= 0) {
        const qsizetype end = format.indexOf(QLatin1Char('~'), at + 1);
        if (end < 0) break;
        headings << format.mid(at + 1, end - at - 1);
        at = end + 1;
    }
    return headings;
}

void translateFormatProperty(QWidget* widget) {
    const QString format = propertySource(widget, kFormatProperty);
    const QString translated = TranslateFormat(format);
    keepSource(widget, kFormatProperty, format, translated);
    widget->setProperty(kFormatProperty, translated);
    // Views show the headings in their horizontal header, column by column.
    if (auto* view = qobject_cast<QAbstractItemView*>(widget)) {
        if (QAbstractItemModel* model = view->model()) {
            const QStringList headings = headingsOf(translated);
            for (int column = 0; column < headings.size() && column < model->columnCount();
                 ++column)
                model->setHeaderData(column, Qt::Horizontal, headings.at(column));
        }
    }
}

// Qt reports an action's text without '&' as its tool tip when none was set;
// such a tool tip is not a text of its own.
bool hasOwnToolTip(const QAction* action) {
    QString plain = action->text();
    plain.remove(QLatin1Char('&'));
    if (plain.endsWith(QStringLiteral("..."))) plain.chop(3);
    if (plain.endsWith(QChar(0x2026))) plain.chop(1);
    return !action->toolTip().isEmpty() && action->toolTip() != plain.trimmed();
}

// Actions already translated during this Translate call: a toolbar button and
// a menu item may share one action, whose text must not be looked up again
// once it is translated.
QSet<const QAction*>& translatedActions() {
    static QSet<const QAction*> actions;
    return actions;
}

void walkMenu(const QList<QAction*>& actions);

// The action behind a tool button (a toolbar button): its text as a button
// text with hot key, its status-bar message and tool tip.
void translateButtonAction(QAction* action) {
    if (action == nullptr || translatedActions().contains(action)) return;
    translatedActions().insert(action);
    const bool ownToolTip = hasOwnToolTip(action);
    translateText(action, "text", action->text(), EntryType::Text, true,
                  [action](const QString& r) { action->setText(r); });
    if (state().windowKind == kReportWindow) return;
    translateText(action, "statusTip", action->statusTip(), EntryType::Message, false,
                  [action](const QString& r) { action->setStatusTip(r); });
    if (ownToolTip)
        translateText(action, "toolTip", action->toolTip(), EntryType::ToolTip, false,
                      [action](const QString& r) { action->setToolTip(r); });
}

// A drop-down menu attached to a push or tool button.
void translateButtonMenu(QWidget* widget) {
    QMenu* menu = nullptr;
    if (auto* push = qobject_cast<QPushButton*>(widget)) menu = push->menu();
    if (auto* tool = qobject_cast<QToolButton*>(widget)) menu = tool->menu();
    if (menu != nullptr) walkMenu(menu->actions());
}

void translateControl(QWidget* widget) {
    const LibraryState& s = state();
    if (auto* tool = qobject_cast<QToolButton*>(widget); tool && tool->defaultAction()) {
        translateButtonAction(tool->defaultAction());
        translateButtonMenu(widget);
        return;
    }
    switch (controlKind(widget)) {
        case kDisplayPicture:
            translatePictureProperty(widget, s.group.DisplayFlags);
            break;
        case kString:
            if (auto* label = qobject_cast<QLabel*>(widget))
                translateText(label, "text", label->text(), EntryType::Text, false,
                              [label](const QString& r) { label->setText(r); });
            break;
        case kPrompt:
            if (auto* label = qobject_cast<QLabel*>(widget))
                translateText(label, "text", label->text(), EntryType::Text, true,
                              [label](const QString& r) { label->setText(r); });
            break;
        case kEntryPicture:
        case kSpinPicture:
            translatePictureProperty(widget, s.group.EntryFlags);
            translateTips(widget, true);
            break;
        case kGroup:
        case kOptionGroup:
            if (auto* group = qobject_cast<QGroupBox*>(widget))
                translateText(group, "title", group->title(), EntryType::Text, true,
                              [group](const QString& r) { group->setTitle(r); });
            translateTips(widget, controlKind(widget) == kGroup);
            break;
        case kButton:
        case kCheck:
        case kRadio:
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                translateText(button, "text", button->text(), EntryType::Text, true,
                              [button](const QString& r) { button->setText(r); });
            translateTips(widget, true);
            translateButtonMenu(widget);
            break;
        case kTab:
            if (auto* tabs = qobject_cast<QTabWidget*>(widget)) {
                for (int i = 0; i < tabs->count(); ++i) {
                    translateText(tabs->widget(i), "tabText", tabs->tabText(i), EntryType::Text,
                                  true, [tabs, i](const QString& r) { tabs->setTabText(i, r); });
                    if (s.windowKind == kReportWindow) continue;
                    translateText(tabs->widget(i), "tabToolTip", tabs->tabToolTip(i),
                                  EntryType::ToolTip, false,
                                  [tabs, i](const QString& r) { tabs->setTabToolTip(i, r); });
                    translateText(tabs->widget(i), "tabWhatsThis", tabs->tabWhatsThis(i),
                                  EntryType::HelpItem, false,
                                  [tabs, i](const QString& r) { tabs->setTabWhatsThis(i, r); });
                }
            }
            translateTips(widget, true);
            break;
        case kList:
        case kCombo:
            translateFormatProperty(widget);
            translateTips(widget, true);
            break;
        case kTipsOnly:
            translateTips(widget, true);
            break;
        default:
            break;
    }
}

void walkMenu(const QList<QAction*>& actions) {
    for (QAction* action : actions) {
        if (action->isSeparator() || translatedActions().contains(action)) continue;
        translatedActions().insert(action);
        const QString text = action->text().left(64);
        if (text.isEmpty()) continue;
        if (QMenu* menu = action->menu()) {
            translateText(action, "text", text, EntryType::Menu, true,
                          [action](const QString& r) { action->setText(r); });
            walkMenu(menu->actions());
            continue;
        }
        const bool ownToolTip = hasOwnToolTip(action);
        translateText(action, "text", text, EntryType::MenuItem, true,
                      [action](const QString& r) { action->setText(r); });
        translateText(action, "statusTip", action->statusTip(), EntryType::Message, false,
                      [action](const QString& r) { action->setStatusTip(r); });
        if (ownToolTip)
            translateText(action, "toolTip", action->toolTip(), EntryType::ToolTip, false,
                          [action](const QString& r) { action->setToolTip(r); });
    }
}

QMenuBar* menuBarOf(QWidget* window) {
    if (auto* main = qobject_cast<QMainWindow*>(window))
        return qobject_cast<QMenuBar*>(main->menuWidget());
    return window->findChild<QMenuBar*>(QString(), Qt::FindDirectChildrenOnly);
}

void rememberWindow(QWidget* window) {
    state().window = window;
    state().windowKind = windowKindOf(window);
}

}  // namespace
}  // namespace lingua

using namespace lingua;

void Translate(QWidget* window) {
    guardedVoid([window] {
        LibraryState& s = state();
        if (window == nullptr) return;
        if (!s.initialised && !s.picturesInitialised) {
            s.code = kNotInitialised;
            return;
        }
        s.code = kNoError;
        rememberWindow(window);
        translatedActions().clear();
        if (s.initialised && s.windowKind != kReportWindow) {
            if (QMenuBar* bar = menuBarOf(window)) walkMenu(bar->actions());
            if (s.code == kNoError)
                translateText(window, "windowTitle", window->windowTitle(), EntryType::WinTitle,
                              false, [window](const QString& r) { window->setWindowTitle(r); });
        }
        if (s.code != kNoError) return;
        for (QWidget* control : controlsOf(window)) translateControl(control);
        translatedActions().clear();
    });
}

void TRANSLATECONTROL(QWidget* window, int control) {
    TRANSLATECONTROLS(window, control, control);
}

void TRANSLATECONTROLS(QWidget* window, int first, int last) {
    guardedVoid([=] {
        if (window == nullptr) return;
        rememberWindow(window);
        translatedActions().clear();
        const QList<QWidget*> controls = controlsOf(window);
        for (int number = std::max(first, 1); number <= last && number <= controls.size(); ++number)
            translateControl(controls.at(number - 1));
    });
}

int TranslatorControlCount(QWidget* window) {
    return guarded([window]() -> int { return window ? int(controlsOf(window).size()) : 0; }, 0);
}
