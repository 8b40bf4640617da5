#pragma once
// Shared by the application tests: a fresh temporary settings folder per
// test, the headless platform on a manual clock installed as the platform, a
// small application that stays in its folder and never checks for a second
// copy, and a widget that writes down what reaches it.
#include "framework/graphics/Graphics.h"
#include "framework/app/QuillAppBase.h"
#include "framework/platform/HeadlessPlatform.h"
#include "framework/support/TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace apptest {

using testfiles::TempFolder;

// Writes down every input call as a short line ("down 10,20 -1").
class RecordingWidget : public Quill::Widget {
public:
    using Quill::Widget::MouseDown;
    using Quill::Widget::MouseUp;
    void MouseDown(int32_t x, int32_t y, int clickCount) override {
        Log("down " + Point(x, y) + " " + std::to_string(clickCount));
        Quill::Widget::MouseDown(x, y, clickCount);
    }
    void MouseUp(int32_t x, int32_t y, int clickCount) override {
        Log("up " + Point(x, y) + " " + std::to_string(clickCount));
        Quill::Widget::MouseUp(x, y, clickCount);
    }
    void MouseWheel(int delta) override { Log("wheel " + std::to_string(delta)); }
    void KeyDown(uint32_t key) override { Log("keydown " + std::to_string(key)); }
    void KeyUp(uint32_t key) override { Log("keyup " + std::to_string(key)); }
    void KeyChar(char c) override { Log(std::string("char ") + c); }
    void Update() override { ++updates; }
    void FractionalUpdate(float f) override { lastFraction = f; }
    void Draw(Quill::Graphics* g) override {
        g->SetColor(Quill::Color(10, 20, 30));
        g->FillRect(0, 0, width, height);
    }
    bool AcceptsFocus() override { return true; }

    std::vector<std::string> events;
    int updates = 0;
    float lastFraction = 0;

private:
    static std::string Point(int x, int y) { return std::to_string(x) + "," + std::to_string(y); }
    void Log(const std::string& line) { events.push_back(line); }
};

class TestApp : public Quill::QuillAppBase {
public:
    TestApp() {
        singleInstance = false;
        reportStatistics = false;
        width = 800;
        height = 600;
        registryKey = "VelmoraTest";
    }
    bool ChangeDirHook(const std::string&) override { return true; }
    void LoadingProc() override {
        if (loadingBody) loadingBody();
    }
    void LoadingCompleted() override {
        ++completedCount;
        completedOn = std::this_thread::get_id();
    }
    // One main-loop pass without the scheduler.
    void Pump() {
        DispatchPlatformEvents();
        ProcessDeferredMessages();
    }
    using Quill::QuillAppBase::StartLoadingThread;

    std::function<void()> loadingBody;
    int completedCount = 0;
    std::thread::id completedOn;
};

// A test with its own settings folder and a manual-clock headless platform.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("VELMORA_CONFIG_HOME", folder.path.c_str(), 1);
        auto owned = std::make_unique<Quill::HeadlessPlatform>(true);
        platform = owned.get();
        Quill::SetPlatform(std::move(owned));
    }
    void TearDown() override {
        EndApp();
        Quill::SetPlatform(nullptr);
    }
    // Takes the test's widgets off the application and ends it.
    virtual void EndApp() {
        if (app && app->GetWidgetManager()) app->GetWidgetManager()->RemoveWidget(&widget);
        app.reset();
    }
    // A started application with loading already handled and the widget
    // covering the screen with the focus.
    TestApp& MakeApp() {
        app = std::make_unique<TestApp>();
        return *app;
    }
    // A stored whole-number setting, -1 when there is none.
    static int32_t Stored(TestApp& a, const std::string& name) {
        int32_t v = 0;
        return a.RegistryReadInteger(name, v) ? v : -1;
    }
    TestApp& InitApp() {
        TestApp& a = app ? *app : MakeApp();
        a.Init();
        a.loadingHandled = true;
        a.running = true;
        widget.Resize(0, 0, 800, 600);
        a.GetWidgetManager()->AddWidget(&widget);
        a.GetWidgetManager()->SetFocus(&widget);
        return a;
    }

    TempFolder folder;
    Quill::HeadlessPlatform* platform = nullptr;
    std::unique_ptr<TestApp> app;
    RecordingWidget widget;
};

} // namespace apptest
