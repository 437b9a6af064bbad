#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Published.h"
#include "platform/KeyboardLayout.h"
#include "shortcuts/MenuItem.h"
#include "shortcuts/ModifierFlags.h"
#include "shortcuts/Name.h"
#include "shortcuts/Registry.h"

namespace pindrake::GlobalShortcuts {

// What the recorder needs of the control that shows it.
class RecorderHost {
  public:
    struct Alert {
        std::string message;
        std::string informativeText;
        // The first is the default; an alert without buttons gets one "OK".
        std::vector<std::string> buttons;
    };

    virtual ~RecorderHost() = default;

    virtual void beep() = 0;
    // Shows the alert modally for the control's window and returns the index of the button
    // chosen.
    virtual int runAlert(const Alert& alert) = 0;
    // Gives up the keyboard focus, which ends the recording (`endRecording`).
    virtual void endEditing() = 0;
    // Takes the keyboard focus, which starts a recording (`beginRecording`).
    virtual void focus() = 0;
    virtual void setText(const std::string& text) = 0;
    virtual void setPlaceholder(const std::string& text) = 0;
    virtual void setShowsClearButton(bool shows) = 0;
    // The control's size, for telling clicks inside it from clicks outside.
    virtual double boundsWidth() const = 0;
    virtual double boundsHeight() const = 0;
};

// One event the recorder sees while it records: a key press or a mouse button let go
// anywhere in the application.
struct RecorderEvent {
    enum class Kind { keyDown, leftMouseUp, rightMouseUp, other };
    Kind kind = Kind::other;
    // The virtual key code; none for a key that stored shortcuts cannot name.
    std::optional<int> keyCode;
    ModifierFlags modifiers;
    // For mouse events: where, in the control's coordinates.
    double x = 0;
    double y = 0;
};

// The behaviour of the shortcut recorder control, apart from any toolkit: what it shows, how it
// starts and ends recording, and which key presses it accepts, refuses or warns about.
class RecorderLogic {
  public:
    using OnChange = std::function<void(const std::optional<Shortcut>&)>;
    // The application's main menu; none when it has none.
    using MenuSource = std::function<std::optional<std::vector<MenuItem>>()>;
    enum class Disposition { pass, swallow };

    // Shows the name's shortcut at once and follows changes made elsewhere.
    RecorderLogic(RecorderHost& host, Registry& registry, const platform::KeyboardLayout& layout,
                  Name name, OnChange onChange, MenuSource mainMenu = {});
    ~RecorderLogic();
    RecorderLogic(const RecorderLogic&) = delete;
    RecorderLogic& operator=(const RecorderLogic&) = delete;

    const Name& shortcutName() const { return name_; }
    // Shows the new name's shortcut, unless it has the raw value of the current one.
    void setShortcutName(Name name);

    // Global hot keys are paused while recording, and the recorder-active status follows.
    void beginRecording();
    // Every way out ends here; ending a recording that is not running does nothing, so one
    // recorder never un-pauses another one's recording.
    void endRecording();
    bool isRecording() const { return isRecording_; }

    // An event of the application while recording: whether it goes on to its target.
    Disposition handleEvent(const RecorderEvent& event);

    // The clear button was pressed (or Delete while recording): clears the stored shortcut and
    // records a new one.
    void clear();

  private:
    Disposition accept(const Shortcut& shortcut);
    bool conflictsWithMenu(const Shortcut& shortcut);
    bool userKeepsSystemShortcut(const Shortcut& shortcut);
    void showStoredShortcut();
    void updateClearButton();

    RecorderHost& host_;
    Registry& registry_;
    const platform::KeyboardLayout& layout_;
    Name name_;
    OnChange onChange_;
    MenuSource mainMenu_;
    std::string text_;
    bool isRecording_ = false;
    Subscription shortcutChanges_;
};

}  // namespace pindrake::GlobalShortcuts
