#include "platform/core/Messages.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class TRecorder : public TMessageTarget {
public:
    std::vector<TMessage> Received;
    void WndProc(TMessage &message) override
    {
        Received.push_back(message);
        message.Result = static_cast<std::intptr_t>(message.WParam) * 2;
    }
};

} // namespace

TEST(Messages, SentAtOncePostedLaterInOrder)
{
    TRecorder target;
    EXPECT_EQ(SendMessage(&target, WM_USER, 21, 0), 42);
    ASSERT_EQ(target.Received.size(), 1u);

    EXPECT_TRUE(PostMessage(&target, WM_USER, 1, 0));
    EXPECT_TRUE(PostMessage(&target, WM_USER + 1, 2, 7));
    EXPECT_EQ(target.Received.size(), 1u);
    ProcessMessages();
    ASSERT_EQ(target.Received.size(), 3u);
    EXPECT_EQ(target.Received[1].Msg, WM_USER);
    EXPECT_EQ(target.Received[2].Msg, WM_USER + 1u);
    EXPECT_EQ(target.Received[2].LParam, 7);

    EXPECT_FALSE(PostMessage(nullptr, WM_USER, 0, 0));
    EXPECT_EQ(SendMessage(nullptr, WM_USER, 0, 0), 0);
}

TEST(Messages, AFreedTargetGetsNothingAndItsReferencesEmpty)
{
    auto target = std::make_unique<TRecorder>();
    TMessageTargetRef ref(target.get());
    EXPECT_EQ(ref.Get(), target.get());
    PostMessage(target.get(), WM_USER, 1, 0);
    target.reset();
    EXPECT_FALSE(ref);
    ProcessMessages();  // the queued message finds no target and is dropped
}
