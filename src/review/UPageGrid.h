#pragma once
// A page of framed picture cells laid out in rows below a navigation bar, shared by the zone window
// and the thumbnail window. Cell s shows item first + s of the page's items; only the thumbnail
// window shows the bar.
#include <QColor>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <vector>

class QGroupBox;
class QLabel;
class QScrollArea;
class QToolButton;

class TPageGrid : public QWidget {
    Q_OBJECT
public:
    explicit TPageGrid(QWidget* parent = nullptr);
    ~TPageGrid() override;

    // Removes every cell and item; the navigation bar and the cell size stay.
    void ClearPage();
    // Adds an empty, hidden cell for slot s at its place (and any missing slot before it).
    void CreateCell(int slot);
    // Fills the slot of item i (slot i - first) from the items. Throws ProgramError when the
    // picture cannot be decoded; the caller ends its operation there.
    void LoadItem(int index);
    // Gives back the previous highlighted cell its normal colour, then highlights the cell of item i
    // and shows its path as the window's caption, when that item is on the current page.
    void HighlightItem(int index);
    // Cell size for cells created or re-flowed afterwards; values below 1 are raised to 1.
    void sethvignette(int height);
    void setwvignette(int width);

    // Items: full paths of image files (or empty), each remembering whether it has had its cell.
    void setItems(const QStringList& paths);
    // Makes sure items 0..count-1 exist (empty ones added).
    void ensureItems(int count);
    void setItemPath(int index, const QString& path);

    int CellHeight() const { return cellHeight_; }
    int CellWidth() const { return cellWidth_; }
    int Columns() const { return columns_; }
    int First() const { return first_; }
    void setFirst(int value) { first_ = value; }
    int PageSize() const { return pageSize_; }
    void setPageSize(int value) { pageSize_ = value; }
    int LastStart() const { return lastStart_; }
    void setLastStart(int value) { lastStart_ = value; }
    int ItemCount() const { return int(items_.size()); }
    QString ItemPath(int index) const;
    bool ItemLoaded(int index) const;
    int CellCount() const { return int(cells_.size()); }
    QGroupBox* Cell(int slot) const;
    QLabel* CellPicture(int slot) const;
    // Slot of the highlighted cell, -1 when none.
    int HighlightedSlot() const { return highlighted_; }
    // Counts page clears, so a pass that lets events through can tell its page is gone.
    uint64_t Generation() const { return generation_; }

    QWidget* NavigationBar() const { return navBar_; }
    QToolButton* ButtonPageAr() const { return pageAr_; }
    QToolButton* ButtonAr() const { return ar_; }
    QToolButton* ButtonAv() const { return av_; }
    QToolButton* ButtonPageAv() const { return pageAv_; }

    void setSlotShown(int slot, bool shown);
    void setPicture(int slot, const QPixmap& picture);
    // The pictures on show slide by delta slots (items entering the page are loaded by the caller):
    // returns the items whose slot has no picture to take over.
    std::vector<int> shiftPictures(int delta);

    // Background of a cell, and of the highlighted one: the palette's inactive and active
    // selection colours, standing for the title-bar colours of inactive and active windows (the
    // mid tone for cells when the palette does not tell the two selection colours apart).
    static QColor CellColor();
    static QColor HighlightColor();

signals:
    // A left click on the picture of a cell.
    void pictureClicked(int slot);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct PageItem {
        QString path;
        bool loaded = false;
    };
    struct PageCell {
        QGroupBox* box = nullptr;
        QLabel* picture = nullptr;
    };

    void centrePicture(const PageCell& cell);
    void setCellColor(int slot, const QColor& color);
    void layoutCells();
    void updatePageExtent();

    std::vector<PageItem> items_;
    std::vector<PageCell> cells_;
    int cellHeight_ = 1;
    int cellWidth_ = 1;
    int columns_ = 1;
    int first_ = 0;
    int pageSize_ = 10;
    int lastStart_ = 0;
    int highlighted_ = -1;
    uint64_t generation_ = 0;

    QWidget* navBar_ = nullptr;
    QToolButton* pageAr_ = nullptr;
    QToolButton* ar_ = nullptr;
    QToolButton* av_ = nullptr;
    QToolButton* pageAv_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QWidget* page_ = nullptr;
};
