#include "ip_address_edit.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace kestrel {

namespace {

constexpr int kMaxOctet = 255;

// The field's number, or -1 when it is empty.
int FieldValue(const QLineEdit* field) {
    bool ok = false;
    const int value = field->text().toInt(&ok);
    return ok ? value : -1;
}

} // namespace

IpAddressEdit::IpAddressEdit(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setLineWidth(2);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setAccessibleName(QStringLiteral("Camera IP address"));

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(frameWidth(), frameWidth(), frameWidth(), frameWidth());
    row->setSpacing(0);
    auto* validator =
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setTextFormat(Qt::PlainText);
            dot->setAlignment(Qt::AlignCenter);
            dot->setAccessibleName(QStringLiteral("."));
            row->addWidget(dot);
        }
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(3);
        field->setValidator(validator);
        field->setAccessibleName(QStringLiteral("Camera IP address, field %1").arg(i + 1));
        // The first field is the control's tab stop; the others take the
        // focus only when clicked or when typing moves into them.
        field->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, [this, i] { OnFieldEdited(i); });
        row->addWidget(field, 1);
        m_fields[static_cast<size_t>(i)] = field;
    }
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_fields[0]);
}

QString IpAddressEdit::address() const {
    QStringList parts;
    for (const QLineEdit* field : m_fields)
        parts << QString::number(qBound(0, FieldValue(field), kMaxOctet));
    return parts.join(u'.');
}

void IpAddressEdit::setAddress(const QString& address) {
    const QStringList parts = address.split(u'.');
    for (size_t i = 0; i < m_fields.size(); ++i) {
        bool ok = false;
        const int value = i < static_cast<size_t>(parts.size())
                              ? parts[static_cast<qsizetype>(i)].trimmed().toInt(&ok)
                              : 0;
        m_fields[i]->setText(ok && value >= 0 ? QString::number(qMin(value, kMaxOctet))
                                              : QString());
    }
}

int IpAddressEdit::FieldIndex(const QObject* object) const {
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i] == object)
            return static_cast<int>(i);
    }
    return -1;
}

bool IpAddressEdit::eventFilter(QObject* watched, QEvent* event) {
    const int index = FieldIndex(watched);
    if (index >= 0 && event->type() == QEvent::KeyPress)
        return HandleKey(index, *static_cast<QKeyEvent*>(event));
    return QFrame::eventFilter(watched, event);
}

bool IpAddressEdit::HandleKey(int index, const QKeyEvent& key) {
    QLineEdit* field = m_fields[static_cast<size_t>(index)];
    const bool atStart = field->cursorPosition() == 0 && !field->hasSelectedText();
    const bool atEnd = field->cursorPosition() == field->text().size() && !field->hasSelectedText();
    if (key.text() == QStringLiteral(".")) {
        // A dot closes a field that holds a number; anywhere else it is dropped.
        if (!field->text().isEmpty() && index < 3)
            EnterField(index + 1, false);
        return true;
    }
    switch (key.key()) {
    case Qt::Key_Backspace:
        if (atStart && index > 0) {
            EnterField(index - 1, true);
            return true;
        }
        return false;
    case Qt::Key_Left:
        if (atStart && index > 0 && key.modifiers() == Qt::NoModifier) {
            EnterField(index - 1, true);
            return true;
        }
        return false;
    case Qt::Key_Right:
        if (atEnd && index < 3 && key.modifiers() == Qt::NoModifier) {
            m_fields[static_cast<size_t>(index + 1)]->setFocus(Qt::OtherFocusReason);
            m_fields[static_cast<size_t>(index + 1)]->setCursorPosition(0);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void IpAddressEdit::OnFieldEdited(int index) {
    QLineEdit* field = m_fields[static_cast<size_t>(index)];
    if (FieldValue(field) > kMaxOctet)
        field->setText(QString::number(kMaxOctet));
    if (field->text().size() == 3 && field->cursorPosition() == 3 && index < 3)
        EnterField(index + 1, false);
}

void IpAddressEdit::EnterField(int index, bool atEnd) {
    QLineEdit* field = m_fields[static_cast<size_t>(index)];
    field->setFocus(Qt::OtherFocusReason);
    if (atEnd)
        field->setCursorPosition(static_cast<int>(field->text().size()));
    else
        field->selectAll();
}

bool IpAddressEdit::focusNextPrevChild(bool next) {
    // Tab leaves the control as a whole: continue from its last field going
    // forwards, from its first going backwards.
    if (isAncestorOf(QApplication::focusWidget()))
        m_fields[next ? 3 : 0]->setFocus(Qt::OtherFocusReason);
    return QFrame::focusNextPrevChild(next);
}

} // namespace kestrel
