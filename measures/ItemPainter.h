// What an item draws its rows with. The display implements it over its
// picture, in the columns of its last layout; an item only says what goes on
// which row.
#pragma once

class ItemPainter {
public:
    // The load bar behind the value of the row at top; drawn only while
    // graphs are shown and for a percent of 1 to 100.
    virtual void drawPercentBar(int top, int percent) = 0;
    // Label, separator and value in their columns, their lines running down
    // from top; returns the height of the value drawn.
    virtual int drawColumns(int top, const char* label, const char* separator,
                            const char* value) = 0;
    virtual int lineHeight() const = 0;

protected:
    ~ItemPainter() = default;
};
