// The ticket face and the digit glyphs in pixels: the sizes of the module's bitmaps, of the image
// lists it draws them from, of the ticket GetPlgInfo announces and DrawSeiriken draws, and of
// every canvas a host draws a ticket into.
#pragma once

constexpr int FaceWidth = 216;
constexpr int FaceHeight = 97;
constexpr int GlyphWidth = 40;
constexpr int GlyphHeight = 60;
