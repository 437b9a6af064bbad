#include "platform/linux/XcbClipboardReader.h"

#include <fcntl.h>
#include <unistd.h>
#include <xcb/xfixes.h>

#include "foundation/Log.h"
#include "platform/linux/XcbReply.h"

namespace pindrake::platform {

namespace {

// Atom names are kept per connection; a flood of new names from hostile owners is forgotten.
constexpr std::size_t maxRememberedAtomNames = 4096;

}  // namespace

XcbClipboardReader::XcbClipboardReader(std::optional<Client> ownClient, SelectionReadLimits limits)
    : ownClient_(ownClient),
      limits_(limits),
      contents_(std::make_shared<const PasteboardContents>()) {
    if (!watch()) {
        log::warning("The clipboard cannot be watched: no X display or no XFixes extension");
        return;
    }
    worker_ = std::thread([this] { run(); });
}

XcbClipboardReader::~XcbClipboardReader() {
    if (worker_.joinable()) {
        // Every wait of the worker also watches the pipe, so it ends at once.
        const char stop = 0;
        [[maybe_unused]] const auto written = ::write(stopPipe_[1], &stop, 1);
        worker_.join();
    }
    for (const int descriptor : stopPipe_) {
        if (descriptor >= 0)
            ::close(descriptor);
    }
}

// Asks the server for owner-change events of CLIPBOARD. Only round trips to the server, which
// answers at once; no other client is waited for.
bool XcbClipboardReader::watch() {
    xcb_connection_t* c = x_.get();
    if (!c || pipe2(stopPipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!extension || !extension->present)
        return false;
    xfixesFirstEvent_ = extension->first_event;
    xcbReply(xcb_xfixes_query_version_reply(
        c, xcb_xfixes_query_version(c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr));

    atoms_.selection = x_.atom("CLIPBOARD");
    atoms_.targets = x_.atom("TARGETS");
    atoms_.incr = x_.atom("INCR");
    atoms_.utf8String = x_.atom("UTF8_STRING");
    atoms_.property = x_.atom("PINDRAKE_SELECTION");
    if (atoms_.selection == XCB_ATOM_NONE || atoms_.property == XCB_ATOM_NONE)
        return false;

    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, 0, window, x_.root(), 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, 0, nullptr);
    return x_.succeeded(xcb_xfixes_select_selection_input_checked(
        c, window, atoms_.selection,
        XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
            XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
            XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE));
}

std::shared_ptr<const PasteboardContents> XcbClipboardReader::contents() const {
    std::lock_guard lock(mutex_);
    return contents_;
}

std::shared_ptr<const PasteboardContents> XcbClipboardReader::take() {
    std::lock_guard lock(mutex_);
    shownTaken_ = true;
    auto taken = contents_;
    if (waiting_)
        show(std::exchange(waiting_, nullptr));
    return taken;
}

void XcbClipboardReader::noteOwnWrite(PasteboardContents contents) {
    auto written = std::make_shared<const PasteboardContents>(std::move(contents));
    std::lock_guard lock(mutex_);
    // Whoever writes has taken what it saw; only copies read in the meantime are lost.
    const int untaken =
        (!shownTaken_ && !contents_->empty() ? 1 : 0) + (waiting_ && !waiting_->empty() ? 1 : 0);
    if (untaken > 0) {
        log::warning(
            "Copies read from the clipboard were not captured: our own write replaced them: " +
            std::to_string(untaken));
    }
    waiting_.reset();
    ++epoch_;
    show(std::move(written));
    shownTaken_ = true;
}

void XcbClipboardReader::run() {
    XcbEventSource events(x_.get(), stopPipe_[0]);
    while (!events.stopped()) {
        if (const XcbEvent event = events.next(XcbEventSource::Clock::time_point::max()))
            noteOwnerChange(*event);
        // Copies made before the one pending could be asked for anything replace it; only
        // the newest is read.
        while (pending_ && !events.stopped()) {
            while (const XcbEvent queued = events.next(XcbEventSource::Clock::now()))
                noteOwnerChange(*queued);
            if (replacedUnread_ > 0) {
                log::warning(
                    "Copies replaced on the clipboard before they could be read were not "
                    "captured: " +
                    std::to_string(std::exchange(replacedUnread_, 0)));
            }
            const OwnerChange change = *std::exchange(pending_, std::nullopt);
            readAndPublish(change, events);
        }
        ownerChangesDone_.store(ownerChanges_.load());
    }
}

std::optional<xcb_window_t> XcbClipboardReader::noteOwnerChange(const xcb_generic_event_t& event) {
    if (XcbEventSource::typeOf(event) != xfixesFirstEvent_ + XCB_XFIXES_SELECTION_NOTIFY)
        return std::nullopt;
    const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
    if (notify.selection != atoms_.selection)
        return std::nullopt;
    if (pending_ && isAnotherClientsCopy(pending_->owner))
        ++replacedUnread_;
    pending_ = OwnerChange{notify.owner, notify.selection_timestamp};
    if (isAnotherClientsCopy(notify.owner))
        ++ownerChanges_;
    return notify.owner;
}

void XcbClipboardReader::readAndPublish(const OwnerChange& change, XcbEventSource& events) {
    std::uint64_t epoch;
    {
        std::lock_guard lock(mutex_);
        epoch = epoch_;
    }
    if (isOurs(change.owner))
        return;
    if (change.owner == XCB_WINDOW_NONE) {
        noteOwnerLeft();
        return;
    }
    if (atomNames_.size() > maxRememberedAtomNames)
        atomNames_.clear();
    XcbSelectionTransfer transfer(
        {x_.get(), x_.root(), atoms_, events,
         [this](const xcb_generic_event_t& event) { return noteOwnerChange(event); }, atomNames_,
         limits_});
    PasteboardContents contents;
    if (transfer.read(change.owner, change.time, contents) ==
        XcbSelectionTransfer::Outcome::stopped) {
        return;
    }
    // Nothing of it kept (the transfer said why), and another client's copy is read next.
    if (contents.empty() && pending_ && isAnotherClientsCopy(pending_->owner))
        return;
    publish(std::move(contents), epoch);
}

// No copy to count or to wait for: a copy not taken yet stays to be taken, so that the copy an
// owner gave just before it left is captured, and another copy made right after is not counted
// as one replaced.
void XcbClipboardReader::noteOwnerLeft() {
    auto cleared = std::make_shared<const PasteboardContents>();
    std::lock_guard lock(mutex_);
    if (shownTaken_ && !waiting_)
        contents_ = std::move(cleared);
}

void XcbClipboardReader::publish(PasteboardContents contents, std::uint64_t startedInEpoch) {
    auto read = std::make_shared<const PasteboardContents>(std::move(contents));
    std::lock_guard lock(mutex_);
    if (epoch_ != startedInEpoch) {
        if (!read->empty())
            log::warning("A copy was not captured: our own write replaced it while it was read");
        return;
    }
    // A copy that gave nothing holds nothing to wait for, nor to keep waiting.
    if (shownTaken_ || contents_->empty()) {
        show(std::move(read));
    } else if (!waiting_ || waiting_->empty()) {
        waiting_ = std::move(read);
    } else {
        // A third copy before the first was taken: the first gives way. A taker that took its
        // count as seen without taking it (the count when it started) gets copies again; one
        // that had not seen it finds the count jumped by one more.
        show(std::exchange(waiting_, std::move(read)));
    }
}

void XcbClipboardReader::show(std::shared_ptr<const PasteboardContents> contents) {
    contents_ = std::move(contents);
    shownTaken_ = false;
    ++changeCount_;
}

bool XcbClipboardReader::isOurs(xcb_window_t window) const {
    return ownClient_ && ownClient_->made(window);
}

bool XcbClipboardReader::isAnotherClientsCopy(xcb_window_t owner) const {
    return owner != XCB_WINDOW_NONE && !isOurs(owner);
}

}  // namespace pindrake::platform
