#pragma once

// The XKB protocol header names a struct member "explicit", which C++ reserves. Include it
// only through this header.
#include <xcb/xcb.h>
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
