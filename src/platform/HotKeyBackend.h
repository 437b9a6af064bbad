#pragma once

#include <cstdint>
#include <functional>

namespace pindrake::platform {

// The bits a Carbon modifier mask is made of; every other bit means nothing.
namespace CarbonModifier {
inline constexpr std::uint32_t command = 0x100;
inline constexpr std::uint32_t shift = 0x200;
inline constexpr std::uint32_t option = 0x800;
inline constexpr std::uint32_t control = 0x1000;
inline constexpr std::uint32_t function = 0x20000;
}  // namespace CarbonModifier

// System-wide hot keys. A combination is named as it is stored: a virtual key code and a Carbon
// modifier mask; the backend translates it to what the system grabs.
class HotKeyBackend {
  public:
    using HotKeyId = std::uint32_t;
    enum class Event { pressed, released };
    using EventHandler = std::function<void(HotKeyId, Event)>;

    // Registration statuses, as the hot-key service of the stored values' system reports them.
    static constexpr int statusOk = 0;
    static constexpr int statusTaken = -9878;    // another client holds the combination
    static constexpr int statusInvalid = -9879;  // the key or a modifier cannot be grabbed

    virtual ~HotKeyBackend() = default;

    // Grabs the combination system-wide and reports its events under `id`. Returns a status.
    virtual int registerHotKey(HotKeyId id, std::uint32_t keyCode,
                               std::uint32_t carbonModifiers) = 0;
    virtual void unregisterHotKey(HotKeyId id) = 0;

    // Whether the system or another program holds the combination already. Our own hot keys
    // do not count.
    virtual bool isTakenElsewhere(std::uint32_t keyCode, std::uint32_t carbonModifiers) = 0;

    // Events arrive on the main queue: one `pressed` and one `released` per physical press,
    // however long the key is held and in whatever order the modifiers are let go.
    virtual void setEventHandler(EventHandler handler) = 0;
};

}  // namespace pindrake::platform
