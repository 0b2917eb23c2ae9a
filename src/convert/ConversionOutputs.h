#pragma once
// The files one conversion run writes, and the rule for names that are taken:
// - a run never writes over a file it has written itself: the later output takes the first free
//   "name (2).ext", "name (3).ext", ... beside it, without a question (two sources of one stem);
// - a file that was there before the run is replaced only when the user says so: "Oui", or
//   "Oui pour Tous" for the rest of the run; "Non" keeps it and skips that output; "Annuler" ends
//   the run (RunCancelled).
// Files are told apart by what they are (device and inode), not by how their path is spelt, so a
// second name of a written file is still recognised.
//
// Outside a run (a converter called on its own) an output simply replaces what is there.
#include <QString>

#include <cstdint>
#include <exception>
#include <optional>
#include <set>
#include <utility>

// "Annuler" in the replace question: the run ends; what was written stays.
class RunCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "conversion run cancelled"; }
};

class ConversionOutputs {
public:
    // Becomes the outputs of the run in progress until destroyed.
    ConversionOutputs();
    ~ConversionOutputs();
    ConversionOutputs(const ConversionOutputs&) = delete;
    ConversionOutputs& operator=(const ConversionOutputs&) = delete;

    // The path to write for `wanted`: wanted itself, or a free name when this run wrote wanted
    // already; nothing when the user keeps the file that is there. Throws RunCancelled.
    std::optional<QString> claim(const QString& wanted);
    // Records a file written at path (as given by claim).
    void wrote(const QString& path);
    // Number of files written by the run.
    int written() const { return written_; }

private:
    using FileKey = std::pair<std::uint64_t, std::uint64_t>;  // device, inode
    std::set<FileKey> mine_;
    int written_ = 0;
    bool replaceAll_ = false;
    ConversionOutputs* previous_ = nullptr;
};

// What the converters write through: the run in progress, or nullptr outside a run.
ConversionOutputs* currentConversionOutputs();

// The question asked before replacing a file that was there before the run.
QString replaceQuestion(const QString& path);
