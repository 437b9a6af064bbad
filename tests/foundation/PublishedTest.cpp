#include "foundation/Published.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pindrake {
namespace {

// The first "a" is the delivery a new subscription gets of the current value.
TEST(Published, EveryAssignmentNotifiesEvenWhenEqual) {
    Published<std::string> value("a");
    std::vector<std::string> seen;
    auto sub = value.subscribe([&](const std::string& v) { seen.push_back(v); });
    value = "a";
    value = "a";
    value = "b";
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "a", "a", "b"}));
}

TEST(Published, ViewsHearBeforeSubscribersWhateverTheSubscriptionOrder) {
    Published<int> value(0);
    std::vector<std::string> order;
    auto sub = value.subscribe([&](const int& v) { order.push_back("sub" + std::to_string(v)); });
    auto view =
        value.observeForView([&](const int& v) { order.push_back("view" + std::to_string(v)); });
    order.clear();
    value = 1;
    EXPECT_EQ(order, (std::vector<std::string>{"view1", "sub1"}));
}

TEST(Published, SubscribersRunInOrderSeeTheStoredValueAndStopWhenReset) {
    Published<int> value(0);
    std::vector<int> seen;
    auto first = value.subscribe([&](const int& v) { seen.push_back(v * 10 + value.get()); });
    auto second = value.subscribe([&](const int& v) { seen.push_back(v * 100); });
    seen.clear();
    value = 3;
    EXPECT_EQ(seen, (std::vector<int>{33, 300}));

    first.reset();
    seen.clear();
    value = 4;
    EXPECT_EQ(seen, (std::vector<int>{400})) << "a reset subscription hears nothing more";
}

struct Owner {
    std::vector<int> seen;
};

TEST(Published, SubscriptionHoldsItsOwnerWeakly) {
    Published<int> value(0);
    auto owner = std::make_shared<Owner>();
    std::weak_ptr<Owner> weak = owner;
    auto sub = value.subscribe<Owner>(owner, [](Owner& o, const int& v) { o.seen.push_back(v); });
    value = 1;
    EXPECT_EQ(owner->seen, (std::vector<int>{0, 1}));
    owner.reset();
    EXPECT_TRUE(weak.expired()) << "the subscription must not keep its owner alive";
    value = 2;  // must not touch the dead owner
}

TEST(Published, NestedAssignmentNotifiesEveryoneBeforeTheOuterCarriesOn) {
    Published<int> value(0);
    std::vector<std::string> log;
    auto clamp = value.subscribe([&](const int& v) {
        log.push_back("clamp" + std::to_string(v));
        if (v > 10)
            value = 10;
    });
    auto watch = value.subscribe([&](const int& v) { log.push_back("watch" + std::to_string(v)); });
    log.clear();
    value = 42;
    EXPECT_EQ(value.get(), 10);
    EXPECT_EQ(log, (std::vector<std::string>{"clamp42", "clamp10", "watch10", "watch42"}));
}

TEST(Published, CallbackMayCancelALaterSubscriberOrSubscribeAnother) {
    Published<int> value(0);
    Subscription later;
    Subscription added;
    int laterCalls = 0;
    int addedCalls = 0;
    auto first = value.subscribe([&](const int& v) {
        if (v == 1) {
            later.reset();
            added = value.subscribe([&](const int&) { ++addedCalls; });
        }
    });
    later = value.subscribe([&](const int&) { ++laterCalls; });
    value = 1;
    EXPECT_EQ(laterCalls, 1) << "only the initial delivery";
    EXPECT_EQ(addedCalls, 1) << "a subscription made mid-notification gets the current value once";
    value = 2;
    EXPECT_EQ(addedCalls, 2);
}

TEST(Published, SubscriptionOutlivingThePublishedIsHarmless) {
    Subscription sub;
    {
        Published<int> value(0);
        sub = value.subscribe([](const int&) {});
    }
    sub.reset();
}

}  // namespace
}  // namespace pindrake
