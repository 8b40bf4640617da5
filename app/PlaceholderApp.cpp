#include "app/PlaceholderApp.h"

#include "framework/Graphics.h"

#include <cmath>

using namespace Quill;

void PlaceholderWidget::Update() {
    ++phase;
    Invalidate();
}

void PlaceholderWidget::Draw(Graphics* g) {
    // Calm bands of blue and teal, each a little brighter or darker as a
    // slow wave passes down the screen.
    const int bands = 40;
    int bandHeight = std::max(1, (height + bands - 1) / bands);
    for (int i = 0; i < bands; ++i) {
        double wave = std::sin(phase * 0.02 + i * 0.25);
        int r = 20 + i;
        int gr = static_cast<int>(70 + 40 * wave) + i * 2;
        int b = static_cast<int>(120 + 50 * wave);
        g->SetColor(Color(r, gr, b));
        g->FillRect(0, static_cast<float>(i * bandHeight), width, bandHeight);
    }
    // A bright bar that sweeps across, so consecutive frames differ visibly.
    int barX = (phase * 3) % std::max(1, width + 60) - 60;
    g->SetColor(Color(240, 220, 150, 160));
    g->FillRect(static_cast<float>(barX), 0, 60, height);
}

PlaceholderApp::PlaceholderApp(int limit) : frameLimit(limit) {
    productName = "Velmora";
    windowTitle = "Velmora";
    registryKey = "Velmora";
    width = 800;
    height = 600;
    vsyncPacing = true;
}

PlaceholderApp::~PlaceholderApp() {
    if (widget && widgetManager) widgetManager->RemoveWidget(widget.get());
}

void PlaceholderApp::LoadingProc() {
    widget = std::make_unique<PlaceholderWidget>();
    widget->Resize(0, 0, width, height);
    widgetManager->AddWidget(widget.get());
    widgetManager->SetFocus(widget.get());
}

bool PlaceholderApp::RedrawIfDirty() {
    bool presented = QuillAppBase::RedrawIfDirty();
    if (presented && frameLimit > 0 && ++framesDrawn >= frameLimit) Shutdown();
    return presented;
}
