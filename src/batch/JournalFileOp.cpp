#include "batch/JournalFileOp.h"

#include "platform/ProgramError.h"
#include "platform/Prompts.h"
#include "platform/SafeWrite.h"

JournalFileOp::JournalFileOp(ShellFileOp& ops, const QString& pass, Prompts& ask)
    : ops_(ops), ask_(ask), writer_(pass)
{
}

JournalFileOp::~JournalFileOp()
{
    if (!enabled_ || !writer_.opened())
        return;
    for (const JournalRecord& r : ahead_)
        writer_.skipped(r.index);
    writer_.ended();
}

JournalRecord JournalFileOp::makeRecord(JournalKind kind, const QString& source, const QString& requested)
{
    JournalRecord r;
    r.index = next_++;
    r.kind = kind;
    r.source = source;
    r.requested = requested;
    return r;
}

void JournalFileOp::expect(JournalKind kind, const QString& source, const QString& requested)
{
    if (enabled_)
        expected_.push_back(makeRecord(kind, source, requested));
}

void JournalFileOp::expectationsDone()
{
    if (!enabled_ || expected_.empty())
        return;
    bool ok = true;
    for (JournalRecord& r : expected_) {
        r.identity = identityOf(r.source);
        ok = ok && writer_.record(r);
        ahead_.push_back(std::move(r));
    }
    expected_.clear();
    if (!ok || !writer_.sync())
        writeFailed();
}

void JournalFileOp::giveUp()
{
    enabled_ = false;
    askPending_ = true;
    ahead_.clear();
    expected_.clear();
}

void JournalFileOp::writeFailed()
{
    giveUp();
    askPending_ = false;
    const bool goOn = ask_.question(QStringLiteral("Journal d'annulation"),
                                    QString::fromUtf8("Impossible d'écrire le journal d'annulation (%1).\n"
                                                      "Continuer sans pouvoir annuler ce traitement?")
                                        .arg(fileErrorText(writer_.error())));
    if (!goOn)
        throw SilentAbort();
}

int JournalFileOp::recorded(JournalKind kind, const QString& source, const QString& requested)
{
    if (askPending_) {
        // The journal failed after an operation; the next one waits for the user's word.
        writeFailed();
        return -1;
    }
    if (!enabled_)
        return -1;
    const FileIdentity now = identityOf(source);
    for (size_t k = 0; k < ahead_.size(); ++k) {
        const JournalRecord& r = ahead_[k];
        if (r.kind != kind || r.source != source || r.requested != requested)
            continue;
        // Written while another file had that name: the record would send a search after a crash
        // to the wrong file.
        if (now.known() != r.identity.known() || (now.known() && !now.sameFile(r.identity)))
            break;
        for (size_t s = 0; s < k; ++s)
            writer_.skipped(ahead_[s].index);
        const int index = r.index;
        ahead_.erase(ahead_.begin(), ahead_.begin() + qsizetype(k) + 1);
        return index;
    }
    JournalRecord r = makeRecord(kind, source, requested);
    r.identity = now;
    if (!writer_.record(r) || !writer_.sync()) {
        writeFailed();
        return -1;
    }
    return r.index;
}

FileOpResult JournalFileOp::settle(int index, FileOpResult r)
{
    if (index < 0 || !enabled_)
        return r;
    const bool ok = r.ok ? writer_.done(index, r.used, identityOf(r.used), r.trashInfo) : writer_.failed(index, r.error);
    // The operation is done whatever the journal says: the pass must go on to record it in the
    // list; the user is asked before the next one.
    if (!ok)
        giveUp();
    return r;
}

FileOpResult JournalFileOp::SendToRecycleBin(const QString& path)
{
    const int index = recorded(JournalKind::Trash, path, {});
    return settle(index, ops_.SendToRecycleBin(path));
}

FileOpResult JournalFileOp::ShellMoveFile(const QString& source, const QString& target)
{
    const int index = recorded(JournalKind::Move, source, target);
    return settle(index, ops_.ShellMoveFile(source, target));
}

FileOpResult JournalFileOp::ShellRenameFile(const QString& source, const QString& newPath)
{
    const int index = recorded(JournalKind::Rename, source, newPath);
    return settle(index, ops_.ShellRenameFile(source, newPath));
}

FileOpResult JournalFileOp::ShellMakeDirectory(const QString& path)
{
    FileOpResult r = ops_.ShellMakeDirectory(path);
    if (r.ok && enabled_ && !writer_.created(path))
        giveUp();
    return r;
}
