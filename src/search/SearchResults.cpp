#include "search/SearchResults.h"

#include "list/ListFile.h"
#include "platform/ProgramError.h"
#include "platform/TextCodec.h"

#include <QFile>

namespace {
const QString& blank()
{
    static const QString b = QStringLiteral(" ");
    return b;
}
const QString& star()
{
    static const QString s = QStringLiteral("*");
    return s;
}
}  // namespace

void SearchResults::searched(int files)
{
    count_ = files;
    rebuildTable();
}

void SearchResults::opened(QStringList lines)
{
    Lines = std::move(lines);
    count_ = int(Lines.size() / 2);
    rebuildTable();
}

void SearchResults::clear()
{
    Lines.clear();
    count_ = 0;
    rebuildTable();
}

void SearchResults::rebuildTable()
{
    rows_.clear();
    rows_.reserve(size_t(count_));
    auto line = [this](qsizetype i) -> const QString& {
        return i < Lines.size() && !Lines[i].isEmpty() ? Lines[i] : blank();
    };
    for (int k = 0; k < count_; ++k)
        rows_.push_back({blank(), line(2 * qsizetype(k)), line(2 * qsizetype(k) + 1)});
    anchor_ = kNoAnchor;
    userChose_ = false;
}

void SearchResults::toggle(int r)
{
    QString& m = rows_[size_t(r - 1)].mark;
    m = m == star() ? blank() : star();
}

void SearchResults::click(int r, bool shift, bool ctrl)
{
    if (!isFileRow(r))
        return;
    userChose_ = true;
    if (shift) {
        if (anchor_ == kNoAnchor) {
            toggle(r);
        } else if (r > anchor_) {
            for (int i = anchor_ + 1; i <= r; ++i)
                toggle(i);
        } else {
            for (int i = r; i < anchor_; ++i)
                toggle(i);
        }
        anchor_ = r;
    } else if (ctrl) {
        if (anchor_ == r)
            anchor_ = kNoAnchor;
        else if (anchor_ != kNoAnchor)
            anchor_ = r;
        toggle(r);
    } else {
        if (anchor_ != r) {
            for (ResultRow& row : rows_)
                row.mark = blank();
            anchor_ = r;
        }
        toggle(r);
    }
}

void SearchResults::selectAll()
{
    anchor_ = kNoAnchor;
    userChose_ = false;
    for (ResultRow& row : rows_)
        row.mark = star();
}

void SearchResults::clearMarks()
{
    anchor_ = kNoAnchor;
    userChose_ = false;
    for (ResultRow& row : rows_)
        row.mark = blank();
}

void SearchResults::acceptChoice()
{
    if (!userChose_)
        selectAll();
}

int SearchResults::markedCount() const
{
    int n = 0;
    for (const ResultRow& row : rows_)
        n += row.mark == star();
    return n;
}

QStringList SearchResults::groupedListing() const
{
    QStringList out;
    bool inGroup = false;
    QString group;
    for (const ResultRow& row : rows_) {
        if ((!inGroup || row.directory != group) && !row.directory.isEmpty()) {
            out << QString() << QStringLiteral("REP = ") + row.directory << QString();
            group = row.directory;
            inGroup = true;
        }
        if (row.mark == blank())
            out << row.name;
    }
    return out;
}

void SearchResults::deleteMarked()
{
    Lines = groupedListing();
    std::vector<ResultRow> kept;
    for (ResultRow& row : rows_)
        if (row.mark != star())
            kept.push_back({blank(), std::move(row.directory), std::move(row.name)});
    rows_ = std::move(kept);
    count_ = int(rows_.size());
    anchor_ = kNoAnchor;
    userChose_ = false;
}

QByteArray formatResultLines(const QStringList& lines)
{
    QByteArray out;
    qsizetype size = 0;
    for (const QString& l : lines)
        size += l.size() + 2;
    out.reserve(size);
    for (const QString& l : lines) {
        out += encodeFileText(l);
        out += "\r\n";
    }
    return out;
}

QStringList parseResultLines(const QByteArray& bytes)
{
    QStringList lines;
    const char* p = bytes.constData();
    const qsizetype n = bytes.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (p[i] != '\r' && p[i] != '\n')
            continue;
        lines << decodeFileText(p + start, i - start);
        if (p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < n)
        lines << decodeFileText(p + start, n - start);
    return lines;
}

QStringList readResultLines(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ProgramError(QStringLiteral("Impossible d'ouvrir le fichier %1").arg(path));
    return parseResultLines(f.readAll());
}

void writeResultLines(const QString& path, const QStringList& lines)
{
    try {
        saveFileSafely(path, formatResultLines(lines));
    } catch (const ProgramError&) {
        throw ProgramError(QString::fromUtf8("Impossible de créer le fichier %1").arg(path));
    }
}
