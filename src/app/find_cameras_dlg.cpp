#include "find_cameras_dlg.h"

#include "camera_scanner.h"
#include "scan_targets.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr quint16 kCameraPort = 5000;
constexpr int kWidestPrefix = 22; // 1022 hosts: within the search's bound

enum Column { Address, Serial, Model, Hardware, Software, State, Columns };

QString CamerasFound(int found, qint64 addresses) {
    return QStringLiteral("%1 %2 found at %3 %4.")
        .arg(found)
        .arg(found == 1 ? QStringLiteral("camera") : QStringLiteral("cameras"))
        .arg(addresses)
        .arg(addresses == 1 ? QStringLiteral("address") : QStringLiteral("addresses"));
}

} // namespace

CFindCamerasDlg::CFindCamerasDlg(QWidget* parent, kestrel::ScanSettings settings)
    : QDialog(parent), m_scanner(new kestrel::CameraScanner(settings, this)) {
    setWindowTitle(QStringLiteral("Find cameras"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(
        QStringLiteral("Addresses: a.b.c.d, a.b.c.d/n or a.b.c.d-e, each with :PORT when not "
                       "5000, separated by spaces"),
        this));
    auto* row = new QHBoxLayout;
    m_editRange = new QLineEdit(DefaultRange(), this);
    m_btnFind = new QPushButton(QStringLiteral("&Find"), this);
    m_btnFind->setDefault(true);
    row->addWidget(m_editRange, 1);
    row->addWidget(m_btnFind);
    layout->addLayout(row);

    m_listCameras = new QTreeWidget(this);
    m_listCameras->setColumnCount(Columns);
    m_listCameras->setHeaderLabels({QStringLiteral("Address"), QStringLiteral("Serial"),
                                    QStringLiteral("Model"), QStringLiteral("Hardware"),
                                    QStringLiteral("Software"), QStringLiteral("State")});
    m_listCameras->setRootIsDecorated(false);
    m_listCameras->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_listCameras->setMinimumSize(640, 240);
    layout->addWidget(m_listCameras, 1);

    m_status = new QLabel(this);
    layout->addWidget(m_status);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    m_btnChoose = buttons->addButton(QStringLiteral("&Choose"), QDialogButtonBox::AcceptRole);
    m_btnChoose->setEnabled(false);
    layout->addWidget(buttons);

    connect(m_btnFind, &QPushButton::clicked, this, &CFindCamerasDlg::OnFind);
    connect(m_editRange, &QLineEdit::returnPressed, this, &CFindCamerasDlg::OnFind);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_btnChoose, &QPushButton::clicked, this,
            [this] { Choose(m_listCameras->currentItem()); });
    connect(m_listCameras, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { Choose(item); });
    connect(m_listCameras, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item) { m_btnChoose->setEnabled(item != nullptr); });
    connect(m_scanner, &kestrel::CameraScanner::cameraFound, this, &CFindCamerasDlg::OnFound);
    connect(m_scanner, &kestrel::CameraScanner::progress, this, &CFindCamerasDlg::OnProgress);
    connect(m_scanner, &kestrel::CameraScanner::finished, this, &CFindCamerasDlg::OnFinished);
}

CFindCamerasDlg::~CFindCamerasDlg() = default;

QString CFindCamerasDlg::DefaultRange() {
    for (const QNetworkInterface& face : QNetworkInterface::allInterfaces()) {
        const auto flags = face.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : face.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return RangeAround(entry.ip().toIPv4Address(), entry.prefixLength());
        }
    }
    return QString();
}

QString CFindCamerasDlg::RangeAround(quint32 address, int prefixLength) {
    const int bits = std::clamp(prefixLength, kWidestPrefix, 32);
    const quint32 mask = bits == 32 ? 0xFFFFFFFFu : ~((quint32{1} << (32 - bits)) - 1);
    return QString::fromStdString(kestrel::AddressText(address & mask)) + QLatin1Char('/') +
           QString::number(bits);
}

void CFindCamerasDlg::OnFind() {
    if (m_scanner->Searching()) {
        m_stopped = true;
        m_scanner->Stop();
        return;
    }
    std::vector<kestrel::ScanTarget> targets;
    std::uint64_t addresses = 0;
    const QStringList texts =
        m_editRange->text().split(QRegularExpression(QStringLiteral("[\\s,]+")),
                                  Qt::SkipEmptyParts);
    for (const QString& text : texts) {
        const kestrel::TargetReading reading =
            kestrel::ReadScanTarget(text.toStdString(), kCameraPort);
        if (!reading.target) {
            m_status->setText(QString::fromStdString(reading.error) + QLatin1Char('.'));
            return;
        }
        targets.push_back(*reading.target);
        addresses += reading.target->Count();
    }
    if (targets.empty()) {
        m_status->setText(QStringLiteral("Give the addresses to search."));
        return;
    }
    if (addresses > kestrel::kLargeScanAddresses) {
        m_status->setText(QStringLiteral("%1 addresses is more than %2: give a smaller range.")
                              .arg(addresses)
                              .arg(kestrel::kLargeScanAddresses));
        return;
    }
    m_listCameras->clear();
    m_btnChoose->setEnabled(false);
    m_stopped = false;
    m_total = static_cast<qint64>(addresses);
    if (m_scanner->Start(std::move(targets))) {
        m_btnFind->setText(QStringLiteral("&Stop"));
        OnProgress(0, m_total);
    }
}

void CFindCamerasDlg::OnFound(const kestrel::ScanFinding& finding) {
    auto* item = new QTreeWidgetItem;
    item->setText(Address, finding.port == kCameraPort ? finding.address : finding.Endpoint());
    item->setData(Address, Qt::UserRole, finding.address);
    item->setText(Serial, finding.identity.serial);
    item->setText(Model, finding.identity.model);
    item->setText(Hardware, finding.identity.hardware);
    item->setText(Software, finding.identity.software);
    item->setText(State, kestrel::ScanFinding::StateName(finding.state));
    m_listCameras->addTopLevelItem(item);
}

void CFindCamerasDlg::OnProgress(qint64 tried, qint64 total) {
    m_status->setText(QStringLiteral("Searching: %1 of %2 addresses, %3 found")
                          .arg(tried)
                          .arg(total)
                          .arg(m_listCameras->topLevelItemCount()));
}

void CFindCamerasDlg::OnFinished() {
    m_btnFind->setText(QStringLiteral("&Find"));
    const QString found = CamerasFound(m_listCameras->topLevelItemCount(), m_total);
    m_status->setText(m_stopped ? QStringLiteral("Search stopped: ") + found : found);
}

void CFindCamerasDlg::Choose(QTreeWidgetItem* item) {
    if (item == nullptr)
        return;
    m_chosen = item->data(Address, Qt::UserRole).toString();
    accept();
}
