#pragma once
// What the search and sort window holds: the result lines, the count of files, the table of one
// row per file with its mark, the anchor of the marking clicks, and the grouped listing.
//
// Table rows are counted as the window shows them: row 0 is the header, rows 1 to count() hold
// one file each, and one empty row follows the last file.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

struct ResultRow {
    QString mark;       // " " or "*"
    QString directory;  // the directory line (" " when the line was empty)
    QString name;       // the file-name line (" " when the line was empty)
};

class SearchResults {
public:
    static constexpr int kNoAnchor = 0;

    // The result lines, shown as they are in the "Liste" view.
    QStringList Lines;

    int count() const { return count_; }
    const std::vector<ResultRow>& rows() const { return rows_; }
    // The row of an entry (1..count()).
    const ResultRow& row(int r) const { return rows_[size_t(r - 1)]; }
    bool isFileRow(int r) const { return r >= 1 && r <= count_; }
    int anchor() const { return anchor_; }

    // After a search: count := files, table rebuilt from the first 2 × count lines.
    void searched(int files);
    // "&Ouvrir..": the file's lines; a row for each pair of lines but pairs of two empty lines;
    // count := the rows.
    void opened(QStringList lines);
    // "Nouveau..": no lines, count 0, an empty table.
    void clear();
    // Table rebuild: one unmarked row per pair of the first 2 × count lines, but none for two
    // empty lines; count := the rows; anchor none.
    void rebuildTable();

    // A left click on row r with these keys held, by the marking rules. Rows outside 1..count()
    // are ignored.
    void click(int r, bool shift, bool ctrl);
    // A new choice over the same rows: none marked, anchor none.
    void clearMarks();
    // "Tout Sélectionner": anchor none, every file row marked.
    void selectAll();
    // "OK": when the user has not clicked in the table since it was built or since "Tout
    // Sélectionner", nothing was chosen, which means every file. Clicks that end without an anchor
    // (Ctrl on the anchor, Ctrl with none) are still a choice and are kept.
    void acceptChoice();
    // The user clicked rows since the last rebuild or "Tout Sélectionner".
    bool userChose() const { return userChose_; }
    int markedCount() const;

    // The listing "&Supprimer" makes of the unmarked rows: for each run of rows with one
    // directory, an empty line, "REP = " + directory, an empty line, then the unmarked names.
    QStringList groupedListing() const;
    // "&Supprimer": the result lines become the grouped listing and the table keeps the unmarked
    // rows, unmarked, so that its rows are the files the listing names and count() their number.
    void deleteMarked();

private:
    void toggle(int r);

    std::vector<ResultRow> rows_;
    int count_ = 0;
    int anchor_ = kNoAnchor;
    bool userChose_ = false;
};

// Results files: one line per result line, Latin-1 (a name outside Latin-1 as UTF-8), each line
// ended by CR LF. On reading, CR LF, a lone LF and a lone CR all end a line, and a run of more
// than three empty lines keeps two or three of them (by its length's parity, so the lines after it
// pair up as before): lines that hold nothing cost nothing, whatever their number.
QByteArray formatResultLines(const QStringList& lines);
QStringList parseResultLines(const QByteArray& bytes);
// A results file is the lines of a search, some tens of bytes a file: past this size it is not one.
constexpr qint64 kMaxResultsFileBytes = qint64(32) << 20;
// Throws ProgramError "Impossible d'ouvrir le fichier %s", or "Le fichier %s est trop gros pour un
// fichier de résultats (plus de 32 Mo)." past kMaxResultsFileBytes.
QStringList readResultLines(const QString& path);

// Writes through a temporary file, so a failure leaves the old file intact; throws ProgramError
// "Impossible de créer le fichier %s".
void writeResultLines(const QString& path, const QStringList& lines);
