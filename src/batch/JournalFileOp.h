#pragma once
// The file operations of one batch pass, journalled: every operation is on the disk in the pass's
// journal before it starts and is marked done (with the name the file got) after it, so that the
// pass can be undone even after a crash in its middle.
//
// A sync costs milliseconds, more than a move: the pass says which operations it expects next
// (expect), and they are written ahead with one sync for all of them. An operation that was not
// expected gets a sync of its own; expected ones that never come are marked as never started.
#include "batch/FileJournal.h"
#include "platform/ShellFileOp.h"

#include <deque>

class Prompts;

class JournalFileOp final : public ShellFileOp {
public:
    // ops do the work; pass names the journal ("Corbeille", "TriZones", "Renommer"). When the
    // journal cannot be written, ask is asked whether to go on without it (No ends the command).
    JournalFileOp(ShellFileOp& ops, const QString& pass, Prompts& ask);
    // Marks the pass ended.
    ~JournalFileOp() override;

    // The operations the pass expects to make next, in order; written ahead with one sync.
    void expect(JournalKind kind, const QString& source, const QString& requested);
    void expectationsDone();

    FileOpResult SendToRecycleBin(const QString& path) override;
    FileOpResult ShellMoveFile(const QString& source, const QString& target) override;
    FileOpResult ShellRenameFile(const QString& source, const QString& newPath) override;
    FileOpResult ShellMakeDirectory(const QString& path) override;

    const QString& journalPath() const { return writer_.path(); }

private:
    // The index of the record of this operation, on the disk; -1 when running without a journal.
    int recorded(JournalKind kind, const QString& source, const QString& requested);
    FileOpResult settle(int index, FileOpResult r);
    JournalRecord makeRecord(JournalKind kind, const QString& source, const QString& requested);
    // A failed write: goes on without a journal when the user agrees (SilentAbort otherwise).
    void writeFailed();
    // Stops journalling; the user is asked before the next operation.
    void giveUp();

    ShellFileOp& ops_;
    Prompts& ask_;
    JournalWriter writer_;
    bool enabled_ = true;
    bool askPending_ = false;
    int next_ = 0;
    std::vector<JournalRecord> expected_;  // not written yet
    std::deque<JournalRecord> ahead_;      // written, not started
};
