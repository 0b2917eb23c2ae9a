#pragma once
// Sizes and places of the cells of the thumbnail and zone pages, and the size a picture takes in a
// cell. Pure arithmetic, shared by both page windows and their tests.
#include <QRect>
#include <QSize>

// Cell sides are kept between 1 (the layout divides by them) and this bound (so that cell places
// stay far inside the coordinates a window can hold).
constexpr int kMinCellSide = 1;
constexpr int kMaxCellSide = 32768;
int clampCellSide(int side);

// Gap between the window's edge and the first row and column of cells.
constexpr int kCellMargin = 5;

// (a + b - 1) div b for a >= 0, b >= 1.
int ceilDiv(int a, int b);

// The integer factor a picture is divided by to fit a cell: the larger of ceil(h / cell h) and
// ceil(w / cell w), and at least 1, so a picture is never enlarged.
int reductionFactor(QSize picture, QSize cell);
// The picture's size in the cell: each side divided by the reduction factor.
QSize thumbnailSize(QSize picture, QSize cell);

// Cells per row: client width div cell width, at least 1.
int pageColumns(int clientWidth, int cellWidth);
// Place of slot s in a grid of `columns` columns, below a bar `barHeight` pixels high.
QRect cellRect(int slot, int columns, QSize cell, int barHeight = 0);
// Size of the area that holds `cellCount` cells, margins included.
QSize pageExtent(int cellCount, int columns, QSize cell);
