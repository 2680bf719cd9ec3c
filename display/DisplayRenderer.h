// Turns the items into the picture: three columns measured with the display
// font, the window size, and an off-screen bitmap the paint step composes
// and copies to the window, whole or only where items changed.
#pragma once

#include <windows.h>

#include "display/DpiScaling.h"
#include "measures/MeasureList.h"
#include "platform/GdiGuards.h"
#include "settings/Settings.h"

struct DisplayRenderer {
    int labelWidth = 0;
    int separatorWidth = 0;
    // Left edge of the bars and, right-aligned, of the frame box: 2 pixels
    // (at 96 DPI) left of where the values begin.
    int valueColumnStart = 0;
    // The picture: the columns and rows, with the text outline's width of
    // room on every side when Text Outline is on.
    int pictureWidth = 0;
    int pictureHeight = 0;
    // That room: the outline's width at the picture's DPI, or 0.
    int outlineMargin = 0;
    int lineHeight = 0;
    // The DPI the picture is drawn for: the font's and every fixed size's.
    int dpi = kBaseDpi;
    Settings& settings;

    explicit DisplayRenderer(Settings& settingsStore);
    DisplayRenderer(const DisplayRenderer&) = delete;
    DisplayRenderer& operator=(const DisplayRenderer&) = delete;

    // Measures every name and value (hidden ones too), sizes the picture,
    // stores the size in the settings' window rectangle and prepares a new
    // bitmap, which the next paint draws whole. Neither moves the window nor
    // writes the settings file.
    void layout(MeasureList& list, HFONT font);
    // The next paint draws the whole picture: for options that change every
    // line. A new text or graph colour needs no mark: paintChanged sees it.
    void markWhole() { wholeMarked_ = true; }
    bool needsPainting(const MeasureList& list) const
    {
        return wholeMarked_ || coloursChanged() || list.anyChanged();
    }
    // Composes the whole picture and copies it to target at (0, 0); clears
    // every mark. Draws nothing before the first layout or while exiting.
    void paint(HDC target, MeasureList& list, HFONT font, bool exiting);
    // As paint, but redraws and copies only the rows of changed items unless
    // the whole picture is marked or the colours differ from those it shows.
    void paintChanged(HDC target, MeasureList& list, HFONT font, bool exiting);
    // A size of the 96-DPI picture at the picture's DPI.
    int scaled(int pixels) const { return scaleForDpi(pixels, dpi); }
    // The composed picture; nullptr before the first layout.
    HDC memoryDC() const { return picture_.dc(); }

private:
    // Draws the rows of band (picture coordinates) in the bitmap exactly as
    // a whole picture has them.
    void compose(MeasureList& list, HFONT font, Band band);
    int contentWidth() const { return pictureWidth - 2 * outlineMargin; }
    int contentHeight() const { return pictureHeight - 2 * outlineMargin; }

    // Every row, the unchanged ones too, is drawn in the text colour and its
    // pen and over bars of the graph colour.
    bool coloursChanged() const
    {
        return settings.fontColour != paintedFontColour_
               || settings.graphColour != paintedGraphColour_;
    }

    OffscreenBitmap picture_;
    GdiObject<HBRUSH> colourKeyBrush_;
    bool wholeMarked_ = true;
    // The colours the picture on screen was drawn in.
    COLORREF paintedFontColour_ = CLR_INVALID;
    COLORREF paintedGraphColour_ = CLR_INVALID;
};

// Repaints the whole picture now: RDW_FRAME makes the platform send the
// WM_NCPAINT that the picture is painted on.
void RequestRedraw(HWND window, const DisplayRenderer& renderer);

// Line height from the measured height of all values (which end with a line
// break, so they measure as allLines + 1 lines).
inline int lineHeightFor(int textHeight, int allLines)
{
    return (textHeight + 1) / (allLines + 1);
}
