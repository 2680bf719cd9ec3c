// Geometry of an item's load bar, apart from any device context.
#pragma once

struct BarExtent {
    int left;
    int right;
};

// The bar for percent of the span from valueColumnStart to right: growing
// rightwards, or with Right Align ending at the right edge.
BarExtent barExtent(int valueColumnStart, int right, int percent, bool rightAlign);
