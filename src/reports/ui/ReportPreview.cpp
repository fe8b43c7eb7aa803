#include "reports/ui/ReportPreview.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStatusBar>
#include <QSvgRenderer>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

#include "data/Messages.h"
#include "platform/QtText.h"
#include "platform/ui/MessageBox.h"
#include "reports/ui/PagePainter.h"

namespace tko {

namespace {

constexpr int kFirstFrameNumber = 104;
constexpr int kFirstImageNumber = 204;
constexpr int kCellSpacing = 8;

QSpinBox* numberEntry(QWidget* parent, const char* name, int maximum, int digits) {
    auto* edit = new QSpinBox(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setRange(1, std::max(1, maximum));
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (digits + 4));
    return edit;
}

}  // namespace

ReportPreview::ReportPreview(const QStringList& pages, QWidget* parent)
    : QDialog(parent), m_pages(pages), m_state(static_cast<int>(pages.size())) {
    setObjectName(QStringLiteral("ReportPreview"));
    setWindowTitle(translated("Report Preview"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    buildMenus();
    buildControls();
    resize(900, 760);
    redraw();
}

QAction* ReportPreview::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

void ReportPreview::buildMenus() {
    auto* bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("previewMenuBar"));
    auto add = [this](QMenu* menu, const char* name, const char* text, const char* tip) {
        QAction* a = menu->addAction(translated(text));
        a->setObjectName(QLatin1String(name));
        a->setStatusTip(translated(tip));
        a->setToolTip(translated(tip));
        return a;
    };
    QMenu* file = bar->addMenu(translated("&File"));
    QAction* print = add(file, "printAction", "&Print", "Print the report");
    QAction* saveAction = add(file, "saveAction", "&Save", "Save as .WMF files");
    // The pages are saved as vector files of this system, not metafiles.
    saveAction->setStatusTip(translated("Save the pages as SVG or PDF files"));
    saveAction->setToolTip(saveAction->statusTip());
    file->addSeparator();
    QAction* exit = add(file, "exitAction", "E&xit", "Exit without printing the report");
    QMenu* view = bar->addMenu(translated("&View"));
    QAction* next =
        add(view, "nextAction", "&Next Page(s)", "View the next page or pages of the report");
    QAction* previous = add(view, "previousAction", "&Previous Page(s)",
                            "View the next page or pages of the report");
    QAction* jump =
        add(view, "jumpAction", "&Jump to a page", "Jump to a specific page of the report");
    QAction* display =
        add(view, "changeDisplayAction", "&Change Display", "Change the number of pages displayed");
    next->setShortcut(QKeySequence::MoveToNextPage);
    previous->setShortcut(QKeySequence::MoveToPreviousPage);
    QMenu* zoom = bar->addMenu(translated("&Zoom"));
    auto* zooms = new QActionGroup(this);
    for (PreviewZoom level : kPreviewZooms) {
        QAction* a = zoom->addAction(translated(zoomMenuText(level)));
        a->setObjectName(QStringLiteral("zoomAction%1").arg(static_cast<int>(level)));
        a->setCheckable(true);
        a->setChecked(level == PreviewZoom::Off);
        zooms->addAction(a);
        connect(a, &QAction::triggered, this, [this, level] { setZoom(level); });
    }
    connect(print, &QAction::triggered, this, &ReportPreview::choosePrint);
    connect(saveAction, &QAction::triggered, this, &ReportPreview::save);
    connect(exit, &QAction::triggered, this, &ReportPreview::chooseExit);
    connect(next, &QAction::triggered, this, &ReportPreview::nextPages);
    connect(previous, &QAction::triggered, this, &ReportPreview::previousPages);
    connect(jump, &QAction::triggered, this, &ReportPreview::askJump);
    connect(display, &QAction::triggered, this, &ReportPreview::askDisplay);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(bar);
    auto* tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("previewToolBar"));
    QAction* printTool = tools->addAction(translated("Print"));
    printTool->setObjectName(QStringLiteral("printTool"));
    printTool->setToolTip(translated("Print this report"));
    QAction* exitTool = tools->addAction(translated("Exit"));
    exitTool->setObjectName(QStringLiteral("exitTool"));
    exitTool->setToolTip(translated("Exit without printing the report"));
    QAction* zoomTool = tools->addAction(translated("Zoom"));
    zoomTool->setObjectName(QStringLiteral("zoomTool"));
    zoomTool->setToolTip(translated("Zoom in on a page of the report"));
    connect(printTool, &QAction::triggered, this, &ReportPreview::choosePrint);
    connect(exitTool, &QAction::triggered, this, &ReportPreview::chooseExit);
    connect(zoomTool, &QAction::triggered, this, [this] {
        setZoom(m_state.zoom() == PreviewZoom::Off ? PreviewZoom::PageWidth : PreviewZoom::Off);
    });
    layout->addWidget(tools);
}

void ReportPreview::buildControls() {
    auto* layout = static_cast<QVBoxLayout*>(this->layout());
    auto* fields = new QHBoxLayout;
    fields->setContentsMargins(8, 4, 8, 4);
    m_pageEdit = numberEntry(this, "pageEdit", std::max(1, static_cast<int>(m_pages.size())), 4);
    m_pageEdit->setToolTip(QString::fromStdString(mergeParameters(
        translateText("Enter a page number from 1 to %1"), std::to_string(m_pages.size()))));
    m_acrossEdit = numberEntry(this, "acrossEdit", PreviewState::kMaxGrid, 2);
    m_acrossEdit->setToolTip(translated("Select the number of thumbnails in a row"));
    m_downEdit = numberEntry(this, "downEdit", PreviewState::kMaxGrid, 2);
    m_downEdit->setToolTip(translated("Select the number of thumbnails in a column"));
    m_zoomList = new QComboBox(this);
    m_zoomList->setObjectName(QStringLiteral("zoomList"));
    for (PreviewZoom level : kPreviewZooms) m_zoomList->addItem(translated(zoomEntryText(level)));
    auto label = [this](const char* text, QWidget* buddy) {
        auto* l = new QLabel(translated(text), this);
        l->setBuddy(buddy);
        return l;
    };
    fields->addWidget(label("&Page:", m_pageEdit));
    fields->addWidget(m_pageEdit);
    fields->addSpacing(12);
    fields->addWidget(label("&Across:", m_acrossEdit));
    fields->addWidget(m_acrossEdit);
    fields->addWidget(label("&Down:", m_downEdit));
    fields->addWidget(m_downEdit);
    fields->addSpacing(12);
    fields->addWidget(m_zoomList);
    fields->addStretch(1);
    layout->addLayout(fields);

    m_gridArea = new QScrollArea(this);
    m_gridArea->setObjectName(QStringLiteral("gridArea"));
    m_gridArea->setWidgetResizable(true);
    m_gridHost = new QWidget(m_gridArea);
    m_grid = new QGridLayout(m_gridHost);
    m_grid->setSpacing(kCellSpacing);
    m_grid->setContentsMargins(kCellSpacing, kCellSpacing, kCellSpacing, kCellSpacing);
    m_gridArea->setWidget(m_gridHost);
    m_zoomArea = new QScrollArea(this);
    m_zoomArea->setObjectName(QStringLiteral("zoomArea"));
    m_zoomArea->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_zoomImage = new QLabel(m_zoomArea);
    m_zoomImage->setObjectName(QStringLiteral("zoomImage"));
    m_zoomArea->setWidget(m_zoomImage);
    m_zoomArea->hide();
    m_gridArea->viewport()->installEventFilter(this);
    m_zoomArea->viewport()->installEventFilter(this);
    layout->addWidget(m_gridArea, 1);
    layout->addWidget(m_zoomArea, 1);

    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("previewStatus"));
    status->setSizeGripEnabled(false);
    m_pagesStatus = new QLabel(status);
    m_pagesStatus->setObjectName(QStringLiteral("pagesStatus"));
    m_middleStatus = new QLabel(status);
    m_zoomStatus = new QLabel(status);
    m_zoomStatus->setObjectName(QStringLiteral("zoomStatus"));
    status->addWidget(m_pagesStatus, 2);
    status->addWidget(m_middleStatus, 1);
    status->addWidget(m_zoomStatus, 1);
    layout->addWidget(status);

    connect(m_pageEdit, &QSpinBox::valueChanged, this, [this](int page) {
        if (!m_updating) jumpToPage(page);
    });
    connect(m_acrossEdit, &QSpinBox::valueChanged, this, [this](int across) {
        if (!m_updating) setGrid(across, m_state.down());
    });
    connect(m_downEdit, &QSpinBox::valueChanged, this, [this](int down) {
        if (!m_updating) setGrid(m_state.across(), down);
    });
    connect(m_zoomList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_updating && index >= 0) setZoom(kPreviewZooms[index]);
    });
}

QFrame* ReportPreview::cellFrame(int cell) const {
    return cell >= 1 && cell <= static_cast<int>(m_frames.size()) ? m_frames[cell - 1] : nullptr;
}

QLabel* ReportPreview::cellImage(int cell) const {
    return cell >= 1 && cell <= static_cast<int>(m_images.size()) ? m_images[cell - 1] : nullptr;
}

void ReportPreview::ensureCells(int count) {
    while (static_cast<int>(m_frames.size()) < count) {
        const int index = static_cast<int>(m_frames.size());
        auto* frame = new QFrame(m_gridHost);
        frame->setObjectName(QStringLiteral("frame%1").arg(kFirstFrameNumber + index));
        frame->setFrameShape(QFrame::Box);
        auto* image = new QLabel(frame);
        image->setObjectName(QStringLiteral("image%1").arg(kFirstImageNumber + index));
        image->setAlignment(Qt::AlignCenter);
        auto* inside = new QVBoxLayout(frame);
        inside->setContentsMargins(1, 1, 1, 1);
        inside->addWidget(image);
        m_frames.push_back(frame);
        m_images.push_back(image);
    }
}

QPixmap ReportPreview::renderPage(int page, const QSize& size) const {
    QPixmap pixmap(size.expandedTo(QSize(1, 1)));
    pixmap.fill(Qt::white);
    if (page < 1 || page > m_pages.size()) return pixmap;
    QSvgRenderer renderer(m_pages[page - 1]);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(pixmap.size())));
    return pixmap;
}

void ReportPreview::redraw() {
    m_updating = true;
    m_pageEdit->setValue(std::max(1, m_state.firstPage()));
    m_acrossEdit->setValue(m_state.across());
    m_downEdit->setValue(m_state.down());
    for (size_t i = 0; i < std::size(kPreviewZooms); ++i)
        if (kPreviewZooms[i] == m_state.zoom()) {
            m_zoomList->setCurrentIndex(static_cast<int>(i));
            if (QAction* a = action(QStringLiteral("zoomAction%1").arg(static_cast<int>(i))))
                a->setChecked(true);
        }
    m_updating = false;

    const QSizeF page = svgPageSize() * (logicalDpiX() / 72.0);
    if (m_state.zoom() == PreviewZoom::Off) {
        m_zoomArea->hide();
        m_gridArea->show();
        const int cells = m_state.pagesShown();
        ensureCells(cells);
        // Frame line and the image's margin, on both sides.
        const int cellExtra = 2 * (m_frames.front()->frameWidth() + 1);
        const QSize cellSize = thumbnailSize(m_gridArea->viewport()->size(), page, m_state.across(),
                                             m_state.down(), kCellSpacing, cellExtra);
        for (int i = 0; i < static_cast<int>(m_frames.size()); ++i) {
            QFrame* frame = m_frames[static_cast<size_t>(i)];
            QLabel* image = m_images[static_cast<size_t>(i)];
            m_grid->removeWidget(frame);
            const int pageNumber = i < cells ? m_state.pageInCell(i + 1) : 0;
            if (i >= cells) {
                frame->hide();
                image->hide();
                continue;
            }
            m_grid->addWidget(frame, i / m_state.across(), i % m_state.across());
            if (pageNumber == 0) {
                frame->hide();
                image->hide();
                continue;
            }
            image->setPixmap(renderPage(pageNumber, cellSize));
            image->setToolTip(QString::fromStdString(
                mergeParameters(translateText("Page %1 of %2"), std::to_string(pageNumber),
                                std::to_string(m_pages.size()))));
            frame->show();
            image->show();
        }
    } else {
        m_gridArea->hide();
        m_zoomArea->show();
        const double factor =
            m_state.zoomFactor(m_zoomArea->viewport()->width() - 2 * kCellSpacing, page.width());
        const QSize size(static_cast<int>(page.width() * factor),
                         static_cast<int>(page.height() * factor));
        m_zoomImage->setPixmap(renderPage(m_state.firstPage(), size));
        m_zoomImage->resize(size);
    }
    if (m_state.navigationApplies()) {
        action(QStringLiteral("previousAction"))->setEnabled(m_state.previousEnabled());
        action(QStringLiteral("nextAction"))->setEnabled(m_state.nextEnabled());
    }
    m_pagesStatus->setText(m_state.statusText());
    m_zoomStatus->setText(m_state.zoomText());
}

void ReportPreview::nextPages() {
    m_state.next();
    redraw();
}

void ReportPreview::previousPages() {
    m_state.previous();
    redraw();
}

void ReportPreview::jumpToPage(int page) {
    m_state.jumpTo(page);
    redraw();
}

void ReportPreview::setGrid(int across, int down) {
    m_state.setGrid(across, down);
    redraw();
}

void ReportPreview::setZoom(PreviewZoom zoom) {
    m_state.setZoom(zoom);
    redraw();
}

void ReportPreview::choosePrint() {
    m_print = true;
    accept();
}

void ReportPreview::chooseExit() {
    m_print = false;
    reject();
}

void ReportPreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    redraw();
}

bool ReportPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize &&
        (watched == m_gridArea->viewport() || watched == m_zoomArea->viewport()))
        redrawLater();
    return QDialog::eventFilter(watched, event);
}

void ReportPreview::redrawLater() {
    // Once per round of the event loop: a scroll bar coming or going resizes
    // the view again while the layout settles.
    if (m_redrawPending) return;
    m_redrawPending = true;
    QTimer::singleShot(0, this, [this] {
        m_redrawPending = false;
        redraw();
    });
}

void ReportPreview::askJump() {
    JumpToPageDialog dialog(m_state.firstPage(), m_state.pageCount(), this);
    if (dialog.exec() == QDialog::Accepted) jumpToPage(dialog.page());
}

void ReportPreview::askDisplay() {
    ChangeDisplayDialog dialog(m_state.across(), m_state.down(), this);
    if (dialog.exec() == QDialog::Accepted)
        setGrid(dialog.acrossEdit()->value(), dialog.downEdit()->value());
}

void ReportPreview::save() {
    const QString home = QDir::currentPath();
    const QString svg = translated("Scalable Vector Graphics") + QStringLiteral(" (*.SVG *.svg)");
    const QString pdf = translated("PDF Files") + QStringLiteral(" (*.PDF *.pdf)");
    QString filter = svg;
    const QString chosen =
        QFileDialog::getSaveFileName(this, translated("File name for image files"), QString(),
                                     svg + QStringLiteral(";;") + pdf, &filter);
    QDir::setCurrent(home);
    if (chosen.isEmpty()) return;
    const bool asPdf =
        filter == pdf || chosen.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
    saveAs(chosen, asPdf ? QStringLiteral(".pdf") : QStringLiteral(".svg"));
}

int ReportPreview::saveAs(const QString& chosen, const QString& extension) {
    const bool asPdf = extension.compare(QStringLiteral(".pdf"), Qt::CaseInsensitive) == 0;
    int written = 0;
    for (int page = 1; page <= m_pages.size(); ++page) {
        const QString target = savedPageName(chosen, page, extension);
        QString error;
        if (asPdf) {
            // Drawn again from the page's data, so that its text stays text.
            ReportPage data;
            if (!loadPageData(pageDataPath(m_pages[page - 1]), data)) {
                error = translated("The page could not be read.");
            } else {
                PdfReportFile file(target);
                if (!file.begin() || !file.addPage(data) || !file.finish()) {
                    error = file.errorText();
                    file.abort();
                }
            }
        } else {
            if (QFile::exists(target)) QFile::remove(target);
            QFile source(m_pages[page - 1]);
            if (!source.copy(target)) error = source.errorString();
        }
        if (!error.isEmpty()) {
            MessageBox::showText(this, QStringLiteral("%1 %2"), translated("Report Preview"),
                                 MessageButtons::Ok, {error, target}, MessageBox::Icon::Warning);
            return written;
        }
        ++written;
    }
    return written;
}

bool ReportPreview::run(QWidget* parent, const QStringList& pages) {
    ReportPreview preview(pages, parent);
    return preview.exec() == QDialog::Accepted && preview.printChosen();
}

// ---- dialogs -----------------------------------------------------------------

JumpToPageDialog::JumpToPageDialog(int current, int pageCount, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("JumpToPage"));
    setWindowTitle(translated("Jump to a Report Page"));
    m_page = numberEntry(this, "pageEdit", std::max(1, pageCount), 5);
    m_page->setValue(std::clamp(current, 1, std::max(1, pageCount)));
    auto* form = new QFormLayout;
    form->addRow(translated("&Page:"), m_page);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(translated("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    buttons->addButton(translated("Cancel"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("cancelButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

int JumpToPageDialog::page() const {
    return m_page->value();
}

ChangeDisplayDialog::ChangeDisplayDialog(int across, int down, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ChangeDisplay"));
    setWindowTitle(translated("Change the Report Display"));
    auto* group = new QGroupBox(translated("Pages Displayed"), this);
    m_across = numberEntry(group, "acrossEdit", PreviewState::kMaxGrid, 2);
    m_across->setValue(across);
    m_down = numberEntry(group, "downEdit", PreviewState::kMaxGrid, 2);
    m_down->setValue(down);
    auto* form = new QFormLayout(group);
    form->addRow(translated("Across"), m_across);
    form->addRow(translated("Down"), m_down);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(translated("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
}

}  // namespace tko
