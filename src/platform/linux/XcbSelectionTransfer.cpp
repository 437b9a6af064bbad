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
    owner_ = owner;
    time_ = time;
    readStart_ = Clock::now();
    bytesLeft_ = context_.limits.maxBytes;
    const SelectionAtoms& atoms = context_.atoms;

    // The text first, the list of targets after it: an owner that serves one request and leaves
    // (a command-line tool told to serve a single paste) has then given the type nearly every
    // copy holds. An answer of another type is no text.
    std::string text;
    xcb_atom_t textType = XCB_ATOM_NONE;
    Answer textAnswer = convert(atoms.utf8String, text, &textType);
    if (textAnswer == Answer::data && textType != atoms.utf8String)
        textAnswer = Answer::absent;
    std::string atomList;
    const Answer listed =
        textAnswer == Answer::stopped ? textAnswer : convert(atoms.targets, atomList);
    if (listed == Answer::stopped)
        return Outcome::stopped;
    if (listed != Answer::data) {
        // Its text is all the owner gave.
        if (textAnswer == Answer::data)
            contents.set(std::string(pasteboard_type::plainText), std::move(text));
        logLosses(listed, !contents.empty(), {}, {});
        return Outcome::read;
    }

    std::string cutOff;
    std::string notGiven;
    for (const auto& type : plan(namesOf(atomList))) {
        auto targets = type.targets;
        // The text already given is taken as it came, not asked for again in another form.
        if (textAnswer == Answer::data) {
            std::stable_partition(targets.begin(), targets.end(), [&](const auto& target) {
                return target.first == atoms.utf8String;
            });
        }
        bool late = false;
        bool ended = false;
        for (const auto& [atom, name] : targets) {
            std::string bytes;
            Answer answer;
            if (atom == atoms.utf8String) {
                answer = textAnswer;
                bytes = std::move(text);
            } else {
                answer = convert(atom, bytes);
            }
            if (answer == Answer::stopped)
                return Outcome::stopped;
            ended = answer == Answer::replaced || answer == Answer::ownerGone;
            if (ended)
                break;
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
        std::string& lost = ended ? notGiven : cutOff;
        if (ended || late)
            lost += (lost.empty() ? "" : ", ") + type.type;
    }
    logLosses(listed, !contents.empty(), cutOff, notGiven);
    return Outcome::read;
}

// What the history does not get is said, never dropped unseen.
void XcbSelectionTransfer::logLosses(Answer listed, bool keptAny, const std::string& cutOff,
                                     const std::string& notGiven) const {
    const bool gone = displaced_ && displaced_->newOwner == XCB_WINDOW_NONE;
    if (listed == Answer::late) {
        log::warning(keptAny ? "A copy was read as text only: its owner did not say what else it "
                               "holds within the read's time limit"
                             : "A copy could not be read: its owner did not say what it holds "
                               "within the read's time limit");
    } else if (listed == Answer::absent) {
        // An owner that lists no targets holds text at most.
        if (!keptAny)
            log::warning("A copy could not be read: its owner refused to say what it holds");
    } else if (listed != Answer::data) {
        const std::string why = gone ? "its owner left before saying what "
                                     : "a newer copy took its place before its owner said what ";
        log::warning(keptAny ? "A copy was read as text only: " + why + "else it holds"
                             : "A copy was not captured: " + why + "it holds");
    }
    if (!cutOff.empty()) {
        log::warning("A copy was read without " + cutOff +
                     ": its owner did not give it within the read's time limit");
    }
    if (!notGiven.empty()) {
        const std::string why = gone ? "its owner left before giving "
                                     : "a newer copy took its place before its owner gave ";
        log::warning(keptAny ? "A copy was read without " + notGiven + ": " + why + "it"
                             : "A copy was not captured: " + why + notGiven);
    }
}

XcbSelectionTransfer::Answer XcbSelectionTransfer::convert(xcb_atom_t target, std::string& bytes,
                                                           xcb_atom_t* type) {
    // A request now would go to whoever owns the selection after the owner read.
    if (displaced_)
        return endedBy();
    if (Clock::now() >= readDeadline())
        return Answer::late;
    const SelectionAtoms& atoms = context_.atoms;
    request_ = xcb_convert_selection(context_.connection, window_, atoms.selection, target,
                                     atoms.property, time_)
                   .sequence;
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
        return receiveIncrementally(bytes, type);
    if (type)
        *type = property->first;
    bytes = std::move(property->second);
    return Answer::data;
}

// The owner sends the data in chunks, each one once we have deleted the previous one; an empty
// chunk ends the transfer.
XcbSelectionTransfer::Answer XcbSelectionTransfer::receiveIncrementally(std::string& bytes,
                                                                        xcb_atom_t* type) {
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
        if (type)
            *type = chunk->first;
        bytes += chunk->second;
    }
}

XcbSelectionTransfer::Answer XcbSelectionTransfer::waitFor(
    const std::function<bool(const xcb_generic_event_t&)>& matches) {
    const auto deadline = std::min(Clock::now() + context_.limits.perAnswer, readDeadline());
    for (;;) {
        const XcbEvent event = context_.events.next(deadline);
        if (!event) {
            if (context_.events.stopped())
                return Answer::stopped;
            // An owner displaced may stop giving what it had begun to.
            return displaced_ ? endedBy() : Answer::late;
        }
        if (const auto newOwner = context_.newOwnerIn(*event)) {
            if (!displaced_)
                displaced_ = Displacement{event->full_sequence, *newOwner};
            if (!ownerStillAnswers())
                return endedBy();
            continue;
        }
        if (matches(*event))
            return Answer::data;
    }
}

// The server sends our request to whoever owns the selection when it handles it. The answer is
// the displaced owner's when the request reached it first and it is still there; an owner that
// takes the selection anew (same window) answers with its new copy.
bool XcbSelectionTransfer::ownerStillAnswers() const {
    const auto handledSince =
        static_cast<std::int32_t>(displaced_->lastRequestHandled - request_);  // wraps
    return handledSince >= 0 && displaced_->newOwner != XCB_WINDOW_NONE &&
           displaced_->newOwner != owner_;
}

XcbSelectionTransfer::Answer XcbSelectionTransfer::endedBy() const {
    return displaced_->newOwner == XCB_WINDOW_NONE ? Answer::ownerGone : Answer::replaced;
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
