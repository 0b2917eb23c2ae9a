#include "list/ListStore.h"

#include <algorithm>
#include <new>

QString& ListEntry::field(int column)
{
    switch (column) {
    case ListLayout::ColMark: return mark;
    case ListLayout::ColNumber: return number;
    case ListLayout::ColDirectory: return directory;
    case ListLayout::ColName: return name;
    case ListLayout::ColQuality: return quality;
    case ListLayout::ColZone: return zone;
    default: return extra;
    }
}

const QString& ListEntry::field(int column) const
{
    return const_cast<ListEntry*>(this)->field(column);
}

QString ListLayout::formatNumber(int n)
{
    if (n < 0)
        return QString::asprintf("%4.4d", n);
    // Hand-made: this runs once per entry when a whole list is read, shown or renumbered.
    char buf[16];
    int len = 0;
    char digits[12];
    int nd = 0;
    do {
        digits[nd++] = char('0' + n % 10);
        n /= 10;
    } while (n > 0);
    for (int i = nd; i < 4; ++i)
        buf[len++] = '0';
    while (nd > 0)
        buf[len++] = digits[--nd];
    return QString::fromLatin1(buf, len);
}

const QString& ListLayout::blank()
{
    static const QString b = QStringLiteral(" ");
    return b;
}

ListStore::ListStore() : pool_{blank()} {}

void ListStore::clear() noexcept
{
    std::vector<Row>().swap(rows_);
    pool_.resize(1);  // the blank; shrinking allocates nothing
    pool_.shrink_to_fit();
    index_ = {};
    lastText_ = QString();
    lastIndex_ = 0;
}

void ListStore::releaseSpare()
{
    if (rows_.capacity() > rows_.size() + rows_.size() / 4 + 1024)
        rows_.shrink_to_fit();  // may copy; it gives up quietly when memory is short
}

void ListStore::swap(ListStore& other) noexcept
{
    rows_.swap(other.rows_);
    pool_.swap(other.pool_);
    index_.swap(other.index_);
    lastText_.swap(other.lastText_);
    std::swap(lastIndex_, other.lastIndex_);
}

quint32 ListStore::Row::*ListStore::pooledColumn(int column) const
{
    switch (column) {
    case ColMark: return &Row::mark;
    case ColDirectory: return &Row::directory;
    case ColQuality: return &Row::quality;
    case ColZone: return &Row::zone;
    case ColExtra: return &Row::extra;
    default: return nullptr;
    }
}

ListEntry ListStore::entry(int i) const
{
    const Row& r = rows_[size_t(i)];
    return {pool_[r.mark], text(ColNumber, i), pool_[r.directory], r.name, pool_[r.quality], pool_[r.zone], pool_[r.extra]};
}

std::vector<ListEntry> ListStore::entries() const
{
    std::vector<ListEntry> out;
    out.reserve(rows_.size());
    for (int i = 0; i < size(); ++i)
        out.push_back(entry(i));
    return out;
}

QString ListStore::text(int column, int i) const
{
    const Row& r = rows_[size_t(i)];
    if (column == ColNumber)
        return r.number >= 0 ? formatNumber(r.number) : pool_[size_t(~r.number)];
    return sharedText(column, i);
}

const QString& ListStore::sharedText(int column, int i) const
{
    const Row& r = rows_[size_t(i)];
    if (column == ColName)
        return r.name;
    quint32 Row::*member = pooledColumn(column);
    return member ? pool_[r.*member] : blank();
}

bool ListStore::marked(int i) const
{
    static const QString star = QStringLiteral("*");
    return pool_[rows_[size_t(i)].mark] == star;
}

bool ListStore::isFormattedNumber(const QString& text, qint32& n)
{
    // Exactly what formatNumber gives for some n >= 0: four digits, or more without a leading 0.
    const qsizetype len = text.size();
    if (len < 4 || len > 10 || (len > 4 && text[0] == QLatin1Char('0')))
        return false;
    qint64 v = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        v = v * 10 + (c.unicode() - '0');
    }
    if (v > INT32_MAX)
        return false;
    n = qint32(v);
    return true;
}

qint32 ListStore::numberCode(const QString& text)
{
    qint32 n = 0;
    if (isFormattedNumber(text, n))
        return n;
    return ~qint32(intern(text));
}

quint32 ListStore::intern(const QString& text)
{
    if (text.isEmpty() || text == blank())
        return 0;
    if (text.size() == lastText_.size() && text.constData() == lastText_.constData())
        return lastIndex_;
    auto it = index_.constFind(text);
    quint32 index;
    if (it != index_.constEnd()) {
        index = it.value();
    } else {
        if (pool_.size() >= size_t(INT32_MAX))
            throw std::bad_alloc();
        index = quint32(pool_.size());
        pool_.push_back(text);
        try {
            index_.insert(text, index);
        } catch (...) {
            pool_.pop_back();
            throw;
        }
    }
    lastText_ = pool_[index];
    lastIndex_ = index;
    return index;
}

void ListStore::setText(int column, int i, const QString& text)
{
    Row& r = rows_[size_t(i)];
    if (column == ColName) {
        r.name = text.isEmpty() ? blank() : text;
        return;
    }
    if (column == ColNumber) {
        r.number = numberCode(text);
        dropUnusedTexts();
        return;
    }
    if (quint32 Row::*member = pooledColumn(column)) {
        r.*member = intern(text);
        dropUnusedTexts();
    }
}

void ListStore::append(const ListEntry& e)
{
    Row r;
    r.name = e.name.isEmpty() ? blank() : e.name;
    r.mark = intern(e.mark);
    r.number = numberCode(e.number);
    r.directory = intern(e.directory);
    r.quality = intern(e.quality);
    r.zone = intern(e.zone);
    r.extra = intern(e.extra);
    if (rows_.size() >= size_t(INT32_MAX - 2))  // the grid counts its rows in an int
        throw std::bad_alloc();
    rows_.push_back(std::move(r));
}

void ListStore::appendPooled(quint32 directory, QString name, quint32 quality, quint32 zone, quint32 extra)
{
    if (rows_.size() >= size_t(INT32_MAX - 2))
        throw std::bad_alloc();
    Row r;
    r.name = name.isEmpty() ? blank() : std::move(name);
    r.number = qint32(rows_.size());
    r.directory = directory;
    r.quality = quality;
    r.zone = zone;
    r.extra = extra;
    rows_.push_back(std::move(r));
}

void ListStore::truncate(int count)
{
    if (count >= 0 && size_t(count) < rows_.size())
        rows_.erase(rows_.begin() + count, rows_.end());
}

int ListStore::removeMarked()
{
    const size_t before = rows_.size();
    static const QString star = QStringLiteral("*");
    auto end = std::remove_if(rows_.begin(), rows_.end(), [this](const Row& r) { return pool_[r.mark] == star; });
    rows_.erase(end, rows_.end());
    qint32 n = 0;
    for (Row& r : rows_) {
        r.mark = 0;
        r.number = n++;
    }
    dropUnusedTexts();
    return int(before - rows_.size());
}

void ListStore::setAllDirectories(const QString& directory)
{
    const quint32 d = intern(directory);
    for (Row& r : rows_)
        r.directory = d;
    dropUnusedTexts();
}

void ListStore::moveEntry(int from, int to)
{
    auto it = rows_.begin();
    if (from < to)
        std::rotate(it + from, it + from + 1, it + to + 1);
    else if (to < from)
        std::rotate(it + to, it + from, it + from + 1);
}

void ListStore::arrange(const std::vector<int>& order)
{
    std::vector<Row> arranged;
    arranged.reserve(rows_.size());
    for (int from : order)
        arranged.push_back(rows_[size_t(from)]);
    rows_.swap(arranged);
}

void ListStore::dropUnusedTexts()
{
    // An entry refers to at most six pooled texts; a pool far beyond that is mostly texts that
    // were replaced. Rebuilding it then keeps a long session of tagging and re-pointing bounded.
    const size_t room = 6 * rows_.size() + 1024;
    if (pool_.size() <= 2 * room)
        return;
    std::vector<quint32> remap;
    std::vector<QString> pool{blank()};
    QHash<QString, quint32> index;
    try {
        remap.resize(pool_.size(), UINT32_MAX);  // remap starts empty
        remap[0] = 0;
        auto keep = [&](quint32 old) {
            if (remap[old] == UINT32_MAX) {
                remap[old] = quint32(pool.size());
                pool.push_back(pool_[old]);
                index.insert(pool_[old], remap[old]);
            }
        };
        for (const Row& r : rows_) {
            for (quint32 old : {r.mark, r.directory, r.quality, r.zone, r.extra})
                keep(old);
            if (r.number < 0)
                keep(quint32(~r.number));
        }
    } catch (const std::bad_alloc&) {
        return;  // nothing has changed: the store stays as it was, only larger than it need be
    }
    for (Row& r : rows_) {
        for (quint32 Row::*m : {&Row::mark, &Row::directory, &Row::quality, &Row::zone, &Row::extra})
            r.*m = remap[r.*m];
        if (r.number < 0)
            r.number = ~qint32(remap[size_t(~r.number)]);
    }
    pool_.swap(pool);
    index_.swap(index);
    lastText_ = QString();
    lastIndex_ = 0;
}
