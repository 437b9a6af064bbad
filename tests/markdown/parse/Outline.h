#pragma once

#include <string>
#include <vector>

#include "markdown/tree/RawMarkup.h"

namespace pindrake::markdown::testing {

// A one-line picture of a subtree: each node's kind and payload, children in braces, for
// example paragraph{text"a" emphasis{text"b"}}.
std::string outline(const RawMarkup& node);

// What follows a node's kind in the outline: its payload's fields.
std::string payloadLabel(const RawMarkupData& data);

// The subtree's nodes in pre-order, walked without recursion.
std::vector<const RawMarkup*> preorder(const RawMarkup& root);

// The range of every node in pre-order, as "kind 1:1-1:4" separated by "; " ("kind -" for a
// node without a range).
std::string rangeList(const RawMarkup& node);

}  // namespace pindrake::markdown::testing
