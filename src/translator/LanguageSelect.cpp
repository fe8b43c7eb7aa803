// UserLanguageSelect: the "Select Language" window with up to six language
// buttons configured by a string "icon,language name,language file|...".
#include "translator/IcuLocale.h"
#include "translator/LinguaState.h"

#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <array>
#include <cstring>
#include <functional>

namespace lingua {
namespace {

constexpr int kLanguageButtons = 6;

struct LanguageEntry {
    QString icon;
    QString name;
    QString file;
};

// The entries of a configuration string; false for a malformed string.
bool parseConfig(const QString& config, QList<LanguageEntry>& entries) {
    if (config.trimmed().isEmpty()) return false;
    const QStringList parts = config.split(QLatin1Char('|'));
    for (const QString& part : parts) {
        if (entries.size() == kLanguageButtons) break;  // entries after the sixth are ignored
        const qsizetype first = part.indexOf(QLatin1Char(','));
        if (first < 0) return false;
        const qsizetype second = part.indexOf(QLatin1Char(','), first + 1);
        if (second < 0) return false;
        entries.append(LanguageEntry{part.left(first).trimmed(),
                                     part.mid(first + 1, second - first - 1),
                                     part.mid(second + 1).trimmed()});
    }
    return true;
}

QString nls(const char* key, const char* defaultText) {
    return nlsText(QStringLiteral("Language Selection Window"), QLatin1String(key),
                   QLatin1String(defaultText));
}

class LanguageSelectWindow : public QDialog {
public:
    LanguageSelectWindow(const QList<LanguageEntry>& entries, const QString& helpKeyword)
        : m_helpKeyword(helpKeyword) {
        setObjectName(QStringLiteral("languageSelectWindow"));
        setWindowTitle(nls("Selection Title", "Select Language"));
        auto* image = new QLabel(this);
        image->setPixmap(style()->standardIcon(QStyle::SP_DirOpenIcon).pixmap(32, 32));
        auto* group =
            new QGroupBox(nls("Selection Group", "Choose &Locale From the Selection Below"), this);
        auto* groupLayout = new QVBoxLayout(group);
        for (int k = 0; k < kLanguageButtons; ++k) {
            auto* button = new QPushButton(group);
            button->setObjectName(QStringLiteral("languageButton%1").arg(k + 1));
            button->setToolTip(QStringLiteral("Select this language"));
            button->hide();
            groupLayout->addWidget(button);
            connect(button, &QPushButton::clicked, this, [this, k] {
                m_chosen = k + 1;
                accept();
            });
            m_buttons[k] = button;
        }
        for (int k = 0; k < entries.size(); ++k) {
            QPushButton* button = m_buttons[k];
            const LanguageEntry& entry = entries.at(k);
            if (!entry.icon.isEmpty()) button->setIcon(QIcon(entry.icon));
            button->setText(entry.name);
            button->setToolTip(
                MergeString(nls("ToolTip", "Select %1 language"), entry.name.trimmed()));
            button->setEnabled(!entry.file.isEmpty());
            button->show();
        }
        auto* cancel = new QPushButton(nls("CancelButton", "&Cancel: No Language Selection"), this);
        cancel->setObjectName(QStringLiteral("cancelButton"));
        cancel->setToolTip(nls("CancelButtonTip", "Do not select a language"));
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
        auto* help = new QPushButton(nls("HelpButton", "&Help"), this);
        help->setObjectName(QStringLiteral("helpButton"));
        help->setToolTip(nls("HelpButtonTip", "Get help!"));
        help->setEnabled(!helpKeyword.trimmed().isEmpty());
        connect(help, &QPushButton::clicked, this, [this] {
            if (state().helpHandler != nullptr) state().helpHandler(m_helpKeyword);
        });
        auto* buttons = new QHBoxLayout;
        buttons->addStretch();
        buttons->addWidget(cancel);
        buttons->addWidget(help);
        auto* layout = new QVBoxLayout(this);
        auto* top = new QHBoxLayout;
        top->addWidget(image, 0, Qt::AlignTop);
        top->addWidget(group, 1);
        layout->addLayout(top);
        layout->addLayout(buttons);
        if (!entries.isEmpty()) m_buttons[0]->setFocus();
    }
    int chosen() const { return m_chosen; }

private:
    std::array<QPushButton*, kLanguageButtons> m_buttons{};
    QString m_helpKeyword;
    int m_chosen = 0;
};

// Runs the window; `fillGroup(k, group)` fills the working group for entry k
// (1-based) and tells whether it did.
void selectLanguage(IntlGroup& callerGroup, const QString& config, const QString& helpKeyword,
                    const std::function<bool(int, IntlGroup&)>& fillGroup) {
    LibraryState& s = state();
    QList<LanguageEntry> entries;
    if (!parseConfig(config, entries)) {
        s.code = kBadConfigStr;
        return;
    }
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        s.code = kSelectCancelled;  // no window can be shown without a GUI
        return;
    }
    LanguageSelectWindow window(entries, helpKeyword);
    if (window.exec() != QDialog::Accepted || window.chosen() == 0) {
        s.code = kSelectCancelled;
        return;
    }
    const int k = window.chosen();
    const bool picturesWereActive = s.picturesInitialised;
    const IntlGroup previous = s.group;
    CloseTranslator();
    s.code = kNoError;
    InitTranslator(entries.at(k - 1).file);
    const std::uint16_t translatorCode = s.code;

    IntlGroup working;
    ClearIntlGroup(working);
    if (fillGroup(k, working)) {
        if (callerGroup.CurrLCID != 0) working.CurrLCID = callerGroup.CurrLCID;
        if (callerGroup.EntryFlags != 0) working.EntryFlags = callerGroup.EntryFlags;
        if (callerGroup.DisplayFlags != 0) working.DisplayFlags = callerGroup.DisplayFlags;
        const bool blankOptions = std::all_of(std::begin(callerGroup.PictureOptions),
                                              std::end(callerGroup.PictureOptions),
                                              [](char c) { return c == ' ' || c == '\0'; });
        if (!blankOptions)
            std::memcpy(working.PictureOptions, callerGroup.PictureOptions,
                        sizeof(working.PictureOptions));
        InitPictures(&working);
        callerGroup = working;
    } else if (picturesWereActive) {
        // No locale for this language: keep the caller's group and the
        // pictures that were active instead of wiping both.
        InitPictures(&previous);
    }
    if (s.code == kNoError) s.code = translatorCode;
}

}  // namespace
}  // namespace lingua

using namespace lingua;

void UserLanguageSelect(IntlGroup& group, int pictureIndex, const QStringList& localeNames,
                        const QString& config, const QString& helpKeyword) {
    Q_UNUSED(pictureIndex);
    guardedVoid([&] {
        selectLanguage(group, config, helpKeyword, [&](int k, IntlGroup& working) {
            if (k > localeNames.size()) return false;
            const QString name = localeNames.at(k - 1).trimmed();
            if (name.isEmpty()) return false;
            // A settings file holds a group in its section Intl; anything
            // else names an ICU locale such as "de_DE".
            if (QFileInfo(name).isFile()) return GetIntlGroup(working, 0, false, name) == kNoError;
            return fillGroupFromLocaleName(working, name.toLatin1()) == kNoError;
        });
    });
}

void UserLanguageSelect(IntlGroup& group, int pictureIndex, const QList<std::uint32_t>& localeIds,
                        const QString& config, const QString& helpKeyword) {
    Q_UNUSED(pictureIndex);
    guardedVoid([&] {
        selectLanguage(group, config, helpKeyword, [&](int k, IntlGroup& working) {
            if (k > localeIds.size()) return false;
            const std::uint32_t id = localeIds.at(k - 1);
            if (checkLcid(id) != kNoError) return false;
            return GetIntlGroup(working, id, true, QString()) == kNoError;
        });
    });
}
