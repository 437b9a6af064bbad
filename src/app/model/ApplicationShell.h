#pragma once

namespace pindrake::app {

// The application's own windows and life, as the shell's logic drives them. Main thread only.
class ApplicationShell {
  public:
    virtual ~ApplicationShell() = default;

    // Brings this application in front of the others.
    virtual void activate() = 0;
    virtual void openSettingsWindow() = 0;
    // Raises the settings window and gives it the keyboard; false while it does not exist yet.
    virtual bool raiseSettingsWindow() = 0;
    virtual void closeSettingsWindow() = 0;
    virtual void showAbout() = 0;
    // Ends the application once the current turn is over.
    virtual void terminate() = 0;
    // Tells the user that pasting into other applications is not possible on this display.
    virtual void showPasteUnavailableNotice() = 0;
};

}  // namespace pindrake::app
