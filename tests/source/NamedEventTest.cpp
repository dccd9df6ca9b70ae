// The named event that stands in for the host's: signalled by name, reset by the test, gone
// with its owner.
#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

#include "platform/NamedEvent.h"

namespace {

std::string UniqueName(const char* what) { return std::string("KavroTest-") + what + "-" + std::to_string(getpid()); }

TEST(NamedEvent, SignalIsSeenOnceAndOnlyWhileTheOwnerHoldsIt) {
    const std::string name = UniqueName("event");
    EXPECT_FALSE(OpenAndSignalNamedEvent(name));  // nobody holds it yet
    {
        NamedEvent event = NamedEvent::CreateOrOpen(name);
        ASSERT_TRUE(event.IsOpen());
        EXPECT_FALSE(event.TestAndReset());
        EXPECT_TRUE(OpenAndSignalNamedEvent(name));
        EXPECT_TRUE(event.TestAndReset());
        EXPECT_FALSE(event.TestAndReset());  // resets itself
    }
    EXPECT_FALSE(OpenAndSignalNamedEvent(name));  // the owner's end removed the name
}

TEST(NamedEvent, OpeningAnExistingEventKeepsItsSignal) {
    const std::string name = UniqueName("shared");
    NamedEvent first = NamedEvent::CreateOrOpen(name);
    ASSERT_TRUE(OpenAndSignalNamedEvent(name));
    NamedEvent second = NamedEvent::CreateOrOpen(name);
    EXPECT_TRUE(second.TestAndReset());
    EXPECT_FALSE(first.TestAndReset());
}

}  // namespace
