#include "search/SearchResults.h"

#include "list/ListFile.h"
#include "platform/ProgramError.h"
#include "platform/TextCodec.h"
#include "platform/TextLines.h"

#include <QFile>
#include <QFileInfo>

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
    auto empty = [this](qsizetype i) { return i >= Lines.size() || Lines[i].isEmpty(); };
    for (int k = 0; k < count_; ++k) {
        const qsizetype d = 2 * qsizetype(k);
        // Two empty lines name no file: no row.
        if (empty(d) && empty(d + 1))
            continue;
        rows_.push_back({blank(), line(d), line(d + 1)});
    }
    count_ = int(rows_.size());
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
    qsizetype emptyRun = 0;
    // A run of empty lines is kept up to three, the longest a grouped listing holds; beyond that,
    // pairs of them are dropped, so that the lines after the run pair up as they did.
    auto flushEmpty = [&] {
        const qsizetype keep = emptyRun <= 3 ? emptyRun : 2 + emptyRun % 2;
        for (qsizetype k = 0; k < keep; ++k)
            lines << QString();
        emptyRun = 0;
    };
    splitTextLines(bytes, [&](const char* p, qsizetype n) {
        if (n == 0) {
            ++emptyRun;
            return;
        }
        flushEmpty();
        lines << decodeFileText(p, n);
    });
    flushEmpty();
    return lines;
}

QStringList readResultLines(const QString& path)
{
    const QByteArray bytes = readTextFileBounded(
        path, kMaxResultsFileBytes, QStringLiteral("Impossible d'ouvrir le fichier %1").arg(path),
        QString::fromUtf8("Le fichier %1 est trop gros pour un fichier de résultats (plus de %2 Mo).")
            .arg(path)
            .arg(kMaxResultsFileBytes >> 20));
    return parseResultLines(bytes);
}

void writeResultLines(const QString& path, const QStringList& lines)
{
    try {
        saveFileSafely(path, formatResultLines(lines));
    } catch (const ProgramError&) {
        throw ProgramError(QString::fromUtf8("Impossible de créer le fichier %1").arg(path));
    }
}
