#pragma once
// Full-screen states of the game and the manager that switches between them by name.

#include <map>
#include <memory>
#include <string>

// Base of every screen; the hooks do nothing here and their results are not read.
class BaseScreenClass {
  public:
    virtual ~BaseScreenClass() = default;
    BaseScreenClass() = default;
    BaseScreenClass(const BaseScreenClass&) = delete;
    BaseScreenClass& operator=(const BaseScreenClass&) = delete;

    // Once, when the screen is added to the manager.
    virtual int Create() { return 0; }
    // Each time the screen becomes active.
    virtual int Start() { return 0; }
    // Each time the screen stops being active.
    virtual int Finish() { return 0; }
    // One logic step while active.
    virtual int Update() { return 0; }
    // One frame while active.
    virtual int Render() { return 0; }
};

class ScreenClass {
  public:
    std::map<std::string, std::unique_ptr<BaseScreenClass>> screens;
    BaseScreenClass* activeScreen = nullptr;

    virtual ~ScreenClass() = default;
    // Takes ownership (a second screen under the same name replaces the first) and runs Create.
    virtual void Add(const std::string& name, std::unique_ptr<BaseScreenClass> screen);
    // Finish on the old screen, Start on the new one. An unknown name keeps the current screen.
    virtual void Show(const std::string& name);
    // One tick of the active screen.
    virtual void Update();
    // Draws the active screen.
    virtual void Render();
    // The screen registered under a name, or null.
    BaseScreenClass* Find(const std::string& name) const;
    // Name of the active screen, or "" before the first switch.
    std::string ActiveName() const;
};

extern std::unique_ptr<ScreenClass> screenManager;
