#include "platform/linux/XcbWorkspace.h"

#include <cstdlib>
#include <cstring>

namespace pindrake::platform {

namespace {

// Far deeper than any real window tree; bounds the walk if the server answers oddly.
constexpr int maxAncestors = 64;
// Source indication "pager": activations we ask for are the user's own choice, so focus
// stealing prevention lets them through.
constexpr std::uint32_t sourcePager = 2;

}  // namespace

std::optional<RunningApplication> XcbWorkspace::frontmostApplication() const {
    if (!x_.isConnected())
        return std::nullopt;
    xcb_window_t start = x_.windowProperty(x_.root(), "_NET_ACTIVE_WINDOW").value_or(0);
    if (start == XCB_WINDOW_NONE) {
        auto* reply = xcb_get_input_focus_reply(x_.get(), xcb_get_input_focus(x_.get()), nullptr);
        if (reply)
            start = reply->focus;
        std::free(reply);
    }
    if (start == XCB_WINDOW_NONE || start == XCB_INPUT_FOCUS_POINTER_ROOT || start == x_.root()) {
        return std::nullopt;
    }
    // The focus may sit on a child of the application's window.
    xcb_window_t window = start;
    for (int depth = 0; depth < maxAncestors && window != x_.root(); ++depth) {
        if (auto name = windowClass(window))
            return RunningApplication{std::move(name), window};
        const auto parent = x_.parent(window);
        if (!parent || *parent == XCB_WINDOW_NONE)
            break;
        window = *parent;
    }
    return RunningApplication{std::nullopt, start};
}

void XcbWorkspace::activate(const RunningApplication& application) {
    if (!x_.isConnected() || application.window == 0)
        return;
    const auto window = static_cast<xcb_window_t>(application.window);
    if (windowManagerActivates()) {
        xcb_client_message_event_t event{};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = x_.atom("_NET_ACTIVE_WINDOW");
        event.data.data32[0] = sourcePager;
        event.data.data32[1] = XCB_CURRENT_TIME;
        x_.succeeded(xcb_send_event_checked(
            x_.get(), 0, x_.root(),
            XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
            reinterpret_cast<const char*>(&event)));
        return;
    }
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    x_.succeeded(
        xcb_configure_window_checked(x_.get(), window, XCB_CONFIG_WINDOW_STACK_MODE, &above));
    x_.succeeded(
        xcb_set_input_focus_checked(x_.get(), XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME));
}

// WM_CLASS holds two NUL-terminated strings, the instance and the class.
std::optional<std::string> XcbWorkspace::windowClass(xcb_window_t window) const {
    const auto value = x_.property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    if (!value || value->empty())
        return std::nullopt;
    const std::string text(value->begin(), value->end());
    const auto firstEnd = text.find('\0');
    if (firstEnd == std::string::npos)
        return std::nullopt;
    std::string className = text.substr(firstEnd + 1);
    if (const auto end = className.find('\0'); end != std::string::npos)
        className.resize(end);
    if (className.empty())
        return std::nullopt;
    return className;
}

bool XcbWorkspace::windowManagerActivates() const {
    const auto supported = x_.property(x_.root(), x_.atom("_NET_SUPPORTED"), XCB_ATOM_ATOM);
    if (!supported)
        return false;
    const xcb_atom_t wanted = x_.atom("_NET_ACTIVE_WINDOW");
    for (std::size_t offset = 0; offset + sizeof(xcb_atom_t) <= supported->size();
         offset += sizeof(xcb_atom_t)) {
        xcb_atom_t atom;
        std::memcpy(&atom, supported->data() + offset, sizeof atom);
        if (atom == wanted)
            return true;
    }
    return false;
}

}  // namespace pindrake::platform
