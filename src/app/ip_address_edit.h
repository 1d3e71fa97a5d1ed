#pragma once

#include <QFrame>
#include <QString>

#include <array>

class QKeyEvent;
class QLineEdit;

namespace kestrel {

// An IPv4 address field in the manner of the Windows address control: one
// framed control with four number fields of 0 to 255 between fixed dots.
// Only digits go in; a typed dot or a third digit moves on to the next field,
// Backspace at the start of a field moves back to the previous one, and a
// number above 255 becomes 255. The control is one tab stop as a whole.
class IpAddressEdit : public QFrame {
    Q_OBJECT

public:
    explicit IpAddressEdit(QWidget* parent = nullptr);

    // Dotted decimal without leading zeros; an empty field reads 0, so an
    // empty control reads "0.0.0.0".
    QString address() const;

    // Fills the fields from dotted decimal text; missing or non-numeric
    // parts leave their fields empty, numbers above 255 become 255.
    void setAddress(const QString& address);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    int FieldIndex(const QObject* object) const;
    bool HandleKey(int index, const QKeyEvent& key);
    void OnFieldEdited(int index);
    void EnterField(int index, bool atEnd);

    std::array<QLineEdit*, 4> m_fields{};
};

} // namespace kestrel
