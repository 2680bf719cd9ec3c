// What an item may ask of the window that shows it. The shell implements it
// and hands it to every item at construction; an item holds nothing else of
// the shell, so it is built and tested without a window.
#pragma once

class Measure;

class ItemHost {
public:
    // The item's lines, name or text width changed: the window is laid out
    // again soon, on the UI thread.
    virtual void requestRelayout() = 0;
    // Callable from any thread: item's update runs on the UI thread, unless
    // the item is gone by then.
    virtual void updateOnUiThread(const Measure* item) = 0;
    // Callable from any thread: item's takeAnswers runs on the UI thread,
    // unless the item is gone by then.
    virtual void answersReady(const Measure* item) = 0;
    // Opens a file, folder or program with the shell's default action; a
    // failure shows nothing and is not reported.
    virtual void launch(const char* target) = 0;

protected:
    ~ItemHost() = default;
};
