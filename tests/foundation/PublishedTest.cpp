#include "foundation/Published.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pindrake {
namespace {

using Log = std::vector<std::string>;

// A new subscription hears the current value at once, a view does not; equal values notify too.
TEST(Published, EveryAssignmentNotifiesViewsThenSubscribersInOrderUntilReset) {
    Published<int> value(7);
    Log log;
    auto first = value.subscribe([&](const int& v) {
        log.push_back("first" + std::to_string(v) + "/" + std::to_string(value.get()));
    });
    auto second =
        value.subscribe([&](const int& v) { log.push_back("second" + std::to_string(v)); });
    auto view =
        value.observeForView([&](const int& v) { log.push_back("view" + std::to_string(v)); });
    EXPECT_EQ(log, (Log{"first7/7", "second7"}));
    log.clear();
    value = 7;
    value = 3;
    EXPECT_EQ(log, (Log{"view7", "first7/7", "second7", "view3", "first3/3", "second3"}));

    first.reset();
    log.clear();
    value = 4;
    EXPECT_EQ(log, (Log{"view4", "second4"})) << "a reset subscription hears nothing more";
}

struct Owner {
    std::vector<int> seen;
};

TEST(Published, SubscriptionHoldsItsOwnerWeaklyAndMayOutliveThePublished) {
    Subscription outliving;
    {
        Published<int> value(0);
        auto owner = std::make_shared<Owner>();
        std::weak_ptr<Owner> weak = owner;
        outliving =
            value.subscribe<Owner>(owner, [](Owner& o, const int& v) { o.seen.push_back(v); });
        value = 1;
        EXPECT_EQ(owner->seen, (std::vector<int>{0, 1}));
        owner.reset();
        EXPECT_TRUE(weak.expired()) << "the subscription must not keep its owner alive";
        value = 2;  // must not touch the dead owner
    }
    outliving.reset();
}

// A callback may assign again (everyone hears the nested value before the outer one carries on),
// cancel a later subscriber, or subscribe another (which hears the current value once).
TEST(Published, CallbacksMayAssignCancelAndSubscribeMidNotification) {
    Published<int> value(0);
    Log log;
    Subscription later;
    Subscription added;
    auto clamp = value.subscribe([&](const int& v) {
        log.push_back("clamp" + std::to_string(v));
        if (v > 10)
            value = 10;
        if (v == 1) {
            later.reset();
            added =
                value.subscribe([&](const int& n) { log.push_back("added" + std::to_string(n)); });
        }
    });
    auto watch = value.subscribe([&](const int& v) { log.push_back("watch" + std::to_string(v)); });
    later = value.subscribe([&](const int& v) { log.push_back("later" + std::to_string(v)); });
    log.clear();
    value = 42;
    EXPECT_EQ(value.get(), 10);
    EXPECT_EQ(log, (Log{"clamp42", "clamp10", "watch10", "later10", "watch42", "later42"}));
    log.clear();
    value = 1;
    value = 2;
    EXPECT_EQ(log, (Log{"clamp1", "added1", "watch1", "clamp2", "watch2", "added2"}));
}

}  // namespace
}  // namespace pindrake
