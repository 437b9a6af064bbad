#include "platform/linux/XcbConnection.h"

#include <cstring>
#include <string>

#include "foundation/Log.h"
#include "platform/linux/XcbReply.h"

namespace pindrake::platform {

XcbConnection::XcbConnection() {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (const int error = xcb_connection_has_error(connection)) {
        log::warning("The X display could not be reached (xcb error " + std::to_string(error) +
                     "); is DISPLAY set?");
        xcb_disconnect(connection);
        return;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
        xcb_screen_next(&screens);
    if (screens.rem == 0) {
        xcb_disconnect(connection);
        return;
    }
    connection_ = connection;
    root_ = screens.data->root;
}

XcbConnection::~XcbConnection() {
    if (connection_)
        xcb_disconnect(connection_);
}

xcb_atom_t XcbConnection::atom(std::string_view name) const {
    if (!connection_)
        return XCB_ATOM_NONE;
    const auto cookie =
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.data());
    auto reply = xcbReply(xcb_intern_atom_reply(connection_, cookie, nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::optional<std::vector<std::uint8_t>> XcbConnection::property(xcb_window_t window,
                                                                 xcb_atom_t property,
                                                                 xcb_atom_t type) const {
    if (!connection_ || window == XCB_WINDOW_NONE || property == XCB_ATOM_NONE) {
        return std::nullopt;
    }
    // Enough for a window class or a window id; longer values are cut, never needed whole.
    constexpr std::uint32_t maxWords = 1024;
    const auto cookie = xcb_get_property(connection_, 0, window, property, type, 0, maxWords);
    xcb_generic_error_t* error = nullptr;
    auto reply = xcbReply(xcb_get_property_reply(connection_, cookie, &error));
    xcbReply(error);
    if (!reply || reply->type == XCB_ATOM_NONE)
        return std::nullopt;
    const auto* value = static_cast<const std::uint8_t*>(xcb_get_property_value(reply.get()));
    const int length = xcb_get_property_value_length(reply.get());
    return std::vector<std::uint8_t>(value, value + length);
}

std::optional<xcb_window_t> XcbConnection::windowProperty(xcb_window_t window,
                                                          std::string_view name) const {
    const auto value = property(window, atom(name), XCB_ATOM_WINDOW);
    if (!value || value->size() < sizeof(xcb_window_t))
        return std::nullopt;
    xcb_window_t result;
    std::memcpy(&result, value->data(), sizeof result);
    if (result == XCB_WINDOW_NONE)
        return std::nullopt;
    return result;
}

std::optional<xcb_window_t> XcbConnection::parent(xcb_window_t window) const {
    if (!connection_)
        return std::nullopt;
    xcb_generic_error_t* error = nullptr;
    auto reply =
        xcbReply(xcb_query_tree_reply(connection_, xcb_query_tree(connection_, window), &error));
    xcbReply(error);
    if (!reply)
        return std::nullopt;
    return reply->parent;
}

bool XcbConnection::succeeded(xcb_void_cookie_t cookie) const {
    return xcbReply(xcb_request_check(connection_, cookie)) == nullptr;
}

}  // namespace pindrake::platform
