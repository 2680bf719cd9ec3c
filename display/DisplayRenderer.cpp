// Layout of the three columns and the off-screen paint step.
#include "display/DisplayRenderer.h"

#include <algorithm>

#include "display/ItemDrawing.h"
#include "display/TextDrawing.h"
#include "platform/GdiGuards.h"

DisplayRenderer::DisplayRenderer(Settings& settingsStore) : settings(settingsStore)
{
}

void DisplayRenderer::layout(MeasureList& list, HFONT font)
{
    CreatedDC measuring(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    {
        Selection selection(measuring.get(), font);
        RECT rect{0, 0, 0, 0};
        drawDisplayText(measuring.get(), list.joinNames().c_str(), rect, kMeasureFlags);
        labelWidth = rect.right;

        std::string separatorText = settings.separator() + " ";
        drawDisplayText(measuring.get(), separatorText.c_str(), rect, kMeasureFlags);
        separatorWidth = rect.right;
        valueColumnStart = labelWidth + separatorWidth - scaled(2);

        int allLines = 0;
        int shownLines = 0;
        const std::string& values = list.joinValues(allLines, shownLines);
        drawDisplayText(measuring.get(), values.c_str(), rect, kMeasureFlags);
        int valueWidth = rect.right;
        lineHeight = lineHeightFor(rect.bottom, allLines);

        // The extra line height holds the frame box beside the values.
        outlineMargin = settings.textOutline ? scaled(1) : 0;
        pictureWidth =
            labelWidth + lineHeight + separatorWidth + valueWidth - scaled(4) + 2 * outlineMargin;
        pictureHeight = lineHeight * shownLines + 1 + 2 * outlineMargin;
    }

    settings.windowRect.right = settings.windowRect.left + pictureWidth;
    settings.windowRect.bottom = settings.windowRect.top + pictureHeight;

    picture_ = OffscreenBitmap(measuring.get(), pictureWidth, pictureHeight);
    wholeMarked_ = true;
}

void DisplayRenderer::paint(HDC target, MeasureList& list, HFONT font, bool exiting)
{
    if (memoryDC() == nullptr || exiting)
        return;
    compose(list, font, Band{0, pictureHeight});
    BitBlt(target, 0, 0, pictureWidth, pictureHeight, memoryDC(), 0, 0, SRCCOPY);
    wholeMarked_ = false;
    paintedFontColour_ = settings.fontColour;
    paintedGraphColour_ = settings.graphColour;
    list.clearChanged();
}

void DisplayRenderer::paintChanged(HDC target, MeasureList& list, HFONT font, bool exiting)
{
    if (wholeMarked_ || coloursChanged()) {
        paint(target, list, font, exiting);
        return;
    }
    if (memoryDC() == nullptr || exiting)
        return;
    for (Band rows : list.changedBands(lineHeight, contentHeight())) {
        // The rows sit outlineMargin down in the picture, and their outlines
        // reach that far past them on both sides.
        Band band{rows.top, std::min(rows.bottom + 2 * outlineMargin, pictureHeight)};
        if (band.bottom <= band.top)
            continue;
        compose(list, font, band);
        BitBlt(target, 0, band.top, pictureWidth, band.bottom - band.top, memoryDC(), 0, band.top,
               SRCCOPY);
    }
    list.clearChanged();
}

void DisplayRenderer::compose(MeasureList& list, HFONT font, Band band)
{
    if (colourKeyBrush_ == nullptr)
        colourKeyBrush_.reset(CreateSolidBrush(kColourKey));

    HDC dc = memoryDC();
    SetBkColor(dc, kColourKey);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, drawableColour(settings.fontColour));
    Selection selection(dc, font);
    // Every drawing below that would reach past the band is cut at its edges,
    // so the band ends up as the whole picture has it and nothing else moves.
    ClipRows clip(dc, pictureWidth, band.top, band.bottom);

    RECT rows{0, band.top, pictureWidth, band.bottom};
    FillRect(dc, &rows, colourKeyBrush_.get());

    // Items draw as if the margin were not there; the clip stays where it was set.
    SetViewportOrgEx(dc, outlineMargin, outlineMargin, nullptr);
    const int width = contentWidth();
    ItemDrawing drawing(dc, settings,
                        ItemColumns{width, contentHeight(), lineHeight, valueColumnStart,
                                    labelWidth, separatorWidth, outlineMargin});
    // The frame box marks the window when no bar does.
    if (!(settings.showGraphs && list.anyVisibleGraph())) {
        int inset = scaled(5);
        int left = settings.rightAlign ? valueColumnStart : width - lineHeight + inset;
        int right = settings.rightAlign ? valueColumnStart + lineHeight - inset : width;
        drawing.drawBar(scaled(3), left, lineHeight - scaled(3), right);
    }

    list.drawAll(drawing, Band{band.top - 2 * outlineMargin, band.bottom});
    SetViewportOrgEx(dc, 0, 0, nullptr);
}

void RequestRedraw(HWND window, const DisplayRenderer& renderer)
{
    RECT picture{0, 0, renderer.pictureWidth, renderer.pictureHeight};
    RedrawWindow(window, &picture, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_NOINTERNALPAINT);
}
