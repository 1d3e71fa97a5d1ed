#pragma once

#include <QString>

#include <utility>

namespace kestrel {

// Where each chooser of the window was last left: the folder of its last
// choice, kept in the application's settings, so that the next run of the
// program opens the chooser there again. A chooser is known by a name of
// its own (a file chooser by the first entry of its type list).
class ChooserMemory {
public:
    explicit ChooserMemory(QString chooser) : m_chooser(std::move(chooser)) {}

    // The folder to open the chooser in: the remembered one or, when it is
    // gone (a stick taken out), the nearest folder above it that is still
    // there; empty when nothing is remembered or nothing of it is left.
    QString StartFolder() const;

    // Remembers folder as the folder of this chooser's last choice.
    void Remember(const QString& folder) const;

private:
    QString m_chooser;
};

} // namespace kestrel
