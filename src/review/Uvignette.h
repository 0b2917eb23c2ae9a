#pragma once
// The thumbnail window "Vignettes": a page of consecutive list entries, with a bar to move by page
// or by one entry. A click on a picture makes its entry the current one, shown as a move shows it.
#include <QStringList>
#include <QWidget>

class ReviewController;
class TPageGrid;

class TFormVignette : public QWidget {
    Q_OBJECT
public:
    explicit TFormVignette(ReviewController& review, QWidget* parent = nullptr);

    TPageGrid* Grid() const { return grid_; }

    // Builds the page of pageSize items starting at item `first` from the list's paths. Runs as a
    // pass stopped by the stop keys. A picture that cannot be decoded ends the build with the
    // general error box; the cells drawn before it stay.
    void BuildThumbnailPage(const QStringList& paths, int first, int pageSize);
    void ClearPage();
    void HighlightItem(int index);
    void sethvignette(int height);
    void setwvignette(int width);

    // The navigation bar: page back, one back, one forward, page forward.
    void SpeedButtonPageArClick();
    void SpeedButtonArClick();
    void SpeedButtonAvClick();
    void SpeedButtonPageAvClick();

    bool ButtonEnabledPageAr() const;
    bool ButtonEnabledAr() const;
    bool ButtonEnabledAv() const;
    bool ButtonEnabledPageAv() const;

private:
    // first := value; ThumbFirst follows when writeOption is set.
    void setFirst(int value, bool writeOption);
    void setMoveButtons();
    void reloadPage();
    void moveByOne(int oldFirst);
    void PictureClick(int slot);

    ReviewController& review_;
    TPageGrid* grid_;
    int building_ = 0;  // builds in progress (one may start while another lets events through)
};
