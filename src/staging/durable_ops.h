#pragma once

#include <QString>

class QFileDevice;

// The few file operations that Qt leaves out and a trustworthy copy needs:
// forcing data onto the medium, reading the medium instead of the cache,
// replacing a file in one step. Each returns false and sets `reason` to the
// system's own explanation when it fails.
namespace kestrel::durable {

// Writes everything the system still holds for the open file onto the medium
// and waits until the medium has it.
bool SyncToMedium(QFileDevice& file, QString& reason);

// Asks the system to start writing the given range of the open file to the
// medium now, without waiting, so that the final sync has less left to do.
// Only a hint: where the system has no such request, nothing happens.
void StartWriteBack(QFileDevice& file, qint64 offset, qint64 length);

// Asks the system to forget the cached pages of the open file, so that the
// next reads come from the medium. Only a hint: where the system has no such
// request, nothing happens.
void DropCachedPages(QFileDevice& file);

// Replaces `to` by `from` in one step: a reader sees either the old file or
// the new one, never none and never a mixture. Both lie in one folder.
bool RenameOver(const QString& from, const QString& to, QString& reason);

// Makes the folder's entries (names created, renamed, removed) durable.
bool SyncFolder(const QString& folder, QString& reason);

} // namespace kestrel::durable
