#pragma once
// The thumbnail window "Vignettes": a page of consecutive list entries, with a bar to move by page
// or by one entry. A click on a picture makes its entry the current one in the list.
#include "review/Uzone.h"

class TFormVignette : public TFormZone {
    Q_OBJECT
public:
    explicit TFormVignette(QWidget* parent = nullptr);

    // Builds the page of pageSize items starting at item `first` from the list's paths. Runs as a
    // pass stopped by the stop keys (BatchRunning). A picture that cannot be decoded ends the build
    // with the general error box; the cells drawn before it stay.
    void BuildThumbnailPage(const QStringList& paths, int first, int pageSize);

    // The navigation bar: page back, one back, one forward, page forward.
    void SpeedButtonPageArClick();
    void SpeedButtonArClick();
    void SpeedButtonAvClick();
    void SpeedButtonPageAvClick();

    bool ButtonEnabledPageAr() const;
    bool ButtonEnabledAr() const;
    bool ButtonEnabledAv() const;
    bool ButtonEnabledPageAv() const;

protected:
    void PictureClick(int slot) override;

private:
    void setMoveButtons();
    void reloadPage();
    void moveByOne(int oldFirst);

    int building_ = 0;  // builds in progress (one may start while another lets events through)
};
