#include "platform/linux/ScriptedSelectionOwner.h"

#include "platform/linux/XcbReply.h"

#include <algorithm>
#include <cstring>

namespace pindrake::platform::testing {

using namespace std::chrono_literals;

ScriptedSelectionOwner::ScriptedSelectionOwner(std::vector<Offer> offers, Behaviour behaviour)
    : offers_(std::move(offers)), behaviour_(behaviour) {
    if (!x_.isConnected())
        return;
    clipboard_ = x_.atom("CLIPBOARD");
    targets_ = x_.atom("TARGETS");
    window_ = xcb_generate_id(x_.get());
    xcb_create_window(x_.get(), 0, window_, x_.root(), 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    x_.succeeded(xcb_set_selection_owner_checked(x_.get(), window_, clipboard_, XCB_CURRENT_TIME));
    thread_ = std::thread([this] { run(); });
}

ScriptedSelectionOwner::~ScriptedSelectionOwner() {
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

void ScriptedSelectionOwner::run() {
    while (!stop_) {
        xcb_generic_event_t* event = xcb_poll_for_event(x_.get());
        if (!event) {
            std::this_thread::sleep_for(1ms);
            continue;
        }
        const auto owned = xcbReply(event);
        if ((event->response_type & 0x7F) != XCB_SELECTION_REQUEST)
            continue;
        if (!answer(*reinterpret_cast<xcb_selection_request_event_t*>(event))) {
            xcb_disconnect(x_.release());
            return;
        }
    }
}

bool ScriptedSelectionOwner::answer(const xcb_selection_request_event_t& request) {
    if (behaviour_ == Behaviour::neverAnswers)
        return true;
    if (request.target == targets_) {
        std::vector<xcb_atom_t> atoms = {targets_};
        for (const auto& offer : offers_)
            atoms.push_back(x_.atom(offer.target));
        give(request, XCB_ATOM_ATOM, 32, atoms.size(), atoms.data());
        return behaviour_ != Behaviour::diesAfterTargets;
    }
    if (behaviour_ == Behaviour::answersOnlyTargets)
        return true;
    const auto offer = std::find_if(offers_.begin(), offers_.end(), [&](const Offer& o) {
        return x_.atom(o.target) == request.target;
    });
    if (offer != offers_.end())
        pause(offer->delay);
    if (offer == offers_.end() || offer->refused) {
        notify(request, XCB_ATOM_NONE);
    } else {
        give(request, request.target, 8, offer->bytes.size(), offer->bytes.data());
    }
    return true;
}

void ScriptedSelectionOwner::give(const xcb_selection_request_event_t& request, xcb_atom_t type,
                                  std::uint8_t format, std::size_t count, const void* data) {
    xcb_change_property(x_.get(), XCB_PROP_MODE_REPLACE, request.requestor, request.property, type,
                        format, static_cast<std::uint32_t>(count), data);
    notify(request, request.property);
}

void ScriptedSelectionOwner::notify(const xcb_selection_request_event_t& request,
                                    xcb_atom_t property) {
    xcb_selection_notify_event_t event{};
    event.response_type = XCB_SELECTION_NOTIFY;
    event.time = request.time;
    event.requestor = request.requestor;
    event.selection = request.selection;
    event.target = request.target;
    event.property = property;
    char raw[32] = {};
    std::memcpy(raw, &event, sizeof event);
    xcb_send_event(x_.get(), 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, raw);
    xcb_flush(x_.get());
}

void ScriptedSelectionOwner::pause(std::chrono::milliseconds delay) const {
    const auto until = std::chrono::steady_clock::now() + delay;
    while (!stop_ && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(2ms);
}

}  // namespace pindrake::platform::testing
