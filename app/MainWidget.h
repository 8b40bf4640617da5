#pragma once
// The one widget of the game: it covers the whole window, draws the picture
// of the current screen state every frame, runs a gameplay tick (or the menu
// decorations) once a frame, and turns every key and mouse event into an
// InputMessage for the menu commands. Losing the focus while playing pauses
// the game. The application owns it; the widget manager only lists it.
#include "engine/MouseButtonEdges.h"

#include "framework/graphics/Graphics.h"
#include "framework/widgets/Widget.h"

#include <cstdint>

class GameApp;

class MainWidget : public Quill::Widget {
public:
    explicit MainWidget(GameApp* app);
    ~MainWidget() override;

    void Draw(Quill::Graphics* g) override;
    void Update() override;
    void FractionalUpdate(float fraction) override;
    void GotFocus() override;
    void LostFocus() override;
    void KeyChar(char c) override;
    void KeyDown(uint32_t key) override;
    void MouseMove(int32_t x, int32_t y) override;
    using Quill::Widget::MouseDown;
    // Any button: the click count is not looked at.
    void MouseDown(int32_t x, int32_t y, int clickCount) override;
    using Quill::Widget::MouseUp;
    // Presses and releases reach the gameplay's button edges in the order the
    // window reported them, however short the click.
    void MouseUp(int32_t x, int32_t y, int clickCount) override;
    void MouseDrag(int32_t x, int32_t y) override;

    // Gameplay ticks run so far (one per frame while playing).
    uint32_t RoundTicks() const { return roundTicks; }

private:
    // Packs an event into an InputMessage for the session or the menus.
    void Send(uint32_t message, uint32_t wParam, int32_t x, int32_t y);
    // A press or release for the hand in play, through the session if one runs.
    void Note(MouseButton button, bool down);

    GameApp* app;
    // The frame's drawing context, kept past the draw: the menus measure the
    // client area through it when input arrives between frames, and the
    // context the widget manager hands to Draw lives only for that call.
    Quill::Graphics frame;
    uint32_t roundTicks = 0;
};
