#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/XcbConnection.h"
#include "platform/linux/XcbReply.h"
#include "support/SanitizerSlowdown.h"

namespace pindrake::platform::testing {

// Another X client that owns the CLIPBOARD selection and answers requests for it as scripted:
// well, slowly, never, or not at all once it has listed its targets. Targets it does not offer
// are refused, unless it never answers. Runs on a thread of its
// own with its own connection, like a separate application. An answer can be held until the test
// releases it, so that a test tells what happened while the owner held it by the order of events
// rather than by how long anything took.
class ScriptedSelectionOwner {
  public:
    // A delay that lasts until `release` (or, so that a test whose main thread is stuck fails
    // rather than hangs, half a minute).
    static constexpr std::chrono::milliseconds untilReleased{-1};

    struct Offer {
        std::string target;
        std::string bytes;
        std::chrono::milliseconds delay{0};  // before answering
        bool refused = false;
        // Above zero: sent incrementally in chunks of this size, each this long after the
        // requestor took the previous one.
        std::size_t chunkSize = 0;
        std::chrono::milliseconds betweenChunks{0};
    };
    // `stopsSendingOnceReplaced`: an incremental transfer ends, unfinished, once another client
    // has taken the clipboard.
    enum class Behaviour {
        serves,
        neverAnswers,
        answersOnlyTargets,
        diesAfterTargets,
        stopsSendingOnceReplaced
    };

    // Owns the clipboard once constructed.
    explicit ScriptedSelectionOwner(std::vector<Offer> offers,
                                    Behaviour behaviour = Behaviour::serves)
        : offers_(std::move(offers)), behaviour_(behaviour) {
        if (!x_.isConnected())
            return;
        targets_ = x_.atom("TARGETS");
        incr_ = x_.atom("INCR");
        const xcb_window_t window = xcb_generate_id(x_.get());
        xcb_create_window(x_.get(), 0, window, x_.root(), 0, 0, 1, 1, 0,
                          XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
        x_.succeeded(xcb_set_selection_owner_checked(x_.get(), window, x_.atom("CLIPBOARD"),
                                                     XCB_CURRENT_TIME));
        thread_ = std::thread([this] { run(); });
    }
    ~ScriptedSelectionOwner() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    ScriptedSelectionOwner(const ScriptedSelectionOwner&) = delete;
    ScriptedSelectionOwner& operator=(const ScriptedSelectionOwner&) = delete;

    // Whether a request has come that the owner has not answered (yet): one it never answers, or
    // one it holds until released.
    bool isHolding() const { return holding_; }
    // Ends every hold, present and future.
    void release() { released_ = true; }
    // The bytes sent so far in incremental transfers.
    std::size_t sentBytes() const { return sentBytes_; }

  private:
    void run() {
        while (!stop_) {
            const auto event = xcbReply(xcb_poll_for_event(x_.get()));
            if (!event) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            } else if ((event->response_type & 0x7F) == XCB_SELECTION_REQUEST &&
                       !answer(*reinterpret_cast<xcb_selection_request_event_t*>(event.get()))) {
                // Its last answer is handled before it goes: a connection closed with events
                // still unread may be dropped before the server reads what came before.
                xcbReply(
                    xcb_get_input_focus_reply(x_.get(), xcb_get_input_focus(x_.get()), nullptr));
                xcb_disconnect(x_.release());
                return;
            }
        }
    }

    // False once the owner has gone away.
    bool answer(const xcb_selection_request_event_t& request) {
        if (behaviour_ == Behaviour::neverAnswers) {
            holding_ = true;
            return true;
        }
        if (request.target == targets_) {
            std::vector<xcb_atom_t> atoms = {targets_};
            for (const auto& offer : offers_)
                atoms.push_back(x_.atom(offer.target));
            give(request, XCB_ATOM_ATOM, 32, atoms.size(), atoms.data());
            return behaviour_ != Behaviour::diesAfterTargets;
        }
        const auto offer = std::find_if(offers_.begin(), offers_.end(), [&](const Offer& o) {
            return x_.atom(o.target) == request.target;
        });
        if (offer == offers_.end() || offer->refused) {
            notify(request, XCB_ATOM_NONE);
            return true;
        }
        if (behaviour_ == Behaviour::answersOnlyTargets) {
            holding_ = true;
            return true;
        }
        pause(offer->delay);
        if (offer->chunkSize > 0) {
            giveIncrementally(request, *offer);
            return true;
        }
        give(request, request.target, 8, offer->bytes.size(), offer->bytes.data());
        return true;
    }

    void pause(std::chrono::milliseconds delay) {
        const bool held = delay == untilReleased;
        const auto until =
            std::chrono::steady_clock::now() +
            (held ? std::chrono::milliseconds(test_support::scaledMs(30'000)) : delay);
        holding_ = held && !released_;
        while (!stop_ && !(held && released_) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        holding_ = false;
    }

    // Announces the size, then puts each chunk, and last an empty one, once the requestor has
    // deleted the one before. Gives up when the requestor stops taking them.
    void giveIncrementally(const xcb_selection_request_event_t& request, const Offer& offer) {
        const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(x_.get(), request.requestor, XCB_CW_EVENT_MASK, &mask);
        const auto size = static_cast<std::uint32_t>(offer.bytes.size());
        give(request, incr_, 32, 1, &size);
        for (std::size_t at = 0, length = 1; length > 0; at += length) {
            if (!waitForDeletion(request))
                return;
            pause(offer.betweenChunks);
            length = std::min(offer.chunkSize, offer.bytes.size() - at);
            xcb_change_property(x_.get(), XCB_PROP_MODE_REPLACE, request.requestor,
                                request.property, request.target, 8,
                                static_cast<std::uint32_t>(length), offer.bytes.data() + at);
            xcb_flush(x_.get());
            sentBytes_ += length;
        }
    }

    bool waitForDeletion(const xcb_selection_request_event_t& request) {
        const auto giveUp = std::chrono::steady_clock::now() +
                            std::chrono::milliseconds(test_support::scaledMs(3000));
        while (!stop_ && std::chrono::steady_clock::now() < giveUp) {
            const auto event = xcbReply(xcb_poll_for_event(x_.get()));
            if (!event) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
                continue;
            }
            if ((event->response_type & 0x7F) == XCB_SELECTION_CLEAR &&
                behaviour_ == Behaviour::stopsSendingOnceReplaced) {
                return false;
            }
            const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event.get());
            if ((event->response_type & 0x7F) == XCB_PROPERTY_NOTIFY &&
                notify->window == request.requestor && notify->atom == request.property &&
                notify->state == XCB_PROPERTY_DELETE) {
                return true;
            }
        }
        return false;
    }

    // Stores the answer in the requested property and tells the requestor.
    void give(const xcb_selection_request_event_t& request, xcb_atom_t type, std::uint8_t format,
              std::size_t count, const void* data) {
        xcb_change_property(x_.get(), XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                            type, format, static_cast<std::uint32_t>(count), data);
        notify(request, request.property);
    }

    void notify(const xcb_selection_request_event_t& request, xcb_atom_t property) {
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

    std::vector<Offer> offers_;
    Behaviour behaviour_;
    XcbConnection x_;
    xcb_atom_t targets_ = XCB_ATOM_NONE;
    xcb_atom_t incr_ = XCB_ATOM_NONE;
    std::atomic<bool> stop_{false};
    std::atomic<bool> holding_{false};
    std::atomic<bool> released_{false};
    std::atomic<std::size_t> sentBytes_{0};
    std::thread thread_;
};

}  // namespace pindrake::platform::testing
