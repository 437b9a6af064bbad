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

void XcbClipboardReader::noteOwnWrite(PasteboardContents contents) {
    auto written = std::make_shared<const PasteboardContents>(std::move(contents));
    std::lock_guard lock(mutex_);
    ++epoch_;
    contents_ = std::move(written);
    ++changeCount_;
}

void XcbClipboardReader::run() {
    XcbEventSource events(x_.get(), stopPipe_[0]);
    while (!events.stopped()) {
        if (const XcbEvent event = events.next(XcbEventSource::Clock::time_point::max()))
            noteOwnerChange(*event);
        // Copies made while one is read replace it; only the newest is read.
        while (pending_ && !events.stopped()) {
            while (const XcbEvent queued = events.next(XcbEventSource::Clock::now()))
                noteOwnerChange(*queued);
            const OwnerChange change = *std::exchange(pending_, std::nullopt);
            readAndPublish(change, events);
        }
        ownerChangesDone_.store(ownerChanges_.load());
    }
}

bool XcbClipboardReader::noteOwnerChange(const xcb_generic_event_t& event) {
    if (XcbEventSource::typeOf(event) != xfixesFirstEvent_ + XCB_XFIXES_SELECTION_NOTIFY)
        return false;
    const auto& notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t&>(event);
    if (notify.selection != atoms_.selection)
        return false;
    pending_ = OwnerChange{notify.owner, notify.selection_timestamp};
    if (notify.owner != XCB_WINDOW_NONE && !isOurs(notify.owner))
        ++ownerChanges_;
    return true;
}

void XcbClipboardReader::readAndPublish(const OwnerChange& change, XcbEventSource& events) {
    std::uint64_t epoch;
    {
        std::lock_guard lock(mutex_);
        epoch = epoch_;
    }
    if (isOurs(change.owner))
        return;
    PasteboardContents contents;
    if (change.owner != XCB_WINDOW_NONE) {
        if (atomNames_.size() > maxRememberedAtomNames)
            atomNames_.clear();
        XcbSelectionTransfer transfer(
            {x_.get(), x_.root(), atoms_, events,
             [this](const xcb_generic_event_t& event) { return noteOwnerChange(event); },
             atomNames_, limits_});
        if (transfer.read(change.owner, change.time, contents) !=
            XcbSelectionTransfer::Outcome::read) {
            // A newer owner is pending (or is about to be reported); it is read instead.
            return;
        }
    }
    publish(std::move(contents), epoch);
}

void XcbClipboardReader::publish(PasteboardContents contents, std::uint64_t startedInEpoch) {
    auto read = std::make_shared<const PasteboardContents>(std::move(contents));
    std::lock_guard lock(mutex_);
    if (epoch_ != startedInEpoch)  // we wrote the clipboard meanwhile
        return;
    contents_ = std::move(read);
    ++changeCount_;
}

bool XcbClipboardReader::isOurs(xcb_window_t window) const {
    return ownClient_ && ownClient_->made(window);
}

}  // namespace pindrake::platform
