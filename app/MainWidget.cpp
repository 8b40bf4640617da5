#include "app/MainWidget.h"

#include "app/GameApp.h"
#include "app/StatePictures.h"

#include "gameplay/Game.h"
#include "gameplay/GameState.h"
#include "gameplay/MenuCommands.h"

#include "engine/FrameRateMeter.h"
#include "engine/InputMessage.h"
#include "engine/Language.h"
#include "engine/MouseButtonEdges.h"
#include "engine/TextureManager.h"

#include "framework/graphics/Graphics.h"

#include <cstdio>

namespace {

// Where a demo or a replay says so, over the picture.
constexpr float kCaptionX = 0.89f, kCaptionY = 0.03f, kCaptionSize = 0.035f;

} // namespace

void MainWidget::Send(uint32_t message, uint32_t wParam, int32_t x, int32_t y) {
    const InputMessage m = MakeInputMessage(message, wParam, x, y);
    // A demo or a replay takes the input itself; a recording writes it down.
    if (app && app->SessionInput(m)) return;
    ProcessMessage(m);
}

namespace {

// The opacity of black over the picture while the screen fades: the alpha
// byte of 1 - fade, where a byte of 0 (fade 0) reads as fully opaque.
uint32_t FadeOverlayColour(float fade) {
    const uint32_t alpha = static_cast<uint32_t>(static_cast<int32_t>((1.0f - fade) * 255.0f) + 1) & 0xFFu;
    return alpha << 24;
}

// The widget manager's click counts: 1 and 2 left, -1 and -2 right, 3 middle.
MouseButton ButtonOfClick(int clickCount) {
    if (clickCount < 0) return MouseButton::Right;
    return clickCount == 3 ? MouseButton::Middle : MouseButton::Left;
}

} // namespace

MainWidget::MainWidget(GameApp* owner) : app(owner) {}

void MainWidget::Note(MouseButton button, bool down) {
    // A demo or a replay has a hand of its own; a recording writes it down.
    if (app && app->SessionButton(static_cast<int32_t>(button), down)) return;
    NoteMouseButton(button, down);
}

MainWidget::~MainWidget() {
    if (Textures().GetTarget() == &frame) Textures().SetTarget(0, nullptr);
}

void MainWidget::Draw(Quill::Graphics* context) {
    frame = *context;
    Quill::Graphics* g = &frame;
    TextureManager& t = Textures();
    t.SetTarget(1, g);
    g->SetDrawMode(Quill::DRAWMODE_NORMAL);
    g->SetColor(Quill::Color::Black());
    g->FillRect(0, 0, width, height);

    const bool stepping = app && app->SessionStepping();
    DrawStatePicture(GameState, app ? LoadingPercent(app->loadDone, app->loadTotal) : 0, !stepping);

    const float fade = TheGame().screenFade;
    if (fade != 1.0f) {
        g->SetDrawMode(Quill::DRAWMODE_NORMAL);
        g->SetColor(Quill::Color::FromPacked(FadeOverlayColour(fade)));
        g->FillRect(0, 0, width, height);
    }

    if (stepping && app->SessionCaption()[0]) t.DrawText(kCaptionX, kCaptionY, kCaptionSize, OWN_COLOURS, 0, app->SessionCaption());

    // Counted every frame, so the figure is right the moment it is shown.
    const float rate = FrameRateMeter();
    if (ShowFps) {
        char text[300];
        std::snprintf(text, sizeof text, "%s: %d", GetLanguageString("FPS"), static_cast<int>(rate));
        t.DrawText(0, 0.015f, 0.03f, OWN_COLOURS, 0, text);
    }
}

void MainWidget::Update() {
    Quill::Widget::Update();
    // On fixed steps the game moves here, 10 ms a step, and not per frame.
    if (app && app->StepSession() && GameState == State::Playing) ++roundTicks;
    Invalidate();
}

void MainWidget::FractionalUpdate(float fraction) {
    if (app && app->SessionStepping()) return;
    FrameTime = fraction / 100.0f;
    // On displays above 100 Hz some frames run no whole update; what moves
    // here still has to be drawn.
    Invalidate();
    if (GameState == State::Playing) {
        TheGame().UpdateRound(FrameTime);
        ++roundTicks;
    } else if (GameState != State::Loading) {
        TheGame().UpdateButterflies(FrameTime);
    }
}

void MainWidget::GotFocus() { Quill::Widget::GotFocus(); }

void MainWidget::LostFocus() {
    Quill::Widget::LostFocus();
    if (app && app->SessionFocusLost()) return;
    if (GameState == State::Playing) SetGameState(State::Paused);
}

void MainWidget::KeyChar(char c) {
    // The character sign-extended from 8 bits, as the menus expect it.
    Send(INPUT_CHAR, static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(c))), 0, 0);
}

void MainWidget::KeyDown(uint32_t key) { Send(INPUT_KEY_DOWN, key, 0, 0); }

void MainWidget::MouseMove(int32_t x, int32_t y) { Send(INPUT_MOUSE_MOVE, 0, x, y); }

void MainWidget::MouseDown(int32_t x, int32_t y, int clickCount) {
    Quill::Widget::MouseDown(x, y, clickCount);
    Note(ButtonOfClick(clickCount), true);
    Send(INPUT_BUTTON_DOWN, 0, x, y);
}

void MainWidget::MouseUp(int32_t x, int32_t y, int clickCount) {
    Quill::Widget::MouseUp(x, y, clickCount);
    Note(ButtonOfClick(clickCount), false);
    Send(INPUT_BUTTON_UP, 0, x, y);
}

void MainWidget::MouseDrag(int32_t x, int32_t y) { MouseMove(x, y); }
