#include "platform/ui/HelpBrowser.h"

#include "platform/Translate.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHash>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QVBoxLayout>

// Resources of a static library are registered by name, outside any namespace.
static void initHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace tko {

namespace {

QString tr_(const char* source) {
    return QString::fromStdString(translateText(source));
}

// Keyword (without '~') -> page, read once from the anchors of every page.
const QHash<QString, QString>& keywordPages() {
    static const QHash<QString, QString> pages = [] {
        initHelpResources();
        QHash<QString, QString> map;
        static const QRegularExpression anchor(QStringLiteral("(?:id|name)=\"~([^\"]+)\""));
        // Every page of the help resources: a new topic needs only its page.
        const QStringList files =
            QDir(QStringLiteral(":/help")).entryList({QStringLiteral("*.html")}, QDir::Files);
        for (const QString& file : files) {
            QFile page(QStringLiteral(":/help/") + file);
            if (!page.open(QIODevice::ReadOnly)) continue;
            const QString html = QString::fromUtf8(page.readAll());
            for (auto it = anchor.globalMatch(html); it.hasNext();)
                map.insert(it.next().captured(1), file);
        }
        return map;
    }();
    return pages;
}

}  // namespace

QUrl HelpBrowser::indexUrl() {
    return QUrl(QStringLiteral("qrc:/help/index.html"));
}

QUrl HelpBrowser::topicUrl(const QString& keyword) {
    QString key = keyword.trimmed();
    if (key.startsWith(QLatin1Char('~'))) key.remove(0, 1);
    const auto it = keywordPages().find(key);
    if (it == keywordPages().end()) return {};
    QUrl url(QStringLiteral("qrc:/help/") + it.value());
    url.setFragment(QLatin1Char('~') + key);
    return url;
}

HelpBrowser::HelpBrowser(QWidget* parent) : QDialog(parent) {
    initHelpResources();
    setObjectName(QStringLiteral("helpBrowser"));
    setWindowTitle(tr_("TASKORBIT Help"));
    m_browser = new QTextBrowser(this);
    m_browser->setObjectName(QStringLiteral("helpText"));
    m_browser->setOpenExternalLinks(true);

    auto* contents = new QPushButton(tr_("Contents"), this);
    contents->setObjectName(QStringLiteral("contentsButton"));
    auto* back = new QPushButton(tr_("Back"), this);
    back->setObjectName(QStringLiteral("backButton"));
    auto* close = new QPushButton(tr_("Close"), this);
    close->setObjectName(QStringLiteral("closeButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch();
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    resize(640, 520);

    connect(contents, &QPushButton::clicked, this, [this] { m_browser->setSource(indexUrl()); });
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    back->setEnabled(false);
}

void HelpBrowser::openTopic(const QString& keyword) {
    const QUrl url = topicUrl(keyword);
    m_browser->setSource(url.isEmpty() ? indexUrl() : url);
}

HelpBrowser* HelpBrowser::showHelp(const QString& keyword, QWidget* parent) {
    static QPointer<HelpBrowser> window;
    if (!window) {
        window = new HelpBrowser(parent ? parent->window() : nullptr);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    window->openTopic(keyword);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

}  // namespace tko
