#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/XcbConnection.h"

namespace pindrake::platform::testing {

// Another X client that owns the CLIPBOARD selection and answers requests for it as scripted:
// well, slowly, never, or not at all once it has listed its targets. Runs on a thread of its
// own with its own connection, like a separate application.
class ScriptedSelectionOwner {
  public:
    struct Offer {
        std::string target;
        std::string bytes;
        std::chrono::milliseconds delay{0};  // before answering
        bool refused = false;
    };
    enum class Behaviour { serves, neverAnswers, answersOnlyTargets, diesAfterTargets };

    // Owns the clipboard once constructed.
    explicit ScriptedSelectionOwner(std::vector<Offer> offers,
                                    Behaviour behaviour = Behaviour::serves);
    ~ScriptedSelectionOwner();
    ScriptedSelectionOwner(const ScriptedSelectionOwner&) = delete;
    ScriptedSelectionOwner& operator=(const ScriptedSelectionOwner&) = delete;

  private:
    void run();
    // False once the owner has gone away.
    bool answer(const xcb_selection_request_event_t& request);
    // Stores the answer in the requested property and tells the requestor.
    void give(const xcb_selection_request_event_t& request, xcb_atom_t type, std::uint8_t format,
              std::size_t count, const void* data);
    void notify(const xcb_selection_request_event_t& request, xcb_atom_t property);
    void pause(std::chrono::milliseconds delay) const;

    std::vector<Offer> offers_;
    Behaviour behaviour_;
    XcbConnection x_;
    xcb_window_t window_ = XCB_WINDOW_NONE;
    xcb_atom_t clipboard_ = XCB_ATOM_NONE;
    xcb_atom_t targets_ = XCB_ATOM_NONE;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace pindrake::platform::testing
