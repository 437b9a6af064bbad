#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>

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
    xcb_atom_t incr = XCB_ATOM_NONE;
    xcb_atom_t property = XCB_ATOM_NONE;  // where owners put what we ask for
};

// One read of everything the selection's owner offers: its list of targets, then each target
// that holds contents, incremental transfers included. A target whose conversion fails, is
// refused or takes too long is left out. Runs on the reader's worker thread.
class XcbSelectionTransfer {
  public:
    enum class Outcome {
        read,          // `contents` holds what the owner gave
        ownerChanged,  // another copy was made meanwhile; the read is worthless
        stopped,
    };

    struct Context {
        xcb_connection_t* connection;
        xcb_window_t root;
        const SelectionAtoms& atoms;
        XcbEventSource& events;
        // Sees every event that arrives during the read; true when it tells of a new owner.
        std::function<bool(const xcb_generic_event_t&)> isOwnerChange;
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
    // `late`: the read's time ran out first.
    enum class Answer { data, absent, late, ownerChanged, stopped };
    using Clock = XcbEventSource::Clock;

    Answer convert(xcb_atom_t target, std::string& bytes);
    Answer receiveIncrementally(std::string& bytes);
    // Waits for an event that `matches`; other events are dropped after the owner-change test.
    Answer waitFor(const std::function<bool(const xcb_generic_event_t&)>& matches);
    // Takes the property off our window: its type and bytes, nothing when it is missing or larger
    // than what is left of the byte budget.
    std::optional<std::pair<xcb_atom_t, std::string>> takeProperty();
    std::optional<xcb_window_t> currentOwner() const;
    std::vector<std::pair<xcb_atom_t, std::string>> namesOf(const std::string& atomList);

    // When the whole read ends, given what has been received so far.
    Clock::time_point readDeadline() const;

    Context context_;
    xcb_window_t window_;
    xcb_timestamp_t time_ = XCB_CURRENT_TIME;
    Clock::time_point readStart_;
    std::size_t bytesLeft_ = 0;
};

}  // namespace pindrake::platform
