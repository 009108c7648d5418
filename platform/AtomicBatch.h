#pragma once

#include "platform/AtomicFile.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

// Many new files written at once and made durable together, the way package
// managers install theirs: one flush of the disk for a whole batch instead of
// one for each file.
//
// add() writes each file into a temporary file beside the name it is to have
// (".kaogumi-render-XXXXXX.tmp", XXXXXX letters and digits); commit() then
// flushes every filesystem written to once
// (which reports a failed write-back on Linux 5.8 and later), renames each
// file into place, under the same rules as AtomicFile::write for what stands
// at its name, and flushes the folders. Until its commit, no final name
// changes: a batch cut short (killed, or the disk full half-way) leaves only
// whole files under final names, and temporary files that the next batch into
// the folder removes (regular files of exactly that pattern, and only while no
// other batch is writing there: each batch holds a shared lock on the folder).
//
// add() may be called from any thread, commit() from one at a time.
class AtomicBatch
{
public:
    // A file written and waiting for its commit.
    struct Staged
    {
        AtomicFile::Target target;
        QByteArray temporary; // its name in the target's folder
        int folder = -1;      // index of that folder among the batch's
    };

    AtomicBatch();
    // Removes the temporary files of what was added but never committed.
    ~AtomicBatch();
    AtomicBatch(const AtomicBatch &) = delete;
    AtomicBatch &operator=(const AtomicBatch &) = delete;

    // Writes bytes into a new temporary file that is to replace path, or says
    // why it cannot: a refusal of AtomicFile's rules, or the system's error
    // (a missing folder, a full disk), in which case nothing is left behind.
    AtomicFile::Result add(const QString &path, const QByteArray &bytes, Staged *staged);

    // Makes the files durable and puts each under its name: the result of
    // each, in the order given. A file that fails is removed again.
    std::vector<AtomicFile::Result> commit(const std::vector<Staged> &files);

private:
    struct Private;
    const std::unique_ptr<Private> d;
};
