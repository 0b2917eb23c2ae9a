#include "review/ThumbnailGeometry.h"

#include <algorithm>
#include <cstdint>

namespace {
// Widgets cannot stand further out than this; a place beyond it is pinned there.
constexpr int64_t kMaxCoordinate = 16777215;
int pin(int64_t v) { return int(std::clamp<int64_t>(v, -kMaxCoordinate, kMaxCoordinate)); }
}

int clampCellSide(int side) { return std::clamp(side, kMinCellSide, kMaxCellSide); }

int ceilDiv(int a, int b)
{
    return int((int64_t(a) + b - 1) / b);
}

int reductionFactor(QSize picture, QSize cell)
{
    const int ch = clampCellSide(cell.height());
    const int cw = clampCellSide(cell.width());
    const int h = std::max(0, picture.height());
    const int w = std::max(0, picture.width());
    return std::max({ceilDiv(h, ch), ceilDiv(w, cw), 1});
}

QSize thumbnailSize(QSize picture, QSize cell)
{
    const int f = reductionFactor(picture, cell);
    return QSize(std::max(0, picture.width()) / f, std::max(0, picture.height()) / f);
}

int pageColumns(int clientWidth, int cellWidth)
{
    return std::max(1, std::max(0, clientWidth) / clampCellSide(cellWidth));
}

QRect cellRect(int slot, int columns, QSize cell, int barHeight)
{
    columns = std::max(1, columns);
    const int64_t left = int64_t(slot % columns) * cell.width() + kCellMargin;
    const int64_t top = int64_t(slot / columns) * cell.height() + kCellMargin + barHeight;
    return QRect(pin(left), pin(top), cell.width(), cell.height());
}

QSize pageExtent(int cellCount, int columns, QSize cell)
{
    if (cellCount <= 0)
        return QSize(0, 0);
    columns = std::max(1, columns);
    const int usedColumns = std::min(columns, cellCount);
    const int rows = ceilDiv(cellCount, columns);
    return QSize(pin(int64_t(usedColumns) * cell.width() + 2 * kCellMargin),
                 pin(int64_t(rows) * cell.height() + 2 * kCellMargin));
}
