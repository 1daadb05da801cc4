// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Layout of one kind of diagram with its colour strip: the main window's or the large window's.
struct DiagramGeometry {
    int Width;             // pixel columns of the diagram and of the colour strip
    int Height;            // pixel rows of the diagram
    int StripHeight;       // pixel rows of the colour strip
    int ColumnsPerChannel; // channel j starts at column ColumnsPerChannel × j
    int LevelFactor;       // rows per level unit, relative to the main diagram
    int MarkPenWidth;      // pen width of the extreme marks, spectral lines and reference line
    int GridFontSize;      // points of the grid's wavelength texts
    bool MarksOnStrip;     // the extreme marks run on through the colour strip
};

// The main window: four columns per channel.
constexpr DiagramGeometry MainDiagram{509, 256, 45, 4, 1, 1, 8, true};
// The large window: twice the size in both directions, wider marks, larger grid texts.
constexpr DiagramGeometry BigDiagram{1021, 512, 45, 8, 2, 2, 12, false};

// The main window's miniature strip: one column per channel.
constexpr int MiniatureWidth = 128;
constexpr int MiniatureHeight = 25;
