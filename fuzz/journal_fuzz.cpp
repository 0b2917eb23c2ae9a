// libFuzzer entry over the reader of the batch passes' journals, fed the bytes of one journal.
// Besides crashes and sanitizer reports (and memory past the run's limit: nothing may be sized by a
// number read), it stops on a broken promise of the reader: one record per index, outcomes and
// undo lines only where they can be, the count of lines not read consistent with where the first
// is, and paths that are written back as they were read.
#include "batch/FileJournal.h"

#include <QSet>

#include <cstdint>

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool roundTrips(const QString& path) { return decodeJournalPath(encodeJournalPath(path)) == path; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const PassJournal j = parseJournal(bytes);
    require(j.readError == 0);
    require(j.unreadable >= 0 && (j.unreadable == 0) == (j.firstUnreadable == 0));
    require(j.firstUnreadable <= bytes.count('\n') + 1);
    require(j.unreadable <= bytes.count('\n') + 1);
    QSet<int> seen;
    for (const JournalRecord& r : j.records) {
        require(r.index >= 0 && !seen.contains(r.index));
        seen.insert(r.index);
        require(r.kind == JournalKind::Trash || r.kind == JournalKind::Move || r.kind == JournalKind::Rename);
        require(!r.source.isEmpty() && roundTrips(r.source) && roundTrips(r.requested));
        require(!(r.undone && r.unrestored));
        require(!r.undone || (r.state == JournalState::Done && !r.restored.isEmpty()));
        require(!r.unrestored || r.state == JournalState::Done || r.state == JournalState::Pending);
        require((r.state == JournalState::Done) == !r.used.isEmpty());
        require(roundTrips(r.used) && roundTrips(r.trashInfo));
    }
    require(j.toUndo() >= 0 && size_t(j.toUndo()) <= j.records.size());
    for (const QString& dir : j.createdDirectories)
        require(!dir.isEmpty() && roundTrips(dir));
    return 0;
}
