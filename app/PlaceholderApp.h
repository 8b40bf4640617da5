#pragma once
// A stand-in application until the game's own takes its place: an 800 x 600
// screen with one full-screen widget that draws a slowly moving gradient, so
// a run (or a screenshot of it) shows that window, scheduler, drawing and
// presenting all work. It can stop itself after a number of drawn frames.
#include "framework/QuillAppBase.h"
#include "framework/Widget.h"

#include <memory>

// The full-screen widget: horizontal bands of colour drifting with time.
class PlaceholderWidget : public Quill::Widget {
public:
    void Update() override;
    void Draw(Quill::Graphics* g) override;

    int phase = 0;
};

class PlaceholderApp : public Quill::QuillAppBase {
public:
    // frameLimit > 0 shuts the application down after that many drawn frames.
    explicit PlaceholderApp(int frameLimit = 0);
    ~PlaceholderApp() override;

    void LoadingProc() override;
    bool RedrawIfDirty() override;

    int framesDrawn = 0;

private:
    int frameLimit;
    std::unique_ptr<PlaceholderWidget> widget;
};
