#pragma once

#include "camera_scanner.h"

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kestrel {
class CameraScanner;
}

// The Find cameras box: the addresses to search (by default the network of
// the machine's first IPv4 interface that is not loopback), Find, and the
// cameras listed as they answer. Choose, or a double-click on a camera,
// closes the box with that camera's address chosen. The list can be used
// while the search goes on.
class CFindCamerasDlg : public QDialog {
    Q_OBJECT

public:
    explicit CFindCamerasDlg(QWidget* parent = nullptr, kestrel::ScanSettings settings = {});
    ~CFindCamerasDlg() override;

    // The address of the camera chosen; empty until one is.
    QString ChosenAddress() const { return m_chosen; }

    // "a.b.c.d/n" of the network of the machine's first IPv4 interface that
    // is up and not loopback (at most 1024 addresses: a wider network gives
    // the /22 around the address); empty when there is none.
    static QString DefaultRange();
    // The range text of an address and its prefix length, as above.
    static QString RangeAround(quint32 address, int prefixLength);

    QLineEdit* RangeEdit() const { return m_editRange; }
    QPushButton* FindButton() const { return m_btnFind; }
    QPushButton* ChooseButton() const { return m_btnChoose; }
    QTreeWidget* CameraList() const { return m_listCameras; }
    QLabel* StatusLabel() const { return m_status; }

private:
    void OnFind();
    void OnFound(const kestrel::ScanFinding& finding);
    void OnProgress(qint64 tried, qint64 total);
    void OnFinished();
    void Choose(QTreeWidgetItem* item);

    kestrel::CameraScanner* m_scanner = nullptr;
    QLineEdit* m_editRange = nullptr;
    QPushButton* m_btnFind = nullptr;
    QPushButton* m_btnChoose = nullptr;
    QTreeWidget* m_listCameras = nullptr;
    QLabel* m_status = nullptr;
    QString m_chosen;
    qint64 m_total = 0;
    bool m_stopped = false;
};
