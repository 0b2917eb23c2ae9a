#pragma once
// The kept frames of a review written into one new SER video ("Enregistrer les Images en SER..."):
// the entries whose score reaches the minimum asked, in the order they were captured.
#include <QString>

#include <cstdint>
#include <functional>

class ReviewController;

class VideoCommands {
public:
    explicit VideoCommands(ReviewController& review) : review_(review) {}
    // Asks the output file and the lowest score kept, then writes. Progress goes to progress
    // (done, total); Escape stops the write and leaves no file.
    void EnregistrerSer(const std::function<void(int64_t done, int64_t total)>& progress = {});

private:
    ReviewController& review_;
};
