#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <xcb/xcb.h>

#include "platform/Pasteboard.h"
#include "platform/linux/XcbEventSource.h"

namespace pindrake::platform {

// What bounds one read of a selection owner, which may be slow, broken or hostile.
struct SelectionReadLimits {
    // For each answer: the list of targets, a conversion, one chunk of an incremental transfer.
    std::chrono::milliseconds perAnswer{1000};
    // The whole read, extended by a second for every `slowestRate` bytes received: a large copy
    // that keeps coming is read whole, however slow the machine, while an owner that trickles
    // earns next to nothing. `maxBytes` bounds the extension too.
    std::chrono::milliseconds wholeRead{3000};
    std::size_t slowestRate = std::size_t{1} << 20;  // bytes a second
    std::size_t maxBytes = std::size_t{128} << 20;   // all types together
    std::size_t maxTargets = 64;
};

// The atoms a read needs, interned once per connection.
struct SelectionAtoms {
    xcb_atom_t selection = XCB_ATOM_NONE;  // CLIPBOARD
    xcb_atom_t targets = XCB_ATOM_NONE;
    xcb_atom_t utf8String = XCB_ATOM_NONE;
    xcb_atom_t incr = XCB_ATOM_NONE;
    xcb_atom_t property = XCB_ATOM_NONE;  // where owners put what we ask for
};

// One read of everything the selection's owner offers: its text, its list of targets, then each
// other target that holds contents, incremental transfers included. A target whose conversion
// fails, is refused or takes too long is left out. Once another client takes the selection, or
// the owner leaves it, no request reaches the owner any more: the read keeps what the owner gave
// whole, the answer it was still giving included, and never an answer of the newer owner. Every
// type lost to the history is logged with the reason. Runs on the reader's worker thread.
class XcbSelectionTransfer {
  public:
    enum class Outcome {
        read,  // `contents` holds what the owner gave, possibly nothing
        stopped,
    };

    struct Context {
        xcb_connection_t* connection;
        xcb_window_t root;
        const SelectionAtoms& atoms;
        XcbEventSource& events;
        // Sees every event that arrives during the read; the selection's new owner (none when
        // the owner left it) when the event tells of one.
        std::function<std::optional<xcb_window_t>(const xcb_generic_event_t&)> newOwnerIn;
        // Names of atoms met so far (atoms live as long as the server).
        std::unordered_map<xcb_atom_t, std::string>& atomNames;
        SelectionReadLimits limits;
    };

    explicit XcbSelectionTransfer(Context context);
    ~XcbSelectionTransfer();
    XcbSelectionTransfer(const XcbSelectionTransfer&) = delete;
    XcbSelectionTransfer& operator=(const XcbSelectionTransfer&) = delete;

    // Reads from `owner`, which took the selection at `time`.
    Outcome read(xcb_window_t owner, xcb_timestamp_t time, PasteboardContents& contents);

  private:
    // `late`: the read's time ran out first. `replaced` and `ownerGone`: the answer will never
    // come from the owner read, since another client took the selection or the owner left it.
    enum class Answer { data, absent, late, replaced, ownerGone, stopped };
    using Clock = XcbEventSource::Clock;

    // The first time another client took the selection or its owner left it during the read.
    struct Displacement {
        // The last request of ours the server had handled then: requests up to it reached the
        // owner read, later ones the next owner.
        std::uint32_t lastRequestHandled;
        xcb_window_t newOwner;
    };

    // Gives the type the owner gave the bytes as, when asked.
    Answer convert(xcb_atom_t target, std::string& bytes, xcb_atom_t* type = nullptr);
    Answer receiveIncrementally(std::string& bytes, xcb_atom_t* type);
    // Waits for an event that `matches`; other events are dropped after the owner-change test.
    Answer waitFor(const std::function<bool(const xcb_generic_event_t&)>& matches);
    // Whether the owner read still answers the request in progress after being displaced.
    bool ownerStillAnswers() const;
    // `replaced` or `ownerGone`, once displaced.
    Answer endedBy() const;
    // Says what the history does not get of this copy, and why.
    void logLosses(Answer listed, bool keptAny, const std::string& cutOff,
                   const std::string& notGiven) const;
    // Takes the property off our window: its type and bytes, nothing when it is missing or larger
    // than what is left of the byte budget.
    std::optional<std::pair<xcb_atom_t, std::string>> takeProperty();
    std::vector<std::pair<xcb_atom_t, std::string>> namesOf(const std::string& atomList);

    // When the whole read ends, given what has been received so far.
    Clock::time_point readDeadline() const;

    Context context_;
    xcb_window_t window_;
    xcb_window_t owner_ = XCB_WINDOW_NONE;
    xcb_timestamp_t time_ = XCB_CURRENT_TIME;
    // The sequence number of the conversion request waited for.
    std::uint32_t request_ = 0;
    std::optional<Displacement> displaced_;
    Clock::time_point readStart_;
    std::size_t bytesLeft_ = 0;
};

}  // namespace pindrake::platform
