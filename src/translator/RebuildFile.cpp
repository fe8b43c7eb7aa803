// RebuildFile: copies a language file's records into a fresh file, rebuilds
// the key there and puts the copy in place of the original.
#include "translator/LanguageFile.h"
#include "translator/LinguaState.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QProgressBar>
#include <QSet>
#include <QVBoxLayout>

#include <cstdio>
#include <memory>

namespace lingua {
namespace {

// The "Rebuilding File" window: a progress bar from 0% to 100%.
class RebuildWindow : public QDialog {
public:
    RebuildWindow(const QString& title, int maximum) {
        setObjectName(QStringLiteral("rebuildWindow"));
        setWindowTitle(title);
        m_progressBar = new QProgressBar(this);
        m_progressBar->setRange(0, std::max(maximum, 1));
        m_progressBar->setValue(0);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_progressBar);
        setMinimumWidth(320);
    }
    void setProgress(int copied) {
        m_progressBar->setValue(copied);
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }

private:
    QProgressBar* m_progressBar = nullptr;
};

std::uint16_t rebuild(const QString& name) {
    LibraryState& s = state();
    // The rebuilt copy takes the original's place in its folder.
    if (QFileInfo::exists(name) && !mayWriteLanguageFile(name)) return kNoAccessErr;
    LanguageFile source;
    // A missing file is created empty: there is nothing to copy, and the
    // result is a valid language file with its key.
    const OpenResult opened = source.open(name);
    if (opened != kOpened) return opened;
    const QString fullName = source.fullName();
    const QString tempName = fullName + QStringLiteral(".rebuild");
    if (!LanguageFile::createUnkeyed(tempName, nullptr)) return kCannotCreate;
    LanguageFile target;
    if (target.open(tempName, false) != kOpened) {
        QFile::remove(tempName);
        return kCannotCreate;
    }

    std::unique_ptr<RebuildWindow> window;
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
        const QString title =
            MergeString(nlsText(QStringLiteral("Rebuild Window"), QStringLiteral("Window Title"),
                                QStringLiteral("Building %1")),
                        name);
        window = std::make_unique<RebuildWindow>(title, source.count());
        window->show();
    }

    std::uint16_t code = kNoError;
    int copied = 0;
    if (!target.begin()) code = kUnableToAdd;
    QSet<QString> known;
    const bool read = code == kNoError && source.forEach([&](const LanguageRecord& record) {
        known.insert(recordKey(record));
        if (target.add(record) != LanguageFile::AddResult::Added) {
            code = kUnableToAdd;
            return false;
        }
        ++copied;
        if (window && copied % 64 == 0) window->setProgress(copied);
        return true;
    });
    if (code == kNoError && !read) code = kTypeDescErr;
    // The texts not found that the user recorded while the file could not be
    // written join it, so that translators see them.
    const QString userFile = userNotFoundFile(fullName);
    bool mergedUserFile = false;
    if (code == kNoError && !userFile.isEmpty() && QFileInfo::exists(userFile)) {
        LanguageFile recorded;
        if (recorded.open(userFile, false, LanguageFile::Access::ReadOnly) == kOpened) {
            const bool merged = recorded.forEach([&](const LanguageRecord& record) {
                // Unkeyed target: a text the file already holds is left out
                // here rather than refused by the key.
                if (known.contains(recordKey(record))) return true;
                if (target.add(record) != LanguageFile::AddResult::Added) {
                    code = kUnableToAdd;
                    return false;
                }
                known.insert(recordKey(record));
                return true;
            });
            if (code == kNoError && !merged) code = kTypeDescErr;
            mergedUserFile = code == kNoError;
        }
    }
    if (code == kNoError && !target.commit()) code = kUnableToAdd;
    if (code != kNoError) target.rollback();
    // Records that collide under the key leave the original file in place.
    if (code == kNoError && !target.createKey()) code = kUnableToAdd;
    if (window) window->setProgress(copied);
    target.close();
    source.close();
    if (code == kNoError && std::rename(QFile::encodeName(tempName).constData(),
                                        QFile::encodeName(fullName).constData()) != 0)
        code = kCannotAdd;
    QFile::remove(tempName);
    // Its texts are in the language file now.
    if (code == kNoError && mergedUserFile) QFile::remove(userFile);
    s.code = code;
    return code;
}

}  // namespace
}  // namespace lingua

using namespace lingua;

std::uint16_t RebuildFile(const QString& languageFile) {
    return guarded(
        [&]() -> std::uint16_t {
            const std::uint16_t code = rebuild(languageFile.left(kLookupWidth));
            state().code = code;
            return code;
        },
        std::uint16_t{kUnknownErr});
}
