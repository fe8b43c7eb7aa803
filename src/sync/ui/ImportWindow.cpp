#include "sync/ui/ImportWindow.h"

#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "platform/Picture.h"
#include "platform/QtText.h"
#include "platform/ui/WindowTranslation.h"

namespace tko {

namespace {

constexpr const char* kTitle = "Import Tasks";

struct FormatChoice {
    const char* text;
    sync::ImportFormat format;
};
constexpr FormatChoice kFormats[] = {
    {"iCalendar to-dos (.ics)", sync::ImportFormat::Ics},
    {"CSV with a header row (.csv)", sync::ImportFormat::Csv},
    {"Taskwarrior export (.json)", sync::ImportFormat::Taskwarrior},
};

}  // namespace

ImportWindow::ImportWindow(Workspace& workspace, QWidget* parent)
    : QDialog(parent), m_workspace(workspace) {
    setObjectName(QStringLiteral("ImportWindow"));
    setWindowTitle(translated(kTitle));
    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("formatCombo"));
    for (const FormatChoice& f : kFormats) m_format->addItem(translated(f.text));
    m_file = new QLineEdit(this);
    m_file->setObjectName(QStringLiteral("fileEdit"));
    auto* browseButton = new QPushButton(QStringLiteral("..."), this);
    browseButton->setObjectName(QStringLiteral("browseButton"));
    m_person = new QLineEdit(this);
    m_person->setObjectName(QStringLiteral("personEdit"));
    m_person->setPlaceholderText(qs(store::rtrim(workspace.session.GlobalUser)));
    m_person->setToolTip(translated("The person the tasks are given to when the file names none"));
    m_mapping = new QLineEdit(this);
    m_mapping->setObjectName(QStringLiteral("mappingEdit"));
    m_mapping->setToolTip(translated("CSV columns, as name=Title,due=Due Date"));
    m_preview = new QPushButton(translated("&Preview"), this);
    m_preview->setObjectName(QStringLiteral("previewButton"));
    m_import = new QPushButton(translated("&Import"), this);
    m_import->setObjectName(QStringLiteral("importButton"));
    auto* closeButton = new QPushButton(translated("&Close"), this);
    closeButton->setObjectName(QStringLiteral("closeButton"));
    m_table = new QTableWidget(0, 5, this);
    m_table->setObjectName(QStringLiteral("resultTable"));
    m_table->setHorizontalHeaderLabels({translated("Task"), translated("Name"),
                                        translated("Person"), translated("Due Date"),
                                        translated("Result")});
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("summaryLabel"));
    m_summary->setWordWrap(true);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file);
    fileRow->addWidget(browseButton);
    auto* form = new QFormLayout;
    form->addRow(translated("Kind of file:"), m_format);
    form->addRow(translated("File:"), fileRow);
    form->addRow(translated("Person:"), m_person);
    form->addRow(translated("CSV columns:"), m_mapping);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_preview);
    buttons->addWidget(m_import);
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_table);
    layout->addWidget(m_summary);
    layout->addLayout(buttons);
    resize(720, 480);

    connect(browseButton, &QPushButton::clicked, this, &ImportWindow::browse);
    connect(m_preview, &QPushButton::clicked, this, [this] { run(true); });
    connect(m_import, &QPushButton::clicked, this, [this] { run(false); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_format, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_mapping->setEnabled(kFormats[index].format == sync::ImportFormat::Csv);
    });
    m_mapping->setEnabled(false);
}

void ImportWindow::browse() {
    const QString path = QFileDialog::getOpenFileName(this, translated(kTitle), m_file->text());
    if (!path.isEmpty()) m_file->setText(path);
}

bool ImportWindow::run(bool preview) {
    m_table->setRowCount(0);
    const sync::ImportFormat format = kFormats[m_format->currentIndex()].format;
    auto refuse = [this](const QString& text) {
        m_summary->setText(text);
        return false;
    };
    sync::CsvMapping mapping;
    std::string error;
    if (format == sync::ImportFormat::Csv &&
        !sync::parseCsvMapping(m_mapping->text().toStdString(), mapping, error))
        return refuse(qs(error));
    QFile file(m_file->text());
    if (m_file->text().isEmpty() || !file.open(QIODevice::ReadOnly))
        return refuse(translated("The file cannot be read."));
    std::vector<sync::ImportItem> items;
    if (!sync::readImportFile(format, file.readAll().toStdString(), mapping, items, error))
        return refuse(qs(error));
    sync::ImportOptions options;
    options.person = m_person->text().trimmed().toStdString();
    options.preview = preview;
    const sync::ImportReport report = sync::importAssignments(
        *m_workspace.db, m_workspace.session, items, options, Clock::today(), Clock::now());
    show(report, preview);
    return true;
}

void ImportWindow::show(const sync::ImportReport& report, bool preview) {
    auto addRow = [this](const sync::ImportLine& line, const QString& result) {
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        const QStringList cells{QString::number(line.source), qs(line.name), qs(line.person),
                                formatDate(line.due, u"@D17b"), result};
        for (int c = 0; c < cells.size(); ++c)
            m_table->setItem(row, c, new QTableWidgetItem(cells[c]));
    };
    for (const sync::ImportLine& line : report.created) {
        QString result = preview ? translated("will be created")
                                 : translated("created as number %1").arg(line.number);
        if (!line.note.empty()) result += QStringLiteral("; ") + qs(line.note);
        addRow(line, result);
    }
    for (const sync::ImportLine& line : report.refused)
        addRow(line, translated("refused: %1").arg(qs(line.note)));
    QString summary =
        (preview ? translated("%1 would be created, %2 refused, %3 concluded left out.")
                 : translated("%1 created, %2 refused, %3 concluded left out."))
            .arg(report.created.size())
            .arg(report.refused.size())
            .arg(report.concluded);
    if (report.failed)
        summary += QLatin1Char('\n') + translated("The import stopped: %1").arg(qs(report.failure));
    m_summary->setText(summary);
}

void registerImportScreens(Procedures& procedures) {
    procedures.add(QLatin1String(kImportTasksProcedure), [](QWidget* parent, Workspace& workspace) {
        ImportWindow window(workspace, parent);
        translateWindow(&window);
        window.exec();
    });
}

}  // namespace tko
