#include "platform/linux/XcbSelectionTransfer.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "foundation/Log.h"
#include "platform/linux/PasteboardTypeMapping.h"
#include "platform/linux/XcbReply.h"

namespace pindrake::platform {

namespace {

// The targets that can give one type, in the owner's order, Latin-1 text after any UTF-8.
struct PlannedType {
    std::string type;
    std::vector<std::pair<xcb_atom_t, std::string>> targets;
};

std::vector<PlannedType> plan(const std::vector<std::pair<xcb_atom_t, std::string>>& offered) {
    std::vector<PlannedType> planned;
    for (const auto& target : offered) {
        const auto type = linux_types::typeForTarget(target.second);
        if (!type)
            continue;
        auto found = std::find_if(planned.begin(), planned.end(),
                                  [&](const PlannedType& p) { return p.type == *type; });
        if (found == planned.end())
            found = planned.insert(planned.end(), {*type, {}});
        if (std::find(found->targets.begin(), found->targets.end(), target) ==
            found->targets.end()) {
            found->targets.push_back(target);
        }
    }
    for (auto& type : planned) {
        std::stable_partition(type.targets.begin(), type.targets.end(), [](const auto& target) {
            return !linux_types::isLatin1Target(target.second);
        });
    }
    return planned;
}

}  // namespace

XcbSelectionTransfer::XcbSelectionTransfer(Context context)
    : context_(std::move(context)), window_(xcb_generate_id(context_.connection)) {
    // A window per read: an owner that answers late writes to a window that is gone, never
    // into the next read.
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(context_.connection, 0, window_, context_.root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &events);
}

XcbSelectionTransfer::~XcbSelectionTransfer() {
    xcb_destroy_window(context_.connection, window_);
    xcb_flush(context_.connection);
}

XcbSelectionTransfer::Outcome XcbSelectionTransfer::read(xcb_window_t owner, xcb_timestamp_t time,
                                                         PasteboardContents& contents) {
    time_ = time;
    readStart_ = Clock::now();
    bytesLeft_ = context_.limits.maxBytes;

    const auto outcomeOf = [](Answer answer) {
        return answer == Answer::stopped ? Outcome::stopped : Outcome::ownerChanged;
    };
    std::string atomList;
    const Answer listed = convert(context_.atoms.targets, atomList);
    if (listed == Answer::ownerChanged || listed == Answer::stopped)
        return outcomeOf(listed);

    std::string cutOff;
    for (const auto& type : plan(namesOf(atomList))) {
        bool late = false;
        for (const auto& [atom, name] : type.targets) {
            std::string bytes;
            const Answer answer = convert(atom, bytes);
            if (answer == Answer::ownerChanged || answer == Answer::stopped)
                return outcomeOf(answer);
            late = late || answer == Answer::late;
            if (answer != Answer::data)
                continue;
            late = false;
            if (linux_types::isLatin1Target(name))
                bytes = linux_types::latin1ToUtf8(bytes);
            // Copied web links come as URI lists too; only a file reference is a file.
            const bool notAFile =
                type.type == pasteboard_type::fileUrl && !linux_types::namesFile(bytes);
            contents.set(notAFile ? name : type.type, std::move(bytes));
            break;
        }
        if (late)
            cutOff += (cutOff.empty() ? "" : ", ") + type.type;
    }
    // A copy made while we read may have answered some of our requests: such a read is
    // thrown away whole.
    if (currentOwner() != owner)
        return Outcome::ownerChanged;
    // What the time limits cut off is lost to the history: said, never dropped unseen.
    if (listed == Answer::late) {
        log::warning(
            "A copy could not be read: its owner did not say what it holds within the "
            "read's time limit");
    } else if (!cutOff.empty()) {
        log::warning("A copy was read without " + cutOff +
                     ": its owner did not give it within the read's time limit");
    }
    return Outcome::read;
}

XcbSelectionTransfer::Answer XcbSelectionTransfer::convert(xcb_atom_t target, std::string& bytes) {
    if (Clock::now() >= readDeadline())
        return Answer::late;
    const SelectionAtoms& atoms = context_.atoms;
    xcb_convert_selection(context_.connection, window_, atoms.selection, target, atoms.property,
                          time_);
    xcb_atom_t answeredIn = XCB_ATOM_NONE;
    const Answer answer = waitFor([&](const xcb_generic_event_t& event) {
        if (XcbEventSource::typeOf(event) != XCB_SELECTION_NOTIFY)
            return false;
        const auto& notify = reinterpret_cast<const xcb_selection_notify_event_t&>(event);
        if (notify.requestor != window_ || notify.selection != atoms.selection ||
            notify.target != target) {
            return false;
        }
        answeredIn = notify.property;
        return true;
    });
    if (answer != Answer::data)
        return answer;
    if (answeredIn == XCB_ATOM_NONE)  // refused
        return Answer::absent;
    auto property = takeProperty();
    if (!property)
        return Answer::absent;
    if (property->first == atoms.incr)
        return receiveIncrementally(bytes);
    bytes = std::move(property->second);
    return Answer::data;
}

// The owner sends the data in chunks, each one once we have deleted the previous one; an empty
// chunk ends the transfer.
XcbSelectionTransfer::Answer XcbSelectionTransfer::receiveIncrementally(std::string& bytes) {
    bytes.clear();
    for (;;) {
        const Answer answer = waitFor([&](const xcb_generic_event_t& event) {
            if (XcbEventSource::typeOf(event) != XCB_PROPERTY_NOTIFY)
                return false;
            const auto& notify = reinterpret_cast<const xcb_property_notify_event_t&>(event);
            return notify.window == window_ && notify.atom == context_.atoms.property &&
                   notify.state == XCB_PROPERTY_NEW_VALUE;
        });
        if (answer != Answer::data)
            return answer;
        auto chunk = takeProperty();
        if (!chunk)
            return Answer::absent;
        if (chunk->second.empty())
            return Answer::data;
        bytes += chunk->second;
    }
}

XcbSelectionTransfer::Answer XcbSelectionTransfer::waitFor(
    const std::function<bool(const xcb_generic_event_t&)>& matches) {
    const auto deadline = std::min(Clock::now() + context_.limits.perAnswer, readDeadline());
    for (;;) {
        const XcbEvent event = context_.events.next(deadline);
        if (!event)
            return context_.events.stopped() ? Answer::stopped : Answer::late;
        if (context_.isOwnerChange(*event))
            return Answer::ownerChanged;
        if (matches(*event))
            return Answer::data;
    }
}

XcbSelectionTransfer::Clock::time_point XcbSelectionTransfer::readDeadline() const {
    const std::size_t received = context_.limits.maxBytes - bytesLeft_;
    const std::chrono::duration<double> earned(static_cast<double>(received) /
                                               static_cast<double>(context_.limits.slowestRate));
    return readStart_ + context_.limits.wholeRead +
           std::chrono::duration_cast<Clock::duration>(earned);
}

std::optional<std::pair<xcb_atom_t, std::string>> XcbSelectionTransfer::takeProperty() {
    const auto words = static_cast<std::uint32_t>(
        std::min<std::size_t>((bytesLeft_ + 3) / 4, std::numeric_limits<std::uint32_t>::max()));
    const auto cookie = xcb_get_property(context_.connection, 1, window_, context_.atoms.property,
                                         XCB_GET_PROPERTY_TYPE_ANY, 0, words);
    xcb_generic_error_t* error = nullptr;
    const auto reply = xcbReply(xcb_get_property_reply(context_.connection, cookie, &error));
    xcbReply(error);
    if (!reply || reply->type == XCB_ATOM_NONE || reply->bytes_after > 0)
        return std::nullopt;
    const auto length = static_cast<std::size_t>(xcb_get_property_value_length(reply.get()));
    if (length > bytesLeft_)
        return std::nullopt;
    bytesLeft_ -= length;
    const auto* value = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::pair{reply->type, std::string(value, length)};
}

std::optional<xcb_window_t> XcbSelectionTransfer::currentOwner() const {
    const auto cookie = xcb_get_selection_owner(context_.connection, context_.atoms.selection);
    const auto reply =
        xcbReply(xcb_get_selection_owner_reply(context_.connection, cookie, nullptr));
    if (!reply)
        return std::nullopt;
    return reply->owner;
}

std::vector<std::pair<xcb_atom_t, std::string>> XcbSelectionTransfer::namesOf(
    const std::string& atomList) {
    std::vector<xcb_atom_t> atoms(std::min(atomList.size() / 4, context_.limits.maxTargets));
    if (!atoms.empty())
        std::memcpy(atoms.data(), atomList.data(), atoms.size() * 4);

    auto& names = context_.atomNames;
    std::vector<std::pair<xcb_atom_t, xcb_get_atom_name_cookie_t>> asked;
    for (const xcb_atom_t atom : atoms) {
        if (atom != XCB_ATOM_NONE && !names.contains(atom))
            asked.emplace_back(atom, xcb_get_atom_name(context_.connection, atom));
    }
    for (const auto& [atom, cookie] : asked) {
        xcb_generic_error_t* error = nullptr;
        const auto reply = xcbReply(xcb_get_atom_name_reply(context_.connection, cookie, &error));
        xcbReply(error);
        if (reply) {
            names.emplace(
                atom,
                std::string(xcb_get_atom_name_name(reply.get()),
                            static_cast<std::size_t>(xcb_get_atom_name_name_length(reply.get()))));
        }
    }
    std::vector<std::pair<xcb_atom_t, std::string>> named;
    for (const xcb_atom_t atom : atoms) {
        if (const auto found = names.find(atom); found != names.end())
            named.emplace_back(atom, found->second);
    }
    return named;
}

}  // namespace pindrake::platform
