#include "history_dlg.h"

#include "csv_line.h"
#include "history_read.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <string>

namespace kestrel::texts {
namespace {

QString HistoryTitle() {
    return QStringLiteral("History");
}
QString Reading() {
    return QStringLiteral("Reading the history\u2026");
}
QString NoHistoryYet(const QString& path) {
    return QStringLiteral("No operations recorded yet: the history %1 does not exist yet.")
        .arg(QDir::toNativeSeparators(path));
}
QString OperationsShown(std::size_t count, bool capped) {
    if (capped)
        return QStringLiteral("The newest %1 operations that match are shown; Export CSV\u2026 "
                              "writes them all.")
            .arg(count);
    return count == 1 ? QStringLiteral("1 operation, newest first.")
                      : QStringLiteral("%1 operations, newest first.").arg(count);
}
QString Exported(std::size_t count, const QString& file) {
    const QString written = count == 1 ? QStringLiteral("1 operation written to %1.")
                                       : QStringLiteral("%1 operations written to %2.").arg(count);
    return written.arg(QDir::toNativeSeparators(file));
}
QString ExportFailed(const QString& file, const QString& reason) {
    return QStringLiteral("The export %1 was not written: %2.")
        .arg(QDir::toNativeSeparators(file), reason);
}

} // namespace
} // namespace kestrel::texts

namespace {

namespace texts = kestrel::texts;

// The table's columns, each by the export's column it shows.
struct Column {
    const char* title;
    const char* field; // in OperationCsvHeader(); null: said below
};
constexpr Column kColumns[] = {
    {"Time", nullptr},    {"Bench", "bench"},   {"Operator", "operator"}, {"Face", "face"},
    {"Action", "action"}, {"Serial", "serial"}, {"Model", "model"},       {"Hardware", nullptr},
    {"Target", "target"}, {"Result", "result"}, {"Changed", "changed"},   {"Seconds", "seconds"},
};

QString Field(const std::vector<std::string>& fields, const char* name) {
    static const std::vector<std::string> header = kestrel::OperationCsvHeader();
    const auto at = std::find(header.begin(), header.end(), name);
    return QString::fromStdString(fields.at(static_cast<std::size_t>(at - header.begin())));
}

QStringList RowOf(const kestrel::Operation& op) {
    const std::vector<std::string> fields = kestrel::OperationCsvFields(op);
    QStringList row;
    for (const Column& column : kColumns) {
        if (column.field) {
            row << Field(fields, column.field);
            continue;
        }
        if (QLatin1String(column.title) == QLatin1String("Time")) {
            row << QDateTime::fromMSecsSinceEpoch(op.begin.timeMs)
                       .toLocalTime()
                       .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
            continue;
        }
        const QString before = Field(fields, "hardware before");
        const QString after = Field(fields, "hardware after");
        row << (after.isEmpty() ? before : before + QStringLiteral(" \u2192 ") + after);
    }
    return row;
}

// What an export did: how many operations it wrote, or why it wrote none.
struct ExportResult {
    std::size_t count = 0;
    QString failure;
};

ExportResult Export(const QString& history, kestrel::OperationFilter filter, const QString& file) {
    filter.last = 0;
    const kestrel::HistoryReading reading = kestrel::ReadHistory(history, filter);
    if (!reading.failure.isEmpty())
        return {0, reading.failure};
    const std::string csv = kestrel::OperationsCsv(reading.operations);
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()) ||
        !out.commit())
        return {0, texts::ExportFailed(file, out.errorString())};
    return {reading.operations.size(), QString()};
}

} // namespace

CHistoryDlg::CHistoryDlg(const QString& historyPath, QWidget* parent)
    : QDialog(parent), m_path(historyPath) {
    setWindowTitle(texts::HistoryTitle());
    auto* filter = new QHBoxLayout;
    auto* serialLabel = new QLabel(QStringLiteral("&Serial number:"), this);
    m_editSerial = new QLineEdit(this);
    m_editSerial->setClearButtonEnabled(true);
    serialLabel->setBuddy(m_editSerial);
    m_btnShow = new QPushButton(QStringLiteral("&Show"), this);
    m_btnShow->setDefault(true);
    filter->addWidget(serialLabel);
    filter->addWidget(m_editSerial, 1);
    filter->addWidget(m_btnShow);

    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    QStringList titles;
    for (const Column& column : kColumns)
        titles << QString::fromLatin1(column.title);
    m_list->setHeaderLabels(titles);
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);

    m_status = new QLabel(this);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setWordWrap(true);
    m_btnExport = new QPushButton(QStringLiteral("&Export CSV\u2026"), this);
    m_btnExport->setAutoDefault(false);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_status, 1);
    buttons->addWidget(m_btnExport);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filter);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(960, 420);

    connect(m_btnShow, &QPushButton::clicked, this, &CHistoryDlg::Refresh);
    connect(m_editSerial, &QLineEdit::returnPressed, this, &CHistoryDlg::Refresh);
    connect(m_btnExport, &QPushButton::clicked, this, &CHistoryDlg::ChooseExportFile);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    Refresh();
}

CHistoryDlg::~CHistoryDlg() = default;

void CHistoryDlg::Refresh() {
    const quint64 read = ++m_reads;
    kestrel::OperationFilter filter;
    filter.serial = m_editSerial->text().trimmed().toStdString();
    filter.last = kShownAtMost + 1; // one more tells that there are more
    m_status->setText(texts::Reading());
    auto* watcher = new QFutureWatcher<kestrel::HistoryReading>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, read] {
        watcher->deleteLater();
        if (read != m_reads)
            return; // a newer read is on its way
        const kestrel::HistoryReading reading = watcher->result();
        m_list->clear();
        const std::size_t count =
            std::min(reading.operations.size(), static_cast<std::size_t>(kShownAtMost));
        QList<QTreeWidgetItem*> rows;
        for (std::size_t i = 0; i < count; ++i)
            rows << new QTreeWidgetItem(RowOf(reading.operations[i]));
        m_list->addTopLevelItems(rows);
        if (!reading.exists)
            m_status->setText(texts::NoHistoryYet(m_path));
        else if (!reading.failure.isEmpty())
            m_status->setText(reading.failure);
        else
            m_status->setText(texts::OperationsShown(count, reading.operations.size() > count));
        emit shown();
    });
    watcher->setFuture(QtConcurrent::run(kestrel::ReadHistory, m_path, filter));
}

void CHistoryDlg::ChooseExportFile() {
    const QString file = QFileDialog::getSaveFileName(
        this, QStringLiteral("Export CSV"), QDir::home().filePath(QStringLiteral("history.csv")),
        QStringLiteral("CSV files (*.csv);;All Files (*)"));
    if (!file.isEmpty())
        ExportTo(file);
}

void CHistoryDlg::ExportTo(const QString& file) {
    kestrel::OperationFilter filter;
    filter.serial = m_editSerial->text().trimmed().toStdString();
    m_btnExport->setEnabled(false);
    auto* watcher = new QFutureWatcher<ExportResult>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, file] {
        watcher->deleteLater();
        const ExportResult result = watcher->result();
        m_btnExport->setEnabled(true);
        m_status->setText(result.failure.isEmpty() ? texts::Exported(result.count, file)
                                                   : result.failure);
        emit exported(result.failure.isEmpty());
    });
    watcher->setFuture(QtConcurrent::run(Export, m_path, filter, file));
}
