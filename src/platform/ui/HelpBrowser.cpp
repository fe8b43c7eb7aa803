#include "platform/ui/HelpBrowser.h"

#include "platform/Translate.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <map>

// Resources of a static library are registered by name, outside any namespace.
static void initHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace tko {

namespace {

QString tr_(const char* source) {
    return QString::fromStdString(translateText(source));
}

// The language of the pages: "" for English, else the code of a folder of
// the help resources (":/help/de").
QString& currentLanguage() {
    static QString language;
    return language;
}

// The resource folder of a language's pages, with the trailing '/'.
QString folderOf(const QString& language) {
    return language.isEmpty() ? QStringLiteral(":/help/")
                              : QStringLiteral(":/help/") + language + QLatin1Char('/');
}

// Every page of one language's folder, by file name: a new topic needs only
// its page. Read once per language; the map keeps the entries in place.
const QList<QPair<QString, QString>>& helpPages(const QString& language) {
    static std::map<QString, QList<QPair<QString, QString>>> byLanguage;
    const auto found = byLanguage.find(language);
    if (found != byLanguage.end()) return found->second;
    initHelpResources();
    QList<QPair<QString, QString>> list;
    const QString folder = folderOf(language);
    const QStringList files = QDir(folder).entryList({QStringLiteral("*.html")}, QDir::Files);
    for (const QString& file : files) {
        QFile page(folder + file);
        if (page.open(QIODevice::ReadOnly)) list.append({file, QString::fromUtf8(page.readAll())});
    }
    return byLanguage.emplace(language, std::move(list)).first->second;
}

// Keyword (without '~') -> page of one language, read once from the anchors
// of its pages.
const QHash<QString, QString>& keywordPages(const QString& language) {
    static std::map<QString, QHash<QString, QString>> byLanguage;
    const auto found = byLanguage.find(language);
    if (found != byLanguage.end()) return found->second;
    QHash<QString, QString> map;
    static const QRegularExpression anchor(QStringLiteral("(?:id|name)=\"~([^\"]+)\""));
    for (const auto& [file, html] : helpPages(language))
        for (auto it = anchor.globalMatch(html); it.hasNext();)
            map.insert(it.next().captured(1), file);
    return byLanguage.emplace(language, std::move(map)).first->second;
}

// The URL of a page in the current language, or of the English page when the
// translation does not have it.
QUrl pageUrl(const QString& file, const QString& fragment = QString()) {
    initHelpResources();
    QString folder = folderOf(currentLanguage());
    if (!QFile::exists(folder + file)) folder = folderOf(QString());
    QUrl url(QStringLiteral("qrc") + folder + file);
    if (!fragment.isEmpty()) url.setFragment(fragment);
    return url;
}

// F1 pressed anywhere: the topic of the window that has the focus.
class HelpKey : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_F1 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        HelpBrowser::showHelp(HelpBrowser::keywordFor(widget), widget);
        return true;
    }
};

}  // namespace

QUrl HelpBrowser::indexUrl() {
    return pageUrl(QStringLiteral("index.html"));
}

QUrl HelpBrowser::topicUrl(const QString& keyword) {
    QString key = keyword.trimmed();
    if (key.startsWith(QLatin1Char('~'))) key.remove(0, 1);
    // A topic not translated yet is shown in English rather than not at all.
    for (const QString& language : {currentLanguage(), QString()}) {
        const QHash<QString, QString>& pages = keywordPages(language);
        const auto it = pages.find(key);
        if (it == pages.end()) continue;
        QUrl url(QStringLiteral("qrc") + folderOf(language) + it.value());
        url.setFragment(QLatin1Char('~') + key);
        return url;
    }
    return {};
}

QString HelpBrowser::language() {
    return currentLanguage();
}

const HelpIndex& HelpBrowser::index() {
    static std::map<QString, HelpIndex> byLanguage;
    const QString& language = currentLanguage();
    const auto found = byLanguage.find(language);
    if (found != byLanguage.end()) return found->second;
    HelpIndex built;
    for (const auto& [file, html] : helpPages(language)) built.addPage(file, html);
    return byLanguage.emplace(language, std::move(built)).first->second;
}

QString HelpBrowser::keywordFor(const QWidget* widget) {
    for (const QWidget* w = widget ? widget->window() : nullptr; w;
         w = w->parentWidget() ? w->parentWidget()->window() : nullptr) {
        if (!topicUrl(w->whatsThis()).isEmpty()) return w->whatsThis();
    }
    return {};
}

void HelpBrowser::installHelpKey(QObject* app) {
    app->installEventFilter(new HelpKey(app));
}

HelpBrowser::HelpBrowser(QWidget* parent) : QDialog(parent) {
    initHelpResources();
    setObjectName(QStringLiteral("helpBrowser"));
    setWhatsThis(QStringLiteral("~How_To_Use_Help"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpText"));
    m_browser->setOpenExternalLinks(true);

    m_searchLabel = new QLabel(this);
    m_searchEdit = new QLineEdit(this);
    m_searchEdit->setObjectName(QStringLiteral("searchEdit"));
    m_searchEdit->setClearButtonEnabled(true);
    m_searchLabel->setBuddy(m_searchEdit);
    m_results = new QListWidget(this);
    m_results->setObjectName(QStringLiteral("searchResults"));
    m_results->hide();
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(m_searchLabel);
    searchRow->addWidget(m_searchEdit, 1);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(m_results);
    split->addWidget(m_browser);
    split->setStretchFactor(1, 3);

    m_contents = new QPushButton(this);
    m_contents->setObjectName(QStringLiteral("contentsButton"));
    m_back = new QPushButton(this);
    m_back->setObjectName(QStringLiteral("backButton"));
    m_close = new QPushButton(this);
    m_close->setObjectName(QStringLiteral("closeButton"));
    translateCaptions();
    // Enter belongs to the search entry and the result list, never to a button.
    for (QPushButton* button : {m_contents, m_back, m_close}) button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_contents);
    buttons->addWidget(m_back);
    buttons->addStretch();
    buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addLayout(searchRow);
    layout->addWidget(split, 1);
    resize(760, 520);

    connect(m_searchEdit, &QLineEdit::returnPressed, this, [this] {
        if (search(m_searchEdit->text()) > 0) openResult();
    });
    connect(m_results, &QListWidget::itemActivated, this, &HelpBrowser::openResult);
    connect(m_results, &QListWidget::itemClicked, this, &HelpBrowser::openResult);

    connect(m_contents, &QPushButton::clicked, this, [this] { m_browser->setSource(indexUrl()); });
    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QPushButton::setEnabled);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
    m_back->setEnabled(false);
}

void HelpBrowser::translateCaptions() {
    setWindowTitle(tr_("TASKORBIT Help"));
    m_searchLabel->setText(tr_("&Search for:"));
    m_searchEdit->setToolTip(tr_("Words to look for in the help topics"));
    m_contents->setText(tr_("Contents"));
    m_back->setText(tr_("Back"));
    m_close->setText(tr_("Close"));
}

void HelpBrowser::openTopic(const QString& keyword) {
    const QUrl url = topicUrl(keyword);
    m_browser->setSource(url.isEmpty() ? indexUrl() : url);
}

int HelpBrowser::search(const QString& words) {
    if (m_searchEdit->text() != words) m_searchEdit->setText(words);
    m_results->clear();
    const std::vector<HelpHit> hits = index().search(words);
    for (const HelpHit& hit : hits) {
        auto* item = new QListWidgetItem(hit.title, m_results);
        item->setData(Qt::UserRole, hit.keyword);
        item->setToolTip(hit.excerpt);
    }
    if (hits.empty())
        new QListWidgetItem(tr_("No topic contains these words."), m_results);
    else
        m_results->setCurrentRow(0);
    m_results->setVisible(!words.trimmed().isEmpty());
    return static_cast<int>(hits.size());
}

void HelpBrowser::openResult() {
    const QListWidgetItem* item = m_results->currentItem();
    const QString keyword = item ? item->data(Qt::UserRole).toString() : QString();
    if (!keyword.isEmpty()) openTopic(keyword);
}

namespace {

QPointer<HelpBrowser>& sharedPointer() {
    static QPointer<HelpBrowser> window;
    return window;
}

// The shared window, made a child of the window that asks for help so that
// it can be used beside a modal dialog too.
HelpBrowser* sharedWindow(QWidget* parent) {
    QPointer<HelpBrowser>& window = sharedPointer();
    QWidget* owner = parent ? parent->window() : nullptr;
    if (window && owner == window) owner = window->parentWidget();
    // Closing only hides the window: it is shown again, at its last topic and
    // place, the next time. It goes with the window it belongs to.
    if (!window) {
        window = new HelpBrowser(owner);
    } else if (owner && window->parentWidget() != owner) {
        const QRect where = window->geometry();
        window->setParent(owner, window->windowFlags());
        window->setGeometry(where);
    }
    return window;
}

}  // namespace

void HelpBrowser::setLanguage(const QString& code) {
    initHelpResources();
    QString language = code.trimmed().toLower();
    static const QRegularExpression plainCode(QStringLiteral("^[a-z]+(?:[_-][a-z]+)?$"));
    // English is the resources' top folder; an unknown or malformed code
    // (never a path) shows the English pages too.
    if (language == QLatin1String("en") || !plainCode.match(language).hasMatch() ||
        !QFile::exists(folderOf(language) + QStringLiteral("index.html")))
        language.clear();
    if (language == currentLanguage()) return;
    currentLanguage() = language;
    if (HelpBrowser* window = sharedPointer()) window->followLanguage();
}

void HelpBrowser::followLanguage() {
    translateCaptions();
    const QUrl shown = m_browser->source();
    if (!shown.isEmpty()) {
        // The same page and anchor in the new language; the way back leads
        // to pages of the old language, so it starts anew.
        const QString file = shown.path().section(QLatin1Char('/'), -1);
        const QUrl topic = topicUrl(shown.fragment());
        QUrl next = !topic.isEmpty() ? topic : pageUrl(file, shown.fragment());
        if (!QFile::exists(QLatin1Char(':') + next.path())) next = indexUrl();
        m_browser->setSource(next);
        m_browser->clearHistory();
    }
    if (!m_results->isHidden()) search(m_searchEdit->text());
}

HelpBrowser* HelpBrowser::showHelp(const QString& keyword, QWidget* parent) {
    HelpBrowser* window = sharedWindow(parent);
    window->openTopic(keyword);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

HelpBrowser* HelpBrowser::showSearch(QWidget* parent) {
    HelpBrowser* window = sharedWindow(parent);
    if (window->m_browser->source().isEmpty()) window->openTopic(QString());
    window->show();
    window->raise();
    window->activateWindow();
    window->m_searchEdit->setFocus();
    window->m_searchEdit->selectAll();
    return window;
}

}  // namespace tko
