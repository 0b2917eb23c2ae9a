#pragma once
// The zone window "Zônes": one cell per zone 0..9 with the picture of the first entry tagged with
// it. TFormVignette derives from it and shares its cells, layout and drawing.
//
// A page is a grid of framed cells laid out in rows; cell s shows item first + s of PageItems. The
// cells sit in a scrolling area below the navigation bar (shown by the thumbnail window only).
#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <vector>

class QGroupBox;
class QLabel;
class QScrollArea;
class QToolButton;

class TFormZone : public QWidget {
    Q_OBJECT
public:
    explicit TFormZone(QWidget* parent = nullptr);
    ~TFormZone() override;

    // Removes every cell and item; the navigation bar and the cell size stay.
    void ClearPage();
    // Adds an empty, hidden cell for slot s at its place (and any missing slot before it).
    void CreateCell(int slot);
    // Fills the slot of item i (slot i - first) from PageItems. Throws ProgramError when the
    // picture cannot be decoded; the caller ends its operation there.
    void LoadItem(int index);
    // Gives back the previous highlighted cell its normal colour, then highlights the cell of item i
    // and shows its path as caption, when that item is on the current page.
    void HighlightItem(int index);
    // Shows path in the cell of zone z unless that zone already has a picture. Zones outside the
    // cells are ignored. Throws ProgramError when the picture cannot be decoded.
    void AssignZoneImage(int zone, const QString& path);
    // Cell size for cells created or re-flowed afterwards; values below 1 are raised to 1.
    void sethvignette(int height);
    void setwvignette(int width);

    int CellHeight() const { return cellHeight_; }
    int CellWidth() const { return cellWidth_; }
    int Columns() const { return columns_; }
    int First() const { return first_; }
    int PageSize() const { return pageSize_; }
    int LastStart() const { return lastStart_; }
    int ItemCount() const { return int(PageItems.size()); }
    QString ItemPath(int index) const;
    bool ItemLoaded(int index) const;
    int CellCount() const { return int(cells_.size()); }
    QGroupBox* Cell(int slot) const;
    QLabel* CellPicture(int slot) const;
    // Slot of the highlighted cell, -1 when none.
    int HighlightedSlot() const { return highlighted_; }
    QWidget* NavigationBar() const { return navBar_; }

    // Background of a cell, and of the highlighted one: the palette's inactive and active
    // selection colours, standing for the title-bar colours of inactive and active windows (the
    // mid tone for cells when the palette does not tell the two selection colours apart).
    static QColor CellColor();
    static QColor HighlightColor();

protected:
    struct PageItem {
        QString path;         // full path of an image file, or empty
        bool loaded = false;  // the item has been given its cell
    };
    std::vector<PageItem> PageItems;

    // A click on the picture of a cell.
    virtual void PictureClick(int slot);

    // first := value; ThumbFirst follows when writeOption is set.
    void setFirst(int value, bool writeOption);
    void setSlotShown(int slot, bool shown);
    void setPicture(int slot, const QPixmap& picture);
    // Puts every cell at its place in the grid of the current column count and cell size.
    void layoutCells();

    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    struct PageCell {
        QGroupBox* box = nullptr;
        QLabel* picture = nullptr;
    };
    std::vector<PageCell> cells_;

    int cellHeight_ = 1;
    int cellWidth_ = 1;
    int columns_ = 1;
    int first_ = 0;
    int pageSize_ = 10;
    int lastStart_ = 0;
    int highlighted_ = -1;
    // Counts page clears, so a pass that lets events through can tell its page is gone.
    uint64_t pageGeneration_ = 0;

    QWidget* navBar_ = nullptr;
    QToolButton* SpeedButtonPageAr = nullptr;
    QToolButton* SpeedButtonAr = nullptr;
    QToolButton* SpeedButtonAv = nullptr;
    QToolButton* SpeedButtonPageAv = nullptr;

private:
    void centrePicture(const PageCell& cell);
    void setCellColor(int slot, const QColor& color);
    void updatePageExtent();

    QScrollArea* scroll_ = nullptr;
    QWidget* page_ = nullptr;
};
