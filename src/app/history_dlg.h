#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

// The History box: the operations of the bench's production history, newest
// first, one row each (local time, bench, operator, face, action, serial,
// model, hardware before -> after, target, result, changed, seconds), at most
// the newest kShownAtMost that match the serial filter, and Export CSV…,
// which writes every operation that matches. Reading and exporting run on a
// worker thread: the window, and a run it follows, go on meanwhile.
class CHistoryDlg : public QDialog {
    Q_OBJECT

public:
    static constexpr int kShownAtMost = 1000;

    CHistoryDlg(const QString& historyPath, QWidget* parent = nullptr);
    ~CHistoryDlg() override;

    // Reads the history again with the serial filter as it stands.
    void Refresh();
    // Writes the operations that match the filter to file, as CSV.
    void ExportTo(const QString& file);

    QLineEdit* SerialEdit() const { return m_editSerial; }
    QTreeWidget* OperationList() const { return m_list; }
    QLabel* StatusLabel() const { return m_status; }
    QPushButton* ExportButton() const { return m_btnExport; }

signals:
    // The rows were shown after a read; the export ended (ok: written).
    void shown();
    void exported(bool ok);

private:
    void ChooseExportFile();

    QString m_path;
    QLineEdit* m_editSerial = nullptr;
    QPushButton* m_btnShow = nullptr;
    QTreeWidget* m_list = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_btnExport = nullptr;
    quint64 m_reads = 0; // the newest read; an older one's rows are dropped
};
