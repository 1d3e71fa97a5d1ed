#include "file_stager.h"

#include "destination_path.h"
#include "durable_ops.h"
#include "progress_book.h"
#include "published_sums.h"
#include "staging_texts.h"
#include "verified_copy.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>
#include <future>
#include <memory>
#include <optional>
#include <vector>

namespace kestrel {

namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;

// The read-back of a written file, running on its own thread.
struct PendingCheck {
    int item;
    qint64 size;
    QByteArray digest;            // of the source
    std::future<QString> failure; // empty when the file was verified
};

QString Shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

class FileStager {
public:
    FileStager(const StagingPlan& plan, const StagingProgressSink& progress)
        : m_plan(plan), m_progress(progress) {
        for (const StagingItem& item : plan.items) {
            m_finalPaths << JoinFolderAndName(plan.folder, item.finalName);
            m_tempPaths << JoinFolderAndName(plan.folder, TemporaryNameFor(item.finalName));
        }
    }

    // The checks a copy makes before the stick is touched, and no more; each
    // source is read whether or not a SHA-256 is expected for it.
    StagingOutcome Check() {
        m_checkOnly = true;
        m_outcome.succeeded = OpenSources() && CheckSources();
        // The files before a refused one passed.
        const std::size_t passed =
            m_outcome.succeeded ? m_checked.size()
                                : std::min(m_checked.size(), std::size_t(m_outcome.failedItem));
        for (std::size_t i = 0; i < passed; ++i)
            m_outcome.verified << VerifiedFile{m_sizes[i], m_checked[i].digest, m_checked[i].from,
                                               m_checked[i].signer};
        return m_outcome;
    }

    StagingOutcome Run() {
        // Nothing on the stick changes before the sources have passed their checks.
        const bool done = CheckFolder() && RejectLeftoverSources() && OpenSources() &&
                          CheckSources() && RemoveLeftovers() && CheckFreeSpace() &&
                          CopyAndVerifyAll() && CheckFinalNames() && Commit() && SyncFolder();
        m_outcome.succeeded = done;
        if (!done)
            RemoveTemporaries();
        return m_outcome;
    }

private:
    bool Fail(int item, const QString& reason) {
        m_outcome.failedItem = item;
        m_outcome.reason = reason;
        return false;
    }

    bool CheckFolder() {
        const QFileInfo folder(m_plan.folder);
        if (!folder.exists())
            return Fail(-1, texts::FolderMissing(Shown(m_plan.folder)));
        if (!folder.isDir())
            return Fail(-1, texts::NotAFolder(Shown(m_plan.folder)));
        return true;
    }

    // A source chosen among the leftovers would be removed below.
    bool RejectLeftoverSources() {
        for (int i = 0; i < m_plan.items.size(); ++i) {
            const QString source = QFileInfo(m_plan.items[i].sourcePath).canonicalFilePath();
            for (const QString& temp : m_tempPaths) {
                if (!source.isEmpty() && source == QFileInfo(temp).canonicalFilePath())
                    return Fail(i, texts::SourceIsLeftover(Shown(m_plan.items[i].sourcePath)));
            }
        }
        return true;
    }

    bool RemoveLeftovers() {
        for (const QString& temp : m_tempPaths) {
            const QFileInfo leftover(temp);
            if (!leftover.exists() && !leftover.isSymLink())
                continue;
            QFile file(temp);
            if (!file.remove())
                return Fail(-1, texts::CannotRemoveLeftover(Shown(temp), file.errorString()));
        }
        return true;
    }

    bool OpenSources() {
        for (int i = 0; i < m_plan.items.size(); ++i) {
            const QString& path = m_plan.items[i].sourcePath;
            if (QFileInfo(path).isDir())
                return Fail(i, texts::SourceIsFolder(Shown(path)));
            auto source = std::make_unique<QFile>(path);
            if (!source->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
                return Fail(i, texts::CannotOpenSource(Shown(path), source->errorString()));
            const qint64 size = source->size();
            if (size <= 0)
                return Fail(i, texts::SourceEmpty(Shown(path)));
            m_sizes.push_back(size);
            m_sources.push_back(std::move(source));
            m_total += 2 * size; // written once, read back once
        }
        return true;
    }

    bool CheckSources() {
        // Read once for the whole copy, so that every file is judged alike.
        const SiteTrust trust = ReadSiteTrust(SiteKeyFolders(), SitePolicyFile());
        qint64 before = 0; // bytes of the items checked before this one
        for (int i = 0; i < m_plan.items.size(); ++i) {
            const qint64 size = m_sizes[static_cast<size_t>(i)];
            // A copy counts what it writes and reads back; the checks alone, what they read.
            const auto checking = [this, i, size, before](qint64 done) {
                m_progress({i, StagingProgress::Phase::Checking, done, size,
                            m_checkOnly ? before + done : 0, m_checkOnly ? m_total / 2 : m_total});
            };
            before += size;
            QString reason;
            if (!CheckSource(m_plan.items[i], *m_sources[static_cast<size_t>(i)], size, trust,
                             checking, m_checked.emplace_back(), reason, m_checkOnly))
                return Fail(i, reason);
        }
        return true;
    }

    // The old files stay until the new ones are verified, so the new ones
    // must fit beside them.
    bool CheckFreeSpace() {
        QStorageInfo storage(m_plan.folder);
        if (!storage.isValid() || !storage.isReady())
            return true; // unknown: the checked writes will tell
        const qint64 block = storage.blockSize() > 0 ? storage.blockSize() : 1;
        qint64 needed = 0;
        for (const qint64 size : m_sizes)
            needed += (size + block - 1) / block * block;
        const qint64 available = storage.bytesAvailable();
        if (available < needed)
            return Fail(-1, texts::NotEnoughSpace(needed / kMegabyte, available / kMegabyte));
        return true;
    }

    // The read-back of one file runs beside the writing of the next: the
    // medium reads and writes at once, and the check costs little extra time.
    bool CopyAndVerifyAll() {
        ProgressBook book(m_progress, m_total);
        std::optional<PendingCheck> pending; // destroyed (and so joined) before book
        for (int i = 0; i < m_plan.items.size(); ++i) {
            QByteArray digest;
            QString reason;
            const bool copied = CopyItem(i, book, digest, reason);
            // The earlier file's result comes first, also when this one failed.
            if (pending && !FinishCheck(*pending))
                return false;
            pending.reset();
            if (!copied)
                return Fail(i, reason);
            pending.emplace(StartCheck(i, digest, book));
        }
        return !pending || FinishCheck(*pending);
    }

    bool CopyItem(int i, ProgressBook& book, QByteArray& digest, QString& reason) {
        const qint64 size = m_sizes[static_cast<size_t>(i)];
        QFile& source = *m_sources[static_cast<size_t>(i)];
        book.Copying(i, size, 0);
        m_created << m_tempPaths[i];
        const bool copied = CopyToNewFile(
            source, size, m_tempPaths[i], digest,
            [&book, i, size](qint64 done) { book.Copying(i, size, done); }, reason,
            m_checked[static_cast<size_t>(i)].digest);
        source.close(); // a source may be one of the files replaced below
        book.CopyEnded();
        return copied;
    }

    PendingCheck StartCheck(int i, const QByteArray& digest, ProgressBook& book) {
        const qint64 size = m_sizes[static_cast<size_t>(i)];
        const QString path = m_tempPaths[i];
        // Where no thread can be had, the check runs when its result is asked for.
        auto check = [&book, i, size, path, digest] {
            QString reason;
            book.Verifying(i, size, 0);
            const bool verified = VerifyFile(
                path, size, digest,
                [&book, i, size](qint64 done) { book.Verifying(i, size, done); }, reason);
            book.VerifyEnded();
            return verified ? QString() : reason;
        };
        return {i, size, digest, std::async(std::launch::async | std::launch::deferred, check)};
    }

    bool FinishCheck(PendingCheck& check) {
        const QString reason = check.failure.get();
        if (!reason.isEmpty())
            return Fail(check.item, reason);
        const CheckedSource& checked = m_checked[static_cast<size_t>(check.item)];
        m_outcome.verified << VerifiedFile{check.size, check.digest, checked.from, checked.signer};
        return true;
    }

    bool CheckFinalNames() {
        for (int i = 0; i < m_finalPaths.size(); ++i) {
            if (QFileInfo(m_finalPaths[i]).isDir())
                return Fail(i, texts::FinalNameIsFolder(Shown(m_finalPaths[i])));
        }
        return true;
    }

    bool Commit() {
        for (int i = 0; i < m_tempPaths.size(); ++i) {
            QString why;
            if (!durable::RenameOver(m_tempPaths[i], m_finalPaths[i], why)) {
                m_outcome.stickChanged = i > 0;
                return Fail(
                    i, texts::RenameFailed(Shown(m_tempPaths[i]), Shown(m_finalPaths[i]), why));
            }
        }
        return true;
    }

    bool SyncFolder() {
        QString why;
        if (durable::SyncFolder(m_plan.folder, why))
            return true;
        m_outcome.stickChanged = true;
        return Fail(-1, texts::FolderSyncFailed(Shown(m_plan.folder), why));
    }

    // Only what this copy created: a refused source may be a leftover.
    void RemoveTemporaries() {
        m_sources.clear(); // closed first: a source may be open on one of them
        for (const QString& temp : std::as_const(m_created))
            QFile::remove(temp);
    }

    const StagingPlan& m_plan;
    const StagingProgressSink& m_progress;
    QStringList m_finalPaths;
    QStringList m_tempPaths;
    QStringList m_created; // temporary files this copy has created
    std::vector<std::unique_ptr<QFile>> m_sources;
    std::vector<qint64> m_sizes;
    std::vector<CheckedSource> m_checked;
    qint64 m_total = 0;
    bool m_checkOnly = false;
    StagingOutcome m_outcome;
};

} // namespace

StagingOutcome StageFiles(const StagingPlan& plan, const StagingProgressSink& progress) {
    return FileStager(plan, progress).Run();
}

StagingOutcome CheckStagingSources(const StagingPlan& plan, const StagingProgressSink& progress) {
    return FileStager(plan, progress).Check();
}

} // namespace kestrel
