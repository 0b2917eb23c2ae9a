// libFuzzer entry over the list-file reader, fed the bytes of one list file. Besides crashes and
// sanitizer reports, it stops on a broken promise of the reader: a failure without a message, an
// entry not unmarked or not numbered by its position, or a list that does not come back the same
// when written and read again (read → write → read).
#include "list/ListFile.h"
#include "platform/ProgramError.h"

#include <cstdint>
#include <cstdlib>

namespace {

void require(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool sameEntries(const ListStore& a, const ListStore& b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (!(a.entry(i) == b.entry(i)))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    ListStore read;
    try {
        parseListFile(bytes, read);
    } catch (const ProgramError& e) {
        require(!e.text().isEmpty());
        require(read.empty());
        return 0;
    }
    for (int i = 0; i < read.size(); ++i) {
        const ListEntry e = read.entry(i);
        require(e.mark == ListLayout::blank());
        require(e.number == ListLayout::formatNumber(i));
        for (int col = 0; col < ListLayout::kColumnCount; ++col)
            require(!e.field(col).isEmpty() && !e.field(col).contains(QLatin1Char('\n'))
                    && !e.field(col).contains(QLatin1Char('\r')));
    }

    const QByteArray written = formatListStore(read);
    ListStore again;
    parseListFile(written, again);  // the program's own file never fails to read
    if (read.empty()) {
        // An empty list is written as a header whose count is 0, which reads back as a file
        // without header: one entry made of the header's own lines.
        require(again.size() == 1 && again.text(ListLayout::ColDirectory, 0) == QLatin1String("Velmoran"));
        return 0;
    }
    require(sameEntries(read, again));
    require(formatListStore(again) == written);
    return 0;
}
