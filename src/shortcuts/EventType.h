#pragma once

namespace pindrake::GlobalShortcuts {

enum class EventType { keyDown, keyUp };

}  // namespace pindrake::GlobalShortcuts
